#pragma once
#include <string_view>

namespace quarnby {

// The number at the start of a text parameter, read the way every operation reads
// its text boxes: blanks, tabs and line feeds anywhere are ignored, the longest
// leading decimal number is taken ("E" or "D" exponent, "." as the only decimal
// separator), "&H"/"&O" start a hexadecimal/octal integer, and no number gives 0.
// An exponent too large for a double gives +/- infinity.
double numericValue(std::string_view text);

// True when, blanks aside, the whole text is one decimal number: optional sign,
// digits with an optional fraction, optional E exponent. Used where a field must
// be a number or be refused ("12abc" and "" are not numbers).
// True when numericValue reads all of the text: nothing but its number (blanks aside), or
// nothing at all. "12,000" and "abc" are not read whole (they read as 12 and 0).
bool isReadWhole(std::string_view text);

bool isWholeDecimalNumber(std::string_view text, double* value = nullptr);

}  // namespace quarnby
