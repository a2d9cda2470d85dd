// The window device under a virtual X server (Xvfb): the window is named by the file item, has the
// requested size and shows the page.  Skipped, with the reason, only where Xvfb is not installed.
// clang-format off
// gtest goes before the X headers, whose macros (None, Status) would clash with its names.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "../graphics/fake_server.h"
#include "graphics/requests.h"
#include "mplt/codes.h"
#include "mplt/server.h"
#include "requests.h"

namespace kor::mplt {
namespace {

namespace gt = graphics::testing;
using testing::box;
using testing::device;
using testing::req;

constexpr const char* kXvfb = "/usr/bin/Xvfb";

// A virtual X server on a free display number, ended when the guard ends.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    for (int n = 90 + getpid() % 200; n < 400; ++n) {
      if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
          std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock")) {
        continue;
      }
      name_ = ":" + std::to_string(n);
      pid_ = fork();
      if (pid_ == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(kXvfb, "Xvfb", name_.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
              "-noreset", static_cast<char*>(nullptr));
        _exit(127);
      }
      for (int i = 0; i < 500; ++i) {
        if (Display* d = XOpenDisplay(name_.c_str())) {
          XCloseDisplay(d);
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      stop();
    }
    name_.clear();
  }
  ~VirtualDisplay() { stop(); }
  const std::string& name() const { return name_; }

  void stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }

 private:
  std::string name_;
  pid_t pid_ = -1;
};

// The top-level window of `name` on display `d` (0 when there is none).
::Window find_window(Display* d, const std::string& name) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  ::Window found = 0;
  if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n) == 0) return 0;
  for (unsigned i = 0; i < n && found == 0; ++i) {
    char* title = nullptr;
    if (XFetchName(d, children[i], &title) != 0 && title != nullptr) {
      if (name == title) found = children[i];
      XFree(title);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

TEST(WindowDevice, ShowsThePageInAWindowNamedByTheFileItem) {
  if (!std::filesystem::exists(kXvfb)) GTEST_SKIP() << "Xvfb is not installed (package xvfb)";
  VirtualDisplay x;
  ASSERT_FALSE(x.name().empty()) << "Xvfb did not start";
  Server server([&](pid_t) {
    ClientPlace p;
    p.display = x.name();
    return p;
  });
  auto ok = [&](const std::vector<Word>& request) {
    EXPECT_EQ(server.handle(request, 1)[1], 0) << request[1];
  };
  ok(req(101, {0}));
  ok(device("XW", 2, "kor test window", 200, 150));
  ok(req(213));
  ok(req(1201, {2}));
  ok(box(kN, 0, 0, 0.5, 1));  // the left half red
  ok(req(214));
  Display* d = XOpenDisplay(x.name().c_str());
  ASSERT_NE(d, nullptr);
  ::Window w = 0;
  for (int i = 0; i < 200 && w == 0; ++i) {
    w = find_window(d, "kor test window");
    if (w == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_NE(w, 0u);
  XWindowAttributes a{};
  ASSERT_NE(XGetWindowAttributes(d, w, &a), 0);
  EXPECT_EQ(a.width, 200);
  EXPECT_EQ(a.height, 150);
  ok(req(207));  // paint once more now that the window is surely mapped
  server.process_window_events();
  XImage* image = XGetImage(d, w, 0, 0, 200, 150, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 50, 75) & 0xffffff, 0xff0000u);
  EXPECT_EQ(XGetPixel(image, 150, 75) & 0xffffff, 0xffffffu);
  XDestroyImage(image);
  XCloseDisplay(d);
}

TEST(WindowDevice, TheServerEndsAndRemovesItsQueueWhenItsDisplayEnds) {
  if (!std::filesystem::exists(kXvfb)) GTEST_SKIP() << "Xvfb is not installed (package xvfb)";
  // The server takes the display of the client when the client started with one.
  std::ifstream environ("/proc/self/environ", std::ios::binary);
  const std::string env((std::istreambuf_iterator<char>(environ)), {});
  if (env.rfind("DISPLAY=", 0) == 0 ||
      env.find(std::string("\0DISPLAY=", 9)) != std::string::npos) {
    GTEST_SKIP() << "this test process has a display of its own";
  }
  VirtualDisplay x;
  ASSERT_FALSE(x.name().empty()) << "Xvfb did not start";
  gt::KeyedQueueGuard queue(gt::test_key(60));
  const std::string program = std::string(KOR_BIN_DIR) + "/bin/mplt";
  const std::string key = std::to_string(queue.key());
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("DISPLAY", x.name().c_str(), 1);
    execl(program.c_str(), "mplt", "--key", key.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  graphics::LinkState link;
  for (int i = 0; i < 500 && link.queue_id < 0; ++i) {
    link.queue_id = msgget(queue.key(), 0);
    if (link.queue_id < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_GE(link.queue_id, 0);
  ASSERT_EQ(graphics::select_device(link, "XW", 2, "short-lived", {200, 150, 0}), 0);
  ASSERT_EQ(graphics::send_command(link, 214), 0);
  x.stop();
  int status = 0;
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_FALSE(queue.exists());
}

TEST(WindowDevice, NoDisplayIsARefusedDevice) {
  Server server([](pid_t) {
    ClientPlace p;
    p.display = ":4321";  // no server there
    return p;
  });
  EXPECT_EQ(server.handle(device("XW", 2, "", 200, 150), 1), (std::vector<Word>{2, kNoDisplay}));
  EXPECT_EQ(server.handle(box(kN, 0, 0, 1, 1), 1), (std::vector<Word>{2, kNoDevice}));
}

}  // namespace
}  // namespace kor::mplt
