// Reading a plot at the reader's capacity: 24 traces of 2048 points at data depth 28, plot type 4
// with real labels (every trace on the same 2048 thresholds), plain or packed values.  The
// statistics engine reads the plot again after every in-place adjustment, so this is paid per
// trace on such plots.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "tracefile/format.h"
#include "tracefile/reader.h"

namespace {

using namespace kor::tracefile;

std::string write_file(bool packed) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            (packed ? "kor_reader_bench_packed.trc" : "kor_reader_bench_plain.trc"))
                               .string();
  std::ofstream out(path, std::ios::binary);
  for (int t = 1; t <= kMaxTraces; ++t) out << t << " 2 0 0 1 1 4\n1 MODEL" << t << " 0 0 0\n";
  out << "EOCF\n";
  char buf[64];
  for (int t = 1; t <= kMaxTraces; ++t) {
    out << t << ' ' << kMaxDepth << ' ' << kMaxPoints << " r " << (packed ? "T" : "F") << '\n';
    for (int p = 1; p <= kMaxPoints; ++p) {
      std::snprintf(buf, sizeof buf, "%24.7E", 0.5 * p);
      out << buf;
      for (int k = 1; k <= kMaxDepth; ++k) {
        const double v = 1000.0 + 13.0 * k + 0.25 * p + t;
        if (packed) {
          out << ' ' << *pack_value(v);
        } else {
          std::snprintf(buf, sizeof buf, "%20.12E", v);
          out << buf;
        }
      }
      out << '\n';
    }
  }
  return path;
}

void read_plot(benchmark::State& bench, bool packed) {
  const std::string path = write_file(packed);
  kor::util::TextUnit unit(8);
  if (!unit.open(path)) bench.SkipWithError("cannot open the generated file");
  auto state = std::make_unique<ReaderState>();
  std::ostringstream messages;  // the reader's lines, dropped
  for (auto _ : bench) {
    messages.str("");
    int plots = 0, traces = 0, type = 0;
    int rc = RDTD_INI(*state, unit, plots);
    if (rc == 0) rc = RDTD_FND(*state, unit, 1, 1, traces, type, messages);
    if (rc != 0 || traces != kMaxTraces) bench.SkipWithError("the plot did not read");
    benchmark::DoNotOptimize(state->sums.data());
  }
  std::filesystem::remove(path);
}

void BM_ReadPlotPlain(benchmark::State& s) { read_plot(s, false); }
void BM_ReadPlotPacked(benchmark::State& s) { read_plot(s, true); }
BENCHMARK(BM_ReadPlotPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlotPacked)->Unit(benchmark::kMillisecond);

}  // namespace
