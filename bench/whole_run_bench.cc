// Whole runs as a user meets them, each side by side with the least program that does the same
// work, in the same process tree and the same run:
//
// - BM_ResampleRun: kor resamples plot 1 (4 traces, 24 points, 2000 records per trace and point,
//   SL1L2 records, code 1102, 2000 trials) to the box-whisker text, with KOR_THREADS=1 or 2,
//   against resample_reference_run, the single-thread reference kernel doing the same trials
//   (one draw per record and trial, the sums of both members, metric, percentiles and median).
// - BM_TextPlotRun: kor writes the text plot of a file at the reader's capacity (24 traces x 2048
//   points, depth 28), against trace_read_run, which only reads that plot once.
//
// Every round starts each program once as a fresh process, the two alternating, and times it from
// the start to the exit; the counters give the best of the rounds (3, or WHOLE_RUN_ROUNDS) of
// each, in seconds, and their ratio.  "load" is the one-minute load average when the benchmark
// ends: the ratios hold only on a quiet machine.  WHOLE_RUN_KOR names another kor to time (an
// older build, say) instead of the one built beside this program.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/capacity_plot.h"
#include "resample/resample.h"
#include "resample/ucd_writer.h"

namespace {

namespace fs = std::filesystem;
using kor::resample::UcdRecord;
using kor::resample::Uniform;

constexpr int kTraces = 4;
constexpr int kPoints = 24;
constexpr int kRecords = 2000;  // per trace and point
constexpr int kTrials = 2000;
constexpr int kCode = 1102;

const fs::path& scratch() {
  static const fs::path dir = [] {
    const fs::path d = fs::temp_directory_path() / "kor_whole_run_bench";
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

// The resampling case: bxw.trc (plot 1, the sums of every point), trace.ucd (its records),
// bxw.ctl and the dialogue bxw.in.
void write_resample_case() {
  const fs::path& d = scratch();
  if (fs::exists(d / "bxw.in")) return;
  Uniform g;
  g.state = 4242;
  std::vector<UcdRecord> records;
  records.reserve(static_cast<std::size_t>(kTraces) * kPoints * kRecords);
  double sums[kTraces][kPoints][6] = {};
  for (int p = 1; p <= kPoints; ++p) {
    for (int r = 0; r < kRecords; ++r) {
      const double o = 270 + 30 * g.next();
      for (int t = 1; t <= kTraces; ++t) {
        const double f = o + 0.2 * t + 4 * (g.next() - 0.5);
        const std::vector<double> v = {1, f, o, f * o, f * f, o * o};
        for (int k = 0; k < 6; ++k) sums[t - 1][p - 1][k] += v[k];
        records.push_back({1, t, p, v});
      }
    }
  }
  kor::resample::write_ucd((d / "trace.ucd").string(), 6, records);
  std::ofstream trc(d / "bxw.trc");
  char buf[64];
  for (int t = 1; t <= kTraces; ++t) {
    trc << t << " 2 0 0 1 1 3\n1 MODEL" << t << " 0 0 0\n";
    trc << t << " 10 0 0 1 1 3\n10 0 0 SL1L2 0\n";
    trc << t << " 3 1 0 " << kPoints << " 1 3\n";
    for (int p = 1; p <= kPoints; ++p) trc << "1 " << 12 * p << " 0 0 0\n";
  }
  trc << "EOCF\n";
  for (int t = 1; t <= kTraces; ++t) {
    trc << t << " 6 " << kPoints << " r F\n";
    for (int p = 1; p <= kPoints; ++p) {
      std::snprintf(buf, sizeof buf, "%24.7E", 12.0 * p);
      trc << buf;
      for (int k = 0; k < 6; ++k) {
        std::snprintf(buf, sizeof buf, "%20.12E", sums[t - 1][p - 1][k]);
        trc << buf;
      }
      trc << '\n';
    }
  }
  std::ofstream(d / "bxw.ctl") << "DEV = TX\nBXW = 1/2/.05\nNSM = " << kTrials << "\n";
  std::ofstream in(d / "bxw.in");
  in << "bxw.ctl\nbxw.trc\n1 2 1 0\n";
  for (int t = 1; t <= kTraces; ++t) in << t << ' ';
  in << '\n';
  for (int t = 1; t <= kTraces; ++t) in << kCode << ' ';
  in << "\n0 0\n";
}

// The text-plot case: every trace with op code 5 (field 5 over field 1), METHOD 2.
void write_text_case() {
  const fs::path& d = scratch();
  if (fs::exists(d / "text.in")) return;
  kor::bench::write_capacity_plot((d / "capacity.trc").string(), false);
  std::ofstream(d / "text.ctl") << "DEV = TX|text.dmp\n";
  std::ofstream in(d / "text.in");
  in << "text.ctl\ncapacity.trc\n1 2 1 0\n";
  for (int t = 1; t <= kor::tracefile::kMaxTraces; ++t) in << t << ' ';
  in << '\n';
  for (int t = 1; t <= kor::tracefile::kMaxTraces; ++t) in << "5 ";
  in << "\n0 0\n";
}

struct Run {
  std::vector<std::string> argv;
  std::string input;    // standard input, a file in the scratch folder; empty: /dev/null
  std::string threads;  // KOR_THREADS; empty: unset
};

// Seconds from the start of the process to its exit; negative when it failed.
double time_run(const Run& run) {
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(scratch().c_str()) != 0) _exit(126);
    const int in = open(run.input.empty() ? "/dev/null" : run.input.c_str(), O_RDONLY);
    const int out = open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    if (run.threads.empty()) {
      unsetenv("KOR_THREADS");
    } else {
      setenv("KOR_THREADS", run.threads.c_str(), 1);
    }
    std::vector<char*> args;
    for (const std::string& a : run.argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return -1;
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string kor_program() {
  const char* other = std::getenv("WHOLE_RUN_KOR");
  return other ? other : std::string(KOR_BIN_DIR) + "/bin/kor";
}

int rounds() {
  const char* text = std::getenv("WHOLE_RUN_ROUNDS");
  const int n = text ? std::atoi(text) : 3;
  return std::clamp(n, 1, 50);
}

// Best of the rounds of `program` and of `reference`, run alternately.
void side_by_side(benchmark::State& st, const Run& program, const Run& reference,
                  const fs::path& output) {
  double best_program = 1e30, best_reference = 1e30;
  for (auto _ : st) {
    for (int k = 0; k < rounds(); ++k) {
      fs::remove(output);
      const double a = time_run(program);
      const double b = time_run(reference);
      if (a < 0 || b < 0 || !fs::exists(output)) {
        st.SkipWithError("a run failed");
        return;
      }
      best_program = std::min(best_program, a);
      best_reference = std::min(best_reference, b);
    }
  }
  double load[1] = {0};
  if (getloadavg(load, 1) != 1) load[0] = -1;
  st.counters["kor_s"] = best_program;
  st.counters["reference_s"] = best_reference;
  st.counters["ratio"] = best_program / best_reference;
  st.counters["load"] = load[0];
}

void BM_ResampleRun(benchmark::State& st) {
  write_resample_case();
  const fs::path& d = scratch();
  const Run kor{{kor_program()}, (d / "bxw.in").string(), std::to_string(st.range(0))};
  const Run reference{
      {std::string(KOR_BENCH_DIR) + "/resample_reference_run", (d / "trace.ucd").string(), "1",
       std::to_string(kPoints), std::to_string(kTrials), std::to_string(kCode), "1", "2", "3", "4"},
      "",
      ""};
  side_by_side(st, kor, reference, d / "txt.dmp_bxw");
}
BENCHMARK(BM_ResampleRun)->ArgName("threads")->Arg(2)->Arg(1)->Iterations(1)->UseRealTime();

void BM_TextPlotRun(benchmark::State& st) {
  write_text_case();
  const fs::path& d = scratch();
  const Run kor{{kor_program()}, (d / "text.in").string(), ""};
  const Run reference{
      {std::string(KOR_BENCH_DIR) + "/trace_read_run", (d / "capacity.trc").string(), "1"}, "", ""};
  side_by_side(st, kor, reference, d / "text.dmp");
}
BENCHMARK(BM_TextPlotRun)->Iterations(1)->UseRealTime();

}  // namespace
