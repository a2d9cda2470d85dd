#include "util/fixed_read.h"

#include <gtest/gtest.h>

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
  };
  for (const Case& c : kCases) {
    double v = -7.0;
    EXPECT_EQ(read_real_field(c.field, c.d, v), c.ok) << "'" << c.field << "'";
    if (c.ok) {
      EXPECT_DOUBLE_EQ(v, c.value) << "'" << c.field << "'";
    }
  }
}

TEST(FixedRead, IntegerFields) {
  struct Case {
    const char* field;
    bool ok;
    long long value;
  };
  constexpr Case kCases[] = {{"2016", true, 2016}, {" 02", true, 2}, {"  ", true, 0},
                             {"-12", true, -12},   {"+7", true, 7},  {"1 2", true, 12},
                             {"1.", false, 0},     {"x1", false, 0}, {"12-", false, 0}};
  for (const Case& c : kCases) {
    long long v = -7;
    EXPECT_EQ(read_int_field(c.field, v), c.ok) << "'" << c.field << "'";
    if (c.ok) {
      EXPECT_EQ(v, c.value) << "'" << c.field << "'";
    }
  }
}

}  // namespace
}  // namespace kor::util
