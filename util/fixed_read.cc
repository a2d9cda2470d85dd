#include "util/fixed_read.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
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

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The common field forms (sign, digits with a point, an exponent with a letter) read without text
// copies.  Returns false when the field needs the general reader: anything unusual, or a value
// that scale_exactly cannot give.
bool read_plain_fast(std::string_view field, int d, double& value) {
  // A NUL byte is no end of the field here (next() gives NUL at the end): the general reader
  // refuses it.
  if (field.find('\0') != std::string_view::npos) return false;
  std::size_t i = 0;
  const std::size_t n = field.size();
  auto next = [&]() -> char {
    while (i < n && is_blank(field[i])) ++i;
    return i < n ? field[i] : '\0';
  };
  char c = next();
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    ++i;
    c = next();
  }
  unsigned long long digits = 0;
  int count = 0, decimals = 0;
  bool point = false;
  for (;; c = next()) {
    if (is_digit(c)) {
      if (count >= 18) return false;
      digits = digits * 10 + static_cast<unsigned>(c - '0');
      ++count;
      if (point) ++decimals;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    ++i;
  }
  if (count == 0) return false;
  int exponent = 0;
  if (c != '\0') {
    if (c != 'E' && c != 'e' && c != 'D' && c != 'd') return false;
    ++i;
    c = next();
    bool negative_exponent = false;
    if (c == '+' || c == '-') {
      negative_exponent = c == '-';
      ++i;
      c = next();
    }
    int exponent_digits = 0;
    for (; is_digit(c); ++i, c = next()) {
      if (++exponent_digits > 4) return false;
      exponent = exponent * 10 + (c - '0');
    }
    if (exponent_digits == 0 || c != '\0') return false;
    if (negative_exponent) exponent = -exponent;
  }
  double scaled = 0.0;
  if (!scale_exactly(digits, exponent - (point ? decimals : d), scaled)) return false;
  value = negative ? -scaled : scaled;
  return true;
}

}  // namespace

bool read_int_field(std::string_view field, long long& value) {
  const std::string s = squeeze(field);
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // The magnitude is gathered unsigned, so that the most negative value reads too; a digit that
  // would take it past the range of the result makes the field unreadable.
  const unsigned long long limit =
      negative ? 0ULL - static_cast<unsigned long long>(std::numeric_limits<long long>::min())
               : static_cast<unsigned long long>(std::numeric_limits<long long>::max());
  unsigned long long v = 0;
  for (; i < s.size(); ++i) {
    if (!is_digit(s[i])) return false;
    const unsigned digit = static_cast<unsigned>(s[i] - '0');
    if (v > (limit - digit) / 10) return false;
    v = v * 10 + digit;
  }
  // Unsigned to signed keeps the value modulo 2^64, so 0 - 2^63 gives the most negative value.
  value = static_cast<long long>(negative ? 0ULL - v : v);
  return true;
}

bool read_real_field(std::string_view field, int d, double& value) {
  if (read_plain_fast(field, d, value)) return true;
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

bool scale_exactly(unsigned long long digits, int exponent, double& value) {
  // Every power of ten up to 1e22 is a double without rounding.
  static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (digits > (1ULL << 53) || exponent < -22 || exponent > 22) return false;
  const double d = static_cast<double>(digits);
  value = exponent >= 0 ? d * kExactPowers[exponent] : d / kExactPowers[-exponent];
  return true;
}

}  // namespace kor::util
