#include "graphics/transport.h"

#include <sched.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace kor::graphics {
namespace {

struct Message {
  long type;
  Word words[kMessageWords];
};

void pause_for(long nanoseconds) {
  std::this_thread::sleep_for(std::chrono::nanoseconds(nanoseconds));
}

}  // namespace

int Transport::open_queue(key_t key) { return msgget(key, 01666); }

int Transport::send(int queue, long type, std::span<const Word> words) {
  if (words.empty() || words.size() > static_cast<std::size_t>(kMessageWords)) {
    errno = EINVAL;
    return -1;
  }
  Message m{};
  m.type = type;
  std::memcpy(m.words, words.data(), words.size_bytes());
  while (true) {
    if (msgsnd(queue, &m, words.size_bytes(), IPC_NOWAIT) == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

int Transport::receive(int queue, long type, int wait_ms, std::span<Word, kMessageWords> words) {
  Message m{};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  // A bounded wait polls without waiting, backing off from a few yields to sleeps of 2 ms, so that
  // quick answers cost little and a silent queue costs little CPU.
  int polls = 0;
  long pause_ns = 20000;
  while (true) {
    const int flags = wait_ms < 0 ? 0 : IPC_NOWAIT;
    const ssize_t n = msgrcv(queue, &m, sizeof m.words, type, flags);
    if (n >= 0) {
      const std::size_t count = static_cast<std::size_t>(n) / sizeof(Word);
      std::memcpy(words.data(), m.words, count * sizeof(Word));
      return static_cast<int>(count);
    }
    if (errno == EINTR) continue;
    if (errno != ENOMSG || wait_ms <= 0) return -1;
    if (std::chrono::steady_clock::now() >= deadline) {
      errno = ETIMEDOUT;
      return -1;
    }
    if (++polls < 50) {
      sched_yield();
    } else {
      pause_for(pause_ns);
      if (pause_ns < 2000000) pause_ns *= 2;
    }
  }
}

int Transport::remove_queue(int queue) { return msgctl(queue, IPC_RMID, nullptr); }

bool Transport::stderr_is_terminal() { return isatty(2) != 0; }

key_t Transport::terminal_key() {
  const char* name = ttyname(2);
  if (name == nullptr) return -1;
  return ftok(name, 'G');
}

pid_t Transport::own_pid() { return getpid(); }

pid_t Transport::parent_pid() { return getppid(); }

void Transport::sleep_seconds(int seconds) {
  if (seconds > 0) ::sleep(static_cast<unsigned>(seconds));
}

pid_t Transport::fork_process() {
  std::fflush(nullptr);
  return fork();
}

int Transport::exec_program(const std::string& path, const std::string& name) {
  execl(path.c_str(), name.c_str(), static_cast<char*>(nullptr));
  return errno;
}

void Transport::exit_child(int status) {
  std::fflush(nullptr);
  _exit(status);
}

Transport& system_transport() {
  static Transport transport;
  return transport;
}

}  // namespace kor::graphics
