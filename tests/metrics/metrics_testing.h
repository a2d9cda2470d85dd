// Test support for the metric library: a sums-array builder that places the samples under test at
// one leading index among decoy entries, a runner that captures results, range and error word, and
// floating-point traps so that any division by zero or invalid operation in a routine aborts the
// test instead of hiding behind a missing value.
#ifndef KOR_TESTS_METRICS_METRICS_TESTING_H_
#define KOR_TESTS_METRICS_METRICS_TESTING_H_

#include <fenv.h>
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "metrics/metrics.h"
#include "util/missing.h"

namespace kor::metrics::testing {

inline constexpr double kM = util::kPlotMissing;            // the callers' missing value
inline constexpr double kAbsent = tracefile::kMissingFill;  // what the reader leaves in fields
inline constexpr double kDecoy = 12345.0;                   // entries of other leading indices
inline constexpr double kUnwritten = 4242.0;                // result slots before the call

// Traps division by zero and invalid operations for the whole test program.
class FpTraps : public ::testing::Environment {
 public:
  void SetUp() override { feenableexcept(FE_DIVBYZERO | FE_INVALID); }
  void TearDown() override { fedisableexcept(FE_DIVBYZERO | FE_INVALID); }
};

// Registered once per test program.
inline ::testing::Environment* const kFpTrapsEnvironment =
    ::testing::AddGlobalTestEnvironment(new FpTraps);

// A (lead, fields, n) sums array.  Sample s holds the listed fields 1, 2, ...; fields not listed
// hold kAbsent; every entry of another leading index holds kDecoy.
class SumsArray {
 public:
  SumsArray(std::vector<std::vector<double>> samples, int lead = 24, int index = 5,
            int fields = kMaxFields)
      : lead_(lead), index_(index), fields_(fields), n_(static_cast<int>(samples.size())) {
    data_.assign(static_cast<size_t>(lead) * fields * (n_ > 0 ? n_ : 1), kDecoy);
    for (int s = 0; s < n_; ++s) {
      for (int k = 1; k <= fields; ++k) {
        const size_t at =
            index + static_cast<size_t>(lead) * ((k - 1) + static_cast<size_t>(fields) * s);
        data_[at] = k <= static_cast<int>(samples[s].size()) ? samples[s][k - 1] : kAbsent;
      }
    }
  }
  SumsView view() const { return SumsView{data_.data(), lead_, fields_, n_, index_}; }

 private:
  int lead_, index_, fields_, n_;
  std::vector<double> data_;
};

struct Run {
  int rc = 0;
  std::vector<double> v;
  float min = 0, max = 0;
};

// Calls fn(view, missing, out) on the samples and captures everything it returns.
template <class Fn>
Run run(const SumsArray& a, Fn&& fn) {
  Run r;
  const SumsView in = a.view();
  r.v.assign(in.n, kUnwritten);
  Output out{r.v.data(), 7.0f, -7.0f};
  r.rc = fn(in, kM, out);
  r.min = out.min;
  r.max = out.max;
  return r;
}

// One sample, one result.
template <class Fn>
double one(std::vector<double> fields, Fn&& fn, int* rc = nullptr) {
  const Run r = run(SumsArray({std::move(fields)}), fn);
  if (rc != nullptr) *rc = r.rc;
  return r.v.at(0);
}

// Checks a result against a worked value: kM means missing; otherwise relative tolerance tol.
inline void expect_value(double got, double want, double tol, const std::string& what) {
  if (want == kM) {
    EXPECT_EQ(got, kM) << what;
  } else {
    EXPECT_NE(got, kM) << what;
    EXPECT_NEAR(got, want, tol * (1.0 + std::fabs(want))) << what;
  }
}

inline constexpr double kDoubleTol = 1e-12;
inline constexpr double kSingleTol = 2e-6;

}  // namespace kor::metrics::testing

#endif  // KOR_TESTS_METRICS_METRICS_TESTING_H_
