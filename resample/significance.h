// The paired significance test of a plot of two traces: the mean of the paired differences
// against zero, with a Gaussian test whose variance is inflated for lag-1 serial correlation of
// the differences, reported in `kor_sig_test1.txt`.
#ifndef KOR_RESAMPLE_SIGNIFICANCE_H_
#define KOR_RESAMPLE_SIGNIFICANCE_H_

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace kor::resample {

inline constexpr int kNotTwoTraces = -28;
inline constexpr int kPointCountsDiffer = -29;
inline constexpr int kCannotOpenReport = -30;

struct SigInput {
  int leading = 0;              // leading dimension of y (values per trace column)
  int traces = 0;               // must be 2
  std::span<const float> y;     // trace j's point i at y[i + leading j]; -9999 +- 0.1 missing
  std::span<const int> points;  // point count per trace
  std::string_view title;       // the plot's title text
  std::span<const std::string> labels;  // each trace's label
  std::span<const std::string> texts;   // each trace's further text
  std::string_view range_from, range_to;
  bool serial_correlation = true;  // off when "SER" holds N or n
};

// Runs the test and writes the report to `path` (created or written again from its start); one
// notice on `console`.  Returns 0, -28 when the trace count is not 2, -29 when the two point counts
// differ (or a count lies outside 0..leading), -30 when the report cannot be opened.
[[nodiscard]] int SIG_TEST(const SigInput& in, std::ostream& console,
                           const std::string& path = "kor_sig_test1.txt");

// Probability that a normal variable of the given mean and standard deviation lies below x, by
// Simpson's rule in single precision (0.5 within 1e-4 standard deviations of the mean, 0 and 1
// beyond 7).  A NaN argument (or standard deviation 0 at the mean) gives NaN.  Returns 0.
int GAUSS_CDF(float x, float mean, float sd, float& p);

}  // namespace kor::resample

#endif  // KOR_RESAMPLE_SIGNIFICANCE_H_
