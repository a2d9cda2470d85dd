#include "tracefile/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kor::tracefile {
namespace {

TEST(FieldName, NamesTableAndDataColumns) {
  struct Case {
    int id;
    const char* name;  // nullptr: no name
  };
  constexpr Case kCases[] = {{1, "VRSN#"},   {2, "MODEL"},   {10, "STATS"},  {16, "COUNT"},
                             {24, "DV_08"},  {101, "COUNT"}, {102, "DV_01"}, {109, "DV_08"},
                             {110, "DV_09"}, {200, "DV_99"}, {201, "DV_**"}, {0, nullptr},
                             {-3, nullptr},  {25, nullptr},  {100, nullptr}};
  for (const Case& c : kCases) {
    const auto name = field_name(c.id);
    if (c.name == nullptr) {
      EXPECT_FALSE(name.has_value()) << "ID " << c.id;
    } else {
      ASSERT_TRUE(name.has_value()) << "ID " << c.id;
      EXPECT_EQ(*name, c.name) << "ID " << c.id;
    }
  }
}

std::string bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s.push_back(static_cast<char>(c));
  return s;
}

TEST(PackedValue, DecodesPairsSignsAndExponents) {
  struct Case {
    const char* what;
    std::string seven;
    double value;
  };
  const Case kCases[] = {
      {"all pairs zero", bytes({14, 14, 14, 14, 14, 14, 14}), 0.0},
      {"negative zero pair in first character", bytes({141, 14, 14, 14, 14, 14, 14}), -0.0},
      // 0.12 34 56 78 90 12 x 10^3
      {"positive", bytes({14 + 12, 14 + 34, 14 + 56, 14 + 78, 14 + 90, 14 + 12, 14 + 3}),
       123.456789012},
      {"negative mantissa", bytes({141 + 50, 14, 14, 14, 14, 14, 14 + 1}), -5.0},
      {"negative exponent", bytes({14 + 25, 14, 14, 14, 14, 14, 141 + 2}), 0.0025},
  };
  for (const Case& c : kCases) {
    const auto v = unpack_value(c.seven);
    ASSERT_TRUE(v.has_value()) << c.what;
    EXPECT_DOUBLE_EQ(*v, c.value) << c.what;
    EXPECT_EQ(std::signbit(*v), std::signbit(c.value)) << c.what;
  }
}

TEST(PackedValue, PairsOutsideRangeAreUnreadable) {
  EXPECT_FALSE(unpack_value(bytes({14 + 100, 14, 14, 14, 14, 14, 14})).has_value());
  EXPECT_FALSE(unpack_value(bytes({14, 14, 13, 14, 14, 14, 14})).has_value());
  EXPECT_FALSE(unpack_value(bytes({14, 14, 14, 14, 14, 14, 141 + 100})).has_value());
  EXPECT_FALSE(unpack_value("abc").has_value());
}

TEST(PackedValue, PackAndUnpackRoundTrip) {
  constexpr double kValues[] = {1.0, -1.0, 283.16, 1.0e-30, -4.5e42, 0.1, 9999.99, 1.1e-5};
  for (double v : kValues) {
    const auto packed = pack_value(v);
    ASSERT_TRUE(packed.has_value()) << v;
    ASSERT_EQ(packed->size(), 7u);
    const auto back = unpack_value(*packed);
    ASSERT_TRUE(back.has_value()) << v;
    EXPECT_NEAR(*back, v, std::fabs(v) * 1e-11) << v;
  }
  EXPECT_FALSE(pack_value(1.0e120).has_value());
}

TEST(LabelTime, ReadsYearMonthDayHourMinute) {
  const auto t = read_label_time("201602291200            ");
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->year, 2016);
  EXPECT_EQ(t->month, 2);
  EXPECT_EQ(t->day, 29);
  EXPECT_EQ(t->hour, 12);
  EXPECT_EQ(t->minute, 0);
  EXPECT_FALSE(read_label_time("2016/02/29 1").has_value());
  EXPECT_FALSE(read_label_time("NOVEMBER").has_value());
  // Blank columns read as zero, as under "(I4,4I2)".
  const auto blank_minute = read_label_time("2016022912");
  ASSERT_TRUE(blank_minute.has_value());
  EXPECT_EQ(blank_minute->minute, 0);
}

TEST(LabelTime, TwoDigitYears) {
  struct Case {
    int year;
    int normalised;  // -1: invalid
  };
  constexpr Case kCases[] = {{0, 2000}, {20, 2020},   {21, 1921},   {99, 1999}, {100, -1},
                             {999, -1}, {1000, 1000}, {2016, 2016}, {-1, -1}};
  for (const Case& c : kCases) {
    const auto y = normalise_year(c.year);
    if (c.normalised < 0) {
      EXPECT_FALSE(y.has_value()) << c.year;
    } else {
      ASSERT_TRUE(y.has_value()) << c.year;
      EXPECT_EQ(*y, c.normalised) << c.year;
    }
  }
}

TEST(LabelTime, MinutesBetweenDates) {
  struct Case {
    DateTime a, b;
    long long minutes;
  };
  const Case kCases[] = {
      {{2016, 2, 29, 12, 0}, {2016, 2, 28, 12, 0}, 1440},
      {{2016, 3, 1, 0, 0}, {2016, 2, 28, 0, 0}, 2 * 1440},  // leap year
      {{2015, 3, 1, 0, 0}, {2015, 2, 28, 0, 0}, 1440},
      {{2017, 1, 1, 0, 0}, {2016, 1, 1, 0, 0}, 366 * 1440},
      {{2001, 1, 1, 0, 30}, {2000, 12, 31, 23, 0}, 90},
      {{99, 12, 31, 0, 0}, {2000, 1, 1, 0, 0}, -1440},  // 99 is 1999
      {{2016, 1, 1, 0, 0}, {2016, 1, 2, 6, 0}, -1800},
  };
  for (const Case& c : kCases) {
    const auto m = minutes_between(c.a, c.b);
    ASSERT_TRUE(m.has_value()) << c.a.year << "-" << c.a.month << "-" << c.a.day;
    EXPECT_EQ(*m, c.minutes) << c.a.year << "-" << c.a.month << "-" << c.a.day;
  }
  EXPECT_FALSE(minutes_between({2016, 13, 1, 0, 0}, {2016, 1, 1, 0, 0}).has_value());
  EXPECT_FALSE(minutes_between({2015, 2, 29, 0, 0}, {2015, 1, 1, 0, 0}).has_value());
  EXPECT_FALSE(minutes_between({500, 1, 1, 0, 0}, {2015, 1, 1, 0, 0}).has_value());
}

TEST(LabelTime, AddMinutesCarriesIntoMonthsAndYears) {
  struct Case {
    DateTime ref;
    long long minutes;
    DateTime expected;
  };
  const Case kCases[] = {
      {{2016, 2, 28, 12, 0}, 1440, {2016, 2, 29, 12, 0}},
      {{2015, 2, 28, 12, 0}, 1440, {2015, 3, 1, 12, 0}},
      {{2016, 12, 31, 23, 30}, 45, {2017, 1, 1, 0, 15}},
      {{16, 1, 1, 0, 0}, 366LL * 1440, {2017, 1, 1, 0, 0}},
      {{2026, 11, 7, 12, 0}, 36 * 60, {2026, 11, 9, 0, 0}},
      // 400 years and a day, and a thousand cycles: the calendar repeats every 146097 days.
      {{2016, 2, 28, 6, 0}, (146097LL + 1) * 1440, {2416, 2, 29, 6, 0}},
      {{2026, 3, 1, 0, 0}, (146097000LL + 31) * 1440, {402026, 4, 1, 0, 0}},
  };
  for (const Case& c : kCases) {
    DateTime out;
    ASSERT_EQ(add_minutes(c.ref, c.minutes, out), 0);
    EXPECT_EQ(out.year, c.expected.year);
    EXPECT_EQ(out.month, c.expected.month);
    EXPECT_EQ(out.day, c.expected.day);
    EXPECT_EQ(out.hour, c.expected.hour);
    EXPECT_EQ(out.minute, c.expected.minute);
  }
  DateTime out;
  EXPECT_EQ(add_minutes({500, 1, 1, 0, 0}, 10, out), -7);
  EXPECT_EQ(add_minutes({2016, 0, 1, 0, 0}, 10, out), -8);
  EXPECT_EQ(add_minutes({2015, 2, 29, 0, 0}, 10, out), -9);
  EXPECT_EQ(add_minutes({2026, 1, 1, 0, 0}, 1440LL * 146097 * 2500, out), -7);  // past 999999
}

}  // namespace
}  // namespace kor::tracefile
