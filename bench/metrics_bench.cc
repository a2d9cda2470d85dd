// The heaviest metric routines over one resampling pair: 2 members x 28 fields x 10002 trials, the
// largest trial count that resampling accepts.  Each iteration is one call for member 2, the way
// the resampled metric driver calls the library once per trial set.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "metrics/metrics.h"

namespace kor::metrics {
namespace {

constexpr int kTrials = 10002;
constexpr int kLead = 2;
constexpr double kMissing = -9999.0;

enum class Kind { kFho, kVector, kPbs, kRanked, kCrps };

// Plausible trial sums of one record type, the same for every run (the generator starts from its
// default state).
std::vector<double> make_sums(Kind kind) {
  std::vector<double> data(static_cast<size_t>(kLead) * kMaxFields * kTrials, 0.0);
  std::minstd_rand gen;
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int t = 0; t < kTrials; ++t) {
    for (int m = 0; m < kLead; ++m) {
      auto F = [&](int k) -> double& { return data[m + kLead * ((k - 1) + kMaxFields * t)]; };
      const double n = 100 + 100 * u(gen);
      F(1) = n;
      switch (kind) {
        case Kind::kFho:
          F(4) = n * (0.05 + 0.3 * u(gen));
          F(2) = n * (0.05 + 0.3 * u(gen));
          F(3) = std::min(F(2), F(4)) * (0.2 + 0.7 * u(gen));
          break;
        case Kind::kVector:
          for (int k = 2; k <= 5; ++k) F(k) = n * (u(gen) * 10 - 5);
          F(6) = n * (u(gen) * 20);
          F(7) = n * (30 + 20 * u(gen));
          F(8) = n * (30 + 20 * u(gen));
          F(9) = n * (1 + u(gen));
          break;
        case Kind::kPbs: {  // K = 14 categories: counts F2..F14, events F15..F28
          double used = 0;
          for (int j = 2; j <= 14; ++j) used += F(j) = n / 16 * u(gen);
          for (int j = 1; j <= 14; ++j) F(14 + j) = (j == 1 ? n - used : F(j)) * u(gen);
          break;
        }
        case Kind::kRanked:  // G = 9 triples
          for (int c = 1; c <= 9; ++c) {
            F(3 * c - 1) = n * 0.05 * u(gen);
            F(3 * c) = n * 0.05 * u(gen);
            F(3 * c + 1) = n * 0.1 * u(gen);
          }
          break;
        case Kind::kCrps:  // I = 11 bins, D = 26
          for (int k = 2; k <= 23; ++k) F(k) = n * 0.04 * u(gen);
          F(24) = n * 0.1 * u(gen);
          F(25) = n * (0.9 + 0.1 * u(gen));
          F(26) = n * 0.2 * u(gen);
          break;
      }
    }
  }
  return data;
}

template <class Call>
void run(benchmark::State& state, Kind kind, Call call) {
  const std::vector<double> data = make_sums(kind);
  std::vector<double> values(kTrials);
  const SumsView in{data.data(), kLead, kMaxFields, kTrials, 1};
  for (auto _ : state) {
    Output out{values.data()};
    const int rc = call(in, out);
    if (rc != kOk) state.SkipWithError("metric routine failed");
    benchmark::DoNotOptimize(values.data());
    benchmark::DoNotOptimize(out.min);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kTrials);
}

const float kPbsProbabilities[14] = {0.0f, 0.05f, 0.1f, 0.2f, 0.3f,  0.4f,  0.5f,
                                     0.6f, 0.7f,  0.8f, 0.9f, 0.95f, 0.98f, 1.0f};
const float kCrpsCalibration[10] = {0.05f, 0.1f, 0.15f, 0.25f, 0.4f,
                                    0.5f,  0.6f, 0.75f, 0.85f, 0.9f};

void BM_FrequencyBias(benchmark::State& s) {
  run(s, Kind::kFho, [](const SumsView& in, Output& o) { return frequency_bias(in, kMissing, o); });
}
void BM_OddsRatioLnOverStdErr(benchmark::State& s) {
  run(s, Kind::kFho, [](const SumsView& in, Output& o) { return odds_ratio(5, in, kMissing, o); });
}
void BM_Sedi(benchmark::State& s) {
  run(s, Kind::kFho,
      [](const SumsView& in, Output& o) { return extreme_dependency(4, in, kMissing, o); });
}
void BM_DhdaEquitableThreat(benchmark::State& s) {
  run(s, Kind::kFho,
      [](const SumsView& in, Output& o) { return adjusted_threat_score(4, in, kMissing, o); });
}
void BM_BenchmarkValueEtsDhda(benchmark::State& s) {
  run(s, Kind::kFho,
      [](const SumsView& in, Output& o) { return benchmark_value(17, in, kMissing, o, nullptr); });
}
void BM_VectorCorrelation(benchmark::State& s) {
  run(s, Kind::kVector, [](const SumsView& in, Output& o) {
    return vector_partial(Vector::kCorrelation, in, kMissing, o);
  });
}
void BM_VectorErrorSd(benchmark::State& s) {
  run(s, Kind::kVector, [](const SumsView& in, Output& o) {
    return vector_partial(Vector::kErrorSd, in, kMissing, o);
  });
}
void BM_BrierScore14(benchmark::State& s) {
  run(s, Kind::kPbs, [](const SumsView& in, Output& o) {
    return brier(0, in, 28, kPbsProbabilities, 14, kMissing, o);
  });
}
void BM_BrierSkill14(benchmark::State& s) {
  run(s, Kind::kPbs, [](const SumsView& in, Output& o) {
    return brier_decomposition(4, in, 28, kPbsProbabilities, 14, kMissing, o);
  });
}
void BM_ThresholdStdErr14(benchmark::State& s) {
  run(s, Kind::kPbs, [](const SumsView& in, Output& o) {
    return threshold_score(Threshold2x2::kLogOddsStdErr, 1, in, 28, kMissing, o);
  });
}
void BM_CountFraction28(benchmark::State& s) {
  run(s, Kind::kPbs,
      [](const SumsView& in, Output& o) { return count_fraction(4, in, 28, kMissing, o); });
}
void BM_RankedProbability9(benchmark::State& s) {
  run(s, Kind::kRanked,
      [](const SumsView& in, Output& o) { return ranked_probability(in, 28, kMissing, o); });
}
void BM_CrpsSkill11Bins(benchmark::State& s) {
  run(s, Kind::kCrps, [](const SumsView& in, Output& o) {
    return crps_decomposition(6, in, 26, kCrpsCalibration, 10, kMissing, o);
  });
}

BENCHMARK(BM_FrequencyBias);
BENCHMARK(BM_OddsRatioLnOverStdErr);
BENCHMARK(BM_Sedi);
BENCHMARK(BM_DhdaEquitableThreat);
BENCHMARK(BM_BenchmarkValueEtsDhda);
BENCHMARK(BM_VectorCorrelation);
BENCHMARK(BM_VectorErrorSd);
BENCHMARK(BM_BrierScore14);
BENCHMARK(BM_BrierSkill14);
BENCHMARK(BM_ThresholdStdErr14);
BENCHMARK(BM_CountFraction28);
BENCHMARK(BM_RankedProbability9);
BENCHMARK(BM_CrpsSkill11Bins);

}  // namespace
}  // namespace kor::metrics
