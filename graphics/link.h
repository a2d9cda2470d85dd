// The client end of the link to the graphics server `mplt`.
//
// Client and server share one System V message queue.  Client-to-server messages have type 1,
// server-to-client messages type 2; a message carries 1 to 128 words.  A request is a word stream
// [total words, request code, arguments...]; a reply is [total words, return code, results...].
// Streams longer than one message travel in consecutive slices of 128 words, and from the second
// slice on the receiving side acknowledges each slice with a receipt: the server with any type-2
// message, the client with the type-1 message [-888].
//
// The queue key is the terminal's ftok key when standard error is a terminal, so that every run
// on one terminal reaches the same server; otherwise it is the parent's pid + 12340000 and the key
// is handed to a newly started server on the queue own pid + 78900000.
//
// All link state lives in LinkState, owned by the caller.  The operating-system calls go through
// LinkState::transport.  Messages of the link are written to *LinkState::out.
#ifndef KOR_GRAPHICS_LINK_H_
#define KOR_GRAPHICS_LINK_H_

#include <sys/types.h>

#include <array>
#include <iostream>
#include <span>
#include <string_view>

#include "graphics/transport.h"
#include "graphics/words.h"
#include "util/support.h"

namespace kor::graphics {

inline constexpr int kNoLink = -999;                 // queue id of a link that is not open
inline constexpr long kClientType = 1;               // client-to-server messages
inline constexpr long kServerType = 2;               // server-to-client messages
inline constexpr Word kPing = -999;                  // second word of the ping and of its echo
inline constexpr Word kReceipt = -888;               // the client's receipt of a reply slice
inline constexpr key_t kParentKeyBase = 12340000;    // + parent pid: key without a terminal
inline constexpr key_t kHandOverKeyBase = 78900000;  // + own pid: hand-over queue
// How long a blocking receive waits for the server before the request fails.
inline constexpr int kDefaultReplyWaitMs = 120000;
// How long the ping waits for the server's echo, polling in short steps.
inline constexpr int kDefaultPingWaitMs = 2000;
inline constexpr int kPingStepMs = 10;
// While waiting for a reply, the server process is looked at this often.
inline constexpr int kLivenessStepMs = 200;
// How long GR_INIT waits for another run that holds the same server.
inline constexpr int kDefaultLockWaitMs = 600000;

// Link status codes.
inline constexpr int kLinkFailed = -1;   // send or receive failed; fork failed; bad server path
inline constexpr int kNoLinkOpen = -40;  // a request was attempted with no link
inline constexpr int kNoServer = -101;   // server not found, not started, or the check failed

// Transfer states.
inline constexpr int kIdle = 0;
inline constexpr int kSending = 1;
inline constexpr int kReceiving = 2;
inline constexpr int kComplete = -1;

struct LinkState {
  int queue_id = kNoLink;
  long send_type = kClientType;
  long receive_type = kServerType;
  int transfer = kIdle;  // kIdle, kSending, kReceiving or kComplete
  int total = 0;         // words of the request being sent, or reply words still owed
  int done = 0;          // words of the request sent, or of the reply delivered
  std::array<Word, kMessageWords> buffer{};
  int fill = 0;      // words in `buffer`
  int position = 0;  // next reply word in `buffer`
  int reply_wait_ms = kDefaultReplyWaitMs;
  int ping_wait_ms = kDefaultPingWaitMs;
  int lock_wait_ms = kDefaultLockWaitMs;
  pid_t server_pid = 0;       // the server: the child started by CSPROC, or the ping's answerer
  bool server_child = false;  // server_pid is a child of this process
  int lock_fd = -1;           // the run's lock on the server (GR_INIT .. GR_END), -1 without
  key_t lock_key = 0;
  Transport* transport = &system_transport();
  std::ostream* out = &std::cout;
  util::SupportState support;  // table units and messages of the graphics client

  LinkState() = default;
  // A run's lock on the server is given back when its link state ends, also without GR_END.
  ~LinkState();
  LinkState(const LinkState&) = delete;
  LinkState& operator=(const LinkState&) = delete;
};

// Sets the link to "no link" and idle, and resets the support state (util::GR_RESET).
void GR_RESET(LinkState& link);

// The server queue key: the terminal key when standard error is a terminal and that key could be
// had, otherwise the parent's pid + 12340000.
key_t queue_key(bool terminal, key_t terminal_key, pid_t parent);

struct QueueInfo {
  bool terminal = false;  // standard error is a terminal
  key_t key = 0;          // key of the server queue
  int queue_id = -1;      // -1 when msgget failed
  bool created = false;   // the queue did not exist before
};

// Computes the server queue key and opens (creates) the queue.  Returns 0.
[[nodiscard]] int CGETMQ(LinkState& link, QueueInfo& info);

// Opens the server queue and pings the server: [2, -999] with type 1, then looks for its echo
// every 10 ms for about two seconds (link.ping_wait_ms).  A queue that this call created has no
// server, so it is not pinged.  When no echo came, every type-1 message left on the queue is
// removed.  Returns 0 (`running` tells whether the server answered; the answering process becomes
// link.server_pid), or -1 when the queue could not be opened.
[[nodiscard]] int CCHECK(LinkState& link, int& queue_id, bool& running);

// Starts the server program `path` as a child process (fork and execl with the program's name as
// its only argument); without a terminal the server queue's key is first sent on the hand-over
// queue.  Returns 0 in the parent once the child exists, or -1 for a path ending in "/" or a failed
// fork ("Could not fork").  The child writes "Creating process: <name> for queue <id>" and, when
// execl fails, "Error in execl to <path> = <errno>" and exits with status 2.
[[nodiscard]] int CSPROC(LinkState& link, std::string_view path, int queue_id);

// Reuses a server that answers on the queue, else starts `server` found under its plain name,
// under "$OS_BIN/", or beside the running program.  Returns 0, the CSPROC code, or -101 when the
// program is nowhere (after the line " Graphics server not found: looked for ./mplt, <$OS_BIN/mplt>
// and <beside>; DEV = TX writes text without it.") or the queue could not be opened.
[[nodiscard]] int SRV_START(LinkState& link, std::string_view server, int& queue_id, bool& running);

// Removes the queue.  Returns 0, or -1.
[[nodiscard]] int CENDMQ(LinkState& link, int queue_id);

// Sends `words` (1 to 128) as one message of `type` without waiting; an empty span sends nothing.
// Returns 0, or -1 after writing "Error in message send = <errno>" and
// "itype, ichan, nwords,<type>,<queue>,<count>".
[[nodiscard]] int MQ_SEND(LinkState& link, long type, int queue_id, std::span<const Word> words);

// Receives one message of `type` into `words`, zeroing the words past its length.  Without
// `nowait` it waits at most link.reply_wait_ms; when that runs out it writes a line saying so.
// While it waits it looks at the server process (link.server_pid) every 200 ms: a server that has
// ended ends the wait with a line saying so, and its queue and the hand-over queue are removed
// (the link is closed).  Returns the number of words received, or -1.
[[nodiscard]] int MQ_RECEIVE(LinkState& link, long type, bool nowait, int queue_id,
                             std::span<Word, kMessageWords> words);

// Adds `words` to the request being sent; the first call of a request starts with its total.  Full
// 128-word slices and the last slice go out as they are complete; after every slice past the
// first the server's receipt is awaited.  Returns 0, -40 with no link, or -1 when a send or a
// receipt failed (the rest of the request is dropped).
[[nodiscard]] int REQ_PUT(LinkState& link, std::span<const Word> words);

// Fills `words` with the next words of the reply, receiving its slices as needed and sending a
// receipt for each slice after the first.  Words wanted beyond the end of the reply stay
// unchanged.  Returns 0, or -1 when a receive or a receipt failed.
[[nodiscard]] int REQ_GET(LinkState& link, std::span<Word> words);

// Words of the current reply not yet delivered (0 when no reply is being read).
int reply_words_owed(const LinkState& link);

// Opens the link to "mplt" (SRV_START; any failure gives -101) and sends request 101 with `mode`.
// First it takes the exclusive lock of the server queue's key, so that two runs that compute the
// same key do not mix their requests; the lock is held until GR_END.  When another run holds it
// for longer than link.lock_wait_ms, a line says so and the result is -101.  Returns the server's
// return code or the link status.
[[nodiscard]] int GR_INIT(LinkState& link, int mode, bool& running);

// Sends request 102 with `option`; after the reply, option 1 also removes the queue and leaves the
// link closed.  The run's lock is given back.  Returns the server's return code or the link
// status.
[[nodiscard]] int GR_END(LinkState& link, int option);

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_LINK_H_
