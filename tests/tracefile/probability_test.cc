#include "tracefile/probability.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "util/text.h"

namespace kor::tracefile {
namespace {

namespace fs = std::filesystem;

// Runs each test in a scratch directory: the loads look for their files in the working directory.
class ProbabilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("kor_prob_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
            std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    state_ = std::make_unique<ReaderState>();
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream out(dir_ / name, std::ios::binary);
    out << text;
  }
  std::vector<double> pbs(int trace) const {
    const TraceInfo& info = state_->traces[trace - 1];
    return std::vector<double>(info.pbs.begin(), info.pbs.begin() + info.pbs_count);
  }
  std::vector<double> crps(int trace) const {
    const TraceInfo& info = state_->traces[trace - 1];
    return std::vector<double>(info.crps.begin(), info.crps.begin() + info.crps_count);
  }

  // What the loads wrote since the last call.
  std::string printed() {
    const std::string text = out_.str();
    out_.str("");
    return text;
  }

  fs::path old_, dir_;
  std::unique_ptr<ReaderState> state_;
  std::ostringstream out_;
};

void expect_list(const std::vector<double>& got, const std::vector<double>& want,
                 const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-12) << what << i;
}

TEST_F(ProbabilityTest, PbsDefaultsWithoutAFile) {
  struct Case {
    const char* set;
    int depth;
    std::vector<double> want;
  };
  // n = depth / 2 categories, spacing s = 1 / (n - 2): n = 4 gives s = 0.5, n = 5 gives s = 1/3.
  const Case kCases[] = {
      {"abc", 8, {0.0, 0.25, 0.75, 1.0}},
      {"abc", 9, {0.0, 0.25, 0.75, 1.0}},
      {"abc", 10, {0.0, 1.0 / 6, 0.5, 5.0 / 6, 1.0}},
      {"abc", 6, {0.0, 0.5, 1.0}},
      {"wwx", 8, {0.0, 0.25, 0.5, 1.0}},
      {"wwx", 14, {0.0, 0.25, 0.5, 1.0}},
  };
  for (const Case& c : kCases) {
    (void)printed();
    EXPECT_EQ(load_pbs_probabilities(*state_, c.set, 2, c.depth, out_), 0) << c.set << c.depth;
    (void)printed();
    expect_list(pbs(2), c.want, std::string(c.set) + std::to_string(c.depth));
  }
}

TEST_F(ProbabilityTest, PbsReportLines) {
  (void)printed();
  EXPECT_EQ(load_pbs_probabilities(*state_, "abc", 3, 8, out_), 0);
  EXPECT_EQ(printed(),
            "  DEFAULT abc probabilities for trace #  3: \n"
            "  Category   1 probability =  0.00\n"
            "  Category   2 probability =  0.25\n"
            "  Category   3 probability =  0.75\n"
            "  Category   4 probability =  1.00\n");
  (void)printed();
  EXPECT_EQ(load_pbs_probabilities(*state_, "wwx", 1, 4, out_), 0);
  EXPECT_EQ(printed(),
            "  DEFAULT WWX probabilities for trace #  1: \n"
            "  Category   1 probability =  0.00\n"
            "  Category   2 probability =  0.25\n"
            "  Category   3 probability =  0.50\n"
            "  Category   4 probability =  1.00\n");
}

TEST_F(ProbabilityTest, PbsUserFileSkipsBadLines) {
  const std::string long_line = std::string(70, ' ') + "1 0.9\n";  // token 2 lies past column 72
  write("pbs_abc.prob",
        "heading 0.5 is never read\n"
        "1 0.1\n"
        "2 1.5\n"      // above 1
        "3 0.2 x y\n"  // four tokens
        "4 zero\n"     // not a number
        "5\n"          // no token 2
        "\n" +
            long_line +
            "6 0.3 comment\n"
            "7 -0.1\n"  // below 0
            "8 0.6\n"
            "9 1.0\n");
  (void)printed();
  EXPECT_EQ(load_pbs_probabilities(*state_, "abc", 1, 8, out_), 0);
  const std::string out = printed();
  EXPECT_EQ(out.substr(0, out.find('\n')), "  USER-DEFINED abc probabilities for trace #  1: ");
  expect_list(pbs(1), {0.1, 0.3, 0.6, 1.0}, "user");
}

TEST_F(ProbabilityTest, PbsErrors) {
  struct Case {
    const char* name;
    const char* file;  // contents of pbs_abc.prob, or null
    int depth;
    int rc;
    int count;  // list length left behind
  };
  constexpr Case kCases[] = {
      {"five values for four categories", "h\n1 0.1\n2 0.2\n3 0.3\n4 0.4\n5 0.5\n", 8, -53, 4},
      {"fifteen categories", nullptr, 30, -41, 0},
      {"two categories need defaults", nullptr, 4, -40, 0},
      {"one category", "h\n", 2, -40, 0},
      {"no category at all", nullptr, 1, -40, 0},
      {"two categories from the file", "h\n1 0.2\n2 0.8\n", 4, 0, 2},
  };
  for (const Case& c : kCases) {
    fs::remove("pbs_abc.prob");
    if (c.file != nullptr) write("pbs_abc.prob", c.file);
    state_->traces[0].pbs_count = 0;
    (void)printed();
    EXPECT_EQ(load_pbs_probabilities(*state_, "abc", 1, c.depth, out_), c.rc) << c.name;
    (void)printed();
    EXPECT_EQ(state_->traces[0].pbs_count, c.count) << c.name;
  }
  EXPECT_EQ(load_pbs_probabilities(*state_, "abc", 25, 8, out_), -40);
  EXPECT_EQ(load_pbs_probabilities(*state_, "abc", 0, 8, out_), -40);
}

TEST_F(ProbabilityTest, TooFewCategoriesSaySo) {
  (void)printed();
  EXPECT_EQ(load_pbs_probabilities(*state_, "abc", 2, 5, out_), -40);
  EXPECT_EQ(printed(),
            "  No DEFAULT abc probabilities for fewer than 3 categories, trace #  2:  2\n");
}

TEST_F(ProbabilityTest, UnreadableFileWarnsAndUsesDefaults) {
  fs::create_directory("pbs_abc.prob");
  (void)printed();
  EXPECT_EQ(load_pbs_probabilities(*state_, "abc", 1, 8, out_), 3);
  const std::string out = printed();
  EXPECT_EQ(out.substr(0, out.find("  DEFAULT")),
            " pbs_abc.prob                     not readable -- defaults used\n"
            " +03 = Probability file could not be used.\n");
  expect_list(pbs(1), {0.0, 0.25, 0.75, 1.0}, "defaults");

  fs::create_directory("crps_20.prob");
  (void)printed();
  EXPECT_EQ(load_crps_probabilities(*state_, 1, 20, out_), 3);
  printed();
  expect_list(crps(1), {0.05, 0.1, 0.25, 0.5, 0.75, 0.9, 0.95}, "crps defaults");
}

TEST_F(ProbabilityTest, CrpsLevels) {
  struct Case {
    const char* name;
    const char* file;  // contents of crps_<depth>.prob, or null
    int depth;
    int rc;
    std::vector<double> want;
  };
  const Case kCases[] = {
      {"depth 20 defaults", nullptr, 20, 0, {0.05, 0.1, 0.25, 0.5, 0.75, 0.9, 0.95}},
      {"depth 21 is 7 levels too", nullptr, 21, 0, {0.05, 0.1, 0.25, 0.5, 0.75, 0.9, 0.95}},
      {"depth 24 defaults", nullptr, 24, 0, {0.05, 0.1, 0.25, 0.4, 0.5, 0.6, 0.75, 0.9, 0.95}},
      {"depth 28 defaults",
       nullptr,
       28,
       0,
       {0.05, 0.1, 0.15, 0.25, 0.4, 0.5, 0.6, 0.75, 0.85, 0.9, 0.95}},
      {"seven user values",
       "h\n1 0.1\n2 0.2\n3 0.3\n4 0.4\n5 0.5\n6 0.6\n7 0.7\n",
       20,
       0,
       {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}},
      {"five user values give defaults",
       "h\n1 0.1\n2 0.2\n3 0.3\n4 0.4\n5 0.5\n",
       20,
       0,
       {0.05, 0.1, 0.25, 0.5, 0.75, 0.9, 0.95}},
      {"eight user values",
       "h\n1 .1\n2 .2\n3 .3\n4 .4\n5 .5\n6 .6\n7 .7\n8 .8\n",
       20,
       -65,
       {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}},
      {"ten levels without defaults", "h\n1 0.1\n", 26, -66, {0.1}},
      {"twelve levels", nullptr, 30, -64, {}},
      {"depth 6 has no level", nullptr, 6, 0, {}},
      {"depth 3 has no level", nullptr, 3, 0, {}},
  };
  for (const Case& c : kCases) {
    const std::string name = "crps_" + std::to_string(c.depth) + ".prob";
    fs::remove(name);
    if (c.file != nullptr) write(name, c.file);
    state_->traces[4].crps_count = 0;
    (void)printed();
    EXPECT_EQ(load_crps_probabilities(*state_, 5, c.depth, out_), c.rc) << c.name;
    (void)printed();
    expect_list(crps(5), c.want, c.name);
  }
}

TEST_F(ProbabilityTest, CrpsReportLines) {
  write("crps_8.prob", "levels\n1 0.5\n");
  (void)printed();
  EXPECT_EQ(load_crps_probabilities(*state_, 2, 8, out_), 0);
  EXPECT_EQ(printed(),
            "  Applying user defined cumulative probs.\n"
            "  Cumulative probabilities for trace #  2: \n"
            "  Level   1 cumulative probability =  0.50\n");
  (void)printed();
  EXPECT_EQ(load_crps_probabilities(*state_, 1, 10, out_), -66);
  EXPECT_EQ(printed(), "  Too few or no user defined cumulative probs -- using default values.\n");
}

TEST_F(ProbabilityTest, TraceLoadFollowsTheStatisticType) {
  struct Case {
    const char* type;
    int depth;
    int pbs_count;
    int crps_count;
    int rc;
  };
  constexpr Case kCases[] = {
      {"PBS_ABC/3", 8, 4, 0, 0}, {"PBS_WWX", 8, 4, 0, 0},   {"CRPS", 20, 0, 7, 0},
      {"FHO", 8, 0, 0, 0},       {"PBS_ABC", 4, 0, 0, -40}, {"CRPS", 26, 0, 0, -66},
  };
  for (const Case& c : kCases) {
    state_->reset();
    state_->traces[0].stat_type = util::pad(c.type, kLabelWidth);
    state_->traces[0].depth = c.depth;
    (void)printed();
    EXPECT_EQ(load_trace_probabilities(*state_, 1, out_), c.rc) << c.type;
    (void)printed();
    EXPECT_EQ(state_->traces[0].pbs_count, c.pbs_count) << c.type;
    EXPECT_EQ(state_->traces[0].crps_count, c.crps_count) << c.type;
  }
}

}  // namespace
}  // namespace kor::tracefile
