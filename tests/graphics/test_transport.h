// A transport for the link tests: the real message queues, with the process side under the
// test's control (terminal, pids and with them the queue keys, sleeps, fork and execl).
#ifndef KOR_TESTS_GRAPHICS_TEST_TRANSPORT_H_
#define KOR_TESTS_GRAPHICS_TEST_TRANSPORT_H_

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "graphics/link.h"

namespace kor::graphics::testing {

// Thrown in place of ending a pretended child process.
struct ChildExit {
  int status;
};

class TestTransport : public Transport {
 public:
  bool terminal = false;
  key_t tty_key = -1;
  pid_t own = 0;
  pid_t parent = 0;
  int sleeps = 0;            // calls of sleep_milliseconds
  int slept_ms = 0;          // what they asked for
  int forks = 0;             // calls of fork_process
  pid_t fork_result = 4242;  // what fork_process returns (0 pretends to be the child)
  bool real_fork = false;    // make a real fork instead
  std::string exec_path, exec_name;
  int exec_errno = ENOENT;
  std::string executable;  // the running program's path, when set

  std::string own_executable() override {
    return executable.empty() ? Transport::own_executable() : executable;
  }

  // Makes the server queue key `key` (through the parent pid).
  void use_server_key(key_t key) { parent = static_cast<pid_t>(key - kParentKeyBase); }
  // Makes the hand-over queue key `key` (through the own pid).
  void use_hand_over_key(key_t key) { own = static_cast<pid_t>(key - kHandOverKeyBase); }

  bool stderr_is_terminal() override { return terminal; }
  key_t terminal_key() override { return tty_key; }
  pid_t own_pid() override { return own; }
  pid_t parent_pid() override { return parent; }
  void sleep_milliseconds(int ms) override {
    ++sleeps;
    slept_ms += ms;
    std::this_thread::sleep_for(std::chrono::microseconds(100));  // 0.1 ms stand for each step
  }
  pid_t fork_process() override {
    ++forks;
    return real_fork ? Transport::fork_process() : fork_result;
  }
  int exec_program(const std::string& path, const std::string& name) override {
    if (real_fork) return Transport::exec_program(path, name);
    exec_path = path;
    exec_name = name;
    return exec_errno;
  }
  [[noreturn]] void exit_child(int status) override {
    if (real_fork) Transport::exit_child(status);
    throw ChildExit{status};
  }
};

}  // namespace kor::graphics::testing

#endif  // KOR_TESTS_GRAPHICS_TEST_TRANSPORT_H_
