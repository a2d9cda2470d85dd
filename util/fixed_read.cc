#include "util/fixed_read.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace kor::util {
namespace {

// The field without blanks (tabs count as blanks too).
std::string squeeze(std::string_view field) {
  std::string s;
  s.reserve(field.size());
  for (char c : field) {
    if (c != ' ' && c != '\t') s.push_back(c);
  }
  return s;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool read_int_field(std::string_view field, long long& value) {
  const std::string s = squeeze(field);
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (!is_digit(s[i])) return false;
    if (v > (1LL << 60)) return false;
    v = v * 10 + (s[i] - '0');
  }
  value = negative ? -v : v;
  return true;
}

bool read_real_field(std::string_view field, int d, double& value) {
  const std::string s = squeeze(field);
  if (s.empty()) {
    value = 0.0;
    return true;
  }
  std::size_t i = 0;
  std::string mantissa;
  if (s[i] == '+' || s[i] == '-') mantissa.push_back(s[i++]);
  bool point = false;
  int digits = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (is_digit(c)) {
      mantissa.push_back(c);
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
      mantissa.push_back(c);
    } else {
      break;
    }
  }
  long long exponent = 0;
  if (i < s.size()) {
    char c = s[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q') {
      ++i;
      if (i >= s.size()) return false;
    } else if (c != '+' && c != '-') {
      return false;
    }
    std::string_view rest(s.data() + i, s.size() - i);
    if (rest.empty() || rest == "+" || rest == "-") return false;
    if (!read_int_field(rest, exponent)) return false;
    if (exponent > 100000 || exponent < -100000) return false;
  }
  if (digits == 0) {
    // A sign or a point alone reads as zero, as an empty field does; anything with an exponent
    // needs digits.
    if (i < s.size()) return false;
    value = 0.0;
    return true;
  }
  if (!point) exponent -= d;
  const std::string text = mantissa + "e" + std::to_string(exponent);
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return false;
  if (!std::isfinite(v)) return false;
  value = v;
  return true;
}

}  // namespace kor::util
