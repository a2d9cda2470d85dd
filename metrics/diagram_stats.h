// Statistics of the summary diagrams and of their uncertainty.
//
// The performance diagram places a 2x2 table by its success ratio and probability of detection,
// with the critical success index and the frequency bias read from its background; the Taylor
// diagram places a forecast by its standard deviation and its correlation with the observations,
// the centred RMS difference being the distance from the observed reference point.  The
// reliability and ROC diagrams take confidence intervals: Wilson score intervals of an observed
// relative frequency, and the area under the ROC curve with the standard error of Hanley and
// McNeil.  Everything here is a pure function of counts or sums (N-weighted, so that counts need
// not be whole numbers); nothing is read or written.
#ifndef KOR_METRICS_DIAGRAM_STATS_H_
#define KOR_METRICS_DIAGRAM_STATS_H_

#include <optional>
#include <span>

namespace kor::metrics {

// One point of a performance diagram from the forecast (F), hit (H) and observed (O) counts:
// success ratio SR = H / F, probability of detection POD = H / O, critical success index
// CSI = H / (F + O - H) (= 1 / (1/SR + 1/POD - 1) when H > 0) and frequency bias F / O
// (= POD / SR).  None when F or O is not positive, H is negative, a value is not finite, or H
// exceeds F or O by more than rounding (SR or POD above 1); a ratio within rounding above 1 is
// taken as 1.
struct PerformancePoint {
  double success_ratio = 0, pod = 0, csi = 0, bias = 0;
};
std::optional<PerformancePoint> performance_point(double forecasts, double hits, double observed);

// The critical success index of a success ratio and a probability of detection (both in 0..1);
// 0 when either is 0.
double csi_of(double success_ratio, double pod);

// The probability of detection on the CSI contour `csi` at success ratio `sr`:
// POD = 1 / (1/csi + 1 - 1/sr), defined for csi <= sr <= 1 (0 < csi < 1); none elsewhere.
std::optional<double> csi_contour_pod(double csi, double sr);

// Taylor statistics of scalar partial sums: count n and the sums of f, o, f o, f f and o o.
// Standard deviations sd_f = sqrt(ff/n - (f/n)^2) and sd_o likewise (population form, as the
// partial sums give them), correlation R = (fo/n - f o / n^2) / (sd_f sd_o), and centred RMS
// difference E' = sqrt(sd_f^2 + sd_o^2 - 2 sd_f sd_o R).  None when n is not positive, either
// standard deviation is not positive, or a sum or a ratio to sd_o is not finite.  The correlation
// is held to -1..1.
struct TaylorStatistics {
  double n = 0, forecast_sd = 0, observed_sd = 0, correlation = 0, centred_rmsd = 0;
  double sd_ratio() const { return forecast_sd / observed_sd; }
  double rmsd_ratio() const { return centred_rmsd / observed_sd; }
};
std::optional<TaylorStatistics> taylor_statistics(double n, double sum_f, double sum_o,
                                                  double sum_fo, double sum_ff, double sum_oo);

// The quantile of the standard normal distribution at probability p (0 < p < 1; none outside),
// good to about 1e-15 relative.
std::optional<double> normal_quantile(double p);

// The normal quantile of a two-sided confidence level (0 < level < 1): the quantile at
// (1 + level) / 2, 1.959964 for 0.95.
std::optional<double> two_sided_z(double level);

// A confidence interval.
struct Interval {
  double lower = 0, upper = 0;
};

// The Wilson score interval of the proportion events / trials at normal quantile z:
// centre (p + z^2/2n) / (1 + z^2/n), half-width z sqrt(p (1 - p)/n + z^2/4n^2) / (1 + z^2/n),
// held to 0..1.  None when trials is not positive, events is negative or above trials, or z is
// negative.
std::optional<Interval> wilson_interval(double events, double trials, double z);

// The area under a ROC curve through points (x, y) in rising x, from (0, 0) to (1, 1), by the
// trapezoid rule (the two end points are added).  None when the lists differ in length, are
// empty, fall in x, or hold a value outside 0..1.
std::optional<double> trapezoid_roc_area(std::span<const float> x, std::span<const double> y);

// The area under the constant-odds-ratio ROC curve y = R x / (1 + (R - 1) x):
// R / (R - 1) (1 - ln R / (R - 1)), 0.5 at R = 1.  None for a negative or non-finite R.
std::optional<double> odds_ratio_roc_area(double odds_ratio);

// The standard error of a ROC area A from `positives` events and `negatives` non-events (Hanley
// and McNeil 1982): with Q1 = A / (2 - A) and Q2 = 2 A^2 / (1 + A),
// SE^2 = (A (1 - A) + (n_A - 1)(Q1 - A^2) + (n_N - 1)(Q2 - A^2)) / (n_A n_N).
// None when either count is not positive, A lies outside 0..1 or the variance is negative.
std::optional<double> hanley_mcneil_se(double area, double positives, double negatives);

}  // namespace kor::metrics

#endif  // KOR_METRICS_DIAGRAM_STATS_H_
