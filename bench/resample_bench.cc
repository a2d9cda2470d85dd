// Resampling of a plot point by point: the fast path (records read once per plot, sums sized to
// the data, library sort) against the per-call path (the whole file at every point, every trial
// sum slot cleared, exchange sort).  Each iteration resamples every abscissa point of the plot;
// the counter "per_point" is the time of one point.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "resample/resample.h"
#include "resample/ucd_writer.h"

namespace {

using namespace kor::resample;

constexpr int kTraces = 4;
constexpr int kPoints = 64;
constexpr int kRecords = 2000;  // per trace and point
constexpr int kDepth = 6;

const std::string& plot_file() {
  static const std::string path = [] {
    const std::string p = "resample_bench.ucd";
    Uniform g;
    g.state = 99;
    std::vector<UcdRecord> recs;
    recs.reserve(static_cast<std::size_t>(kTraces) * kPoints * kRecords);
    for (int point = 1; point <= kPoints; ++point) {
      for (int r = 0; r < kRecords; ++r) {
        for (int t = 1; t <= kTraces; ++t) {
          const double n = 1 + static_cast<int>(g.next() * 30);
          const double o = static_cast<int>(g.next() * n);
          const double f = static_cast<int>(g.next() * n);
          const double h = static_cast<int>(g.next() * std::min(f, o));
          recs.push_back({1, t, point, {n, f, h, o, h, f}});
        }
      }
    }
    write_ucd(p, kDepth, recs);
    return p;
  }();
  return path;
}

void resample_plot(benchmark::State& st, bool per_call) {
  const int trials = static_cast<int>(st.range(0));
  const int points = static_cast<int>(st.range(1));
  MetricContext ctx;
  ctx.stat_type = "FHO";
  std::vector<int> traces = {1, 2, 3, 4}, codes = {1002};
  for (auto _ : st) {
    ResampleState s;
    s.ucd_path = plot_file();
    s.trials = trials;
    std::ostringstream os;
    for (int p = 1; p <= points; ++p) {
      TrcInput in;
      in.traces = traces;
      in.codes = codes;
      in.point = p;
      in.context = &ctx;
      TrcOutput out;
      const int rc = per_call ? rsmp_trc_per_call(in, s, out, os) : RSMP_TRC(in, s, out, os);
      if (rc != 0) st.SkipWithError("resampling failed");
      benchmark::DoNotOptimize(out.median.data());
    }
  }
  st.counters["per_point"] = benchmark::Counter(
      static_cast<double>(points),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ResamplePlot(benchmark::State& st) { resample_plot(st, false); }
void BM_ResamplePlotPerCall(benchmark::State& st) { resample_plot(st, true); }

// Fast path over all 64 points; the per-call path over 8 points (its cost per point does not
// depend on how many points follow).
BENCHMARK(BM_ResamplePlot)
    ->Args({2000, kPoints})
    ->Args({10000, kPoints})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResamplePlotPerCall)->Args({2000, 8})->Args({10000, 8})->Unit(benchmark::kMillisecond);

}  // namespace
