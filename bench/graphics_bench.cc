// The graphics path: a whole kor run on a graphics device against a server that is already running
// and against a first start, small requests per second over the queue, and a polyline of a million
// points sent and rendered to PNG.  kor and mplt are the built programs of <build>/bin; every kor
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

// A folder with the example and a control file for a GIF of the example's first plot.
const fs::path& work_dir() {
  static const fs::path dir = [] {
    const fs::path d =
        fs::temp_directory_path() / ("kor_graphics_bench_" + std::to_string(getpid()));
    fs::create_directories(d);
    fs::copy_file(std::string(KOR_EXAMPLES) + "/example.trc", d / "ex.trc",
                  fs::copy_options::overwrite_existing);
    std::ofstream(d / "g.ctl") << "DEV = GF\n";
    std::ofstream(d / "in.txt") << "g.ctl\nex.trc\n1 1 1 0\n0\n1001\n0 0\n";
    return d;
  }();
  return dir;
}

// One kor run, straight from this process.
void run_kor() {
  const std::string kor = std::string(KOR_BIN_DIR) + "/bin/kor";
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(work_dir().c_str()) != 0) _exit(127);
    const int in = open("in.txt", O_RDONLY), null = open("/dev/null", O_WRONLY);
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
