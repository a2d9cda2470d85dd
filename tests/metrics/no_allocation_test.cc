// Every routine runs without allocating: the global allocation functions of this test program count
// the calls made while a routine runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "metrics/metrics.h"
#include "tests/metrics/metrics_testing.h"

// The replacements below pair malloc with free throughout; GCC cannot see that once they are
// inlined into code that pairs new with delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<int> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  if (g_counting) ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace kor::metrics {
namespace {

using Call = int (*)(const SumsView&, double, Output&);

const float kProb[14] = {0,    0.1f, 0.2f, 0.3f,  0.4f,  0.5f,  0.6f,
                         0.7f, 0.8f, 0.9f, 0.95f, 0.97f, 0.99f, 1};

struct Named {
  const char* name;
  Call call;
};

const Named kRoutines[] = {
    {"frequency_bias",
     [](const SumsView& in, double m, Output& o) { return frequency_bias(in, m, o); }},
    {"skill_score",
     [](const SumsView& in, double m, Output& o) { return skill_score(0, in, m, o); }},
    {"threat_score",
     [](const SumsView& in, double m, Output& o) { return threat_score(in, m, o); }},
    {"false_alarm",
     [](const SumsView& in, double m, Output& o) { return false_alarm(1, in, m, o); }},
    {"post_agreement",
     [](const SumsView& in, double m, Output& o) { return post_agreement(in, m, o); }},
    {"detection_probability",
     [](const SumsView& in, double m, Output& o) { return detection_probability(in, m, o); }},
    {"odds_ratio", [](const SumsView& in, double m, Output& o) { return odds_ratio(5, in, m, o); }},
    {"accuracy", [](const SumsView& in, double m, Output& o) { return accuracy(in, m, o); }},
    {"extreme_dependency",
     [](const SumsView& in, double m, Output& o) { return extreme_dependency(4, in, m, o); }},
    {"clayton_skill",
     [](const SumsView& in, double m, Output& o) { return clayton_skill(in, m, o); }},
    {"adjusted_threat_score",
     [](const SumsView& in, double m, Output& o) { return adjusted_threat_score(4, in, m, o); }},
    {"two_afc", [](const SumsView& in, double m, Output& o) { return two_afc(in, m, o); }},
    {"benchmark_value",
     [](const SumsView& in, double m, Output& o) {
       std::string_view label;
       return benchmark_value(16, in, m, o, &label);
     }},
    {"benchmark_reference",
     [](const SumsView& in, double m, Output& o) { return benchmark_reference(in, m, o); }},
    {"field_sum", [](const SumsView& in, double m, Output& o) { return field_sum(3, in, m, o); }},
    {"field_mean", [](const SumsView& in, double m, Output& o) { return field_mean(3, in, m, o); }},
    {"scalar_partial", [](const SumsView& in, double m,
                          Output& o) { return scalar_partial(Scalar::kCorrelation, in, m, o); }},
    {"scalar_esci",
     [](const SumsView& in, double m, Output& o) { return scalar_esci(10, in, m, o); }},
    {"vector_partial", [](const SumsView& in, double m,
                          Output& o) { return vector_partial(Vector::kErrorSd, in, m, o); }},
    {"vector_esci",
     [](const SumsView& in, double m, Output& o) { return vector_esci(10, in, m, o); }},
    {"brier",
     [](const SumsView& in, double m, Output& o) { return brier(0, in, 28, kProb, 14, m, o); }},
    {"risk_probability",
     [](const SumsView& in, double m, Output& o) { return risk_probability(2, in, 28, m, o); }},
    {"brier_decomposition",
     [](const SumsView& in, double m, Output& o) {
       return brier_decomposition(4, in, 28, kProb, 14, m, o);
     }},
    {"climatology",
     [](const SumsView& in, double m, Output& o) { return climatology(0, in, 28, m, o); }},
    {"category_sum",
     [](const SumsView& in, double m, Output& o) { return category_sum(2, in, 28, m, o); }},
    {"threshold_score",
     [](const SumsView& in, double m, Output& o) {
       return threshold_score(Threshold2x2::kLogOddsStdErr, 2, in, 28, m, o);
     }},
    {"ranked_probability",
     [](const SumsView& in, double m, Output& o) { return ranked_probability(in, 28, m, o); }},
    {"category_forecast_probability",
     [](const SumsView& in, double m, Output& o) {
       return category_forecast_probability(9, in, 28, m, o);
     }},
    {"category_observed_frequency",
     [](const SumsView& in, double m, Output& o) {
       return category_observed_frequency(2, in, 28, m, o);
     }},
    {"climatology_ranked_probability",
     [](const SumsView& in, double m, Output& o) {
       return climatology_ranked_probability(in, 28, m, o);
     }},
    {"count_fraction",
     [](const SumsView& in, double m, Output& o) { return count_fraction(5, in, 28, m, o); }},
    {"no_skill_fraction",
     [](const SumsView& in, double m, Output& o) { return no_skill_fraction(in, m, o); }},
    {"phase",
     [](const SumsView& in, double m, Output& o) { return phase(4, 10, false, in, m, o); }},
    {"direction", [](const SumsView& in, double m, Output& o) { return direction(in, m, o); }},
    {"s1_score", [](const SumsView& in, double m, Output& o) { return s1_score(3, in, 11, m, o); }},
    {"object_attribute",
     [](const SumsView& in, double m, Output& o) { return object_attribute(3, in, 17, m, o); }},
    {"fractions_skill",
     [](const SumsView& in, double m, Output& o) { return fractions_skill(in, 4, m, o); }},
    {"paired_exceedance",
     [](const SumsView& in, double m, Output& o) { return paired_exceedance(4, in, m, o); }},
    {"crps_decomposition",
     [](const SumsView& in, double m,
        Output& o) { return crps_decomposition(6, in, 26, kProb, 10, m, o); }},
};

TEST(NoAllocation, EveryRoutine) {
  // Fifty samples of 28 fields with positive, varied values; and the scratch results.
  std::vector<std::vector<double>> samples(50, std::vector<double>(28));
  for (int s = 0; s < 50; ++s) {
    samples[s][0] = 100 + s;
    for (int k = 2; k <= 28; ++k) samples[s][k - 1] = 1 + (s * 7 + k * 3) % 11;
  }
  const testing::SumsArray a(samples, 2, 1);
  std::vector<double> values(50);
  const SumsView in = a.view();
  for (const Named& r : kRoutines) {
    Output out{values.data()};
    g_allocations = 0;
    g_counting = true;
    const int rc = r.call(in, testing::kM, out);
    g_counting = false;
    EXPECT_EQ(rc, kOk) << r.name;
    EXPECT_EQ(g_allocations, 0) << r.name;
  }
  std::vector<double> y = {10, 6, 3, 1}, t = {1, 2, 4, 8};
  Output out{y.data()};
  g_allocations = 0;
  g_counting = true;
  const int rc = percent_of_total(Percent::kCumulativeVolume, t.data(), 4, testing::kM, out);
  g_counting = false;
  EXPECT_EQ(rc, kOk);
  EXPECT_EQ(g_allocations, 0) << "percent_of_total";
}

TEST(NoAllocation, TheCounterSeesAnAllocation) {
  g_allocations = 0;
  g_counting = true;
  auto* p = new std::vector<double>(3);
  g_counting = false;
  delete p;
  EXPECT_GE(g_allocations, 1);
}

}  // namespace
}  // namespace kor::metrics
