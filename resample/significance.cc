// SIG_TEST and GAUSS_CDF.
#include "resample/significance.h"

#include <cmath>
#include <fstream>
#include <ostream>
#include <vector>

#include "util/format.h"
#include "util/listout.h"
#include "util/missing.h"

namespace kor::resample {
namespace {

std::string_view trim(std::string_view s) {
  const std::size_t end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

std::string blanks(long n) { return std::string(n > 0 ? static_cast<std::size_t>(n) : 0, ' '); }

// The title broken into lines of at most 72 characters at the last blank before the limit, each
// centred on column 40.
void write_title(std::ostream& f, std::string_view title) {
  std::string_view rest = trim(title);
  while (!rest.empty()) {
    std::string_view line = rest;
    if (rest.size() > 72) {
      const std::size_t cut = rest.substr(0, 73).rfind(' ');
      const std::size_t at = cut == std::string_view::npos || cut == 0 ? 72 : cut;
      line = trim(rest.substr(0, at));
      rest = rest.substr(at);
      rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    } else {
      rest = {};
    }
    const long pad = 40 - static_cast<long>(line.size()) / 2;
    f << (pad >= 1 && pad <= 39 ? blanks(pad) : "") << line << '\n';
  }
}

void write_headers(std::ostream& f, const SigInput& in) {
  f << '\n';
  write_title(f, in.title);
  const std::string_view a = trim(in.range_from), b = trim(in.range_to);
  f << blanks(40 - static_cast<long>(a.size() + b.size() + 4) / 2) << a << " TO " << b << '\n';
  for (int t = 0; t < 2; ++t) {
    f << '\n' << util::format("(35X,A,I2.2)", {"TRACE # ", t + 1}) << '\n';
    const std::string_view label =
        t < static_cast<int>(in.labels.size()) ? trim(in.labels[t]) : std::string_view();
    const std::string_view text =
        t < static_cast<int>(in.texts.size()) ? trim(in.texts[t]) : std::string_view();
    std::string line(label);
    if (label.find(text) == std::string_view::npos) line += " " + std::string(text);
    f << blanks(40 - static_cast<long>(line.size()) / 2) << line << '\n';
  }
}

}  // namespace

int GAUSS_CDF(float x, float mean, float sd, float& p) {
  const float a = (x - mean) / sd;
  if (std::isnan(a)) {
    p = a;
  } else if (std::fabs(a) < 1e-4f) {
    p = 0.5f;
  } else if (a > 7) {
    p = 1;
  } else if (a < -7) {
    p = 0;
  } else {
    const float u = std::fabs(a);
    const int k = std::max(4, static_cast<int>(u / 0.1f));
    const int intervals = 2 * k;
    const float h = u / static_cast<float>(intervals);
    float sum = 1 + std::exp(-u * u / 2);
    for (int i = 1; i < intervals; ++i) {
      const float t = h * static_cast<float>(i);
      sum += (i % 2 == 1 ? 4.0f : 2.0f) * std::exp(-t * t / 2);
    }
    p = 0.5f + (a > 0 ? 1.0f : -1.0f) * h * 0.13298075f * sum;
  }
  return 0;
}

namespace {

// The paired differences of two traces of n points: a point takes part when both traces have a
// value there (NaN counts as no value).  The sums of the differences, of their squares, and of
// those with a partner after (lead) and before (trail) are kept in single precision.
struct Differences {
  Differences(const float* a, const float* b, int points) : y1(a), y2(b), n(points) {}
  bool both(int i) const { return i >= 0 && i < n && present(y1[i]) && present(y2[i]); }
  static bool present(float v) { return !std::isnan(v) && !util::IS_MISSING(v); }

  const float* y1;
  const float* y2;
  int n;
  std::vector<float> d;
  int m = 0, m1 = 0, m2 = 0;
  float sum = 0, sum2 = 0, lead = 0, trail = 0;
};

Differences paired_differences(const float* y1, const float* y2, int n) {
  Differences p(y1, y2, n);
  p.d.assign(static_cast<std::size_t>(n), 0.0f);
  for (int i = 0; i < n; ++i) {
    if (!p.both(i)) continue;
    ++p.m;
    p.d[i] = y1[i] - y2[i];
    p.sum += p.d[i];
    p.sum2 += p.d[i] * p.d[i];
    if (p.both(i + 1)) {
      p.lead += p.d[i];
      ++p.m1;
    }
    if (p.both(i - 1)) {
      p.trail += p.d[i];
      ++p.m2;
    }
  }
  return p;
}

// The lag-1 serial correlation of the differences; `computed` tells whether it could be formed.
float lag1_correlation(const Differences& p, bool& computed) {
  computed = false;
  if (p.m1 <= 3 || p.m2 <= 3) return 0;
  const float a = p.lead / static_cast<float>(p.m1), b = p.trail / static_cast<float>(p.m2);
  float sxy = 0, sxx = 0, syy = 0;
  for (int i = 0; i + 1 < p.n; ++i) {
    if (!p.both(i) || !p.both(i + 1)) continue;
    const float x = p.d[i] - a;
    const float yv = p.d[i + 1] - b;
    sxy += x * yv;
    sxx += x * x;
    syy += yv * yv;
  }
  const float den = std::sqrt(sxx * syy);
  if (!(den > 0)) return 0;
  computed = true;
  float r = sxy / den;
  // A correlation of 1 or more in magnitude (rounding can pass 1) would leave the inflated
  // variance infinite or negative.
  if (r >= 1) r = 0.95f;
  if (r <= -1) r = -0.95f;
  return r;
}

// The hypotheses and the decisions at the test levels for the mean difference `mean` and the
// probability `p` of wrongly rejecting the null hypothesis.
void write_decisions(std::ostream& f, float mean, float p) {
  f << '\n'
    << "Null Hypothesis (trace1 = trace2):\n"
    << "   The mean of the differences of the paired values from the\n"
    << "   two traces is zero.\n"
    << '\n';
  if (mean < 0) {
    f << "Alternative Hypothesis (trace1 < trace2):\n"
      << "   The mean of the paired differences is less than zero.\n";
  } else {
    f << "Alternative Hypothesis (trace1 > trace2):\n"
      << "   The mean of the paired differences exceeds zero.\n";
  }
  f << '\n'
    << util::format("(A,2X,F9.6)",
                    {" Gaussian probability of wrongly rejecting null hypothesis:", p})
    << '\n'
    << '\n'
    << "        Test Level   Decision (one-sided Gaussian) \n";
  for (float level : {0.1f, 0.05f, 0.01f, 0.005f, 0.001f}) {
    f << util::format("(11X,F5.3,7X,A)",
                      {level, level >= p ? "REJECT null hypothesis" : "ACCEPT null hypothesis"})
      << '\n';
  }
}

}  // namespace

int SIG_TEST(const SigInput& in, std::ostream& console, const std::string& path) {
  if (in.traces != 2) return kNotTwoTraces;
  if (in.points.size() < 2 || in.points[0] != in.points[1]) return kPointCountsDiffer;
  const int n = in.points[0];
  if (n < 0 || n > in.leading || in.y.size() < static_cast<std::size_t>(in.leading) * 2) {
    return kPointCountsDiffer;
  }
  std::ofstream f(path, std::ios::trunc);
  if (!f) return kCannotOpenReport;

  util::list_write(console, {});
  util::list_write(console, {"  See file kor_sig_test1.txt for output."});
  util::list_write(console, {});
  f << util::format("(24X,A)", {"STATISTICAL SIGNIFICANCE ANALYSIS"}) << '\n'
    << util::format("(25X,A)", {"FOR PAIRED DATA FROM TWO TRACES"}) << '\n';

  const Differences diff = paired_differences(in.y.data(), in.y.data() + in.leading, n);
  const int m = diff.m;
  write_headers(f, in);
  if (m <= 3) {
    f << '\n' << " THERE IS TOO LITTLE NON-MISSING TRACE DATA." << '\n' << '\n';
    return 0;
  }
  const float mean = diff.sum / static_cast<float>(m);
  const float var = diff.sum2 / static_cast<float>(m) - mean * mean;
  bool computed = false;
  const float r = in.serial_correlation ? lag1_correlation(diff, computed) : 0.0f;

  const float zraw = mean / std::sqrt(var / static_cast<float>(m));
  const float v = var / static_cast<float>(m) * (1 + r) / (1 - r);
  const float z = mean / std::sqrt(v);
  float g = 0;
  (void)GAUSS_CDF(std::fabs(z), 0, 1, g);
  const float p = 1 - g;
  write_decisions(f, mean, p);
  f << '\n'
    << util::format("(A,1PE13.5,A,1PE13.5,A,I8,A,0PF9.6)",
                    {" ZRAW = ", zraw, "  ZTST = ", z, "  N = ", m, "  Lag1 Corr = ", r})
    << '\n';
  if (in.serial_correlation && !computed) {
    f << '\n'
      << "Serial correlation could not be computed.\n"
      << "Serial correlation is assumed to be zero.\n";
  } else if (!in.serial_correlation) {
    f << '\n' << "The user set serial correlation to zero.\n";
  }
  return 0;
}

}  // namespace kor::resample
