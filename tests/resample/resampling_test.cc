// RSMP_TRC: reading errors, the record rules, the draws, missing pairs, the right-skew rule, the
// repeatable sequence and the per-call path against the fast one.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "resample/resample.h"
#include "resample/ucd_writer.h"
#include "tests/reference/resample_reference.h"

namespace kor::resample {
namespace {

constexpr float kM = -9999.0f;

struct Call {
  int rc = 0;
  TrcOutput out;
  std::string text;
};

Call trc(ResampleState& state, std::vector<int> traces, std::vector<int> codes, int point,
         float alpha = 0.05f, bool per_call = false, const char* type = "FHO") {
  MetricContext ctx;
  ctx.stat_type = type;
  TrcInput in;
  in.plot = 1;
  in.traces = traces;
  in.codes = codes;
  in.point = point;
  in.alpha = alpha;
  in.context = &ctx;
  Call c;
  std::ostringstream os;
  c.rc = per_call ? reference::rsmp_trc_per_call(in, state, c.out, os)
                  : RSMP_TRC(in, state, c.out, os);
  c.text = os.str();
  return c;
}

// The same return code, messages and results, bit for bit.
void expect_same(const Call& a, const Call& b, const std::string& where) {
  ASSERT_EQ(a.rc, b.rc) << where;
  EXPECT_EQ(a.text, b.text) << where;
  EXPECT_EQ(a.out.count, b.out.count) << where;
  EXPECT_EQ(a.out.minus_lower, b.out.minus_lower) << where;
  EXPECT_EQ(a.out.upper, b.out.upper) << where;
  EXPECT_EQ(a.out.upper_whisker, b.out.upper_whisker) << where;
  EXPECT_EQ(a.out.lower_whisker, b.out.lower_whisker) << where;
  EXPECT_EQ(a.out.median, b.out.median) << where;
  EXPECT_EQ(a.out.skew, b.out.skew) << where;
}

ResampleState state_for(const std::string& path, int trials = 100) {
  ResampleState s;
  s.ucd_path = path;
  s.trials = trials;
  return s;
}

std::string data(const char* name) { return std::string(KOR_TEST_DATA) + "/resample/" + name; }

TEST(ResamplingReading, ReturnCodes) {
  // -3: one record more than 132000 for trace 1 at point 1.
  std::vector<UcdRecord> many(132001, UcdRecord{1, 1, 1, {1.0}});
  ASSERT_TRUE(write_ucd("many.ucd", 1, many));
  // -4: position 1 with 40 records, position 3 with 39.
  std::vector<UcdRecord> differ;
  for (int i = 0; i < 40; ++i) {
    differ.push_back({1, 1, 2, {1.0}});
    differ.push_back({1, 2, 2, {1.0}});
    if (i < 39) differ.push_back({1, 3, 2, {1.0}});
  }
  ASSERT_TRUE(write_ucd("differ.ucd", 1, differ));
  struct Case {
    const char* name;
    std::string path;
    std::vector<int> traces;
    int point;
    int rc;
  };
  const Case kCases[] = {
      {"no file", "no_such.ucd", {1, 2}, 1, -1},
      {"depth 0", data("depth0.ucd"), {1, 2}, 1, -2},
      {"depth 29", data("depth29.ucd"), {1, 2}, 1, -2},
      {"empty file", data("empty.ucd"), {1, 2}, 1, -2},
      {"132001 records", "many.ucd", {1, 2}, 1, -3},
      {"40 against 39", "differ.ucd", {1, 2, 3}, 2, -4},
      {"40 against 40", "differ.ucd", {1, 2}, 2, 0},
      {"a trace twice collects at its first position", "differ.ucd", {1, 2, 2}, 2, -4},
      {"records of traces not listed are skipped", "differ.ucd", {1, 2}, 2, 0},
      {"broken record ends reading", data("bad_marker.ucd"), {1, 2}, 1, -4},
  };
  for (const Case& c : kCases) {
    for (bool per_call : {false, true}) {
      ResampleState s = state_for(c.path);
      Call r = trc(s, c.traces, {1}, c.point, 0.05f, per_call);
      EXPECT_EQ(r.rc, c.rc) << c.name << (per_call ? " per call" : "");
      if (c.rc != 0) {
        EXPECT_EQ(r.out.count, 0) << c.name;
      }
    }
  }
}

TEST(ResamplingReading, NoRecordsAtThePoint) {
  ResampleState s = state_for(data("good_depth4.ucd"));
  const Call r = trc(s, {1, 2, 3}, {1001, 1003}, 7);
  ASSERT_EQ(r.rc, 0);
  EXPECT_EQ(r.text,
            " \n  Resampling at abscissa point #  7 with  100 trials.\n"
            "  WARNING -- Only  0 records found for resampling at X point  7.\n");
  ASSERT_EQ(r.out.count, 4);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(r.out.minus_lower[k], kM) << k;
    EXPECT_EQ(r.out.upper[k], kM) << k;
    EXPECT_EQ(r.out.upper_whisker[k], kM) << k;
    EXPECT_EQ(r.out.lower_whisker[k], kM) << k;
    EXPECT_EQ(r.out.median[k], kM) << k;
    EXPECT_EQ(r.out.skew[k], kM) << k;
  }
  // No draw was used.
  EXPECT_EQ(s.random.state, Uniform::kStartingState);
}

TEST(ResamplingCall, TrialCountResetAndRefusedCalls) {
  struct Case {
    const char* name;
    int trials;
    int after;
    bool warned;
  };
  constexpr Case kCases[] = {{"99", 99, 2000, true},
                             {"100", 100, 100, false},
                             {"10004 fits the slots", 10004, 10004, false},
                             {"10005", 10005, 2000, true}};
  for (const Case& c : kCases) {
    ResampleState s = state_for(data("good_depth4.ucd"), c.trials);
    const Call r = trc(s, {1, 2}, {1}, 9);
    EXPECT_EQ(s.trials, c.after) << c.name;
    EXPECT_EQ(r.text.find(" Warning:  Number of trials reset to 2000.\n") == 0, c.warned) << c.name;
  }
  ResampleState s = state_for(data("good_depth4.ucd"));
  std::vector<int> traces(25);
  for (int i = 0; i < 25; ++i) traces[i] = i + 1;
  EXPECT_EQ(trc(s, traces, {1}, 1).rc, -6);
  // 2 lines x 23 pairs exceed the 24 results the caller holds.
  traces.resize(24);
  EXPECT_EQ(trc(s, traces, {1, 1}, 1).rc, -6);
  EXPECT_EQ(trc(s, {1, 2}, {}, 1).rc, -6);
}

// Draws replayed from the documented generator: with one record per trace, trial t gives member 1
// trace 1's record when its draw is below 0.5.
int draws_below_half(int trials) {
  Uniform u;
  int below = 0;
  for (int t = 0; t < trials; ++t) below += u.next() < 0.5;
  return below;
}

TEST(ResamplingDraws, OneRecordDifferencesAndTheRightSkewRule) {
  // Counts 3 and 1: a difference of +2 when trace 1 is member 1, else -2.
  ASSERT_TRUE(write_ucd("one.ucd", 1, {{1, 1, 1, {3.0}}, {1, 2, 1, {1.0}}}));
  // A trial count whose draws fall below 0.5 at least T/2 + 3 times, so that the 0.4995
  // percentile of the sorted differences (T - A values -2, then A values +2) is +2.
  int trials = 100, a = 0;
  for (; trials < 400; ++trials) {
    a = draws_below_half(trials);
    if (2 * a >= trials + 6) break;
  }
  ASSERT_LT(trials, 400);
  ResampleState s = state_for("one.ucd", trials);
  const Call r = trc(s, {1, 2}, {1}, 1, 0.999f);
  ASSERT_EQ(r.rc, 0);
  EXPECT_NE(r.text.find("  WARNING -- Only  1 records found for resampling at X point  1.\n"),
            std::string::npos);
  EXPECT_NE(r.text.find(" RE-SAMPLING error--right skewed difference statistics.\n"),
            std::string::npos);
  ASSERT_EQ(r.out.count, 1);
  EXPECT_EQ(r.out.upper[0], 2.0f);
  EXPECT_EQ(r.out.minus_lower[0], 0.0f);  // the lower bound +2 is not reported
  EXPECT_EQ(r.out.median[0], 2.0f);
  EXPECT_EQ(r.out.skew[0], kM);             // median equal to the lower bound
  EXPECT_EQ(r.out.upper_whisker[0], 0.0f);  // max 2 - upper 2
  EXPECT_EQ(r.out.lower_whisker[0], 4.0f);  // lower 2 - min -2

  // With alpha .05 the bounds are the extremes: T .975 reaches the largest, T .025 truncates to 2
  // or more only beyond 80 trials, where s(2) and s(3) are both -2.
  ResampleState t = state_for("one.ucd", trials);
  const Call q = trc(t, {1, 2}, {1}, 1, 0.05f);
  ASSERT_EQ(q.rc, 0);
  EXPECT_EQ(q.out.upper[0], 2.0f);
  EXPECT_EQ(q.out.minus_lower[0], 2.0f);
  EXPECT_EQ(q.out.upper_whisker[0], 0.0f);
  EXPECT_EQ(q.out.lower_whisker[0], 0.0f);
  EXPECT_EQ(q.out.median[0], 2.0f);  // a = T/2 lands among the A > T/2 values of +2
  EXPECT_EQ(q.out.skew[0], 0.0f);    // (2 - 2) / (2 - (-2))
  EXPECT_EQ(q.text.find("RE-SAMPLING"), std::string::npos);
}

TEST(ResamplingDraws, MissingPairLeavesOtherPairsAlone) {
  // Trace 3's records are missing in every field: pair 2 (trace 3 against trace 1) is all M.
  std::vector<UcdRecord> recs;
  for (int r = 0; r < 30; ++r) {
    recs.push_back({1, 1, 4, {10.0 + r, 3.0, 1.0, 2.0}});
    recs.push_back({1, 2, 4, {10.0 + r, 5.0, 2.0, 2.0}});
    recs.push_back({1, 3, 4, {-1.1e30, -2e30, -1.1e30, -1.1e31}});
  }
  ASSERT_TRUE(write_ucd("pairs.ucd", 4, recs));
  ResampleState s = state_for("pairs.ucd");
  const Call r = trc(s, {1, 2, 3}, {1001}, 4);
  ASSERT_EQ(r.rc, 0);
  ASSERT_EQ(r.out.count, 2);
  // Pair 1: each trial's member biases are (3a + 5b)/(2 x 30) and (5a + 3b)/60 with a + b = 30
  // records; differences lie within -2/2 x 30/30 = -1 .. 1 and are not all missing.
  EXPECT_NE(r.out.upper[0], kM);
  EXPECT_GE(r.out.upper[0], 0.0f);
  EXPECT_LE(r.out.upper[0] + r.out.upper_whisker[0], 1.0f + 1e-6f);
  EXPECT_EQ(r.out.upper[1], kM);
  EXPECT_EQ(r.out.minus_lower[1], kM);
  EXPECT_EQ(r.out.median[1], kM);
  EXPECT_EQ(r.out.skew[1], kM);
  EXPECT_EQ(r.out.upper_whisker[1], kM);
  EXPECT_EQ(r.out.lower_whisker[1], kM);
  // Every one of 100 trials x 30 records used one draw.
  Uniform u;
  for (int i = 0; i < 3000; ++i) u.next();
  EXPECT_EQ(s.random.state, u.state);
}

// A plot of 4 traces at 3 points with depth 6, some missing fields, and a decoy plot.
void write_mixed(const std::string& path, int records) {
  Uniform g;
  g.state = 12345;
  std::vector<UcdRecord> recs;
  for (int p = 1; p <= 3; ++p) {
    for (int r = 0; r < records; ++r) {
      for (int tr = 1; tr <= 4; ++tr) {
        UcdRecord u{1, tr, p, {}};
        const double n = 1 + static_cast<int>(g.next() * 20);
        const double o = static_cast<int>(g.next() * n);
        const double f = static_cast<int>(g.next() * n);
        const double h = static_cast<int>(g.next() * std::min(f, o));
        u.values = {n, f, h, o, h, f};
        if (g.next() < 0.05) u.values[1 + static_cast<int>(g.next() * 4)] = -1.1e31;
        recs.push_back(u);
        if (g.next() < 0.1) recs.push_back({2, tr, p, {1, 1, 1, 1, 1, 1}});
      }
    }
  }
  ASSERT_TRUE(write_ucd(path, 6, recs));
}

TEST(ResamplingPaths, FastPathEqualsPerCallPath) {
  write_mixed("mixed.ucd", 60);
  ResampleState fast = state_for("mixed.ucd", 500), slow = state_for("mixed.ucd", 500);
  for (int point = 1; point <= 3; ++point) {
    const std::vector<int> codes = {1002, 1011001, 1021003, 1031004, 1041001, 3, -2};
    const Call a = trc(fast, {1, 2, 3, 4}, codes, point);
    const Call b = trc(slow, {1, 2, 3, 4}, codes, point, 0.05f, true);
    ASSERT_EQ(a.rc, 0) << point;
    EXPECT_EQ(a.out.count, 21);
    expect_same(a, b, "point " + std::to_string(point));
    EXPECT_EQ(fast.random.state, slow.random.state) << point;
  }
}

TEST(ResamplingPaths, TwoRunsPrintTheSameAndCallsContinueTheSequence) {
  write_mixed("mixed2.ucd", 40);
  std::string first_run, second_run;
  std::vector<float> first_medians;
  for (std::string* run : {&first_run, &second_run}) {
    ResampleState s = state_for("mixed2.ucd", 300);
    std::vector<float> medians;
    for (int point = 1; point <= 3; ++point) {
      const Call c = trc(s, {1, 2, 3}, {1002}, point);
      ASSERT_EQ(c.rc, 0);
      *run += c.text;
      for (int k = 0; k < c.out.count; ++k) {
        *run += std::to_string(c.out.minus_lower[k]) + " " + std::to_string(c.out.upper[k]) + " " +
                std::to_string(c.out.median[k]) + "\n";
      }
    }
  }
  EXPECT_EQ(first_run, second_run);
  // Two calls at the same point in one run use different draws: the second starts where the first
  // ended, 300 x 40 draws later.
  ResampleState s = state_for("mixed2.ucd", 300);
  (void)trc(s, {1, 2, 3}, {1002}, 1);
  Uniform u;
  for (int i = 0; i < 300 * 40; ++i) u.next();
  EXPECT_EQ(s.random.state, u.state);
}

TEST(ResamplingPaths, FileReadOncePerPlotAndAgainWhenItChanges) {
  write_mixed("cached.ucd", 10);
  ResampleState s = state_for("cached.ucd");
  ASSERT_EQ(trc(s, {1, 2}, {1}, 1).rc, 0);
  const auto records = s.cache.records.size();
  EXPECT_GT(records, 0u);
  // Another plot number re-reads; a rewritten file (other size) is read again.
  ASSERT_TRUE(write_ucd("cached.ucd", 6, {{1, 1, 1, {1, 1, 1, 1, 1, 1}}}));
  const Call c = trc(s, {1, 2}, {1}, 1);
  EXPECT_EQ(c.rc, -4);  // one record for trace 1, none for trace 2
  EXPECT_EQ(s.cache.records.size(), 1u);
}

// 24 traces at depth 6 with records whose fields are missing now in the benchmark, now in another
// trace, now in both, and a trace whose every field is missing; points with 7, 33 and 1 records.
void write_gappy(const std::string& path) {
  Uniform g;
  g.state = 4242;
  std::vector<UcdRecord> recs;
  const int counts[] = {7, 33, 1};
  for (int p = 1; p <= 3; ++p) {
    for (int r = 0; r < counts[p - 1]; ++r) {
      for (int tr = 1; tr <= 24; ++tr) {
        const double n = 1 + static_cast<int>(g.next() * 20);
        const double o = static_cast<int>(g.next() * n);
        const double f = static_cast<int>(g.next() * n);
        const double h = static_cast<int>(g.next() * std::min(f, o));
        UcdRecord u{1, tr, p, {n, f, h, o, h * 0.5, f * 0.25}};
        if (tr == 17) u.values.assign(6, -1.1e30);
        if (g.next() < 0.15) u.values[1 + static_cast<int>(g.next() * 5)] = -2e30;
        recs.push_back(u);
      }
    }
  }
  ASSERT_TRUE(write_ucd(path, 6, recs));
}

TEST(ResamplingThreads, EveryThreadCountAndKernelGivesTheLiteralResults) {
  write_gappy("gappy.ucd");
  std::vector<SumKernel> kernels = {SumKernel::kPortable};
  if (avx2_supported()) kernels.push_back(SumKernel::kAvx2);
  if (avx512_supported()) kernels.push_back(SumKernel::kAvx512);
  const char* kKernelNames[] = {"best", "portable", "avx2", "avx512"};
  std::vector<int> all(24);
  for (int i = 0; i < 24; ++i) all[i] = i + 1;
  struct Case {
    const char* name;
    std::vector<int> traces;
    std::vector<int> codes;  // 24 results at most
  };
  const Case kCases[] = {{"2 traces", {1, 2}, {1002, 3}},
                         {"24 traces", all, {1002}},
                         {"3 traces", {5, 17, 9}, {1002, 3}}};
  for (const Case& c : kCases) {
    const std::vector<int>& codes = c.codes;
    // The literal kernel, one draw after another, over the three points in turn.
    ResampleState literal = state_for("gappy.ucd", 151);
    std::vector<Call> expected;
    for (int point = 1; point <= 3; ++point) {
      expected.push_back(trc(literal, c.traces, codes, point, 0.1f, true));
    }
    for (SumKernel kernel : kernels) {
      for (int threads : {1, 2, 3, 8}) {
        ResampleState s = state_for("gappy.ucd", 151);
        s.threads = threads;
        s.kernel = kernel;
        for (int point = 1; point <= 3; ++point) {
          const Call r = trc(s, c.traces, codes, point, 0.1f);
          const Call& e = expected[point - 1];
          const std::string where = std::string(c.name) + " point " + std::to_string(point) + " " +
                                    kKernelNames[static_cast<int>(kernel)] + " " +
                                    std::to_string(threads) + " threads";
          ASSERT_EQ(e.rc, 0) << where;
          expect_same(r, e, where);
        }
        EXPECT_EQ(s.random.state, literal.random.state) << c.name << " " << threads;
      }
    }
    // The all-missing trace 17 gives missing results for its pair only.
    if (c.traces.size() == 3) {
      const TrcOutput& o = expected[1].out;
      EXPECT_EQ(o.median[0], kM);
      EXPECT_NE(o.median[1], kM);
    }
  }
}

TEST(ResamplingThreads, ThreadCountFromTheEnvironment) {
  struct Case {
    const char* text;
    int count;  // 0: not a setting
  };
  constexpr Case kCases[] = {{"1", 1},  {"8", 8},   {"256", 256},      {"257", 0},
                             {"0", 0},  {"-2", 0},  {"", 0},           {"2x", 0},
                             {" 2", 0}, {"two", 0}, {"99999999999", 0}};
  for (const Case& c : kCases) EXPECT_EQ(trial_thread_setting(c.text), c.count) << c.text;
  EXPECT_EQ(trial_thread_setting(nullptr), 0);
  EXPECT_EQ(trial_threads(3), 3);
  EXPECT_EQ(trial_threads(1000), kMaxTrialThreads);
  EXPECT_GE(trial_threads(0), 1);
}

}  // namespace
}  // namespace kor::resample
