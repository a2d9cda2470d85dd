// kor and the real graphics server under faults: a client killed in the middle of its page, pages
// drawn after other pages and after noise, outputs that cannot be written or whose server is
// killed while writing them, and servers whose clients' parent has gone.  The pictures of every
// case are compared byte for byte with the picture that a fresh server draws of the same plot.
//
// Each test is a process of its own, so its runs compute their own queue key (the test's pid +
// 12340000) and share one server, which the test ends by removing its queue.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "graphics/link.h"
#include "graphics/request_codes.h"
#include "graphics/requests.h"
#include "graphics/server_claim.h"
#include "run_program.h"

namespace kor::e2e {
namespace {

namespace fs = std::filesystem;
namespace g = graphics;

const std::string kPlot1 = "g.ctl\nex.trc\n1 1 1 0\n0\n1001\n0 0\n";

// The gallery's time series with the device `dev`.
std::string control(const std::string& dev) {
  std::ifstream in(std::string(KOR_EXAMPLES) + "/gallery/timeseries.ctl");
  std::string text = "DEV = " + dev + "\n";
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("DEV", 0) != 0) text += line + "\n";
  }
  return text;
}

bool wait_for(const std::function<bool()>& done, std::chrono::milliseconds most) {
  const auto end = std::chrono::steady_clock::now() + most;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class ServerFaults : public ::testing::Test {
 protected:
  ServerFaults() : dir_("faults") { dir_.copy_in(std::string(KOR_EXAMPLES) + "/example.trc", "ex.trc"); }
  ~ServerFaults() override { end_server(); }
  // Removing the queue ends its server.
  void end_server() {
    const int id = msgget(key_, 0);
    if (id >= 0) msgctl(id, IPC_RMID, nullptr);
    EXPECT_TRUE(wait_for([&] { return g::claim_holder(key_) == 0; }, std::chrono::seconds(5)));
  }
  ProgramRun run(const std::string& ctl, const std::vector<std::string>& env = {}) {
    dir_.write("g.ctl", ctl);
    return finish_program(KOR_PROGRAM, start_program(KOR_PROGRAM, dir_.path(), kPlot1, env));
  }
  // The plot drawn to `file` by the server now serving the test's queue.
  std::string picture(const std::string& file = "o.png") {
    fs::remove(dir_.path() / file);
    const ProgramRun r = run(control("PNG|" + file));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(r.out.size() - std::min(r.out.size(), kStillRunning.size())),
              kStillRunning)
        << r.out;
    return dir_.read(file);
  }
  // A link of this process to the test's queue, as a kor run would have it.
  void open_link(g::LinkState& link) {
    link.queue_id = msgget(key_, 0);
    link.reply_wait_ms = 20000;
  }
  const key_t key_ = static_cast<key_t>(getpid()) + 12340000;
  ScratchDir dir_;
};

// A client in a child process that holds the runs' lock, opens a run and a large PNG page and
// sends a long polyline; it tells the test over `ready` once it is at `stage` and goes on until
// it is killed: 0 in the middle of the polyline's slices, 1 right after the end of its page
// (request 214), while the server draws it.
pid_t doomed_client(key_t key, const std::string& folder, int stage, int ready) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  g::LinkState link;
  (void)g::system_transport().lock_key(key, 10000);
  link.queue_id = msgget(key, 0);
  link.reply_wait_ms = 60000;
  const g::Word start[3] = {3, g::kStartPlotting, 0};
  g::Word reply[2] = {};
  if (g::REQ_PUT(link, start) != 0 || g::REQ_GET(link, reply) != 0) _exit(3);
  if (g::select_device(link, "PNG", 2, folder + "/o.png", {4000, 4000, 0}) != 0) _exit(4);
  constexpr std::size_t kPoints = 60000;
  std::vector<float> x(kPoints), y(kPoints);
  for (std::size_t i = 0; i < kPoints; ++i) {
    x[i] = static_cast<float>(i % 2000) / 2000;
    y[i] = static_cast<float>(0.5 + 0.4 * std::sin(0.01 * static_cast<double>(i)));
  }
  std::vector<g::Word> words = {static_cast<g::Word>(4 + 2 * kPoints), g::kPolyline, 3,
                                static_cast<g::Word>(kPoints)};
  for (float v : x) words.push_back(g::real_word(v));
  for (float v : y) words.push_back(g::real_word(v));
  const std::size_t half = words.size() / 2;
  const char byte = 'k';
  if (g::REQ_PUT(link, std::span<const g::Word>(words).first(half)) != 0) _exit(5);
  if (stage == 0) {
    if (write(ready, &byte, 1) != 1) _exit(6);
    pause();
  }
  if (g::REQ_PUT(link, std::span<const g::Word>(words).subspan(half)) != 0) _exit(7);
  if (g::REQ_GET(link, std::span<g::Word>(reply, 1)) != 0) _exit(8);
  const g::Word end_frame[2] = {2, g::kEndFrame};
  if (g::REQ_PUT(link, end_frame) != 0) _exit(9);
  if (write(ready, &byte, 1) != 1) _exit(6);
  pause();
  _exit(0);
}

TEST_F(ServerFaults, AClientKilledInTheMiddleOfItsPageLeavesTheNextRunsIntact) {
  const std::string fresh = picture();
  ASSERT_GT(fresh.size(), 1000u);
  const pid_t server = g::claim_holder(key_);
  EXPECT_GT(server, 0);
  // The claim names its server for people too.
  std::ifstream claim(g::server_claim_path(key_));
  pid_t named = 0;
  claim >> named;
  EXPECT_EQ(named, server);
  for (int stage : {0, 1}) {
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    const pid_t doomed = doomed_client(key_, dir_.path().string(), stage, pipe_fds[1]);
    char byte = 0;
    ASSERT_EQ(read(pipe_fds[0], &byte, 1), 1) << "stage " << stage;
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    kill(doomed, SIGKILL);
    waitpid(doomed, nullptr, 0);
    for (int i = 0; i < 10; ++i) {
      const std::string again = picture();
      EXPECT_TRUE(again == fresh) << "stage " << stage << ", run " << i << " after the kill";
      // The same server drew it: none was started beside it.
      EXPECT_EQ(g::claim_holder(key_), server) << "stage " << stage << ", run " << i;
    }
  }
}

TEST_F(ServerFaults, APlotIsTheSameBytesAfterOtherPagesAndAfterNoise) {
  const std::string fresh = picture();
  ASSERT_GT(fresh.size(), 1000u);
  end_server();
  // A new server draws other pages first: a smaller picture and a vector page, whose texts
  // come at other sizes and with other font options.
  EXPECT_EQ(run(control("PNG|tiny.png|120;90")).err, "");  // text below 7.5 pixels: unhinted
  EXPECT_EQ(run(control("PNG|small.png|400;300")).err, "");
  EXPECT_EQ(run(control("PDF|o.pdf")).err, "");
  EXPECT_TRUE(picture() == fresh) << "after small PNGs and a PDF";
  // Then a run of random requests, texts at random sizes, fonts and angles among them, on a page
  // of its own.
  g::LinkState link;
  open_link(link);
  std::mt19937 random(26);
  const g::Word start[3] = {3, g::kStartPlotting, 0};
  g::Word reply[2] = {};
  ASSERT_EQ(g::REQ_PUT(link, start), 0);
  ASSERT_EQ(g::REQ_GET(link, reply), 0);
  ASSERT_EQ(g::select_device(link, "PNG", 2, (dir_.path() / "noise.png").string(), {333, 517, 0}),
            0);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  for (int i = 0; i < 300; ++i) {
    g::TextAttributes a;
    a.font = static_cast<int>(uniform(0, 8));
    a.hardware = static_cast<int>(uniform(0, 3));
    a.size = static_cast<float>(uniform(0, 4));
    a.width = static_cast<int>(uniform(0, 4));
    a.justification = static_cast<int>(uniform(0, 4));
    (void)g::set_text_attributes(link, a);
    (void)g::draw_text(link, 'N', static_cast<float>(uniform(-0.2, 1.2)),
                       static_cast<float>(uniform(-0.2, 1.2)), "Noise 0.123 gj",
                       static_cast<float>(uniform(-180, 180)), 0, 0);
    std::vector<g::Word> words(static_cast<std::size_t>(uniform(2, 40)));
    for (g::Word& w : words) w = static_cast<g::Word>(random());
    words[0] = static_cast<g::Word>(words.size());
    words[1] = std::vector<int>{202, 207, 301, 601, 602, 1001, 1002, 1005, 1201, 1202}[i % 10];
    if (g::REQ_PUT(link, words) == 0) (void)g::REQ_GET(link, std::span<g::Word>(reply, 1));
  }
  const g::Word end_frame[2] = {2, g::kEndFrame};
  ASSERT_EQ(g::REQ_PUT(link, end_frame), 0);
  ASSERT_EQ(g::REQ_GET(link, std::span<g::Word>(reply, 1)), 0);
  ASSERT_EQ(g::GR_END(link, 0), 0);
  EXPECT_TRUE(picture() == fresh) << "after random requests";
}

// The files in a folder whose name starts with a dot: temporary files and fragments.
std::vector<std::string> hidden_files(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (name[0] == '.' && name.rfind(".std", 0) != 0) names.push_back(name);
  }
  return names;
}

TEST_F(ServerFaults, AServerKeepsNoneOfKorsFilesOpen) {
  // kor has its control and trace data files open when it starts the server.
  EXPECT_GT(picture().size(), 1000u);
  const pid_t server = g::claim_holder(key_);
  ASSERT_GT(server, 0);
  const fs::path fds = fs::path("/proc") / std::to_string(server) / "fd";
  int open_files = 0;
  for (const auto& e : fs::directory_iterator(fds)) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(e.path(), ec);
    EXPECT_EQ(target.string().rfind(dir_.path().string(), 0), std::string::npos) << target;
    ++open_files;
  }
  EXPECT_LE(open_files, 5);  // its standard streams and the claim on its queue
}

TEST_F(ServerFaults, AFileThatCannotBeMadeIsNamedWithTheReason) {
  fs::create_directory(dir_.path() / "sub");
  struct Case {
    const char* file;
    const char* reason;
  };
  const Case kCases[] = {
      {"nodir/o.png", "No such file or directory"},
      {"sub", "Is a directory"},
      {"/dev/null", "not a regular file"},
  };
  for (const Case& c : kCases) {
    const ProgramRun r = run(control(std::string("PNG|") + c.file));
    const std::string path = c.file[0] == '/' ? c.file : (dir_.path() / c.file).string();
    const std::string said =
        " RETURN CODE FROM MPLT =     -207\n -02 = Cannot set output graphics device\n"
        " Invalid device\n -02 = Cannot set output graphics device\n"
        " Cannot create the output file " + path + ": " + c.reason + "\n";
    EXPECT_NE(r.out.find(said), std::string::npos) << c.file << "\n" << r.out;
  }
}

TEST_F(ServerFaults, AFullFileSystemKeepsEveryOldOutputAndSaysWhichFileAndWhy) {
  // The file size limit stands in for a small full file system: every write past 2048 bytes
  // fails (EFBIG) for kor and for the server it starts, as writes on a full disk do (ENOSPC).
  const std::string folder = dir_.path().string();
  struct Case {
    const char* dev;
    const char* file;
    std::string lines;  // what the run prints after its code line
  };
  const std::string graphics_error = " GRAPHICS PROC ERROR # =     -225\n -14 = ERROR FROM MOBPLT\n";
  const Case kCases[] = {
      {"PNG|o.png", "o.png", graphics_error},
      {"GF|o.gif", "o.gif", graphics_error},
      {"PDF|o.pdf", "o.pdf", graphics_error},
      {"PS|o.ps", "o.ps", graphics_error},
      {"SVG|o.svg", "o.svg", graphics_error},
      {"TX|tx.dmp", "tx.dmp", " PLT_TEXT\n -23 = Cannot write to output file text device.\n"},
      {"CSV|tx.csv", "tx.csv", " PLT_DRIV\n -23 = Cannot write to output file text device.\n"},
  };
  std::vector<std::string> good;
  for (const Case& c : kCases) {
    EXPECT_EQ(run(control(c.dev)).err, "") << c.dev;
    good.push_back(dir_.read(c.file));
    EXPECT_GT(good.back().size(), 2048u) << c.dev;
  }
  end_server();
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit small = before;
  small.rlim_cur = 2048;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto old_action = signal(SIGXFSZ, SIG_IGN);
  std::vector<ProgramRun> runs;
  for (const Case& c : kCases) runs.push_back(run(control(c.dev)));
  setrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, old_action);
  end_server();  // the server started under the limit
  for (std::size_t i = 0; i < std::size(kCases); ++i) {
    const Case& c = kCases[i];
    // kor names its own files as the control file does, the server with their folder.
    const std::string file = c.file[0] == 't' ? std::string(c.file) : folder + "/" + c.file;
    const std::string said = c.lines + " Cannot write the output file " + file + ": File too large\n";
    EXPECT_NE(runs[i].out.find(said), std::string::npos) << c.dev << "\n" << runs[i].out;
    EXPECT_TRUE(dir_.read(c.file) == good[i]) << c.dev << ": the old file is kept";
  }
  EXPECT_EQ(hidden_files(dir_.path()), std::vector<std::string>{});
}

TEST_F(ServerFaults, AServerKilledWhileWritingLeavesTheOldFile) {
  const std::string old = picture();
  ASSERT_GT(old.size(), 1000u);
  const pid_t server = g::claim_holder(key_);
  ASSERT_GT(server, 0);
  // A page that takes a while to write: a large PNG of a long line.
  g::LinkState link;
  open_link(link);
  const g::Word start[3] = {3, g::kStartPlotting, 0};
  g::Word reply[2] = {};
  ASSERT_EQ(g::REQ_PUT(link, start), 0);
  ASSERT_EQ(g::REQ_GET(link, reply), 0);
  ASSERT_EQ(g::select_device(link, "PNG", 2, (dir_.path() / "o.png").string(), {4000, 4000, 0}),
            0);
  std::vector<float> x(20000), y(20000);
  for (std::size_t i = 0; i < x.size(); ++i) {
    x[i] = static_cast<float>(i % 1000) / 1000;
    y[i] = static_cast<float>(0.5 + 0.4 * std::sin(0.013 * static_cast<double>(i)));
  }
  ASSERT_EQ(g::draw_polyline(link, 'N', x, y), 0);
  const g::Word end_frame[2] = {2, g::kEndFrame};
  ASSERT_EQ(g::REQ_PUT(link, end_frame), 0);
  // Killed once the output has started to reach the disk.
  const bool writing = wait_for(
      [&] {
        for (const std::string& name : hidden_files(dir_.path())) {
          std::error_code ec;  // the file may be renamed under us
          const auto size = fs::file_size(dir_.path() / name, ec);
          if (!ec && size > 0) return true;
        }
        return false;
      },
      std::chrono::seconds(30));
  kill(server, SIGKILL);
  EXPECT_TRUE(writing);
  EXPECT_TRUE(wait_for([&] { return g::claim_holder(key_) == 0; }, std::chrono::seconds(5)));
  EXPECT_TRUE(dir_.read("o.png") == old);
  // The next run starts a new server and draws as the first one did.
  EXPECT_TRUE(picture() == old);
  fs::remove(g::server_claim_path(key_));
}

TEST_F(ServerFaults, AServerWhoseClientsParentHasEndedEndsAfterTheRun) {
  // Runs under a wrapper that ends after them, as under timeout or xargs: their key comes from
  // the wrapper, which nobody can reach again once it has ended.
  dir_.write("g.ctl", control("PNG|o.png"));
  const pid_t wrapper = fork();
  if (wrapper == 0) {
    for (int i = 0; i < 2; ++i) {
      const Started s = start_program(KOR_PROGRAM, dir_.path(), kPlot1);
      waitpid(s.pid, nullptr, 0);
    }
    _exit(0);
  }
  ASSERT_GT(wrapper, 0);
  waitpid(wrapper, nullptr, 0);
  const key_t key = static_cast<key_t>(wrapper) + 12340000;
  EXPECT_GT(dir_.read("o.png").size(), 1000u);
  EXPECT_TRUE(wait_for([&] { return msgget(key, 0) < 0 && g::claim_holder(key) == 0; },
                       std::chrono::seconds(5)));
  const int id = msgget(key, 0);
  if (id >= 0) msgctl(id, IPC_RMID, nullptr);
}

}  // namespace
}  // namespace kor::e2e
