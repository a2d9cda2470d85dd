// The paired significance test report and the normal probabilities.
#include "resample/significance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kor::resample {
namespace {

TEST(GaussCdf, Values) {
  struct Case {
    float x, mean, sd;
    double expect;  // from erfc
    double tolerance;
  };
  const auto phi = [](double a) { return 0.5 * std::erfc(-a / std::sqrt(2.0)); };
  const Case kCases[] = {
      {0, 0, 1, 0.5, 0},
      {0.00005f, 0, 1, 0.5, 0},  // inside 1e-4 of the mean
      {1, 0, 1, phi(1), 2e-6},
      {-1.96f, 0, 1, phi(-1.96), 2e-6},
      {1.88f, 0, 1, phi(1.88), 2e-6},
      {6.9f, 0, 1, phi(6.9), 2e-6},
      {3, 1, 2, phi(1), 2e-6},
      {8, 0, 1, 1, 0},
      {-8, 0, 1, 0, 0},
  };
  for (const Case& c : kCases) {
    float p = -1;
    EXPECT_EQ(GAUSS_CDF(c.x, c.mean, c.sd, p), 0);
    EXPECT_NEAR(p, c.expect, c.tolerance) << c.x;
  }
  float p = 0;
  (void)GAUSS_CDF(NAN, 0, 1, p);
  EXPECT_TRUE(std::isnan(p));
}

std::string slurp(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Report {
  int rc = 0;
  std::string console, file;
};

// A report file of the running test's own, so that test cases run side by side (ctest -j) never
// write the same file.
std::string own_report_path() {
  return std::string("kor_sig_test1.") +
         ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
}

Report run(std::vector<float> y1, std::vector<float> y2, bool serial = true, int traces = 2,
           std::vector<int> points = {}, std::string path = "") {
  if (path.empty()) path = own_report_path();
  const int n = static_cast<int>(y1.size());
  std::vector<float> y(y1);
  y.insert(y.end(), y2.begin(), y2.end());
  if (points.empty()) points = {n, static_cast<int>(y2.size())};
  const std::vector<std::string> labels = {"MODEL X", "MODEL Y GFS"}, texts = {"GFS", "GFS"};
  SigInput in;
  in.leading = n;
  in.traces = traces;
  in.y = y;
  in.points = points;
  in.title = "TEST PLOT     ";
  in.labels = labels;
  in.texts = texts;
  in.range_from = "A  ";
  in.range_to = "B";
  in.serial_correlation = serial;
  std::remove(path.c_str());
  Report r;
  std::ostringstream os;
  r.rc = SIG_TEST(in, os, path);
  r.console = os.str();
  r.file = slurp(path);
  return r;
}

const std::string kHead =
    "                        STATISTICAL SIGNIFICANCE ANALYSIS\n"
    "                         FOR PAIRED DATA FROM TWO TRACES\n"
    "\n" +
    std::string(36, ' ') + "TEST PLOT\n" + std::string(37, ' ') + "A TO B\n\n" +
    std::string(35, ' ') + "TRACE # 01\n" + std::string(35, ' ') + "MODEL X GFS\n\n" +
    std::string(35, ' ') + "TRACE # 02\n" + std::string(35, ' ') + "MODEL Y GFS\n";

TEST(SignificanceTest, ReturnCodes) {
  EXPECT_EQ(run({1, 2, 3, 4}, {1, 2, 3, 4}, true, 3).rc, -28);
  EXPECT_EQ(run({1, 2, 3, 4}, {1, 2, 3, 4}, true, 2, {4, 3}).rc, -29);
  EXPECT_EQ(run({1, 2, 3, 4}, {1, 2, 3, 4}, true, 2, {}, "no_dir/kor_sig_test1.txt").rc, -30);
}

TEST(SignificanceTest, TooLittleData) {
  // Five points, two of them missing in one trace: three pairs.
  const Report r = run({1, -9999, 3, 4, 5}, {0, 2, 2, -9999.05f, 1});
  ASSERT_EQ(r.rc, 0);
  EXPECT_EQ(r.console, " \n   See file kor_sig_test1.txt for output.\n \n");
  EXPECT_EQ(r.file, kHead + "\n THERE IS TOO LITTLE NON-MISSING TRACE DATA.\n\n");
}

TEST(SignificanceTest, AlternatingDifferencesClampTheCorrelation) {
  // Differences +1, -1, ... over 8 points: mean 0, variance 1, lag-1 correlation -1 -> -0.95.
  const Report r = run({1, 0, 1, 0, 1, 0, 1, 0}, {0, 1, 0, 1, 0, 1, 0, 1});
  ASSERT_EQ(r.rc, 0);
  const std::string accept = "ACCEPT null hypothesis\n";
  EXPECT_EQ(
      r.file,
      kHead +
          "\nNull Hypothesis (trace1 = trace2):\n"
          "   The mean of the differences of the paired values from the\n"
          "   two traces is zero.\n\n"
          "Alternative Hypothesis (trace1 > trace2):\n"
          "   The mean of the paired differences exceeds zero.\n\n"
          " Gaussian probability of wrongly rejecting null hypothesis:   0.500000\n\n"
          "        Test Level   Decision (one-sided Gaussian) \n"
          "           0.100       " +
          accept + "           0.050       " + accept + "           0.010       " + accept +
          "           0.005       " + accept + "           0.001       " + accept +
          "\n ZRAW =   0.00000E+00  ZTST =   0.00000E+00  N =        8  Lag1 Corr = -0.950000\n");
}

TEST(SignificanceTest, DecisionsAtThreePercent) {
  // Serial correlation off; differences 1.94, -0.06, 1.94, -0.06: mean 0.94, variance 1, z = 1.88,
  // P = 1 - Phi(1.88) = 0.0301.
  const Report r = run({2.94f, 0.94f, 2.94f, 0.94f}, {1, 1, 1, 1}, false);
  ASSERT_EQ(r.rc, 0);
  const std::string lines[] = {
      "           0.100       REJECT null hypothesis\n",
      "           0.050       REJECT null hypothesis\n",
      "           0.010       ACCEPT null hypothesis\n",
      "           0.005       ACCEPT null hypothesis\n",
      "           0.001       ACCEPT null hypothesis\n",
      " Gaussian probability of wrongly rejecting null hypothesis:   0.030",
      "Lag1 Corr =  0.000000\n\nThe user set serial correlation to zero.\n",
      "Alternative Hypothesis (trace1 > trace2):\n",
  };
  for (const std::string& line : lines) {
    EXPECT_NE(r.file.find(line), std::string::npos) << line;
  }
}

TEST(SignificanceTest, NegativeMeanAndCorrelationNotComputed) {
  // Only isolated pairs (every other point missing): no neighbours, so no correlation.
  const Report r = run({0, -9999, 0, -9999, 0, -9999, 1, -9999}, {1, 5, 2, 5, 1, 5, 1, 5});
  ASSERT_EQ(r.rc, 0);
  EXPECT_NE(r.file.find("Alternative Hypothesis (trace1 < trace2):\n"
                        "   The mean of the paired differences is less than zero.\n"),
            std::string::npos);
  EXPECT_NE(r.file.find("N =        4  Lag1 Corr =  0.000000\n\n"
                        "Serial correlation could not be computed.\n"
                        "Serial correlation is assumed to be zero.\n"),
            std::string::npos);
}

TEST(SignificanceTest, IdenticalTracesStillWriteTheReport) {
  const Report r = run({1, 2, 3, 4, 5}, {1, 2, 3, 4, 5});
  ASSERT_EQ(r.rc, 0);
  EXPECT_NE(r.file.find(" ZRAW = "), std::string::npos);
  EXPECT_NE(r.file.find("NaN"), std::string::npos);
}

TEST(SignificanceTest, LongTitleBreaksAtABlank) {
  std::vector<float> y = {1, 2, 3, 4};
  std::vector<float> y2 = {0, 0, 0, 0};
  std::vector<float> all(y);
  all.insert(all.end(), y2.begin(), y2.end());
  const std::vector<int> points = {4, 4};
  const std::string title = std::string(60, 'A') + " " + std::string(20, 'B');
  SigInput in;
  in.leading = 4;
  in.traces = 2;
  in.y = all;
  in.points = points;
  in.title = title;
  std::ostringstream os;
  ASSERT_EQ(SIG_TEST(in, os, "title.txt"), 0);
  const std::string file = slurp("title.txt");
  EXPECT_NE(file.find("\n" + std::string(10, ' ') + std::string(60, 'A') + "\n" +
                      std::string(30, ' ') + std::string(20, 'B') + "\n"),
            std::string::npos);
}

}  // namespace
}  // namespace kor::resample
