#include "graphics/transport.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "graphics/server_claim.h"

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

int Transport::open_queue(key_t key, bool& created) {
  created = false;
  const int id = msgget(key, IPC_CREAT | IPC_EXCL | 0666);
  if (id >= 0) {
    created = true;
    return id;
  }
  return errno == EEXIST ? msgget(key, 01666) : -1;
}

void Transport::remove_keyed_queue(key_t key) {
  const int id = msgget(key, 0);
  if (id >= 0) msgctl(id, IPC_RMID, nullptr);
}

pid_t Transport::last_sender(int queue) {
  msqid_ds ds{};
  return msgctl(queue, IPC_STAT, &ds) == 0 ? ds.msg_lspid : 0;
}

pid_t Transport::queue_server(key_t key) { return claim_holder(key); }

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

void Transport::sleep_milliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool Transport::process_ended(pid_t pid, bool child) {
  if (pid <= 0) return false;
  if (child) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return true;
    if (r == 0) return false;
    // Not (or no longer) our child: look for it as any process.
  }
  return kill(pid, 0) != 0 && errno == ESRCH;
}

std::string Transport::own_executable() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

namespace {

std::string lock_path(key_t key) { return key_file_path(key, ".lock"); }

}  // namespace

int Transport::lock_key(key_t key, int wait_ms) {
  const std::string path = lock_path(key);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  while (true) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return -2;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) {
        ::close(fd);
        return -2;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        ::close(fd);
        return -1;
      }
      pause_for(20000000);
    }
    // The holder before us removes the file when it lets go; a lock on a removed file is no lock.
    struct stat held {
    }, named{};
    if (fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
        held.st_dev == named.st_dev) {
      return fd;
    }
    ::close(fd);
  }
}

void Transport::unlock_key(key_t key, int fd) {
  if (fd < 0) return;
  ::unlink(lock_path(key).c_str());
  ::close(fd);
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
