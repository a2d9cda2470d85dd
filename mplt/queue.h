// The server end of the message-queue link.
//
// Client and server share one System V queue: client messages have type 1, server messages type
// 2, each of 1 to 128 words.  The server echoes the ping [2, -999] with type 2; it reassembles a
// request from 128-word slices, sending the receipt [-888] (type 2) after every slice but the
// first; it sends a reply in slices, waiting for the client's receipt [-888] after every slice
// but the first.  Requests and replies strictly alternate.
#ifndef KOR_MPLT_QUEUE_H_
#define KOR_MPLT_QUEUE_H_

#include <sys/types.h>

#include <array>
#include <chrono>
#include <functional>
#include <vector>

#include "graphics/words.h"

namespace kor::mplt {

using graphics::Word;

inline constexpr int kSliceWords = 128;
// The longest request the server takes (the client refuses longer ones itself).
inline constexpr std::int64_t kMaxRequestWords = 4000128;

// Why waiting for a request ended: a whole request came, the idle time ran out, a stop was asked
// for, the queue is gone, the sender of the request being received (or the reply's receiver)
// has ended, or the owner's rule ended the wait (Options::owner_gone).
enum class Wait { kRequest, kIdle, kStopped, kQueueGone, kSenderGone, kOwnerGone };

// True while process `pid` exists.
bool process_alive(pid_t pid);

class ServerQueue {
 public:
  // `idle` ends the wait for a request when no message came for that long (unless `busy` says
  // the server must stay); `stop` is polled for a signal to end.
  struct Options {
    std::chrono::milliseconds idle{600000};
    std::chrono::milliseconds slice_wait{120000};  // for later slices and receipts
    std::function<bool()> stop = [] { return false; };
    std::function<bool()> busy = [] { return false; };
    // While set, messages are polled rather than waited for, and this runs between polls (the
    // window's events).
    std::function<bool()> has_events = [] { return false; };
    std::function<void()> events = [] {};
    // Run about every 100 ms while waiting for a request (the server looks at its run's client).
    std::function<void()> between = [] {};
    // Asked about every 100 ms while waiting for a request: true ends the wait (kOwnerGone).
    std::function<bool()> owner_gone = [] { return false; };
    // Whether a client process lives: looked at about every 100 ms while the later slices of its
    // request or its receipts are awaited, so that a client that was killed half-way frees the
    // server at once instead of after slice_wait.
    std::function<bool(pid_t)> alive = process_alive;
  };

  ServerQueue(int queue, Options options) : queue_(queue), options_(std::move(options)) {}

  // Waits for the next whole request, answering pings and reassembling slices.  A request whose
  // slices disagree with its length word (or an empty message) is answered here with
  // `bad_length` and not returned.  `client` is the process that sent the request; kSenderGone
  // says that it ended before its request was whole (the part received is dropped).
  Wait next(std::vector<Word>& request, pid_t& client, Word bad_length);

  // Sends `reply` in slices to the client of the last request.  Returns false when the client
  // stopped taking it (sender_gone() then tells whether it has ended).
  bool reply(const std::vector<Word>& words);
  bool sender_gone() const { return why_ == Wait::kSenderGone; }

  int queue() const { return queue_; }

 private:
  // Receives one type-1 message: its word count (kEmpty for a message without words), 0 when
  // `wait` ran out, -1 when the queue is gone, a stop was asked for, the client of the current
  // request ended (`idle_rule` false) or the owner's rule ended the wait (`idle_rule` true).
  static constexpr int kEmpty = -2;
  int receive(std::array<Word, kSliceWords>& m, std::chrono::milliseconds wait, bool idle_rule);
  bool send(std::initializer_list<Word> words);
  bool send(const Word* words, std::size_t n);

  int queue_;
  Options options_;
  Wait why_ = Wait::kRequest;
  pid_t client_ = 0;  // the sender of the request being received or answered
  // A message that came while the slices of a client that had ended were awaited: the first
  // slice of the next request.
  std::array<Word, kSliceWords> pending_message_{};
  int pending_ = 0;
};

}  // namespace kor::mplt

#endif  // KOR_MPLT_QUEUE_H_
