// The operating-system side of the graphics link, behind one small interface: System V message
// queues and the process calls used to find and start the graphics server.  The link routines
// (link.h) use nothing else, so tests can replace any of these calls, for example to give the
// queue key a test-unique value or to skip the one-second sleeps of the server check.
#ifndef KOR_GRAPHICS_TRANSPORT_H_
#define KOR_GRAPHICS_TRANSPORT_H_

#include <sys/types.h>

#include <span>
#include <string>

#include "graphics/words.h"

namespace kor::graphics {

// Largest message: 128 words (512 bytes) behind the message type.
inline constexpr int kMessageWords = 128;

class Transport {
 public:
  virtual ~Transport() = default;

  // msgget of `key` with the flags 01666 (create if absent, read/write for all).  Returns the
  // queue id, or -1 with errno set.
  virtual int open_queue(key_t key);
  // The same, telling whether this call created the queue (then no server can be serving it).
  virtual int open_queue(key_t key, bool& created);
  // Removes the queue of `key` if one exists.
  virtual void remove_keyed_queue(key_t key);
  // The process that sent the queue's last message (msg_lspid); 0 when unknown.
  virtual pid_t last_sender(int queue);
  // The live server that holds the claim of queue key `key` (graphics/server_claim.h), or 0.
  virtual pid_t queue_server(key_t key);
  // msgsnd of `words` (1 to 128) behind message type `type`, without waiting.  Returns 0, or -1
  // with errno set.
  virtual int send(int queue, long type, std::span<const Word> words);
  // msgrcv of one message of type `type` (at most 128 words) into `words`.  `wait_ms` < 0 waits
  // without bound, 0 not at all, > 0 at most that many milliseconds.  Returns the number of words
  // received, or -1 with errno set (ENOMSG: nothing there, ETIMEDOUT: the wait ran out).
  virtual int receive(int queue, long type, int wait_ms, std::span<Word, kMessageWords> words);
  // msgctl IPC_RMID.  Returns 0, or -1 with errno set.
  virtual int remove_queue(int queue);

  // isatty(2).
  virtual bool stderr_is_terminal();
  // ftok of the terminal of descriptor 2 (ttyname) with project character 'G'; -1 on failure.
  virtual key_t terminal_key();
  virtual pid_t own_pid();
  virtual pid_t parent_pid();
  virtual void sleep_milliseconds(int milliseconds);
  // True when process `pid` has ended: a child of ours is reaped (waitpid without waiting), any
  // other process is looked for with kill(pid, 0).
  virtual bool process_ended(pid_t pid, bool child);
  // The path of the running program (/proc/self/exe); empty when unknown.
  virtual std::string own_executable();
  // Takes the exclusive lock of queue key `key` (a lock file under /tmp, flock), waiting at most
  // `wait_ms`.  Returns the lock's descriptor, -1 when the wait ran out, or -2 when no lock file
  // can be made (the caller goes on without a lock).
  virtual int lock_key(key_t key, int wait_ms);
  // Gives the lock back (the lock file is removed).
  virtual void unlock_key(key_t key, int fd);
  // fork(): the child's pid in the parent, 0 in the child, -1 on failure.
  virtual pid_t fork_process();
  // execl(path, name, nullptr); returns only on failure, with the errno value.
  virtual int exec_program(const std::string& path, const std::string& name);
  // Ends the calling (child) process at once with `status`, after flushing standard output.
  [[noreturn]] virtual void exit_child(int status);
};

// The transport that makes the real system calls.  It keeps no state.
Transport& system_transport();

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_TRANSPORT_H_
