// The graphics path: a whole kor run on a graphics device against a server that is already running
// and against a first start, the same for a time series of 24 traces of 2048 points drawn to PNG,
// small requests per second over the queue, and a polyline of a million points sent and rendered to
// PNG.  kor and mplt are the built programs of <build>/bin; every kor
// run of this program reaches the server of the key (this program's pid + 12340000), removed at the
// end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "graphics/link.h"
#include "graphics/requests.h"
#include "mplt/serve.h"

namespace {

namespace fs = std::filesystem;
namespace g = kor::graphics;

const key_t kKey = static_cast<key_t>(getpid()) + 12340000;

void write_large_time_series(const fs::path& dir);

// A folder with the example and a control file for a GIF of the example's first plot, and the
// large time series.
const fs::path& work_dir() {
  static const fs::path dir = [] {
    const fs::path d =
        fs::temp_directory_path() / ("kor_graphics_bench_" + std::to_string(getpid()));
    fs::create_directories(d);
    fs::copy_file(std::string(KOR_EXAMPLES) + "/example.trc", d / "ex.trc",
                  fs::copy_options::overwrite_existing);
    std::ofstream(d / "g.ctl") << "DEV = GF\n";
    std::ofstream(d / "in.txt") << "g.ctl\nex.trc\n1 1 1 0\n0\n1001\n0 0\n";
    write_large_time_series(d);
    return d;
  }();
  return dir;
}

// A trace data file of one time series plot: 24 FHO traces of 2048 daily points each (from 1
// January 2020), and the dialogue that draws all of them to PNG.
void write_large_time_series(const fs::path& dir) {
  std::ofstream f(dir / "large.trc");
  constexpr int kTraces = 24, kPoints = 2048;
  auto group = [&](int trace, int field, int kind, const std::string& record) {
    char head[64];
    std::snprintf(head, sizeof head, "%4d%4d%3d%3d%4d%4d%3d", trace, field, kind, 0, 1, 1, 1);
    f << head << '\n' << record << '\n';
  };
  for (int t = 1; t <= kTraces; ++t) {
    group(t, 2, 0, "1 M" + std::to_string(t) + " 0 0 0");
    group(t, 10, 0, "10 0 0 FHO 0");
    group(t, 5, 1, "5 2020010100 2025071000 0 0");
  }
  f << "EOCF\n";
  using namespace std::chrono;
  const sys_days first = year{2020} / January / 1;
  for (int t = 1; t <= kTraces; ++t) {
    f << t << " 4 " << kPoints << " c F\n";
    for (int i = 0; i < kPoints; ++i) {
      const year_month_day d{first + days{i}};
      char line[160];
      const double o = 0.05 + 0.02 * std::sin(i / 30.0 + t);
      const double fc = o * (0.8 + 0.02 * t + 0.05 * std::cos(i / 11.0));
      std::snprintf(line, sizeof line, "%04d%02u%02u1200            %20.12E%20.12E%20.12E%20.12E",
                    static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
                    static_cast<unsigned>(d.day()), 1000.0, 1000.0 * fc, 600.0 * o, 1000.0 * o);
      f << line << '\n';
    }
  }
  std::ofstream(dir / "large.ctl") << "DEV = PNG|large.png\n";
  std::ofstream(dir / "large.txt") << "large.ctl\nlarge.trc\n1 1 1 0\n0\n1001\n0 0\n";
}

// One kor run with the dialogue `input`, straight from this process.
void run_kor(const char* input = "in.txt") {
  const std::string kor = std::string(KOR_BIN_DIR) + "/bin/kor";
  // The folder is made here, before the fork: a child that made it would name it after itself.
  const fs::path& dir = work_dir();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    const int in = open(input, O_RDONLY), null = open("/dev/null", O_WRONLY);
    dup2(in, 0);
    dup2(null, 1);
    dup2(null, 2);
    execl(kor.c_str(), "kor", static_cast<char*>(nullptr));
    _exit(127);
  }
  waitpid(pid, nullptr, 0);
}

// Removes the server queue (which ends the server) and waits until the server has gone.
void end_server() {
  const int id = msgget(kKey, 0);
  if (id < 0) return;
  msqid_ds ds{};
  const pid_t server = msgctl(id, IPC_STAT, &ds) == 0 ? ds.msg_lspid : 0;
  msgctl(id, IPC_RMID, nullptr);
  for (int i = 0; i < 500 && server > 0 && kill(server, 0) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void BM_KorRunOnARunningServer(benchmark::State& state) {
  run_kor();  // starts the server
  for (auto _ : state) run_kor();
  end_server();
}
BENCHMARK(BM_KorRunOnARunningServer)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_KorRunFirstStart(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    end_server();
    state.ResumeTiming();
    run_kor();
  }
  end_server();
}
BENCHMARK(BM_KorRunFirstStart)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 24 x 2048 time series drawn to PNG (the run reads, computes and draws every trace).
void BM_LargeTimeSeriesOnARunningServer(benchmark::State& state) {
  run_kor("large.txt");
  if (!fs::exists(work_dir() / "large.png")) state.SkipWithError("no image drawn");
  for (auto _ : state) run_kor("large.txt");
  end_server();
}
BENCHMARK(BM_LargeTimeSeriesOnARunningServer)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LargeTimeSeriesFirstStart(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    end_server();
    state.ResumeTiming();
    run_kor("large.txt");
  }
  end_server();
}
BENCHMARK(BM_LargeTimeSeriesFirstStart)->Unit(benchmark::kMillisecond)->UseRealTime();

// A server loop in a thread on a private queue, with a link to it.
struct InProcessServer {
  InProcessServer()
      : queue(msgget(IPC_PRIVATE, IPC_CREAT | 0600)), server([](pid_t) {
          kor::mplt::ClientPlace p;
          p.directory = work_dir().string();
          return p;
        }) {
    link.queue_id = queue;
    link.out = &out;
    kor::mplt::ServeOptions o;
    o.stop = &stop;
    thread = std::thread([this, o] { kor::mplt::serve(queue, server, o); });
  }
  ~InProcessServer() {
    stop = true;
    thread.join();
  }
  int queue;
  kor::mplt::Server server;
  std::atomic<bool> stop{false};
  std::thread thread;
  g::LinkState link;
  std::ostringstream out;
};

void BM_SmallRequests(benchmark::State& state) {
  InProcessServer s;
  int colour = 0;
  for (auto _ : state) {
    if (g::query_current_colour(s.link, colour) != 0) state.SkipWithError("request failed");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_SmallRequests)->UseRealTime();

void BM_MillionPointPolylineToPng(benchmark::State& state) {
  InProcessServer s;
  constexpr std::size_t kPoints = 1000000;
  std::vector<float> x(kPoints), y(kPoints);
  double walk = 0.5;
  for (std::size_t i = 0; i < kPoints; ++i) {
    // A time series: a slow wave with a little noise on it.
    walk = 0.5 + 0.3 * std::sin(i * 6e-5) + 0.02 * std::sin(i * 0.37);
    x[i] = static_cast<float>(i) / kPoints;
    y[i] = static_cast<float>(walk);
  }
  for (auto _ : state) {
    if (g::select_device(s.link, "PNG", 2, "million.png", {700, 700, 0}) != 0 ||
        g::send_command(s.link, 202) != 0 || g::draw_polyline(s.link, 'N', x, y) != 0 ||
        g::send_command(s.link, 214) != 0) {
      state.SkipWithError("request failed");
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}
BENCHMARK(BM_MillionPointPolylineToPng)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
