// Resampling of a plot point by point, 4 traces (3 pairs) of 2000 records per point at depth 6:
// RSMP_TRC with one thread and with every hardware thread, against the single-thread kernel it
// replaced (tests/reference); and each sum kernel alone on one thread (BM_ResampleKernel, the
// argument the SumKernel: 1 portable, 2 AVX2, 3 AVX-512; one the processor lacks runs the next
// narrower).  Each iteration resamples every abscissa point of the plot.  Times
// are wall times; the counters give one point's wall time ("wall_per_point") and the process's CPU
// time over all its threads per point ("cpu_per_point").
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "resample/resample.h"
#include "resample/ucd_writer.h"
#include "tests/reference/resample_reference.h"

namespace {

using namespace kor::resample;

constexpr int kTraces = 4;
constexpr int kPoints = 24;
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

double process_cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

enum class Kernel { kSerialBefore, kOneThread, kAllThreads };

void resample_plot(benchmark::State& st, Kernel kernel, SumKernel sums = SumKernel::kBest) {
  const int trials = static_cast<int>(st.range(0));
  const int points = kPoints;
  MetricContext ctx;
  ctx.stat_type = "FHO";
  std::vector<int> traces = {1, 2, 3, 4}, codes = {1002};
  const int threads = kernel == Kernel::kAllThreads ? trial_threads(0) : 1;
  double cpu = 0;
  for (auto _ : st) {
    ResampleState s;
    s.ucd_path = plot_file();
    s.trials = trials;
    s.threads = threads;
    s.kernel = sums;
    std::ostringstream os;
    const double cpu0 = process_cpu_seconds();
    for (int p = 1; p <= points; ++p) {
      TrcInput in;
      in.traces = traces;
      in.codes = codes;
      in.point = p;
      in.context = &ctx;
      TrcOutput out;
      const int rc = kernel == Kernel::kSerialBefore ? reference::rsmp_trc_serial(in, s, out, os)
                                                     : RSMP_TRC(in, s, out, os);
      if (rc != 0) st.SkipWithError("resampling failed");
      benchmark::DoNotOptimize(out.median.data());
    }
    cpu += process_cpu_seconds() - cpu0;
  }
  const double calls = static_cast<double>(st.iterations()) * points;
  st.counters["cpu_per_point"] = benchmark::Counter(cpu / std::max(calls, 1.0));
  st.counters["wall_per_point"] = benchmark::Counter(
      static_cast<double>(points),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  st.counters["threads"] = threads;
  st.counters["kernel"] = static_cast<int>(resolve_kernel(sums));
}

void BM_ResampleSerialBefore(benchmark::State& st) { resample_plot(st, Kernel::kSerialBefore); }
void BM_ResampleOneThread(benchmark::State& st) { resample_plot(st, Kernel::kOneThread); }
void BM_ResampleAllThreads(benchmark::State& st) { resample_plot(st, Kernel::kAllThreads); }
void BM_ResampleKernel(benchmark::State& st) {
  resample_plot(st, Kernel::kOneThread, static_cast<SumKernel>(st.range(1)));
}

BENCHMARK(BM_ResampleSerialBefore)
    ->Arg(2000)
    ->Arg(10000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleOneThread)
    ->Arg(2000)
    ->Arg(10000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleAllThreads)
    ->Arg(2000)
    ->Arg(10000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleKernel)
    ->ArgNames({"trials", "kernel"})
    ->Args({2000, 1})
    ->Args({2000, 2})
    ->Args({2000, 3})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
