// Reading a plot at the reader's capacity: 24 traces of 2048 points at data depth 28, plot type 4
// with real labels (every trace on the same 2048 thresholds), plain or packed values.  The
// statistics engine reads the plot again after every in-place adjustment, so this is paid per
// trace on such plots.
//
// BM_TextPlot makes the whole text plot of the plain file as kor does (the dialogue reads the file,
// the plot driver computes all 24 traces and writes the text dump), to be set against
// BM_ReadPlotPlain, the plain read of the same file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "bench/capacity_plot.h"
#include "driver/dialogue.h"
#include "driver/plot_entry.h"
#include "tracefile/format.h"
#include "tracefile/reader.h"

namespace {

using namespace kor::tracefile;

std::string write_file(bool packed) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            (packed ? "kor_reader_bench_packed.trc" : "kor_reader_bench_plain.trc"))
                               .string();
  kor::bench::write_capacity_plot(path, packed);
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

// Plot 1, METHOD 2 with every trace and op code 5 (field 5 over field 1), on the text device; the
// run's messages are discarded, the text dump goes to a scratch folder.
void BM_TextPlot(benchmark::State& bench) {
  namespace fs = std::filesystem;
  const std::string trc = write_file(false);
  const fs::path dir = fs::temp_directory_path() / "kor_text_plot_bench";
  fs::create_directories(dir);
  const fs::path ctl = dir / "text.ctl";
  std::ofstream(ctl) << "DEV = TX|" << (dir / "txt.dmp").string() << "\n";
  std::ostringstream dialogue;
  dialogue << ctl.string() << '\n' << trc << "\n1 2 1 0\n";
  for (int t = 1; t <= kMaxTraces; ++t) dialogue << t << ' ';
  dialogue << '\n';
  for (int t = 1; t <= kMaxTraces; ++t) dialogue << "5 ";
  dialogue << "\n0 0\n";
  std::ostringstream messages;
  std::streambuf* const saved = std::cout.rdbuf(messages.rdbuf());
  auto reader = std::make_unique<ReaderState>();
  for (auto _ : bench) {
    std::istringstream in(dialogue.str());
    kor::util::TextUnit control(kor::driver::kControlUnit);
    kor::util::TextUnit trace(kor::driver::kTraceUnit);
    const kor::driver::DialogueResult r = kor::driver::run_dialogue(in, control, trace, *reader);
    if (!r.plot) {
      bench.SkipWithError("the dialogue did not reach the plot");
      break;
    }
    (void)kor::driver::run_plot(r.request, control, *reader);
    messages.str("");
  }
  std::cout.rdbuf(saved);
  if (fs::file_size(dir / "txt.dmp") < 24u * 2048u * 60u) bench.SkipWithError("no text dump");
  fs::remove_all(dir);
  fs::remove(trc);
}
BENCHMARK(BM_TextPlot)->Unit(benchmark::kMillisecond);

}  // namespace
