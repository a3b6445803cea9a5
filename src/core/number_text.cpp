#include "core/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quarnby {

std::string plainInteger(long long v) { return std::to_string(v); }

std::string numberText(double v, int significantDigits) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Inf" : "Inf";
  if (v == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", significantDigits - 1, v);
  // buf is "d.ddddde+XX": read back the decimal exponent after rounding to the digits.
  const char* e = std::strchr(buf, 'e');
  const int exponent = std::atoi(e + 1);
  if (exponent >= significantDigits || exponent < -significantDigits) {
    std::string mantissa(buf, static_cast<std::size_t>(e - buf));
    if (mantissa.find('.') != std::string::npos) {
      while (mantissa.back() == '0') mantissa.pop_back();
      if (mantissa.back() == '.') mantissa.pop_back();
    }
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return mantissa + exp;
  }
  const int decimals = std::max(0, significantDigits - 1 - exponent);
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string text = buf;
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::string signedNumberText(double v, int significantDigits) {
  std::string text = numberText(v, significantDigits);
  return text[0] == '-' ? text : " " + text;
}

std::string signedWholeNumberText(double whole) {
  char digits[400];  // the largest double has 309 digits
  const auto end = std::to_chars(digits, digits + sizeof digits, std::fabs(whole), std::chars_format::fixed, 0).ptr;
  return (whole < 0 ? "-" : " ") + std::string(digits, end);
}

}  // namespace quarnby
