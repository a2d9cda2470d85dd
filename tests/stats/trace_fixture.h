// A fixture that loads a plot of a trace data file under tests/data/stats and runs RDTD_TRC on it
// in a scratch working directory (probability and label list files are looked for there).
#ifndef KOR_TESTS_STATS_TRACE_FIXTURE_H_
#define KOR_TESTS_STATS_TRACE_FIXTURE_H_

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "stats/engine.h"
#include "tracefile/reader.h"
#include "util/text.h"

namespace kor::stats {

inline constexpr double M = util::kPlotMissing;

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ =
        std::filesystem::temp_directory_path() /
        ("kor_stats_" +
         std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
         std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    reader_ = std::make_unique<tracefile::ReaderState>();
    arrays_.attach(result_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  static std::string data(const std::string& name) {
    return std::string(KOR_TEST_DATA) + "/stats/" + name;
  }

  // Loads `plot` of `path` with its data.  Returns the first nonzero reader code.
  int load_path(const std::string& path, int plot) {
    if (!unit_.open(path)) return 999;
    std::ostringstream os;
    int count = 0, traces = 0, type = 0;
    int rc = tracefile::RDTD_INI(*reader_, unit_, count);
    if (rc == 0) rc = tracefile::RDTD_FND(*reader_, unit_, plot, 1, traces, type, os);
    load_output_ = os.str();
    return rc;
  }
  int load(const std::string& name, int plot) { return load_path(data(name), plot); }

  // Runs RDTD_TRC; what it writes goes to out_.
  int run(int trace, int code, int lag = 0, int capacity = kMaxPoints) {
    TraceRequest request;
    request.trace = trace;
    request.code = code;
    request.lag = lag;
    request.missing = M;
    request.capacity = capacity;
    std::ostringstream os;
    const int rc = RDTD_TRC(*reader_, engine_, request, result_, os);
    out_ = os.str();
    return rc;
  }

  std::vector<double> values() const {
    return std::vector<double>(arrays_.y.begin(), arrays_.y.begin() + result_.points);
  }
  std::string label() const { return std::string(util::rtrim(result_.label)); }

  void write(const std::string& name, const std::string& text) {
    std::ofstream out(dir_ / name, std::ios::binary);
    out << text;
  }

  std::filesystem::path old_, dir_;
  util::TextUnit unit_{8};
  std::unique_ptr<tracefile::ReaderState> reader_;
  TraceEngine engine_;
  TraceArrays arrays_;
  TraceResult result_;
  std::string out_, load_output_;
};

// Compares a series with its expected values (M for missing) to a relative tolerance.
inline void expect_series(const std::vector<double>& got, const std::vector<double>& want,
                          const std::string& what, double tol = 1e-9) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (want[i] == M) {
      EXPECT_EQ(got[i], M) << what << " point " << i + 1;
    } else {
      EXPECT_NEAR(got[i], want[i], tol * std::max(1.0, std::fabs(want[i])))
          << what << " point " << i + 1;
    }
  }
}

}  // namespace kor::stats

#endif  // KOR_TESTS_STATS_TRACE_FIXTURE_H_
