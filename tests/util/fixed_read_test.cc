#include "util/fixed_read.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kor::util {
namespace {

TEST(FixedRead, RealFieldsUnderEditDescriptors) {
  struct Case {
    const char* field;
    int d;
    bool ok;
    double value;
  };
  constexpr Case kCases[] = {
      {"  0.123456789012D+03", 12, true, 123.456789012},
      {" -0.110000000000D+32", 12, true, -1.1e31},
      {"           0.2540000E+00", 7, true, 0.254},
      {"1.5E3", 12, true, 1500.0},
      {"1.5e-3", 12, true, 0.0015},
      {"1.5+03", 12, true, 1500.0},
      {"1.5-03", 12, true, 0.0015},
      {"2.5Q1", 12, true, 25.0},
      {"  1 . 5  ", 12, true, 1.5},  // blanks inside a field are ignored
      {"                    ", 12, true, 0.0},
      {"123", 2, true, 1.23},  // no point: the last d digits are decimals
      {"123E2", 2, true, 123.0},
      {".5", 12, true, 0.5},
      {"-", 12, true, 0.0},
      {"1.0E", 12, false, 0.0},
      {"1.2.3", 12, false, 0.0},
      {"abc", 12, false, 0.0},
      {"E5", 12, false, 0.0},
      {"1.0E+9999999", 12, false, 0.0},
      {"1.0D+400", 12, false, 0.0},
      // An exponent of more digits than any integer holds is unreadable, like one past the range.
      {"E9999999999999999999", 12, false, 0.0},
      {"1.0E9999999999999999999", 12, false, 0.0},
      {"1.0E-99999999999999999999", 12, false, 0.0},
      {"1.0D-400", 12, true, 0.0},  // below the smallest double: zero
      // The exponent's own bounds, +-100000, and an exponent letter after digits without a point.
      {"1.0E-100000", 12, true, 0.0},
      {"1.0E-100001", 12, false, 0.0},
      {"1Q3", 0, true, 1000.0},
  };
  for (const Case& c : kCases) {
    double v = -7.0;
    EXPECT_EQ(read_real_field(c.field, c.d, v), c.ok) << "'" << c.field << "'";
    if (c.ok) {
      EXPECT_DOUBLE_EQ(v, c.value) << "'" << c.field << "'";
    }
  }
  // A NUL byte inside a field (a binary or damaged file) makes it unreadable like any other stray
  // character: it does not end the number.
  using namespace std::string_view_literals;
  for (const std::string_view field : {"0.69\0" "10871245D+03"sv, "1\0"sv, "\0" "5"sv}) {
    double v = -7.0;
    EXPECT_FALSE(read_real_field(field, 12, v)) << field.size();
    long long n = 0;
    EXPECT_FALSE(read_int_field(field, n)) << field.size();
  }
}

TEST(FixedRead, IntegerFields) {
  struct Case {
    const char* field;
    bool ok;
    long long value;
  };
  constexpr Case kCases[] = {
      {"2016", true, 2016},
      {" 02", true, 2},
      {"  ", true, 0},
      {"-12", true, -12},
      {"+7", true, 7},
      {"1 2", true, 12},
      {"1.", false, 0},
      {"x1", false, 0},
      {"12-", false, 0},
      // The ends of the 64-bit range (2^63 - 1 and -2^63) read; one more, or a 20th digit, does
      // not.
      {"9223372036854775807", true, 9223372036854775807LL},
      {"-9223372036854775808", true, -9223372036854775807LL - 1},
      {"9223372036854775808", false, 0},
      {"-9223372036854775809", false, 0},
      {"92233720368547758081", false, 0},
      {"00000000000000000000000042", true, 42},  // leading zeros are no digits too many
  };
  for (const Case& c : kCases) {
    long long v = -7;
    EXPECT_EQ(read_int_field(c.field, v), c.ok) << "'" << c.field << "'";
    if (c.ok) {
      EXPECT_EQ(v, c.value) << "'" << c.field << "'";
    }
  }
}

// Values written as "D20.12", "E24.7" and "%.17E" read back exactly as strtod reads the same text.
TEST(FixedRead, AgreesWithTheCLibraryOnWrittenValues) {
  unsigned long long x = 0x9E3779B97F4A7C15ULL;  // xorshift state: a fixed, repeatable sequence
  auto next = [&x] {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
  };
  const char* const kForms[] = {"%20.12E", "%24.7E", "%.17E", "%.3f", "%.0f."};
  for (int i = 0; i < 20000; ++i) {
    const double mantissa = static_cast<double>(next() % 2000000000000ULL) / 1.0e12 - 1.0;
    const int exponent = static_cast<int>(next() % 61) - 30;
    const double v = mantissa * std::pow(10.0, exponent);
    char text[64];
    std::snprintf(text, sizeof text, kForms[i % 5], v);
    std::string field = text;
    for (char& c : field) {
      if (c == 'E' && i % 2 == 0) c = 'D';
    }
    double got = 0.0;
    ASSERT_TRUE(read_real_field(field, 12, got)) << field;
    std::string c_text = text;
    EXPECT_EQ(got, std::strtod(c_text.c_str(), nullptr)) << field;
  }
}

}  // namespace
}  // namespace kor::util
