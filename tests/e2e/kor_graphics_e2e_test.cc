// kor run end to end on graphics devices against the real graphics server mplt (built beside kor):
// the device set-up and the end of a run answered, the file written in the folder of the run that
// asked for it, two runs at once on one server, and the runs whose server is missing or dies at
// once.  Every run of one test computes the same queue key (the test's pid + 12340000), so the
// runs of a test share one server; the test ends that server by removing its queue.
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>

#include "run_program.h"

namespace kor::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kPlot1 = "g.ctl\nex.trc\n1 1 1 0\n0\n1001\n0 0\n";

bool queue_exists(key_t key) { return msgget(key, 0) >= 0; }

// Width and height of a GIF file (the logical screen), or 0, 0 when it is not a GIF.
std::pair<int, int> gif_size(const std::string& bytes) {
  if (bytes.size() < 13 ||
      (bytes.compare(0, 6, "GIF87a") != 0 && bytes.compare(0, 6, "GIF89a") != 0)) {
    return {0, 0};
  }
  auto u16 = [&](std::size_t at) {
    return static_cast<int>(static_cast<unsigned char>(bytes[at])) |
           static_cast<int>(static_cast<unsigned char>(bytes[at + 1])) << 8;
  };
  return {u16(6), u16(8)};
}

class KorGraphics : public ::testing::Test {
 protected:
  KorGraphics() : dir_("graphics"), other_("graphics_other") {
    for (const ScratchDir* d : {&dir_, &other_}) {
      d->copy_in(std::string(KOR_EXAMPLES) + "/example.trc", "ex.trc");
    }
  }
  ~KorGraphics() override {
    // Removing the queue ends the server; then nothing of this test stays on the machine.
    const int id = msgget(key_, 0);
    if (id >= 0) msgctl(id, IPC_RMID, nullptr);
  }
  ProgramRun run(const ScratchDir& dir, const std::string& ctl,
                 const std::string& program = KOR_PROGRAM,
                 const std::vector<std::string>& env = {}) {
    dir.write("g.ctl", ctl);
    const Started s = start_program(program, dir.path(), kPlot1, env);
    kor_pid_ = s.pid;
    return finish_program(program, s);
  }
  // A copy of kor in a folder of its own, where no server program lies beside it.
  std::string lone_kor(const std::string& server_script = "") {
    const fs::path& bin = bin_.path();
    fs::copy_file(KOR_PROGRAM, bin / "kor", fs::copy_options::overwrite_existing);
    if (!server_script.empty()) {
      bin_.write("mplt", server_script);
      fs::permissions(bin / "mplt", fs::perms::owner_all);
    }
    return (bin / "kor").string();
  }
  const key_t key_ = static_cast<key_t>(getpid()) + 12340000;
  pid_t kor_pid_ = 0;
  ScratchDir dir_, other_;
  ScratchDir bin_{"graphics_bin"};  // outside the runs' folders, which are captured whole
};

TEST_F(KorGraphics, GifRunOnTheExampleEndsNormally) {
  ProgramRun r = run(dir_, "DEV = GF\n");
  // The first run starts the server; its start-up line comes from the started child.
  EXPECT_EQ(r.out.rfind(kBanner + kMap1 + "Creating process: mplt for queue ", 0), 0u) << r.out;
  ASSERT_GE(r.out.size(), kStillRunning.size());
  EXPECT_EQ(r.out.substr(r.out.size() - kStillRunning.size()), kStillRunning) << r.out;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(gif_size(dir_.read("kor.gif")), std::make_pair(700, 700));
  EXPECT_TRUE(queue_exists(key_));  // the server stays for the next run
  // The next run finds the server running.
  fs::remove(dir_.path() / "kor.gif");
  r = run(dir_, "DEV = GF|small.gif|320;200\n");
  EXPECT_EQ(r.out, kBanner + kMap1 + kStillRunning);
  EXPECT_EQ(gif_size(dir_.read("small.gif")), std::make_pair(320, 200));
  EXPECT_FALSE(fs::exists(dir_.path() / "kor.gif"));
}

TEST_F(KorGraphics, FilesGoToTheFolderOfTheRunThatAsks) {
  ASSERT_EQ(run(dir_, "DEV = PNG\n").err, "");
  // The second run works in another folder but reaches the server the first one started.
  const ProgramRun r = run(other_, "DEV = PS|page.ps\n");
  EXPECT_EQ(r.out, kBanner + kMap1 + kStillRunning);
  EXPECT_EQ(other_.read("page.ps").rfind("%!PS-Adobe-3.0", 0), 0u);
  EXPECT_FALSE(fs::exists(dir_.path() / "page.ps"));
  EXPECT_EQ(dir_.read("kor.png").substr(1, 3), "PNG");
  EXPECT_FALSE(fs::exists(other_.path() / "kor.png"));
}

TEST_F(KorGraphics, TwoRunsAtOnceEachGetTheirOwnFile) {
  dir_.write("g.ctl", "DEV = GF|a.gif|300;200\n");
  other_.write("g.ctl", "DEV = GF|b.gif|200;300\n");
  const Started a = start_program(KOR_PROGRAM, dir_.path(), kPlot1);
  const Started b = start_program(KOR_PROGRAM, other_.path(), kPlot1);
  const ProgramRun ra = finish_program(KOR_PROGRAM, a);
  const ProgramRun rb = finish_program(KOR_PROGRAM, b);
  EXPECT_EQ(ra.err + rb.err, "");
  EXPECT_EQ(gif_size(dir_.read("a.gif")), std::make_pair(300, 200));
  EXPECT_EQ(gif_size(other_.read("b.gif")), std::make_pair(200, 300));
  EXPECT_FALSE(fs::exists(dir_.path() / "b.gif"));
  EXPECT_FALSE(fs::exists(other_.path() / "a.gif"));
}

TEST_F(KorGraphics, WindowWithoutADisplayIsAnInvalidDevice) {
  const ProgramRun r = run(dir_, "DEV = XW\n", KOR_PROGRAM, {"DISPLAY="});
  const std::string refused =
      " RETURN CODE FROM MPLT =     -209\n -02 = Cannot set output graphics device\n"
      " Invalid device\n -02 = Cannot set output graphics device\n"
      " The graphics server says: No X display can be opened for the window device.\n";
  EXPECT_NE(r.out.find(refused), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");
}

TEST_F(KorGraphics, NoServerProgramAnywhere) {
  // Moved here from the driver's codes: a graphics device whose server cannot be found.  One line
  // tells the three places looked at, in the order they are tried.
  const std::string kor = lone_kor();
  const std::string beside = (bin_.path() / "mplt").string();
  const std::string os_bin = other_.path().string();  // a folder without the server
  struct Case {
    const char* what;
    std::string env;
    std::string places;
  };
  const Case kCases[] = {
      {"OS_BIN not set", "OS_BIN=", "./mplt, $OS_BIN/mplt (OS_BIN is not set) and " + beside},
      {"OS_BIN naming a folder", "OS_BIN=" + os_bin, "./mplt, " + os_bin + "/mplt and " + beside},
  };
  for (const Case& c : kCases) {
    const ProgramRun r = run(dir_, "DEV = PS\n", kor, {c.env});
    const std::string tail = " Graphics server not found: looked for " + c.places +
                             "; DEV = TX writes text without it.\n"
                             " RETURN CODE FROM MPLT =     -101\n"
                             " -01 = Cannot start graphics processing\n";
    EXPECT_EQ(r.out, kBanner + kMap1 + tail) << c.what;
    EXPECT_FALSE(fs::exists(dir_.path() / "txt.dmp")) << c.what;
    EXPECT_FALSE(queue_exists(key_)) << c.what;
  }
}

TEST_F(KorGraphics, ServerThatEndsAtOnceIsNoticed) {
  const ProgramRun r = run(dir_, "DEV = GF\n", lone_kor("#!/bin/sh\nexit 0\n"), {"OS_BIN="});
  EXPECT_NE(r.out.find("Error in message receive: the graphics server (process "),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(" -01 = Cannot start graphics processing\n"), std::string::npos) << r.out;
  // Neither the server queue nor the hand-over queue stays behind.
  EXPECT_FALSE(queue_exists(key_));
  EXPECT_FALSE(queue_exists(static_cast<key_t>(kor_pid_) + 78900000));
}

}  // namespace
}  // namespace kor::e2e
