#include "plot/axes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kor::plot {
namespace {

std::vector<double> labels_of(const AxisState& a) {
  return std::vector<double>(a.labels.begin(), a.labels.begin() + a.label_count);
}

void expect_near_all(const std::vector<double>& got, const std::vector<double>& want,
                     const char* name) {
  ASSERT_EQ(got.size(), want.size()) << name;
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << name << i;
}

TEST(XAxis, LabelPositionsFromTheIncrementItem) {
  struct Case {
    const char* name;
    const char* xax;
    std::vector<double> labels;
  };
  const Case kCases[] = {
      {"positive increment runs to the stop", "0/10/2", {0, 2, 4, 6, 8, 10}},
      {"negative increment starts at the start", "0/10/-3", {0, 3, 6, 9}},
      {"zero increment gives start and stop", "0/10/0", {0, 10}},
      {"several values are the positions", "0/10/1;5;7", {1, 5, 7}},
      {"start above stop negates the increment", "10/0/2", {10, 8, 6, 4, 2, 0}},
      {"first label is a multiple of the increment", "3/10/4", {0, 4, 8}},
      {"nice increment of a 0 to 100 range", "0/100", {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
      {"nice increment of a 0 to 0.35 range",
       "0/0.35",
       {0, 0.04, 0.08, 0.12, 0.16, 0.2, 0.24, 0.28, 0.32}},
  };
  for (const Case& c : kCases) {
    PlotLayout s;
    s.x.data_min = 0.0;
    s.x.data_max = 1.0;
    // A skill-score axis: a time series picks its own increments (whole hours or days).
    ASSERT_EQ(x_axis_from_xax(s.x, c.xax, MergedAxis{}, 3), 0) << c.name;
    expect_near_all(labels_of(s.x), c.labels, c.name);
  }
}

TEST(XAxis, TinyLabelBecomesZero) {
  PlotLayout s;
  ASSERT_EQ(x_axis_from_xax(s.x, "1.0E-8/0.35/-0.1", MergedAxis{}, 1), 0);
  ASSERT_EQ(s.x.label_count, 4);
  EXPECT_EQ(s.x.labels[0], 0.0);
  EXPECT_NEAR(s.x.labels[3], 0.3, 1e-7);
}

TEST(XAxis, DefaultRangeFromTheData) {
  struct Case {
    const char* name;
    double lo, hi;
    int final_type;
    double start, stop;
  };
  // A single value v is first widened by 0.5 * 10**trunc(log10|v| - 1), then 3.75 % of the range
  // goes on each side (none for a histogram).
  constexpr Case kCases[] = {
      {"value 5 widens to 4.5..5.5", 5, 5, 1, 4.5 - 0.0375, 5.5 + 0.0375},
      {"value 500 widens to 495..505", 500, 500, 1, 495 - 0.375, 505 + 0.375},
      {"value 0.5 widens to 0.45..0.55", 0.5, 0.5, 1, 0.45 - 0.00375, 0.55 + 0.00375},
      {"value 0 widens to -0.5..0.5", 0, 0, 1, -0.5 - 0.0375, 0.5 + 0.0375},
      {"range 0..100 gets 3.75 on each side", 0, 100, 1, -3.75, 103.75},
      {"histogram bins of 0.4 centred from 2 to 6", 2, 6, 5, 1.8, 6.2},
      {"no data at all", 1e30, -1e30, 1, -0.0375, 1.0375},
      // Single precision leaves a constant score differing in its last bits: one value still.
      {"-0.6 in its last bits widens to -0.65..-0.55", -0.6000001, -0.5999999, 1, -0.65 - 0.00375,
       -0.55 + 0.00375},
  };
  for (const Case& c : kCases) {
    PlotLayout s;
    s.x.data_min = c.lo;
    s.x.data_max = c.hi;
    ASSERT_EQ(x_axis_from_xax(s.x, "", MergedAxis{}, c.final_type), 0) << c.name;
    EXPECT_NEAR(s.x.start, c.start, 1e-9) << c.name;
    EXPECT_NEAR(s.x.stop, c.stop, 1e-9) << c.name;
  }
}

TEST(XAxis, HistogramBinsHoldEveryValueInsideTheAxis) {
  // Without XAX the bins are centred on multiples of the nice increment and the axis runs from
  // the first bin's left edge to the last bin's right edge.
  struct Case {
    const char* name;
    double lo, hi;
    const char* xax;
    double start, stop, first_label;
  };
  constexpr Case kCases[] = {
      {"values between -4 and -2", -3.99929, -2.00251, "", -4.1, -1.9, -4.0},
      {"a month of daily biases", 1.05021, 1.14994, "", 1.045, 1.155, 1.05},
      {"an increment given alone", 0.3, 2.2, "//0.5", 0.25, 2.25, 0.5},
      {"a given range stays", 0.3, 2.2, "0/3/1", 0, 3, 0},
  };
  for (const Case& c : kCases) {
    PlotLayout s;
    s.x.data_min = c.lo;
    s.x.data_max = c.hi;
    ASSERT_EQ(x_axis_from_xax(s.x, c.xax, MergedAxis{}, 5), 0) << c.name;
    EXPECT_NEAR(s.x.start, c.start, 1e-9) << c.name;
    EXPECT_NEAR(s.x.stop, c.stop, 1e-9) << c.name;
    EXPECT_NEAR(s.x.labels[0], c.first_label, 1e-9) << c.name;
  }
}

TEST(YAxis, LogarithmicAxisLabelsItsDecades) {
  struct Case {
    const char* name;
    double lo, hi, positive;
    const char* yax;
    double start, stop;
    std::vector<double> labels;
  };
  const Case kCases[] = {
      {"five decades from the data", 1, 1e5, 1, "", 1, 1e5, {1, 10, 100, 1e3, 1e4, 1e5}},
      {"a range given, its increment ignored",
       3,
       9e4,
       3,
       "1/100000/10",
       1,
       1e5,
       {1, 10, 100, 1e3, 1e4, 1e5}},
      {"within one decade: 1, 2 and 5", 2, 8, 2, "", 1, 10, {1, 2, 5, 10}},
      {"data reaching 0 start at the smallest positive",
       -1,
       450,
       0.3,
       "",
       0.1,
       1000,
       {0.1, 1, 10, 100, 1000}},
      {"no positive data", -5, -1, 0, "", 1, 10, {1, 2, 5, 10}},
      {"a non-positive start given is not taken",
       5,
       50,
       5,
       "0/100",
       1,
       100,
       {1, 2, 5, 10, 20, 50, 100}},
  };
  for (const Case& c : kCases) {
    AxisState a;
    a.data_min = c.lo;
    a.data_max = c.hi;
    a.positive_min = c.positive;
    log_axis(a, c.yax);
    EXPECT_NEAR(a.start, c.start, 1e-9 * c.start) << c.name;
    EXPECT_NEAR(a.stop, c.stop, 1e-9 * c.stop) << c.name;
    ASSERT_EQ(labels_of(a).size(), c.labels.size()) << c.name;
    for (std::size_t i = 0; i < c.labels.size(); ++i) {
      EXPECT_NEAR(a.labels[i], c.labels[i], 1e-9 * c.labels[i]) << c.name << i;
    }
  }
}

TEST(XAxis, TimeSeriesLabelsAtWholeHoursOrDays) {
  struct Case {
    const char* name;
    double lo, hi;
    double increment;  // days between labels
  };
  constexpr Case kCases[] = {
      {"a week: every day, not every 0.6 days", 0, 6, 1},
      {"a month: every 3 days", 0, 29, 3},
      {"one point: every 3 hours", 0, 0, 0.125},
      {"two days: every 6 hours", 0, 2, 0.25},
  };
  for (const Case& c : kCases) {
    PlotLayout s;
    s.x.data_min = c.lo;
    s.x.data_max = c.hi;
    ASSERT_EQ(x_axis_from_xax(s.x, "", MergedAxis{}, 1), 0) << c.name;
    ASSERT_GE(s.x.label_count, 2) << c.name;
    EXPECT_NEAR(s.x.labels[1] - s.x.labels[0], c.increment, 1e-12) << c.name;
    EXPECT_LE(s.x.labels[0], c.lo) << c.name;
  }
}

TEST(XAxis, FrequenciesAndTimeUnit) {
  struct Case {
    const char* name;
    const char* xax;
    int label_freq, grid_freq, tick_freq, minor;
    char unit;
    int time_inc;
  };
  constexpr Case kCases[] = {
      {"defaults", "", 1, 0, 1, 0, 'D', 1},
      {"all three given", "0/10/2/2;3;4", 2, 3, 4, 0, 'D', 2},
      {"negative tick is a minor period", "0/10/1M/1;1;-4", 1, 1, 1, 4, 'M', 1},
      {"the most negative tick is the longest period", "0/10/1M/1;1;-2147483648", 1, 1, 1,
       2147483647, 'M', 1},
      {"negative label and grid are absent", "///-2;-3", 1, 0, 1, 0, 'D', 1},
      {"unit letter first means 1", "0/400/y", 1, 0, 1, 0, 'Y', 1},
      {"days with a number", "0/10/3d", 1, 0, 1, 0, 'D', 3},
      {"year outranks month", "0/10/2MY", 1, 0, 1, 0, 'Y', 1},
      {"nearest integer of the first value", "0/10/-2.6", 1, 0, 1, 0, 'D', 3},
  };
  for (const Case& c : kCases) {
    PlotLayout s;
    s.x.data_min = 0;
    s.x.data_max = 10;
    ASSERT_EQ(x_axis_from_xax(s.x, c.xax, MergedAxis{}, 1), 0) << c.name;
    EXPECT_EQ(s.x.label_freq, c.label_freq) << c.name;
    EXPECT_EQ(s.x.grid_freq, c.grid_freq) << c.name;
    EXPECT_EQ(s.x.tick_freq, c.tick_freq) << c.name;
    EXPECT_EQ(s.x.minor_period, c.minor) << c.name;
    EXPECT_EQ(s.x.time_unit, c.unit) << c.name;
    EXPECT_EQ(s.x.time_inc, c.time_inc) << c.name;
  }
}

MergedAxis two_days() {
  MergedAxis m;
  m.count = 3;
  m.position = {0.0, 0.5, 1.0};
  m.label = {"201602280000", "201602281200", "201602290000"};
  m.tag = {1, 2, 3};
  return m;
}

TEST(XAxis, TimeRangeForm) {
  struct Case {
    const char* name;
    const char* xax;
    int code;
    double start, stop;
  };
  constexpr Case kCases[] = {
      {"both ends on labels", "2016022812:2016022900", 0, 0.5, 1.0},
      {"hours past a label", "2016022806:2016022918", 0, 0.25, 1.75},
      {"before the first label", "2016022700:2016022800", 0, -1.0, 0.0},
      {"nine characters", "201602281:2016022900", -19, 0, 0},
      {"not a date", "2016XX2812:2016022900", -19, 0, 0},
      {"one end only", "2016022812:", -19, 0, 0},
  };
  for (const Case& c : kCases) {
    PlotLayout s;
    s.x.start = 42.0;
    ASSERT_EQ(x_axis_from_xax(s.x, c.xax, two_days(), 1), c.code) << c.name;
    if (c.code != 0) {
      EXPECT_EQ(s.x.start, 42.0) << c.name;
      continue;
    }
    EXPECT_NEAR(s.x.start, c.start, 1e-12) << c.name;
    EXPECT_NEAR(s.x.stop, c.stop, 1e-12) << c.name;
  }
}

TEST(YAxis, IncrementAndIntervalsForm) {
  struct Case {
    const char* name;
    const char* yax;
    int final_type;
    std::vector<double> labels;
    double start, stop;
  };
  const Case kCases[] = {
      // 1 / 10**round(log10(1*4/100)) = 10; 100/10 > 4, so 10 * (int(100/40) + 1) = 30.
      {"increment with four intervals", "0/100/1:4", 1, {0, 30, 60, 90}, 0, 100},
      // r = 100/4 = 25, divided twice by 4 is 1.5625, rounds to 2, times 4**2 = 32.
      {"nice increment over four intervals", "0/100/:4", 1, {0, 32, 64, 96}, 0, 100},
      {"skill score raises the stop by 5 %", "0/100/25", 3, {0, 25, 50, 75, 100}, 0, 105},
      {"histogram starts at zero", "2/10/2", 5, {2, 4, 6, 8, 10}, 0, 10},
  };
  for (const Case& c : kCases) {
    PlotLayout s;
    ASSERT_EQ(y_axis_from_yax(s.y, c.yax, c.final_type), 0) << c.name;
    expect_near_all(labels_of(s.y), c.labels, c.name);
    EXPECT_NEAR(s.y.start, c.start, 1e-9) << c.name;
    EXPECT_NEAR(s.y.stop, c.stop, 1e-9) << c.name;
  }
}

TEST(YAxis, DefaultsAndRightAxis) {
  PlotLayout s;
  s.y.data_min = 0.0;
  s.y.data_max = 1.0;
  s.y.label_freq = 7;
  ASSERT_EQ(y_axis_from_yax(s.y, "///-1;-1;-1", 3), 0);
  EXPECT_NEAR(s.y.start, -0.0375, 1e-12);
  EXPECT_NEAR(s.y.stop, 1.0375 + 0.05 * 1.075, 1e-12);
  EXPECT_EQ(s.y.label_freq, 1);
  EXPECT_EQ(s.y.grid_freq, 0);
  EXPECT_EQ(s.y.tick_freq, 1);

  // The right axis has no ":" form: the item does not read as a number, so the nice increment of
  // 0..100 (10) is used.
  s.ry.data_min = 0.0;
  s.ry.data_max = 100.0;
  ASSERT_EQ(ry_axis_from_rya(s.ry, "0/100/1:4", 1), 0);
  EXPECT_EQ(s.ry.label_count, 11);
  EXPECT_NEAR(s.ry.labels[1], 10.0, 1e-12);
}

TEST(AxisLabel, TextAndLine) {
  struct Case {
    const char* value;
    const char* text;
    int line;
  };
  // Only a number (or nothing) after the last slash is the line; any other slash is text.
  constexpr Case kCases[] = {
      {"SCORE/2", "SCORE", 2},
      {"SCORE", "SCORE", 1},
      {"  A/B/x", "A/B/x", 1},
      {"A/B/3", "A/B", 3},
      {"T/-1", "T", 1},
      {"/3", "", 3},
      {"HEIGHT (M)/0", "HEIGHT (M)", 1},
      {"SCORE/", "SCORE", 1},
      {"Bias (mg/kg)", "Bias (mg/kg)", 1},
      {"Wind speed m/s", "Wind speed m/s", 1},
      {"Bias (mg/kg)/2", "Bias (mg/kg)", 2},
  };
  for (const Case& c : kCases) {
    std::string text;
    int line = 0;
    EXPECT_FALSE(parse_axis_label(c.value, text, line)) << c.value;
    EXPECT_EQ(text, c.text) << c.value;
    EXPECT_EQ(line, c.line) << c.value;
  }
  // A title past 80 characters is cut, and says so.
  std::string text;
  int line = 0;
  EXPECT_TRUE(parse_axis_label(std::string(81, 'A') + "/2", text, line));
  EXPECT_EQ(text, std::string(80, 'A'));
  EXPECT_EQ(line, 2);
  EXPECT_FALSE(parse_axis_label(std::string(80, 'A') + "   ", text, line));
}

TEST(MergeAbscissas, LeadingAndTrailingPointsOnly) {
  MergedAxis m;
  ASSERT_EQ(PLT_XLBS(2048, 3, {2, 3, 4}, {"b", "c", "d"}, {2, 3, 4}, m), 0);
  ASSERT_EQ(m.count, 3);
  ASSERT_EQ(PLT_XLBS(2048, 5, {0, 1, 2.5, 5, 6}, {"y", "z", "q", "e", "f"}, {0, 1, 9, 5, 6}, m), 0);
  ASSERT_EQ(m.count, 7);
  EXPECT_EQ(m.position, (std::vector<double>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(m.label, (std::vector<std::string>{"y", "z", "b", "c", "d", "e", "f"}));
  EXPECT_EQ(m.tag, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

  // One more than the capacity leaves the list as it was.
  ASSERT_EQ(PLT_XLBS(8, 2, {7, 8}, {"g", "h"}, {7, 8}, m), 1);
  EXPECT_EQ(m.count, 7);
  // Arrays shorter than the point count are refused.
  ASSERT_EQ(PLT_XLBS(2048, 4, {7, 8}, {"g", "h"}, {7, 8}, m), 1);
  EXPECT_EQ(m.count, 7);
}

TEST(TimeLabels, ShorteningAgainstThePreviousLabel) {
  struct Case {
    const char* name;
    std::vector<LabelTime> times;
    int frequency;
    bool minutes;
    std::vector<std::string> text;
  };
  const Case kCases[] = {
      {"day and hour change",
       {{2016, 2, 28, 12, 0}, {2016, 2, 29, 0, 0}, {2016, 2, 29, 12, 0}},
       1,
       false,
       {"160228/12", "29/00", "/12"}},
      {"a repeat is written while its run is below the frequency",
       {{2016, 2, 28, 12, 0}, {2016, 2, 29, 0, 0}, {2016, 2, 29, 12, 0}},
       2,
       false,
       {"160228/12", "160229/00", "29/12"}},
      {"minutes carry the hour in front",
       {{2016, 2, 28, 12, 0}, {2016, 2, 28, 12, 30}, {2016, 2, 28, 13, 30}},
       1,
       true,
       {"160228/1200", "/1230", "/13"}},
      {"new year writes month and day",
       {{2016, 12, 31, 0, 0}, {2017, 12, 31, 0, 0}},
       1,
       false,
       {"161231/00", "171231/"}},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(shorten_time_labels(c.times, c.frequency, c.minutes), c.text) << c.name;
  }
}

TEST(TimeLabels, DayAxisWithAndWithoutPositions) {
  PlotLayout s;
  // Positions between points take the last point not after them plus the minutes past it.
  s.x.label_count = 3;
  s.x.labels[0] = -0.5;  // before the first point: counted back from it
  s.x.labels[1] = 0.25;
  s.x.labels[2] = 1.0;
  TimeLabels out;
  ASSERT_EQ(time_labels(s.x, two_days(), out), 0);
  EXPECT_EQ(out.text, (std::vector<std::string>{"160227/12", "28/06", "29/00"}));
  EXPECT_EQ(out.position, (std::vector<double>{-0.5, 0.25, 1.0}));

  s.x.label_count = 0;
  ASSERT_EQ(time_labels(s.x, two_days(), out), 0);
  EXPECT_EQ(out.text, (std::vector<std::string>{"160228/00", "/12", "29/00"}));
}

TEST(TimeLabels, MonthAxisWalksTheDays) {
  PlotLayout s;
  MergedAxis m;
  m.count = 2;
  m.position = {0.0, 70.0};
  m.label = {"201601310600", "201604100600"};
  m.tag = {1, 2};
  s.x.time_unit = 'M';
  s.x.time_inc = 1;
  s.x.minor_period = 15;
  s.x.start = 0.0;
  s.x.stop = 70.0;
  TimeLabels out;
  // 06:00 is not the start of a day: +9, and the walk starts at 1 February 00:00 (0.75 days).
  ASSERT_EQ(time_labels(s.x, m, out), 9);
  // A new month writes the day too, even when the day number repeats.
  EXPECT_EQ(out.text, (std::vector<std::string>{"160201/00", "0301/", "0401/"}));
  // 1 February is 0.75, 1 March 0.75 + 29, 1 April 0.75 + 29 + 31.
  EXPECT_EQ(out.position, (std::vector<double>{0.75, 29.75, 60.75}));
  // Minor ticks on days 15 and 30 of each month.
  EXPECT_EQ(out.minor_ticks, (std::vector<double>{14.75, 43.75, 58.75}));

  m.label[0] = "2016XX310600";
  EXPECT_EQ(time_labels(s.x, m, out), -19);
}

TEST(CategoryLabels, NumericLabelsTakeTheDecimalsTheSpacingNeeds) {
  struct Case {
    const char* name;
    std::vector<double> values;
    std::vector<std::string> text;
  };
  const Case kCases[] = {
      {"one decimal", {0.5, 1.0, 1.5}, {"0.5", "1.0", "1.5"}},
      {"no decimals", {10, 20, 30}, {"10.", "20.", "30."}},
      {"two decimals and a sign", {-0.05, 0.0, 0.05, 0.1}, {"-0.05", "0.00", "0.05", "0.10"}},
      {"spacing too small for F", {0, 1e-7, 2e-7}, {"0.0000E+00", "1.0000E-07", "2.0000E-07"}},
      {"thresholds keep the digits that tell them apart",
       {0.254, 2.54, 6.35, 12.7, 25.4},
       {"0.254", "2.54", "6.35", "12.7", "25.4"}},
  };
  for (const Case& c : kCases) {
    PlotSettings s;
    MergedAxis m;
    m.count = static_cast<int>(c.values.size());
    m.label.assign(c.values.size(), "");
    EXPECT_EQ(category_label_texts(s, 3, 'r', m, c.values, m.count), c.text) << c.name;
  }
}

TEST(CategoryLabels, UserAndMergedLabels) {
  PlotSettings s;
  MergedAxis m;
  m.count = 3;
  m.label = {"> 0.1 ", " >0.5", "ALL"};
  EXPECT_EQ(category_label_texts(s, 3, 'c', m, {}, 3),
            (std::vector<std::string>{">0.1", ">0.5", "ALL"}));
  s.user_xlabel_count = 2;
  s.user_xlabels[0] = "LOW";
  s.user_xlabels[1] = "HIGH";
  EXPECT_EQ(category_label_texts(s, 3, 'c', m, {}, 3), (std::vector<std::string>{"LOW", "HIGH"}));
  EXPECT_EQ(category_label_texts(s, 4, 'r', m, {1, 2, 3}, 1), (std::vector<std::string>{"LOW"}));
}

TEST(BinCounts, RowTexts) {
  struct Case {
    double count;
    bool few;
    const char* text;
  };
  constexpr Case kCases[] = {
      {123456, false, "12E04"}, {123456, true, " 123456"}, {99999.4, false, "  99999"},
      {-3, false, "MSSNG"},     {-9999, true, "MSSNG"},    {-0.4, false, "      0"},
      {1000000, true, "10E05"}, {999999, false, "10E05"},  {9.96e9, false, "10E09"},
  };
  for (const Case& c : kCases) EXPECT_EQ(bin_count_text(c.count, c.few), c.text) << c.count;
  EXPECT_EQ(check_bin_counts(3, 3), 0);
  EXPECT_EQ(check_bin_counts(2, 3), -17);
}

}  // namespace
}  // namespace kor::plot
