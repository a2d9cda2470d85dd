// kor_batch on a plot list of 200 plots of the bundled example drawn to PNG (the three plots of
// the example with ten FHO op codes each on plots 1 and 2, and the skill-score plot, over and
// over), with one plot at a time and with one per hardware thread.  Each iteration is one whole
// kor_batch run into a fresh output folder; reported as plots per second.  kor, mplt and
// kor_batch are the built programs of <build>/bin.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr int kPlots = 200;

const fs::path& work_dir() {
  static const fs::path dir = [] {
    const fs::path d = fs::temp_directory_path() / "kor_batch_bench";
    fs::create_directories(d);
    fs::copy_file(std::string(KOR_EXAMPLES) + "/example.trc", d / "example.trc",
                  fs::copy_options::overwrite_existing);
    std::ofstream(d / "png.ctl") << "DEV = PNG\nTIT = Batch benchmark\n";
    std::ofstream list(d / "plots.list");
    for (int i = 0; i < kPlots; ++i) {
      const int plot = i % 3 + 1;
      const std::string codes = plot == 3 ? "1101" : std::to_string(1001 + i / 3 % 10);
      list << "png.ctl | example.trc | " << plot << " 1 1 0 | 0 | " << codes << " | 0 0 |  | plot-"
           << i << "\n";
    }
    return d;
  }();
  return dir;
}

void BM_BatchToPng(benchmark::State& state) {
  const fs::path& dir = work_dir();
  const int jobs = static_cast<int>(state.range(0));
  const std::string command = "cd '" + dir.string() + "' && rm -rf out && MPLT_IDLE_SECONDS=1 '" +
                              KOR_BIN_DIR + "/bin/kor_batch' -j " + std::to_string(jobs) +
                              " -o out plots.list > batch.log 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("kor_batch failed: see kor_batch_bench/batch.log");
      break;
    }
  }
  state.counters["plots_per_second"] =
      benchmark::Counter(static_cast<double>(kPlots) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

const int kAllCores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

BENCHMARK(BM_BatchToPng)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(kAllCores)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
