// mplt: the graphics server of kor.
//
//   mplt             started by kor: the queue key is the terminal's (standard error a terminal)
//                    or the one kor handed over on the queue kor's pid + 78900000
//   mplt --key K     serves the queue of key K (manual starts and tests)
//
// One server serves one queue: a server that finds the queue's claim held by a live server
// leaves at once (graphics/server_claim.h).  A server whose key was handed over (made from the
// clients' parent process) ends after the run that is open once that process has ended.
//
// The server detaches from kor's standard streams once it has its queue, so a pipe that reads
// kor's output ends with kor.  MPLT_IDLE_SECONDS sets the idle time after which it ends (default
// 600); MPLT_LOG names a file that receives the server's own messages.
#include <cairo.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graphics/server_claim.h"
#include "mplt/render.h"
#include "mplt/serve.h"
#include "mplt/window.h"
#include "util/program.h"

namespace {

std::atomic<bool> g_stop{false};
int g_queue = -1;
std::string g_claim;  // the claim file, removed also when the display ends the process

void on_signal(int) { g_stop.store(true); }

int usage() {
  std::fprintf(stderr, "usage: mplt [--key KEY] | --version\n");
  return 2;
}

void install_handlers() {
  struct sigaction sa {};
  sa.sa_handler = on_signal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

// Standard input and output go to /dev/null, standard error to $MPLT_LOG (or /dev/null).
void detach() {
  const int null = open("/dev/null", O_RDWR);
  const char* log = std::getenv("MPLT_LOG");
  const int err = log != nullptr && *log != '\0'
                      ? open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666)
                      : -1;
  if (null >= 0) {
    dup2(null, 0);
    dup2(null, 1);
    dup2(err >= 0 ? err : null, 2);
    if (null > 2) close(null);
  }
  if (err > 2) close(err);
  if (chdir("/") != 0) {
    // The working directory does not matter: files go where each client works.
  }
}

// Descriptors the server did not open itself (kor's control and trace files, a caller's pipes)
// are closed at once: a deleted file must not stay on disk for the server's life.
void close_inherited() {
  if (close_range(3, ~0U, 0) != 0) {
    for (int fd = 3; fd < 1024; ++fd) close(fd);
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kor::mplt;
  close_inherited();
  std::optional<key_t> key;
  bool handed_over = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--key" && i + 1 < argc) {
      key = parse_key(argv[++i]);
      if (!key) return usage();
    } else if (arg == "--version") {
      std::printf("mplt %.*s\n", static_cast<int>(kor::util::kPackageVersion.size()),
                  kor::util::kPackageVersion.data());
      return 0;
    } else {
      return usage();
    }
  }
  if (!key) {
    if (isatty(2)) {
      const char* tty = ttyname(2);
      const key_t k = tty != nullptr ? ftok(tty, 'G') : -1;
      if (k != -1) key = k;
    } else {
      key = take_handed_over_key(getppid());
      handed_over = key.has_value();
    }
  }
  if (!key) {
    std::fprintf(stderr,
                 "mplt: no queue key: standard error is not a terminal and no key was handed "
                 "over by the parent process (use --key)\n");
    return 2;
  }
  // One server per queue: a second one would take every other request of the first one's runs.
  pid_t holder = 0;
  const int claim = kor::graphics::take_claim(*key, holder);
  if (claim == -1) {
    std::fprintf(stderr, "mplt: the queue of key %d is served by process %d already\n",
                 static_cast<int>(*key), static_cast<int>(holder));
    return 1;
  }
  const int queue = msgget(*key, IPC_CREAT | 0666);
  if (queue < 0) {
    std::fprintf(stderr, "mplt: cannot open the queue of key %d: %s\n", static_cast<int>(*key),
                 std::strerror(errno));
    kor::graphics::release_claim(*key, claim);
    return 2;
  }
  g_queue = queue;
  if (claim >= 0) g_claim = kor::graphics::server_claim_path(*key);
  // Losing the X server of a window ends the process; the queue and the claim file must not stay
  // behind.
  on_display_lost([] {
    msgctl(g_queue, IPC_RMID, nullptr);
    if (!g_claim.empty()) unlink(g_claim.c_str());
  });
  install_handlers();
  detach();
  ServeOptions options;
  options.idle = idle_from(std::getenv("MPLT_IDLE_SECONDS"));
  options.stop = &g_stop;
  // A key made from a parent process reaches nobody once that process has ended.
  if (handed_over) options.owner = owner_of_handed_over_key(*key);
  End end;
  {
    Server server;
    end = serve(queue, server, options);
  }
  kor::graphics::release_claim(*key, claim);
  release_fonts();
  cairo_debug_reset_static_data();
  FcFini();
  if (end == End::kSignal) std::fprintf(stderr, "mplt: ended by a signal\n");
  return 0;
}
