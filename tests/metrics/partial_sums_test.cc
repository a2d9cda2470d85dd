// Scalar and vector partial-sum scores.  The sums are built from a small set of raw pairs, and the
// expected values come from two-pass statistics of those pairs.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "metrics/metrics.h"
#include "tests/metrics/metrics_testing.h"

namespace kor::metrics {
namespace {

using testing::kAbsent;
using testing::kM;

constexpr double kTol = 1e-12;

// Scalar pairs (forecast, observation).
const std::vector<double> kFc = {1, 2, 3, 4, 7}, kOb = {2, 2, 4, 3, 5};

std::vector<double> scalar_sums(const std::vector<double>& f, const std::vector<double>& o) {
  std::vector<double> s(6, 0.0);
  for (size_t i = 0; i < f.size(); ++i) {
    s[0] += 1;
    s[1] += f[i];
    s[2] += o[i];
    s[3] += f[i] * o[i];
    s[4] += f[i] * f[i];
    s[5] += o[i] * o[i];
  }
  return s;
}

double mean(const std::vector<double>& x) {
  double t = 0;
  for (double v : x) t += v;
  return t / x.size();
}

double cov(const std::vector<double>& x, const std::vector<double>& y) {
  const double mx = mean(x), my = mean(y);
  double t = 0;
  for (size_t i = 0; i < x.size(); ++i) t += (x[i] - mx) * (y[i] - my);
  return t / x.size();
}

double run_scalar(Scalar stat, const std::vector<double>& f) {
  return testing::one(
      f, [&](const SumsView& in, double m, Output& o) { return scalar_partial(stat, in, m, o); });
}

TEST(ScalarPartial, TwoPassStatisticsOfThePairs) {
  const std::vector<double> s = scalar_sums(kFc, kOb);
  std::vector<double> err(kFc.size());
  for (size_t i = 0; i < kFc.size(); ++i) err[i] = kFc[i] - kOb[i];
  double mse = 0;
  for (double e : err) mse += e * e / err.size();
  struct C {
    const char* name;
    Scalar stat;
    double want;
  };
  const C kCases[] = {
      {"mean error", Scalar::kMeanError, mean(err)},
      {"rmse", Scalar::kRmse, std::sqrt(mse)},
      {"correlation", Scalar::kCorrelation,
       cov(kFc, kOb) / std::sqrt(cov(kFc, kFc) * cov(kOb, kOb))},
      {"covariance", Scalar::kCovariance, cov(kFc, kOb)},
      {"forecast variance", Scalar::kForecastVariance, cov(kFc, kFc)},
      {"observed variance", Scalar::kObservedVariance, cov(kOb, kOb)},
      {"forecast sd", Scalar::kForecastSd, std::sqrt(cov(kFc, kFc))},
      {"observed sd", Scalar::kObservedSd, std::sqrt(cov(kOb, kOb))},
      {"error sd", Scalar::kErrorSd, std::sqrt(cov(err, err))},
  };
  for (const C& c : kCases) testing::expect_value(run_scalar(c.stat, s), c.want, kTol, c.name);
}

TEST(ScalarPartial, Guards) {
  // A constant forecast: ff = f^2, so the correlation has no value.
  const std::vector<double> constant = scalar_sums({3, 3, 3}, {1, 2, 4});
  // Rounding-free negative radicands: ff + oo - 2 fo < 0 and ff - f^2 < 0.
  const std::vector<double> odd = {2, 2, 2, 10, 1, 1};
  struct C {
    const char* name;
    Scalar stat;
    std::vector<double> f;
    double want;
  };
  const C kCases[] = {
      {"constant forecast: no correlation", Scalar::kCorrelation, constant, kM},
      {"constant forecast: sd 0", Scalar::kForecastSd, constant, 0.0},
      {"negative mse: no rmse", Scalar::kRmse, odd, kM},
      {"negative variance: no sd", Scalar::kForecastSd, odd, kM},
      {"negative variance is returned", Scalar::kForecastVariance, odd, 0.5 - 1.0},
      {"negative variance counts as 0 in the correlation", Scalar::kCorrelation, odd, kM},
      {"negative error variance: no error sd", Scalar::kErrorSd, {2, 0, 0, 10, 1, 1}, kM},
      {"N = 0", Scalar::kMeanError, {0, 1, 1, 1, 1, 1}, kM},
      {"N missing", Scalar::kMeanError, {kAbsent, 1, 1, 1, 1, 1}, kM},
      {"unnamed field missing is ignored",
       Scalar::kMeanError,
       {2, 6, 2, kAbsent, kAbsent, kAbsent},
       2.0},
      {"named field missing", Scalar::kRmse, {2, 6, 2, kAbsent, 1, 1}, kM},
  };
  for (const C& c : kCases) testing::expect_value(run_scalar(c.stat, c.f), c.want, kTol, c.name);
  int rc = 0;
  testing::one(
      constant,
      [](const SumsView& in, double m, Output& o) {
        return scalar_partial(static_cast<Scalar>(42), in, m, o);
      },
      &rc);
  EXPECT_EQ(rc, kBadOption);
}

TEST(ScalarPartial, EnsembleSpreadConsistency) {
  // N = 4: mse = (ff + oo - 2 fo) = (20 + 12 - 2 x 14) / 4 = 1, spread F7/N = 2, m = 9: 1 x 0.9
  // / 2.
  struct C {
    const char* name;
    int m;
    std::vector<double> f;
    double want;
  };
  const C kCases[] = {{"m = 9", 9, {4, 0, 0, 14, 20, 12, 8}, 0.45},
                      {"m = 1", 1, {4, 0, 0, 14, 20, 12, 8}, 0.25},
                      {"no spread", 9, {4, 0, 0, 14, 20, 12, 0}, kM},
                      {"spread missing (depth 6)", 9, {4, 0, 0, 14, 20, 12}, kM},
                      {"m + 1 = 0", -1, {4, 0, 0, 14, 20, 12, 8}, kM}};
  for (const C& c : kCases) {
    const double got = testing::one(
        c.f, [&](const SumsView& in, double m, Output& o) { return scalar_esci(c.m, in, m, o); });
    testing::expect_value(got, c.want, kTol, c.name);
  }
}

// Vector pairs: forecast (uf, vf) and observation (uo, vo).
const std::vector<double> kUf = {1, 0, 3, -2}, kVf = {2, 1, -1, 0}, kUo = {0, 1, 2, -1},
                          kVo = {2, 2, 0, 1};

std::vector<double> vector_sums() {
  std::vector<double> s(8, 0.0);
  for (size_t i = 0; i < kUf.size(); ++i) {
    s[0] += 1;
    s[1] += kUf[i];
    s[2] += kVf[i];
    s[3] += kUo[i];
    s[4] += kVo[i];
    s[5] += kUf[i] * kUo[i] + kVf[i] * kVo[i];
    s[6] += kUf[i] * kUf[i] + kVf[i] * kVf[i];
    s[7] += kUo[i] * kUo[i] + kVo[i] * kVo[i];
  }
  return s;
}

double run_vector(Vector stat, const std::vector<double>& f) {
  return testing::one(
      f, [&](const SumsView& in, double m, Output& o) { return vector_partial(stat, in, m, o); });
}

TEST(VectorPartial, TwoPassStatisticsOfTheVectors) {
  const std::vector<double> s = vector_sums();
  const size_t n = kUf.size();
  std::vector<double> du(n), dv(n);
  double msf = 0, mso = 0, mse = 0;
  for (size_t i = 0; i < n; ++i) {
    du[i] = kUf[i] - kUo[i];
    dv[i] = kVf[i] - kVo[i];
    msf += (kUf[i] * kUf[i] + kVf[i] * kVf[i]) / n;
    mso += (kUo[i] * kUo[i] + kVo[i] * kVo[i]) / n;
    mse += (du[i] * du[i] + dv[i] * dv[i]) / n;
  }
  const double vcov = cov(kUf, kUo) + cov(kVf, kVo);
  const double vf = cov(kUf, kUf) + cov(kVf, kVf), vo = cov(kUo, kUo) + cov(kVo, kVo);
  struct C {
    const char* name;
    Vector stat;
    double want;
  };
  const C kCases[] = {
      {"speed bias", Vector::kSpeedBias, std::sqrt(msf) - std::sqrt(mso)},
      {"rmse", Vector::kRmse, std::sqrt(mse)},
      {"correlation", Vector::kCorrelation, vcov / std::sqrt(vf * vo)},
      {"covariance", Vector::kCovariance, vcov},
      {"forecast variance", Vector::kForecastVariance, vf},
      {"observed variance", Vector::kObservedVariance, vo},
      {"forecast sd", Vector::kForecastSd, std::sqrt(vf)},
      {"observed sd", Vector::kObservedSd, std::sqrt(vo)},
      {"u bias", Vector::kUBias, mean(du)},
      {"v bias", Vector::kVBias, mean(dv)},
      {"bias magnitude", Vector::kBiasMagnitude, std::hypot(mean(du), mean(dv))},
      {"error sd", Vector::kErrorSd, std::sqrt(cov(du, du) + cov(dv, dv))},
  };
  for (const C& c : kCases) testing::expect_value(run_vector(c.stat, s), c.want, kTol, c.name);
}

TEST(VectorPartial, Guards) {
  const std::vector<double> calm = {2, 1, 1, 0, 0, 0, 2, 0};  // observation calm: no variance
  struct C {
    const char* name;
    Vector stat;
    std::vector<double> f;
    double want;
  };
  const C kCases[] = {
      {"calm observation: no correlation", Vector::kCorrelation, calm, kM},
      {"negative speed square: no speed bias", Vector::kSpeedBias, {2, 0, 0, 0, 0, 0, -2, 2}, kM},
      {"negative mse: no rmse", Vector::kRmse, {2, 0, 0, 0, 0, 10, 1, 1}, kM},
      {"negative variance: no sd", Vector::kForecastSd, {2, 2, 2, 0, 0, 0, 1, 0}, kM},
      {"negative error variance: no error sd", Vector::kErrorSd, {2, 0, 0, 0, 0, 10, 1, 1}, kM},
      {"N < 0: no bias magnitude", Vector::kBiasMagnitude, {-2, 2, 0, 0, 0, 0, 0, 0}, kM},
      {"N < 0: u bias is still formed", Vector::kUBias, {-2, 2, 0, 0, 0, 0, 0, 0}, -1.0},
      {"N = 0", Vector::kUBias, {0, 2, 0, 0, 0, 0, 0, 0}, kM},
      {"named field missing", Vector::kVBias, {2, 0, kAbsent, 0, 0}, kM},
  };
  for (const C& c : kCases) testing::expect_value(run_vector(c.stat, c.f), c.want, kTol, c.name);
}

TEST(VectorPartial, EnsembleSpreadConsistency) {
  // mse = (ff + oo - 2 fo) / N = (10 + 6 - 2 x 4) / 2 = 4, spread F9/N = 1, m = 3: 4 x 0.75 / 1.
  const double got = testing::one(
      {2, 0, 0, 0, 0, 4, 10, 6, 2},
      [](const SumsView& in, double m, Output& o) { return vector_esci(3, in, m, o); });
  EXPECT_DOUBLE_EQ(got, 3.0);
  const double none = testing::one(
      {2, 0, 0, 0, 0, 4, 10, 6},
      [](const SumsView& in, double m, Output& o) { return vector_esci(3, in, m, o); });
  EXPECT_EQ(none, kM);
}

}  // namespace
}  // namespace kor::metrics
