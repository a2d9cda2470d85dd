#include "mplt/serve.h"

#include <signal.h>
#include <sys/ipc.h>
#include <sys/msg.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "mplt/codes.h"
#include "mplt/queue.h"

namespace kor::mplt {

End serve(int queue, Server& server, const ServeOptions& options) {
  ServerQueue::Options qo;
  qo.idle = options.idle;
  qo.stop = [&] { return options.stop != nullptr && options.stop->load(); };
  // A run that is still open keeps the server while the client that opened it lives.
  qo.busy = [&] {
    const pid_t client = server.run_client();
    return server.run_open() && client > 0 && (kill(client, 0) == 0 || errno == EPERM);
  };
  qo.has_events = [&] { return server.window() != nullptr; };
  qo.events = [&] { server.process_window_events(); };
  qo.between = [&] {
    if (server.run_open() && !process_alive(server.run_client())) server.abandon_run();
  };
  qo.owner_gone = [&] {
    return options.owner > 0 && !server.run_open() && !process_alive(options.owner);
  };
  ServerQueue link(queue, qo);
  End end = End::kQueueGone;
  std::vector<Word> request;
  while (true) {
    pid_t client = 0;
    const Wait w = link.next(request, client, kBadLength);
    if (w == Wait::kSenderGone) {
      // Killed in the middle of a request: the rest of its run will never come.
      server.abandon_run();
      continue;
    }
    if (w != Wait::kRequest) {
      end = w == Wait::kIdle        ? End::kIdle
            : w == Wait::kStopped   ? End::kSignal
            : w == Wait::kOwnerGone ? End::kOwnerGone
                                    : End::kQueueGone;
      break;
    }
    const std::vector<Word> reply = server.handle(request, client);
    if (!link.reply(reply) && link.sender_gone()) server.abandon_run();
    if (server.end_requested()) {
      // The queue goes only after the client has taken the reply (or removed the queue itself).
      for (int i = 0; i < 2000; ++i) {
        msqid_ds ds{};
        if (msgctl(queue, IPC_STAT, &ds) != 0 || ds.msg_qnum == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      end = End::kOption1;
      break;
    }
  }
  if (server.run_open() && !process_alive(server.run_client())) server.abandon_run();
  (void)server.bring_up_to_date();
  msgctl(queue, IPC_RMID, nullptr);
  return end;
}

pid_t owner_of_handed_over_key(key_t key) {
  const long pid = static_cast<long>(key) - kParentKeyBase;
  return pid > 0 && pid <= 0x3fffffff ? static_cast<pid_t>(pid) : 0;
}

std::chrono::milliseconds idle_from(const char* value) {
  if (value != nullptr && *value != '\0') {
    char* end = nullptr;
    const long v = std::strtol(value, &end, 10);
    if (*end == '\0' && v > 0 && v <= 86400 * 7) return std::chrono::seconds(v);
  }
  return std::chrono::seconds(kDefaultIdleSeconds);
}

std::optional<key_t> take_handed_over_key(pid_t parent) {
  const int q = msgget(static_cast<key_t>(parent) + kHandOverKeyBase, 0);
  if (q < 0) return std::nullopt;
  struct {
    long type;
    Word words[kSliceWords];
  } m{};
  const ssize_t n = msgrcv(q, &m, sizeof m.words, 1, IPC_NOWAIT | MSG_NOERROR);
  msgctl(q, IPC_RMID, nullptr);
  if (n != static_cast<ssize_t>(sizeof(Word))) return std::nullopt;
  return static_cast<key_t>(m.words[0]);
}

std::optional<key_t> parse_key(std::string_view text) {
  const std::string s(text);
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(s.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || v < -2147483648LL || v > 2147483647LL || v == 0) {
    return std::nullopt;
  }
  return static_cast<key_t>(v);
}

}  // namespace kor::mplt
