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

// Why waiting for a request ended.
enum class Wait { kRequest, kIdle, kStopped, kQueueGone };

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
  };

  ServerQueue(int queue, Options options) : queue_(queue), options_(std::move(options)) {}

  // Waits for the next whole request, answering pings and reassembling slices.  A request whose
  // slices disagree with its length word is answered here with `bad_length` and not returned.
  // `client` is the process that sent the request.
  Wait next(std::vector<Word>& request, pid_t& client, Word bad_length);

  // Sends `reply` in slices.  Returns false when the client stopped taking it.
  bool reply(const std::vector<Word>& words);

  int queue() const { return queue_; }

 private:
  // Receives one type-1 message: its word count, 0 when `wait` ran out, -1 when the queue is
  // gone or a stop was asked for.
  int receive(std::array<Word, kSliceWords>& m, std::chrono::milliseconds wait, bool idle_rule);
  bool send(std::initializer_list<Word> words);
  bool send(const Word* words, std::size_t n);

  int queue_;
  Options options_;
  Wait why_ = Wait::kRequest;
};

}  // namespace kor::mplt

#endif  // KOR_MPLT_QUEUE_H_
