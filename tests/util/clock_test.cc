#include "util/clock.h"

#include <gtest/gtest.h>

#include "scratch.h"
#include "tests/support/text_shape.h"

namespace kor::util {
namespace {

TEST(ClockTime, UniversalTimeFields) {
  struct Case {
    std::time_t when;
    int year, month, day, hour, minute, second, doy;
    const char* text;
  };
  // 2000-01-01 00:00:00 UTC is 946684800 s; 2000-02-29 is 59 days later (31 + 28); 2017-12-31 is
  // 6574 days after 2000-01-01 (18 years, 5 of them leap years: 18 * 365 + 5 = 6575 days to
  // 2018-01-01, one less to 2017-12-31).
  constexpr Case kCases[] = {
      {0, 1970, 1, 1, 0, 0, 0, 1, "700101/0000"},
      {946684800 + 59 * 86400 + 13 * 3600 + 5 * 60 + 7, 2000, 2, 29, 13, 5, 7, 60, "000229/1305"},
      {946684800 + 6574 * 86400 + 23 * 3600 + 59 * 60 + 59, 2017, 12, 31, 23, 59, 59, 365,
       "171231/2359"},
  };
  for (const Case& c : kCases) {
    ClockTime t;
    ASSERT_EQ(clock_time(c.when, true, t), 0) << c.when;
    EXPECT_EQ(t.year, c.year) << c.when;
    EXPECT_EQ(t.month, c.month) << c.when;
    EXPECT_EQ(t.day, c.day) << c.when;
    EXPECT_EQ(t.hour, c.hour) << c.when;
    EXPECT_EQ(t.minute, c.minute) << c.when;
    EXPECT_EQ(t.second, c.second) << c.when;
    EXPECT_EQ(t.day_of_year, c.doy) << c.when;
    EXPECT_EQ(t.zone, "GMT") << c.when;
    EXPECT_EQ(clock_text(t), c.text) << c.when;
  }
}

TEST(ClockTime, LocalZoneAbbreviationHasThreeCharacters) {
  struct ZoneReset {
    ~ZoneReset() { tzset(); }  // runs after the guard below has restored TZ
  } zone_reset;
  kor::testing::EnvGuard env;
  env.set("TZ", "EST5");
  tzset();
  ClockTime t;
  ASSERT_EQ(clock_time(946684800, false, t), 0);
  EXPECT_EQ(t.zone, "EST");
  EXPECT_EQ(t.year, 1999);  // five hours west of universal time
  EXPECT_EQ(t.hour, 19);
  env.set("TZ", "UTC0");
  tzset();
  ASSERT_EQ(CLK_NOW(false, t), 0);
  EXPECT_EQ(t.zone, "UTC");
  ASSERT_EQ(CLK_NOW(true, t), 0);
  EXPECT_EQ(t.zone, "GMT");
}

TEST(ClockText, CurrentTimeHasTheFixedLayout) {
  EXPECT_TRUE(testing_support::has_shape(CLK_TEXT(), "######/####")) << CLK_TEXT();
  EXPECT_FALSE(testing_support::has_shape("123456/12a4", "######/####"));
  EXPECT_FALSE(testing_support::has_shape("123456/12345", "######/####"));
}

}  // namespace
}  // namespace kor::util
