#pragma once
#include <string>

namespace quarnby {

// A whole number as plain decimal: "-5", "0", "100" (text files: no leading blank).
std::string plainInteger(long long v);

// A number as plain decimal with at most `significantDigits` significant digits,
// no trailing zeros and no exponent for everyday magnitudes: "1234.568", "-3.2",
// "0.04", "9333". Very large or very small magnitudes use the "1E+16" form.
std::string numberText(double v, int significantDigits = 15);

// The same with a blank where a minus sign would stand: " 307", "-3.2", " 0".
// Numbers written back into the window's fields take this form.
std::string signedNumberText(double v, int significantDigits = 15);

// A whole number (a finite double without fraction) as all its decimal digits, however
// large, after a blank or a minus sign: " 307", " 10000000000000000", "-5".
std::string signedWholeNumberText(double whole);

}  // namespace quarnby
