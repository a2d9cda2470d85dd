// A small graphics server for the link tests: a thread that serves one System V message queue the
// way the real server does (slices of 128 words, receipts from the second slice on, the ping
// echo) and records every message it reads, so that tests can check word streams and message
// boundaries exactly.  Queues made here are removed by their guards, also when a test fails.
#ifndef KOR_TESTS_GRAPHICS_FAKE_SERVER_H_
#define KOR_TESTS_GRAPHICS_FAKE_SERVER_H_

#include <sys/ipc.h>
#include <sys/msg.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "graphics/link.h"

namespace kor::graphics::testing {

// A private queue, removed when the guard ends.
class PrivateQueue {
 public:
  PrivateQueue() : id_(msgget(IPC_PRIVATE, IPC_CREAT | 0600)) {}
  ~PrivateQueue() { remove(); }
  PrivateQueue(const PrivateQueue&) = delete;
  PrivateQueue& operator=(const PrivateQueue&) = delete;
  int id() const { return id_; }
  void remove() {
    if (id_ >= 0) msgctl(id_, IPC_RMID, nullptr);
    id_ = -1;
  }

 private:
  int id_;
};

// Removes the queue of `key` (if one exists) when the guard is made and again when it ends, so
// that a queue the code under test creates under that key never outlives the test.
class KeyedQueueGuard {
 public:
  explicit KeyedQueueGuard(key_t key) : key_(key) { remove(); }
  ~KeyedQueueGuard() { remove(); }
  KeyedQueueGuard(const KeyedQueueGuard&) = delete;
  KeyedQueueGuard& operator=(const KeyedQueueGuard&) = delete;
  key_t key() const { return key_; }
  // Opens (creating) the queue.
  int open() const { return msgget(key_, IPC_CREAT | 0600); }
  // True while a queue of this key exists.
  bool exists() const { return msgget(key_, 0) >= 0; }
  void remove() const {
    const int id = msgget(key_, 0);
    if (id >= 0) msgctl(id, IPC_RMID, nullptr);
  }

 private:
  key_t key_;
};

// A key no other test process uses: tests of one program derive theirs from its pid.
inline key_t test_key(int offset) {
  return static_cast<key_t>(0x4b000000 + (getpid() % 0x10000) * 64 + offset);
}

// Number of messages waiting on a queue; -1 when the queue does not exist.
inline long queued_messages(int queue) {
  msqid_ds ds{};
  if (msgctl(queue, IPC_STAT, &ds) != 0) return -1;
  return static_cast<long>(ds.msg_qnum);
}

struct RawMessage {
  long type = 0;
  std::vector<Word> words;
};

// Sends one raw message (used to put stray messages on a queue).
inline bool put_message(int queue, long type, const std::vector<Word>& words) {
  struct {
    long type;
    Word words[kMessageWords];
  } m{};
  m.type = type;
  if (!words.empty()) std::memcpy(m.words, words.data(), words.size() * sizeof(Word));
  return msgsnd(queue, &m, words.size() * sizeof(Word), IPC_NOWAIT) == 0;
}

// Receives one raw message of `type` without waiting; false when there is none.
inline bool take_message(int queue, long type, RawMessage& out) {
  struct {
    long type;
    Word words[kMessageWords];
  } m{};
  const ssize_t n = msgrcv(queue, &m, sizeof m.words, type, IPC_NOWAIT);
  if (n < 0) return false;
  out.type = m.type;
  out.words.assign(m.words, m.words + n / static_cast<ssize_t>(sizeof(Word)));
  return true;
}

class FakeServer {
 public:
  // The reply to a whole request (its words, length word first); an empty reply means the server
  // stays silent.
  using Handler = std::function<std::vector<Word>(const std::vector<Word>& request)>;

  // The stop message: a one-word type-1 message [0], which no client request starts with.
  static constexpr Word kStop = 0;

  FakeServer(int queue, Handler handler, bool echo_ping = true)
      : queue_(queue), handler_(std::move(handler)), echo_(echo_ping) {
    thread_ = std::thread([this] { serve(); });
  }
  ~FakeServer() { stop(); }
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  // Ends the server thread; the records below may be read afterwards.
  void stop() {
    if (!thread_.joinable()) return;
    put_message(queue_, kClientType, {kStop});
    thread_.join();
  }

  // Every type-1 message read, in order (pings, request slices and receipts).
  const std::vector<std::vector<Word>>& messages() const { return messages_; }
  // Whole requests, in order.
  const std::vector<std::vector<Word>>& requests() const { return requests_; }
  // Receipts ([-888]) the client sent for reply slices, and receipts this server sent.
  int receipts_received() const { return receipts_received_; }
  int receipts_sent() const { return receipts_sent_; }
  int pings() const { return pings_; }

 private:
  bool read(std::vector<Word>& words) {
    struct {
      long type;
      Word words[kMessageWords];
    } m{};
    while (true) {
      const ssize_t n = msgrcv(queue_, &m, sizeof m.words, kClientType, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      words.assign(m.words, m.words + n / static_cast<ssize_t>(sizeof(Word)));
      if (words.size() == 1 && words[0] == kStop) return false;
      messages_.push_back(words);
      return true;
    }
  }

  void serve() {
    std::vector<Word> msg;
    while (read(msg)) {
      if (msg.size() == 2 && msg[0] == 2 && msg[1] == kPing) {
        ++pings_;
        if (echo_) put_message(queue_, kServerType, {2, kPing});
        continue;
      }
      std::vector<Word> request = msg;
      const std::size_t total = msg.empty() ? 0 : static_cast<std::size_t>(msg[0]);
      while (request.size() < total) {
        if (!read(msg)) return;
        request.insert(request.end(), msg.begin(), msg.end());
        put_message(queue_, kServerType, {1});  // receipt of a slice after the first
        ++receipts_sent_;
      }
      requests_.push_back(request);
      const std::vector<Word> reply = handler_(request);
      std::size_t sent = 0;
      while (sent < reply.size()) {
        const std::size_t n = std::min<std::size_t>(kMessageWords, reply.size() - sent);
        put_message(queue_, kServerType,
                    std::vector<Word>(reply.begin() + static_cast<std::ptrdiff_t>(sent),
                                      reply.begin() + static_cast<std::ptrdiff_t>(sent + n)));
        sent += n;
        if (sent > static_cast<std::size_t>(kMessageWords)) {
          if (!read(msg)) return;
          if (msg.size() == 1 && msg[0] == kReceipt) ++receipts_received_;
        }
      }
    }
  }

  int queue_;
  Handler handler_;
  bool echo_;
  std::thread thread_;
  std::vector<std::vector<Word>> messages_;
  std::vector<std::vector<Word>> requests_;
  int receipts_received_ = 0;
  int receipts_sent_ = 0;
  int pings_ = 0;
};

// The reply [2, rc] of a request without results.
inline FakeServer::Handler reply_code(Word rc) {
  return [rc](const std::vector<Word>&) { return std::vector<Word>{2, rc}; };
}

}  // namespace kor::graphics::testing

#endif  // KOR_TESTS_GRAPHICS_FAKE_SERVER_H_
