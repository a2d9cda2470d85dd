#include "metrics/diagram_stats.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kor::metrics {
namespace {

// Ratios of sums within this much above 1 count as 1 (rounding of N-weighted sums).
constexpr double kRatioSlack = 1e-9;

bool finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// A ratio that may exceed 1 only by rounding, held to 1; none beyond that.
std::optional<double> unit_ratio(double num, double den) {
  const double r = num / den;
  if (!std::isfinite(r) || r > 1.0 + kRatioSlack) return std::nullopt;
  return std::min(r, 1.0);
}

}  // namespace

std::optional<PerformancePoint> performance_point(double forecasts, double hits, double observed) {
  if (!finite({forecasts, hits, observed})) return std::nullopt;
  if (!(forecasts > 0) || !(observed > 0) || hits < 0) return std::nullopt;
  const auto sr = unit_ratio(hits, forecasts);
  const auto pod = unit_ratio(hits, observed);
  if (!sr || !pod) return std::nullopt;
  PerformancePoint p;
  p.success_ratio = *sr;
  p.pod = *pod;
  // Counted directly, the index and the bias need no case for H = 0; with H at most F and O the
  // union F + O - H is at least F, so positive.
  p.csi = std::min(hits / (forecasts + observed - hits), 1.0);
  p.bias = forecasts / observed;
  return p;
}

double csi_of(double sr, double pod) {
  if (!(sr > 0) || !(pod > 0)) return 0.0;
  return 1.0 / (1.0 / sr + 1.0 / pod - 1.0);
}

std::optional<double> csi_contour_pod(double csi, double sr) {
  if (!(csi > 0) || !(csi < 1) || sr < csi || sr > 1) return std::nullopt;
  const double d = 1.0 / csi + 1.0 - 1.0 / sr;
  if (!(d >= 1.0 - kRatioSlack)) return std::nullopt;
  return std::min(1.0, 1.0 / d);
}

std::optional<TaylorStatistics> taylor_statistics(double n, double sum_f, double sum_o,
                                                  double sum_fo, double sum_ff, double sum_oo) {
  if (!finite({n, sum_f, sum_o, sum_fo, sum_ff, sum_oo}) || !(n > 0)) return std::nullopt;
  const double f = sum_f / n, o = sum_o / n;
  const double var_f = sum_ff / n - f * f;
  const double var_o = sum_oo / n - o * o;
  const double cov = sum_fo / n - f * o;
  if (!(var_f > 0) || !(var_o > 0)) return std::nullopt;
  TaylorStatistics t;
  t.n = n;
  t.forecast_sd = std::sqrt(var_f);
  t.observed_sd = std::sqrt(var_o);
  t.correlation = std::clamp(cov / (t.forecast_sd * t.observed_sd), -1.0, 1.0);
  t.centred_rmsd = std::sqrt(std::max(0.0, var_f + var_o - 2.0 * cov));
  if (!finite({t.correlation, t.centred_rmsd, t.sd_ratio(), t.rmsd_ratio()})) return std::nullopt;
  return t;
}

std::optional<double> normal_quantile(double p) {
  if (!(p > 0) || !(p < 1)) return std::nullopt;
  // Rational approximations of the central region and of the tails (relative error below
  // 1.2e-9), then one step of Halley's method on the normal distribution function.
  static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                 -2.759285104469687e+02, 1.383577518672690e+02,
                                 -3.066479806614716e+01, 2.506628277459239e+00};
  static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                 -1.556989798598866e+02, 6.680131188771972e+01,
                                 -1.328068155288572e+01};
  static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                 -2.400758277161838e+00, -2.549732539343734e+00,
                                 4.374664141464968e+00,  2.938163982698783e+00};
  static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01,
                                 2.445134137142996e+00, 3.754408661907416e+00};
  constexpr double kLow = 0.02425;
  double x = 0;
  if (p < kLow || p > 1 - kLow) {
    const double q = std::sqrt(-2 * std::log(p < kLow ? p : 1 - p));
    x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
        ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    if (p > 1 - kLow) x = -x;
  } else {
    const double q = p - 0.5, r = q * q;
    x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
        (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
  }
  const double e = 0.5 * std::erfc(-x / std::numbers::sqrt2) - p;
  const double u = e * std::sqrt(2 * std::numbers::pi) * std::exp(x * x / 2);
  return x - u / (1 + x * u / 2);
}

std::optional<double> two_sided_z(double level) {
  if (!(level > 0) || !(level < 1)) return std::nullopt;
  return normal_quantile((1 + level) / 2);
}

std::optional<Interval> wilson_interval(double events, double trials, double z) {
  if (!finite({events, trials, z}) || !(trials > 0) || events < 0 || z < 0) return std::nullopt;
  if (events > trials * (1 + kRatioSlack)) return std::nullopt;
  const double p = std::min(events / trials, 1.0);
  const double z2 = z * z;
  const double scale = 1 + z2 / trials;
  const double centre = (p + z2 / (2 * trials)) / scale;
  const double half = z * std::sqrt(p * (1 - p) / trials + z2 / (4 * trials * trials)) / scale;
  return Interval{std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

std::optional<double> trapezoid_roc_area(std::span<const float> x, std::span<const double> y) {
  if (x.size() != y.size() || x.empty()) return std::nullopt;
  double area = 0, px = 0, py = 0;
  for (std::size_t i = 0; i <= x.size(); ++i) {
    const double cx = i < x.size() ? x[i] : 1.0;
    const double cy = i < y.size() ? y[i] : 1.0;
    if (!(cx >= 0 && cx <= 1) || !(cy >= 0 && cy <= 1) || cx < px) return std::nullopt;
    area += (cx - px) * (cy + py) / 2;
    px = cx;
    py = cy;
  }
  return area;
}

std::optional<double> odds_ratio_roc_area(double r) {
  if (!std::isfinite(r) || r < 0) return std::nullopt;
  if (r == 0) return 0.0;
  const double a = r - 1;
  // Near R = 1 the closed form cancels; its expansion 1/2 + a/6 - a^2/12 serves there.
  if (std::fabs(a) < 1e-4) return 0.5 + a / 6 - a * a / 12;
  return r / a * (1 - std::log(r) / a);
}

std::optional<double> hanley_mcneil_se(double area, double positives, double negatives) {
  if (!finite({area, positives, negatives}) || !(positives > 0) || !(negatives > 0)) {
    return std::nullopt;
  }
  if (area < 0 || area > 1) return std::nullopt;
  const double a2 = area * area;
  const double q1 = area / (2 - area);
  const double q2 = 2 * a2 / (1 + area);
  const double var =
      (area * (1 - area) + (positives - 1) * (q1 - a2) + (negatives - 1) * (q2 - a2)) /
      (positives * negatives);
  if (!(var >= 0)) return std::nullopt;
  return std::sqrt(var);
}

}  // namespace kor::metrics
