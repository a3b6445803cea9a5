#include "core/numeric_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace quarnby {
namespace {

bool isIgnored(char ch) { return ch == ' ' || ch == '\t' || ch == '\n'; }
bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

int digitValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return 99;
}

double radixInteger(const std::string& s, std::size_t from, int radix) {
  double value = 0;
  for (std::size_t i = from; i < s.size(); ++i) {
    const int d = digitValue(s[i]);
    if (d >= radix) break;
    value = value * radix + d;
  }
  return value;
}

// Converts a plain decimal text (sign, digits, fraction, "e" exponent) to a double;
// out-of-range exponents give infinity or zero with the text's sign.
double toDouble(std::string text) {
  bool negative = false;
  std::size_t start = 0;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    start = 1;
  }
  double value = 0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone; tell overflow from underflow by the exponent's sign.
    const auto e = text.find_first_of("eE");
    const bool tiny = e != std::string::npos && e + 1 < text.size() && text[e + 1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc()) {
    value = 0;
  }
  return negative ? -value : value;
}

// Length of the longest leading decimal number of s (0 when there is none).
std::size_t decimalPrefix(const std::string& s, bool allowD) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t mantissaDigits = 0;
  while (i < s.size() && isDigit(s[i])) ++i, ++mantissaDigits;
  if (i < s.size() && s[i] == '.') {
    std::size_t j = i + 1;
    std::size_t fraction = 0;
    while (j < s.size() && isDigit(s[j])) ++j, ++fraction;
    if (mantissaDigits + fraction > 0) {
      i = j;
      mantissaDigits += fraction;
    }
  }
  if (mantissaDigits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || (allowD && (s[i] == 'd' || s[i] == 'D')))) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < s.size() && isDigit(s[j])) ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i;
}

std::string withoutIgnored(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char ch : text)
    if (!isIgnored(ch)) s.push_back(ch);
  return s;
}

}  // namespace

double numericValue(std::string_view text) {
  const std::string s = withoutIgnored(text);

  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return radixInteger(s, 2, 16);
    if (s[1] == 'O' || s[1] == 'o') return radixInteger(s, 2, 8);
  }
  const std::size_t length = decimalPrefix(s, true);
  if (length == 0) return 0;
  std::string number = s.substr(0, length);
  for (char& ch : number)
    if (ch == 'd' || ch == 'D') ch = 'e';
  return toDouble(number);
}

bool isReadWhole(std::string_view text) {
  const std::string s = withoutIgnored(text);
  if (s.empty()) return true;
  if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
    const int radix = s[1] == 'H' || s[1] == 'h' ? 16 : 8;
    std::size_t i = 2;
    while (i < s.size() && digitValue(s[i]) < radix) ++i;
    return i == s.size() && i > 2;
  }
  return decimalPrefix(s, true) == s.size();
}

bool isWholeDecimalNumber(std::string_view text, double* value) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  const std::string s(text.substr(begin, end - begin));
  if (s.empty() || decimalPrefix(s, false) != s.size()) return false;
  if (value) *value = toDouble(s);
  return true;
}

}  // namespace quarnby
