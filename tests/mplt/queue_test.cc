// The graphics server over a real message queue: the server loop in a thread on a private queue,
// driven by the client's own link routines, and the built program started by hand-over, by key
// and without a key.  Every queue a test makes is removed by a guard, also when the test fails.
#include <cairo.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <sstream>
#include <thread>

#include "../graphics/fake_server.h"
#include "../util/scratch.h"
#include "graphics/requests.h"
#include "mplt/codes.h"
#include "mplt/serve.h"
#include "requests.h"

namespace kor::mplt {
namespace {

namespace g = graphics;
namespace gt = graphics::testing;

bool queue_gone(int id) {
  msqid_ds ds{};
  return msgctl(id, IPC_STAT, &ds) != 0;
}

class QueueTest : public ::testing::Test {
 protected:
  QueueTest() : server_(testing::in_folder(dir_.path())) {
    link_.queue_id = queue_.id();
    link_.out = &out_;
    link_.reply_wait_ms = 60000;
  }
  ~QueueTest() override { stop(); }
  void start(std::chrono::milliseconds idle = std::chrono::minutes(10)) {
    ServeOptions o;
    o.idle = idle;
    o.stop = &stop_;
    thread_ = std::thread([this, o] { end_ = serve(queue_.id(), server_, o); });
  }
  End stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return end_;
  }
  // The raw reply to a raw first slice.
  std::vector<Word> raw(const std::vector<Word>& words) {
    EXPECT_TRUE(gt::put_message(queue_.id(), 1, words));
    std::array<Word, 128> m{};
    const int n = g::MQ_RECEIVE(link_, 2, false, queue_.id(), m);
    return std::vector<Word>(m.begin(), m.begin() + std::max(n, 0));
  }
  gt::PrivateQueue queue_;
  kor::testing::ScratchDir dir_;
  Server server_;
  std::atomic<bool> stop_{false};
  End end_ = End::kQueueGone;
  std::thread thread_;
  g::LinkState link_;
  std::ostringstream out_;
};

TEST_F(QueueTest, PingSmallRequestsAndBadSlices) {
  start();
  EXPECT_EQ(raw({2, -999}), (std::vector<Word>{2, -999}));
  EXPECT_EQ(g::set_mode(link_, 2), 0);
  int mode = 0;
  EXPECT_EQ(g::query_mode(link_, mode), 0);
  EXPECT_EQ(mode, 2);
  // A first slice shorter than its length word says, and a length word below 2.
  EXPECT_EQ(raw({300, 801, 3, 5}), (std::vector<Word>{2, kBadLength}));
  EXPECT_EQ(raw({1}), (std::vector<Word>{2, kBadLength}));
  EXPECT_EQ(raw({}), (std::vector<Word>{2, kBadLength}));  // a message without words
  EXPECT_EQ(raw({2, 4711}), (std::vector<Word>{2, kUnknownRequest}));
  int colour = 0;
  EXPECT_EQ(g::query_current_colour(link_, colour), 0);  // still serving
  EXPECT_EQ(colour, 1);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(QueueTest, MillionPointPolylineAndASlicedTransformReply) {
  start();
  ASSERT_EQ(g::select_device(link_, "PNG", 2, "line.png", {400, 300, 0}), 0);
  constexpr std::size_t kPoints = 1000000;
  std::vector<float> x(kPoints), y(kPoints);
  for (std::size_t i = 0; i < kPoints; ++i) {
    x[i] = static_cast<float>(i) / kPoints;
    y[i] = static_cast<float>(0.5 + 0.4 * std::sin(i * 2e-5));  // a smooth curve
  }
  ASSERT_EQ(g::draw_polyline(link_, 'N', x, y), 0);
  ASSERT_EQ(g::send_command(link_, 214), 0);
  // 300 points N -> S: a reply of 602 words, five slices, four receipts from the client.
  std::vector<float> tx(300), ty(300);
  for (int i = 0; i < 300; ++i) {
    tx[static_cast<std::size_t>(i)] = i / 300.0f;
    ty[static_cast<std::size_t>(i)] = 1 - i / 300.0f;
  }
  ASSERT_EQ(g::transform_points(link_, 'N', 'S', tx, ty), 0);
  for (int i = 0; i < 300; i += 37) {
    EXPECT_NEAR(tx[static_cast<std::size_t>(i)], 400.0 * i / 300, 1e-3) << i;
    EXPECT_NEAR(ty[static_cast<std::size_t>(i)], 300.0 * (1 - i / 300.0), 1e-3) << i;
  }
  EXPECT_EQ(stop(), End::kSignal);
  EXPECT_EQ(server_.page().points(), kPoints);
  cairo_surface_t* png = cairo_image_surface_create_from_png((dir_.path() + "/line.png").c_str());
  EXPECT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(png), 400);
  cairo_surface_destroy(png);
  EXPECT_TRUE(queue_gone(queue_.id()));
}

TEST_F(QueueTest, OptionOneEndsTheServerAndRemovesTheQueue) {
  start();
  EXPECT_EQ(g::GR_END(link_, 0), 0);
  EXPECT_FALSE(queue_gone(queue_.id()));
  EXPECT_EQ(g::GR_END(link_, 1), 0);
  EXPECT_EQ(stop(), End::kOption1);
  EXPECT_TRUE(queue_gone(queue_.id()));
}

TEST_F(QueueTest, IdleTimeEndsTheServerUnlessARunIsOpen) {
  start(std::chrono::milliseconds(100));
  // Request 101 from this (living) process opens a run: the server waits past its idle time.
  const g::Word start_run[3] = {3, 101, 0};
  ASSERT_EQ(g::REQ_PUT(link_, start_run), 0);
  g::Word reply[2] = {};
  ASSERT_EQ(g::REQ_GET(link_, reply), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(raw({2, -999}), (std::vector<Word>{2, -999}));
  // The end of the run lets the idle time count again.
  ASSERT_EQ(g::GR_END(link_, 0), 0);
  thread_.join();
  EXPECT_EQ(end_, End::kIdle);
  EXPECT_TRUE(queue_gone(queue_.id()));
}

// The built program.
class ProgramTest : public ::testing::Test {
 protected:
  pid_t spawn(const std::vector<std::string>& args) {
    const std::string program = std::string(KOR_BIN_DIR) + "/bin/mplt";
    const pid_t pid = fork();
    if (pid == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 2);  // standard error is not a terminal
      std::vector<char*> argv = {const_cast<char*>("mplt")};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    return pid;
  }
  // Pings the queue of `key` until the server answers (at most about ten seconds).
  bool answers(key_t key) {
    for (int i = 0; i < 1000; ++i) {
      const int id = msgget(key, 0);
      gt::RawMessage m;
      if (id >= 0 && gt::put_message(id, 1, {2, -999})) {
        for (int k = 0; k < 50; ++k) {
          if (gt::take_message(id, 2, m)) return m.words == std::vector<Word>{2, -999};
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  int wait_exit(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }
  gt::KeyedQueueGuard server_{gt::test_key(50)};
  gt::KeyedQueueGuard hand_over_{static_cast<key_t>(getpid()) + kHandOverKeyBase};
};

TEST_F(ProgramTest, HandOverStartThenOptionOne) {
  const int h = hand_over_.open();
  ASSERT_TRUE(gt::put_message(h, 1, {static_cast<Word>(server_.key())}));
  const pid_t pid = spawn({});
  ASSERT_TRUE(answers(server_.key()));
  EXPECT_FALSE(hand_over_.exists());  // read and removed
  g::LinkState link;
  link.queue_id = msgget(server_.key(), 0);
  EXPECT_EQ(g::GR_END(link, 1), 0);
  wait_exit(pid);
  EXPECT_FALSE(server_.exists());
}

TEST_F(ProgramTest, KeyGivenOnTheCommandLineAndATermSignal) {
  const pid_t pid = spawn({"--key", std::to_string(server_.key())});
  ASSERT_TRUE(answers(server_.key()));
  kill(pid, SIGTERM);
  wait_exit(pid);
  EXPECT_FALSE(server_.exists());
}

TEST_F(ProgramTest, NoKeyAnywhereEndsAtOnce) {
  EXPECT_EQ(wait_exit(spawn({})), 2);
  EXPECT_EQ(wait_exit(spawn({"--key", "zero"})), 2);
  EXPECT_FALSE(hand_over_.exists());
}

}  // namespace
}  // namespace kor::mplt
