// Diagram data: probability merging, attribute diagram, CRPS calibration, differences and ranks.
#include "resample/diagrams.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace kor::resample {
namespace {

constexpr float kM = -9999.0f;

void set(PlotTraces& t, int trace, const std::vector<float>& x, const std::vector<float>& y) {
  for (std::size_t i = 0; i < x.size(); ++i) t.X(trace, static_cast<int>(i)) = x[i];
  for (std::size_t i = 0; i < y.size(); ++i) t.Y(trace, static_cast<int>(i)) = y[i];
  t.count[trace] = static_cast<int>(std::max(x.size(), y.size()));
}

TEST(ProbMerge, Lists) {
  struct Case {
    const char* name;
    std::vector<std::vector<float>> lists;
    int capacity;
    int rc;
    std::vector<float> merged;
  };
  const Case kCases[] = {
      {"two lists", {{0, .1f, .2f}, {0, .15f, .2f}}, 64, 0, {0, .1f, .15f, .2f}},
      {"within 5e-5 counts once", {{0, .5f}, {0.00004f, .5f}}, 64, 0, {0, .5f}},
      {"one trace is copied as it is", {{.3f, .1f}}, 64, 0, {.3f, .1f}},
      {"falling list", {{0, .2f, .1f}, {0, .1f}}, 64, -36, {}},
      {"no points", {{}, {}}, 64, -35, {}},
      {"beyond the capacity", {{0, .1f, .2f}, {.05f, .15f}}, 4, -37, {}},
  };
  for (const Case& c : kCases) {
    PlotTraces t(16);
    for (std::size_t j = 0; j < c.lists.size(); ++j) set(t, static_cast<int>(j), c.lists[j], {});
    std::vector<float> merged = {99};
    const int rc = PROB_MERGE(c.capacity, static_cast<int>(c.lists.size()), t, {}, merged);
    EXPECT_EQ(rc, c.rc) << c.name;
    if (rc == 0) {
      EXPECT_EQ(merged, c.merged) << c.name;
    }
  }
}

TEST(AttrData, TwoTracesOnAMergedList) {
  PlotTraces t(16);
  // Field 1 = 1; forecast fractions of categories 2, 3 are .3, .2 (category 1 .5); event
  // fractions .05, .06, .1.
  const std::vector<float> y = {0, .3f, .2f, .05f, .06f, .1f};
  set(t, 0, {0, .1f, .2f, 0, 0, 0}, y);
  set(t, 1, {0, .15f, .2f, 0, 0, 0}, y);
  DiagramOutput out;
  ASSERT_EQ(ATTR_DATA(2, 24, t, out), 0);
  EXPECT_EQ(out.merged, (std::vector<float>{0, .1f, .15f, .2f}));
  EXPECT_EQ(out.count, 4);
  EXPECT_NEAR(out.spacing, 0.05f, 1e-6);
  // Brier .5 (.1) + .3 (.01 - .04 + .2) + .2 (.04 - .2 + .5) = .169; climate frequency .21.
  EXPECT_NEAR(out.scores[0][0], 0.169, 1e-6);
  EXPECT_NEAR(out.scores[0][5], 0.21, 1e-6);
  EXPECT_EQ(out.scores[2], out.scores[0]);
  // Frequencies of trace 1 (new trace 3): .1, .2, none at .15, .5; trace 2 (new trace 4): .1, no
  // category at .1, .2, .5.
  const float f1[] = {.1f, .2f, 0, .5f}, f2[] = {.1f, 0, .2f, .5f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(t.Y(2, i), f1[i], 1e-6) << i;
    EXPECT_NEAR(t.Y(3, i), f2[i], 1e-6) << i;
    EXPECT_EQ(t.X(2, i), out.merged[i]);
  }
  EXPECT_EQ(t.count[0], 3);
  EXPECT_EQ(t.count[1], 3);
  EXPECT_EQ(t.count[2], 4);
  EXPECT_EQ(t.count[3], 4);
}

TEST(AttrData, Refusals) {
  PlotTraces odd(16);
  set(odd, 0, {0, .1f, .2f, 0, 0}, {0, .3f, .2f, .05f, .06f});
  DiagramOutput out;
  EXPECT_EQ(ATTR_DATA(1, 24, odd, out), -33);
  EXPECT_EQ(ATTR_DATA(13, 24, odd, out), -32);
  PlotTraces falling(16);
  set(falling, 0, {0, .2f, .1f, 0, 0, 0}, {0, .3f, .2f, .05f, .06f, .1f});
  set(falling, 1, {0, .1f, .2f, 0, 0, 0}, {0, .3f, .2f, .05f, .06f, .1f});
  EXPECT_EQ(ATTR_DATA(2, 24, falling, out), -46);
}

TEST(CrpsData, CalibrationBinsAndScores) {
  PlotTraces t(16);
  // Ten fields, three bins: pairs (F2, F5), (F3, F6), (F4, F7); calibration .3, .7; U = .3.
  const std::vector<float> y = {0, .2f, .3f, .1f, .1f, .1f, .1f, .05f, .05f, .3f};
  set(t, 0, {0, .3f, .7f, 0, 0, 0, 0, 0, 0, 0}, y);
  set(t, 1, {0, .3f, .6f, 0, 0, 0, 0, 0, 0, 0}, y);
  DiagramOutput out;
  std::ostringstream os;
  ASSERT_EQ(CRPS_DATA(2, 24, t, out, os), 0);
  EXPECT_EQ(os.str(),
            "  WARNING --  CRPS traces have differing calibrations.\n  Calibration of first trace "
            "used.\n");
  EXPECT_EQ(out.count, 3);
  const float x[] = {0, .5f, .85f}, yy[] = {.1f / .3f, .25f, .5f};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(t.X(0, i), x[i], 1e-6) << i;
    EXPECT_NEAR(t.Y(0, i), yy[i], 1e-6) << i;
    EXPECT_NEAR(t.Y(1, i), yy[i], 1e-6) << i;
  }
  // Skill against uncertainty is (U - mean CRPS) / U; uncertainty is U; resolution U - potential.
  EXPECT_NEAR(out.scores[0][1], (0.3 - out.scores[0][0]) / 0.3, 1e-5);
  EXPECT_NEAR(out.scores[0][4], 0.3, 1e-6);
  EXPECT_NEAR(out.scores[0][3], 0.3 - out.scores[0][5], 1e-6);
  EXPECT_NEAR(out.spacing, 0.35f, 1e-6);

  PlotTraces differ(16);
  set(differ, 0, {}, y);
  set(differ, 1, {}, {0, 1, 1, 1, 1, 1, 1, 1});
  EXPECT_EQ(CRPS_DATA(2, 24, differ, out, os), -50);
}

TEST(TraceDiff, Modes) {
  struct Case {
    const char* name;
    int mode;
    float perfect;
    std::vector<float> expect;
  };
  // First trace 2, 0, 4, M; second trace 3, 1, 4, 5.
  const Case kCases[] = {
      {"plain", 1, kM, {1, 1, 0, kM}},
      {"percent, first trace 0 is missing", 2, kM, {50, kM, 0, kM}},
      {"skill against 1", 3, 1, {-1, 1, 0, kM}},
      {"skill without a perfect value", 3, kM, {kM, kM, kM, kM}},
  };
  for (const Case& c : kCases) {
    PlotTraces t(8);
    set(t, 0, {}, {2, 0, 4, kM});
    set(t, 1, {}, {3, 1, 4, 5});
    float lo = 0, hi = 0;
    ASSERT_EQ(TRACE_DIFF(c.mode, c.perfect, 1, t, lo, hi), 0) << c.name;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(t.Y(0, i), c.expect[i]) << c.name << " " << i;
  }
  PlotTraces t(8);
  set(t, 0, {}, {1, 2});
  set(t, 1, {}, {1, 2, 3});
  float lo, hi;
  EXPECT_EQ(TRACE_DIFF(1, kM, 1, t, lo, hi), -21);
}

TEST(RankData, RanksAndRefusals) {
  PlotTraces t(8);
  set(t, 0, {}, {5, 1, 5, 2});
  set(t, 1, {}, {3, 2, kM, 2});
  set(t, 2, {}, {7, 3, 1, 2});
  std::ostringstream os;
  ASSERT_EQ(RANK_DATA(3, t, os), 0);
  // 3 traces minus the others not above the first: 3 - 1, 3 - 0, missing, 3 - 2.
  EXPECT_EQ(t.Y(0, 0), 2);
  EXPECT_EQ(t.Y(0, 1), 3);
  EXPECT_EQ(t.Y(0, 2), kM);
  EXPECT_EQ(t.Y(0, 3), 1);
  EXPECT_EQ(RANK_DATA(1, t, os), -26);
  t.count[2] = 3;
  EXPECT_EQ(RANK_DATA(3, t, os), -27);
  EXPECT_EQ(os.str(),
            " -26 = RPF histogram requires more than one trace.\n"
            " -27 = RPF histogram traces point counts differ.\n");
}

}  // namespace
}  // namespace kor::resample
