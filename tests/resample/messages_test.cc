// The trial-count rule and the resampling message lines.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "resample/resample.h"

namespace kor::resample {
namespace {

TEST(TrialCount, AcceptedRangeAndResets) {
  struct Case {
    const char* name;
    int count;
    int expect;
    const char* output;
  };
  constexpr Case kCases[] = {
      {"99 is too small", 99, 2000,
       "   Number of resampling trials is too small.\n  Number of resampling trials set to "
       "2000.\n"},
      {"100 is taken", 100, 100, ""},
      {"10002 is taken", 10002, 10002, ""},
      {"10003 is too large", 10003, 2000,
       "   Number of resampling trials is too large.\n  Number of resampling trials set to "
       "2000.\n"},
      {"negative is too small", -5, 2000,
       "   Number of resampling trials is too small.\n  Number of resampling trials set to "
       "2000.\n"},
  };
  for (const Case& c : kCases) {
    ResampleState state;
    state.trials = 777;
    int count = c.count;
    std::ostringstream os;
    EXPECT_EQ(RSMP_NTRL(count, state, os), 0) << c.name;
    EXPECT_EQ(count, c.expect) << c.name;
    EXPECT_EQ(state.trials, c.expect) << c.name;
    EXPECT_EQ(os.str(), c.output) << c.name;
  }
}

TEST(Messages, ContextThenCodeLine) {
  struct Case {
    int code;
    const char* context;
    const char* output;
  };
  constexpr Case kCases[] = {
      {2, " ", " +02 = WARNING:  No values for resampling at a point.\n"},
      {-1, "BXW_RUN   ", " BXW_RUN\n -01 = Cannot open trace.ucd file for resampling.\n"},
      {-2, "", " -02 = Cannot read data depth from trace.ucd file.\n"},
      {-3, " ", " -03 = Too many uncombined ROVA records at a point.\n"},
      {-4, " ", " -04 = Trace ROVA record counts differ at a point.\n"},
      {-5, " ", " -05 = Bias adjustment requires FHO records.\n"},
      {-6, "Pair Member #1",
       " Pair Member #1\n -06 = Context does not allow box-whisker objects.\n"},
      {-7, " ", " -07 = The computational code is invalid.\n"},
      {-8, " ", " -08 = The sample is too large for RSMP_TRC.\n"},
      {-9, " ", " -09 = Performance metric computation failed.\n"},
      {-10, " ", " -10 = Invalid ROVA record data field requested.\n"},
      {-11, " ", " -11 = All values are missing in the sorting.\n"},
      {-12, " ", " -12 = Data depth is to small.\n"},
      {-13, " ", " -13 = Track data computation error.\n"},
      {-14, " ", " -14 = Metric calculation error in resampling.\n"},
      {0, " ", ""},
      {-15, "X", " X\n"},
      {1, " ", ""},
  };
  for (const Case& c : kCases) {
    std::ostringstream os;
    int word = 99;
    RSMP_ERR(c.code, c.context, word, os);
    EXPECT_EQ(os.str(), c.output) << c.code;
    EXPECT_EQ(word, 0) << c.code;
  }
}

TEST(Generator, UniformInUnitIntervalAndRepeatable) {
  Uniform a, b;
  double lo = 1, hi = 0, total = 0;
  constexpr int kDraws = 100000;
  for (int i = 0; i < kDraws; ++i) {
    const double x = a.next();
    ASSERT_EQ(x, b.next()) << "draw " << i;
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 1.0);
    lo = std::min(lo, x);
    hi = std::max(hi, x);
    total += x;
  }
  EXPECT_LT(lo, 1e-3);
  EXPECT_GT(hi, 1 - 1e-3);
  EXPECT_NEAR(total / kDraws, 0.5, 0.005);
  // The first draw follows from the starting state by one step of the recurrence.
  Uniform c;
  const std::uint64_t next =
      Uniform::kStartingState * 6364136223846793005ULL + 1442695040888963407ULL;
  EXPECT_EQ(c.next(), static_cast<double>(next >> 11) / 9007199254740992.0);
}

}  // namespace
}  // namespace kor::resample
