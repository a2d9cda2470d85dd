// The server's main loop and its start-up: where the queue key comes from, and how the server
// ends (request 102 with option 1, a signal, idle time, or its queue removed), always removing
// its queue.
#ifndef KOR_MPLT_SERVE_H_
#define KOR_MPLT_SERVE_H_

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "mplt/server.h"

namespace kor::mplt {

inline constexpr key_t kHandOverKeyBase = 78900000;  // + the parent's pid
inline constexpr int kDefaultIdleSeconds = 600;

inline constexpr key_t kParentKeyBase = 12340000;  // + the pid a client's key came from

// How the loop ended.
enum class End { kOption1, kIdle, kSignal, kQueueGone, kOwnerGone };

struct ServeOptions {
  std::chrono::milliseconds idle{kDefaultIdleSeconds * 1000};
  const std::atomic<bool>* stop = nullptr;  // set by a signal handler
  // The process the queue's key came from (the clients' parent), or 0.  Once it has ended no
  // client can compute the key again, so the server ends as soon as no run is open.
  pid_t owner = 0;
};

// Serves `queue` until the server is to end, then brings the output up to date and removes the
// queue.  A run whose client ends before the run's end (request 102) is dropped: what it drew
// never reaches an output and the page is as it was when the run began.
End serve(int queue, Server& server, const ServeOptions& options);

// The owner of a key that a client computed from its parent process (handed over), else 0.
pid_t owner_of_handed_over_key(key_t key);

// The idle time from the value of MPLT_IDLE_SECONDS (null: not set): a positive whole number of
// seconds, else the default.
std::chrono::milliseconds idle_from(const char* value);

// The key handed over by the parent on the queue parent pid + 78900000: one type-1 message of one
// word, taken without waiting; the hand-over queue is removed.  Empty when there is none.
std::optional<key_t> take_handed_over_key(pid_t parent);

// Parses a key given on the command line (decimal, or hexadecimal with 0x).
std::optional<key_t> parse_key(std::string_view text);

}  // namespace kor::mplt

#endif  // KOR_MPLT_SERVE_H_
