// The confidence level of CIL, the intervals the driver works out from it, and the text that
// replaces "$AUC" in a ROC diagram's legend and dump.
#include "plot/diagram_results.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kor::plot {
namespace {

TEST(DiagramResults, ConfidenceLevelAndItsPercentage) {
  struct Case {
    double value;
    double level;  // 0: none
    const char* percent;
  };
  constexpr Case kCases[] = {
      {0.95, 0.95, "95"}, {95, 0.95, "95"}, {99.5, 0.995, "99.5"}, {0.683, 0.683, "68.3"},
      {1, 0, ""},         {0, 0, ""},       {100, 0, ""},          {-5, 0, ""},
  };
  for (const Case& c : kCases) {
    const auto level = confidence_level(c.value);
    EXPECT_EQ(level.has_value(), c.level > 0) << c.value;
    if (!level) continue;
    EXPECT_DOUBLE_EQ(*level, c.level) << c.value;
    EXPECT_EQ(level_percent(*level), c.percent) << c.value;
  }
  EXPECT_FALSE(confidence_level(std::numeric_limits<double>::quiet_NaN()));
}

TEST(DiagramResults, AucTextAndItsToken) {
  // An area of 1/2 from 20 events and 80 non-events: standard error sqrt(101 / 19200) = 0.0725
  // (the Mann-Whitney null deviation), 95 % interval 0.5 -/+ 1.96 x 0.0725.
  RocSummary roc;
  roc.area = 0.5;
  roc.events = 20;
  roc.non_events = 80;
  roc_confidence(roc, 0.95);
  EXPECT_EQ(substitute_auc("Chance $AUC; again $AUC", roc, 0.95),
            "Chance 0.5000 (SE 0.0725, 95% CI 0.3578-0.6422); again 0.5000 (SE 0.0725, 95% CI "
            "0.3578-0.6422)");
  // An area near 1 keeps its interval within 0..1.
  roc.area = 0.999;
  roc_confidence(roc, 0.99);
  EXPECT_DOUBLE_EQ(roc.interval->upper, 1.0);
  // Without a level there is no interval, and the token takes the area alone; without an area
  // (not a ROC code) the token stays; without events there is no standard error.
  roc.area = 0.8712;
  roc_confidence(roc, 0);
  EXPECT_FALSE(roc.standard_error);
  EXPECT_EQ(substitute_auc("AUC=$AUC", roc, 0), "AUC=0.8712");
  EXPECT_EQ(substitute_auc("AUC=$AUC", RocSummary{}, 0.95), "AUC=$AUC");
  RocSummary none;
  none.area = 0.7;
  roc_confidence(none, 0.95);
  EXPECT_EQ(auc_text(none, 0.95), "0.7000");
}

TEST(DiagramResults, WilsonIntervalsOfTheBins) {
  // Newcombe's 81 events in 263 (0.2553-0.3662) and an empty bin.
  std::vector<ReliabilityBin> bins(2);
  bins[0].forecasts = 263;
  bins[0].events = 81;
  reliability_confidence(bins, 0.95);
  ASSERT_TRUE(bins[0].interval);
  EXPECT_NEAR(bins[0].interval->lower, 0.2553, 5e-5);
  EXPECT_NEAR(bins[0].interval->upper, 0.3662, 5e-5);
  EXPECT_NEAR(bins[0].frequency(), 81.0 / 263, 1e-15);
  EXPECT_FALSE(bins[1].interval);
  reliability_confidence(bins, 0);
  EXPECT_FALSE(bins[0].interval);
}

}  // namespace
}  // namespace kor::plot
