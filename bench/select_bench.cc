// Selection of one plot from a generated archive of verification records, as kor_select runs it:
// 8 monthly files of about 26 MB (210 MB in all) of FHO and SL1L2 records of four models, ten
// regions, ten forecast hours, four cycles a day; the control file asks for a time series of two
// models' FHO traces (one region, threshold and forecast hour), as in the usual nightly plot.  The
// archive is written once to the system's temporary folder and read from the page cache.  Reported
// as bytes per second with one thread and with every hardware thread.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/select/select.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMonths = 8;

struct Lcg {
  unsigned long long s = 12345;
  double next() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(s >> 11) * (1.0 / 9007199254740992.0);
  }
};

const fs::path& archive() {
  static const fs::path dir = [] {
    const fs::path d = fs::temp_directory_path() / "kor_select_bench";
    const fs::path done = d / ".complete";
    if (fs::exists(done)) return d;
    fs::remove_all(d);
    fs::create_directories(d / "records");
    const char* models[] = {"GLOBAL", "REGIONAL", "ENSMEAN", "RAPID"};
    const char* regions[] = {"CONUS", "EAST", "WEST", "NPL", "SPL",
                             "MDW",   "APL",  "GMC",  "NEC", "SEC"};
    const char* thresholds[] = {">0.254", ">2.54", ">6.35", ">12.7", ">25.4"};
    Lcg g;
    char line[256];
    for (int m = 1; m <= kMonths; ++m) {
      std::ofstream out(d / "records" /
                        ("2026" + std::string(m < 10 ? "0" : "") + std::to_string(m) + ".rec"));
      std::string buffer;
      for (int day = 1; day <= 28; ++day) {
        for (int cycle = 0; cycle < 24; cycle += 6) {
          for (const char* model : models) {
            for (int fh = 12; fh <= 120; fh += 12) {
              for (const char* region : regions) {
                for (const char* th : thresholds) {
                  const double o = 0.3 * g.next(), f = o * (0.8 + 0.4 * g.next());
                  std::snprintf(
                      line, sizeof line,
                      "V01 %s %d - 2026%02d%02d%02d - - ADPSFC %s FHO %s APCP/24 SFC 0 - = "
                      "%d %.6f %.6f %.6f\n",
                      model, fh, m, day, cycle, region, th, 100 + static_cast<int>(900 * g.next()),
                      f, f * o * 2.0, o);
                  buffer += line;
                }
                const double bias = g.next() - 0.5;
                std::snprintf(line, sizeof line,
                              "V01 %s %d - 2026%02d%02d%02d - - ADPUPA %s SL1L2 - T P 500 - = "
                              "%d %.4f %.4f %.3f %.3f %.3f\n",
                              model, fh, m, day, cycle, region,
                              50 + static_cast<int>(200 * g.next()), 250 + bias, 250.0,
                              62500 + 250 * bias, 62510 + 500 * bias, 62505.0);
                buffer += line;
              }
            }
          }
        }
        out << buffer;
        buffer.clear();
      }
    }
    std::ofstream(d / "plot.ctl") << "  1   2  0  0   1   1  1\n18 0 0 GLOBAL 0\n"
                                     "  2   2  0  0   1   1  1\n18 0 0 REGIONAL 0\n"
                                     "  1  10  0  0   1   1  1\n10 0 0 FHO 0\n"
                                     "  2  10  0  0   1   1  1\n10 0 0 FHO 0\n"
                                     "  1   9  0  0   1   1  1\n1 CONUS 0 0 0\n"
                                     "  2   9  0  0   1   1  1\n1 CONUS 0 0 0\n"
                                     "  1  11  0  0   1   1  1\n1 >12.7 0 0 0\n"
                                     "  2  11  0  0   1   1  1\n1 >12.7 0 0 0\n"
                                     "  1   3  0  0   1   1  1\n1 24 0 0 0\n"
                                     "  2   3  0  0   1   1  1\n1 24 0 0 0\n"
                                     "  1   5  1  0   1   1  1\n14 0 0 2026010100 2026123118\n"
                                     "  2   5  1  0   1   1  1\n14 0 0 2026010100 2026123118\n";
    std::ofstream(done) << "";
    return d;
  }();
  return dir;
}

void select_plot(benchmark::State& st, int jobs, bool ucd) {
  const fs::path dir = archive();
  kor::select::SelectOptions o;
  o.control = (dir / "plot.ctl").string();
  o.output = (dir / "bench.trc").string();
  if (ucd) o.ucd = (dir / "bench.ucd").string();
  o.jobs = jobs;
  o.inputs = {(dir / "records").string()};
  kor::select::SelectCounts counts;
  for (auto _ : st) {
    std::ostringstream out, err;
    if (!kor::select::run_selection(o, out, err, &counts)) st.SkipWithError(err.str().c_str());
  }
  st.SetBytesProcessed(static_cast<long long>(st.iterations()) *
                       static_cast<long long>(counts.bytes));
  st.counters["MB"] = static_cast<double>(counts.bytes) / 1e6;
  st.counters["records"] = static_cast<double>(counts.records);
  st.counters["selected"] = static_cast<double>(counts.selected);
  st.counters["threads"] = jobs;
}

int all_cores() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

void BM_SelectOneThread(benchmark::State& st) { select_plot(st, 1, false); }
void BM_SelectAllThreads(benchmark::State& st) { select_plot(st, all_cores(), false); }
void BM_SelectWithUcdAllThreads(benchmark::State& st) { select_plot(st, all_cores(), true); }

BENCHMARK(BM_SelectOneThread)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAllThreads)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectWithUcdAllThreads)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
