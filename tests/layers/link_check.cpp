// Linked with one library of src/ whole: building this program is the check.
int main() { return 0; }
