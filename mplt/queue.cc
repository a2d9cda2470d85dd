#include "mplt/queue.h"

#include <signal.h>
#include <sys/ipc.h>
#include <sys/msg.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

namespace kor::mplt {
namespace {

constexpr long kClientType = 1;
constexpr long kServerType = 2;
constexpr Word kPing = -999;
constexpr Word kReceipt = -888;

struct Message {
  long type;
  Word words[kSliceWords];
};

using Clock = std::chrono::steady_clock;

// How often the liveness of the client and the owner is looked at while waiting.
constexpr auto kLookEvery = std::chrono::milliseconds(100);

}  // namespace

bool process_alive(pid_t pid) {
  if (pid <= 0 || (kill(pid, 0) != 0 && errno != EPERM)) return false;
  // A killed process whose parent has not collected it yet is a zombie: it has ended all the same.
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  FILE* f = std::fopen(path, "re");
  if (f == nullptr) return true;
  char line[512] = {};
  const std::size_t n = std::fread(line, 1, sizeof line - 1, f);
  std::fclose(f);
  const char* close = std::strrchr(line, ')');
  return n == 0 || close == nullptr || close[1] != ' ' || close[2] != 'Z';
}

int ServerQueue::receive(std::array<Word, kSliceWords>& m, std::chrono::milliseconds wait,
                         bool idle_rule) {
  auto start = Clock::now();
  auto looked = start;
  // Quick answers cost little: a few yields first, then sleeps that grow to 2 ms, and to 50 ms
  // once the queue has been quiet for a second (a window's events are handled between polls).
  int polls = 0;
  std::chrono::microseconds pause{20};
  while (true) {
    if (options_.stop()) {
      why_ = Wait::kStopped;
      return -1;
    }
    if (const auto now = Clock::now(); now - looked >= kLookEvery) {
      looked = now;
      if (idle_rule) {
        options_.between();
        if (options_.owner_gone()) {
          why_ = Wait::kOwnerGone;
          return -1;
        }
      } else if (client_ > 0 && !options_.alive(client_)) {
        why_ = Wait::kSenderGone;
        return -1;
      }
    }
    Message msg{};
    const ssize_t n = msgrcv(queue_, &msg, sizeof msg.words, kClientType, IPC_NOWAIT | MSG_NOERROR);
    if (n > 0) {
      const std::size_t words = static_cast<std::size_t>(n) / sizeof(Word);
      std::memcpy(m.data(), msg.words, words * sizeof(Word));
      return static_cast<int>(words);
    }
    if (n < 0 && errno != ENOMSG && errno != EINTR) {
      why_ = Wait::kQueueGone;
      return -1;
    }
    if (n == 0) return kEmpty;
    if (options_.has_events()) options_.events();
    const auto quiet = Clock::now() - start;
    if (quiet >= wait) {
      if (idle_rule && options_.busy()) {
        start = Clock::now();
      } else {
        why_ = Wait::kIdle;
        return 0;
      }
    }
    if (++polls < 50) {
      std::this_thread::yield();
      continue;
    }
    std::this_thread::sleep_for(pause);
    const auto cap = quiet > std::chrono::seconds(1) ? std::chrono::microseconds(50000)
                                                     : std::chrono::microseconds(2000);
    pause = std::min(pause * 2, cap);
  }
}

bool ServerQueue::send(const Word* words, std::size_t n) {
  Message msg{};
  msg.type = kServerType;
  std::memcpy(msg.words, words, n * sizeof(Word));
  for (int attempt = 0; attempt < 5000; ++attempt) {
    if (msgsnd(queue_, &msg, n * sizeof(Word), IPC_NOWAIT) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the queue is full for now
  }
  return false;
}

bool ServerQueue::send(std::initializer_list<Word> words) {
  return send(words.begin(), words.size());
}

Wait ServerQueue::next(std::vector<Word>& request, pid_t& client, Word bad_length) {
  std::array<Word, kSliceWords> m{};
  while (true) {
    client_ = 0;
    int n = 0;
    if (pending_ > 0) {
      m = pending_message_;
      n = std::exchange(pending_, 0);
    } else {
      n = receive(m, options_.idle, true);
    }
    if (n == kEmpty) {
      (void)send({2, bad_length});
      continue;
    }
    if (n < 0) return why_;
    if (n == 0) return Wait::kIdle;
    if (n == 2 && m[0] == 2 && m[1] == kPing) {
      (void)send({2, kPing});
      continue;
    }
    if (n == 1 && m[0] == kReceipt) continue;  // a receipt nobody waits for
    msqid_ds ds{};
    client = msgctl(queue_, IPC_STAT, &ds) == 0 ? ds.msg_lspid : 0;
    client_ = client;
    const std::int64_t total = m[0];
    if (total < 2 || total > kMaxRequestWords ||
        n != static_cast<int>(std::min<std::int64_t>(total, kSliceWords))) {
      (void)send({2, bad_length});
      continue;
    }
    request.assign(m.begin(), m.begin() + n);
    bool whole = true;
    while (static_cast<std::int64_t>(request.size()) < total) {
      const int k = receive(m, options_.slice_wait, false);
      if (k < 0 && k != kEmpty) return why_;
      if (k == 2 && m[0] == 2 && m[1] == kPing) {
        (void)send({2, kPing});
        continue;
      }
      const std::int64_t want =
          std::min<std::int64_t>(kSliceWords, total - static_cast<std::int64_t>(request.size()));
      if (k != want) {
        if (k > 0 && !options_.alive(client_)) {
          // The client ended half-way and another one's first message came: that one is the
          // start of the next request.
          pending_message_ = m;
          pending_ = k;
          return Wait::kSenderGone;
        }
        // The client stopped sending (k == 0) or sent a slice of the wrong size.
        if (k != 0) (void)send({2, bad_length});
        why_ = Wait::kRequest;
        whole = false;
        break;
      }
      request.insert(request.end(), m.begin(), m.begin() + k);
      if (!send({kReceipt})) return Wait::kQueueGone;
    }
    if (whole) return Wait::kRequest;
  }
}

bool ServerQueue::reply(const std::vector<Word>& words) {
  why_ = Wait::kRequest;
  std::array<Word, kSliceWords> m{};
  for (std::size_t sent = 0; sent < words.size();) {
    const std::size_t n = std::min<std::size_t>(kSliceWords, words.size() - sent);
    if (!send(words.data() + sent, n)) return false;
    sent += n;
    if (sent <= static_cast<std::size_t>(kSliceWords)) continue;
    while (true) {
      const int k = receive(m, options_.slice_wait, false);
      if (k == 0 || k == kEmpty) {
        why_ = Wait::kRequest;
        return false;
      }
      if (k < 0) return false;
      if (k == 2 && m[0] == 2 && m[1] == kPing) {
        (void)send({2, kPing});
        continue;
      }
      if (k == 1 && m[0] == kReceipt) break;
      return false;  // not a receipt: the client has given up this reply
    }
  }
  return true;
}

}  // namespace kor::mplt
