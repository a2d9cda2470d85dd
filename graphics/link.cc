#include "graphics/link.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "graphics/request_codes.h"
#include "util/environment.h"

namespace kor::graphics {
namespace {

// Stray messages read past while waiting for the ping's echo before the wait counts as failed.
constexpr int kStrayLimit = 4096;

void print(LinkState& link, const char* fmt, auto... args) {
  char line[640];
  std::snprintf(line, sizeof line, fmt, args...);
  *link.out << line;
  link.out->flush();
}

}  // namespace

namespace {

void release_lock(LinkState& link) {
  if (link.lock_fd >= 0) link.transport->unlock_key(link.lock_key, link.lock_fd);
  link.lock_fd = -1;
}

// The server has ended under us: its queue (and a hand-over queue it never took) must not stay.
void drop_dead_server(LinkState& link, int queue_id) {
  Transport& t = *link.transport;
  (void)t.remove_queue(queue_id);
  if (link.server_child) t.remove_keyed_queue(static_cast<key_t>(t.own_pid()) + kHandOverKeyBase);
  if (link.queue_id == queue_id) link.queue_id = kNoLink;
  link.server_pid = 0;
  link.server_child = false;
}

}  // namespace

LinkState::~LinkState() { release_lock(*this); }

void GR_RESET(LinkState& link) {
  release_lock(link);
  link.queue_id = kNoLink;
  link.send_type = kClientType;
  link.receive_type = kServerType;
  link.transfer = kIdle;
  link.total = 0;
  link.done = 0;
  link.fill = 0;
  link.position = 0;
  util::GR_RESET(link.support);
}

key_t queue_key(bool terminal, key_t terminal_key, pid_t parent) {
  if (terminal && terminal_key != static_cast<key_t>(-1)) return terminal_key;
  return static_cast<key_t>(parent) + kParentKeyBase;
}

int CGETMQ(LinkState& link, QueueInfo& info) {
  Transport& t = *link.transport;
  info.terminal = t.stderr_is_terminal();
  info.key = queue_key(info.terminal, info.terminal ? t.terminal_key() : -1, t.parent_pid());
  info.queue_id = t.open_queue(info.key, info.created);
  if (info.queue_id < 0) info.queue_id = -1;
  return 0;
}

namespace {

// Withdraws the ping (and anything else meant for a server that is not there) from the queue.
void withdraw_ping(LinkState& link, int queue_id) {
  std::array<Word, kMessageWords> stale{};
  while (link.transport->receive(queue_id, kClientType, 0, stale) >= 0) {
  }
}

}  // namespace

int CCHECK(LinkState& link, int& queue_id, bool& running) {
  running = false;
  QueueInfo info;
  (void)CGETMQ(link, info);
  queue_id = info.queue_id;
  if (info.queue_id < 0) return kLinkFailed;
  // A queue made just now has nobody serving it.
  if (info.created) return 0;
  const Word ping[2] = {2, kPing};
  const bool pinged = MQ_SEND(link, kClientType, queue_id, ping) == 0;
  if (pinged) {
    std::array<Word, kMessageWords> reply{};
    int waited = 0;
    int strays = 0;
    while (true) {
      const int n = MQ_RECEIVE(link, kServerType, true, queue_id, reply);
      if (n >= 2 && reply[1] == kPing) {
        running = true;
        link.server_pid = link.transport->last_sender(queue_id);
        link.server_child = false;
        break;
      }
      if (n >= 0 && ++strays < kStrayLimit) continue;
      if (waited >= link.ping_wait_ms) break;
      link.transport->sleep_milliseconds(kPingStepMs);
      waited += kPingStepMs;
    }
  }
  if (!running && pinged) {
    // No echo in time, but a server that lives holds the queue: it is busy (drawing a large page,
    // or still dropping the run of a client that was killed).  A second server would take every
    // other request, so the ping waits for this one as long as it lives.
    const pid_t holder = link.transport->queue_server(info.key);
    if (holder > 0) {
      std::array<Word, kMessageWords> reply{};
      for (int waited = 0; waited < link.reply_wait_ms; waited += kPingStepMs) {
        const int n = MQ_RECEIVE(link, kServerType, true, queue_id, reply);
        if (n >= 2 && reply[1] == kPing) {
          running = true;
          link.server_pid = holder;
          link.server_child = false;
          break;
        }
        if (n >= 0) continue;
        if (waited % kLivenessStepMs == 0 && link.transport->process_ended(holder, false)) break;
        link.transport->sleep_milliseconds(kPingStepMs);
      }
      if (!running && !link.transport->process_ended(holder, false)) {
        print(link,
              "Error: the graphics server (process %i) of queue key %i gives no answer within "
              "%i ms; no second server is started\n",
              static_cast<int>(holder), static_cast<int>(info.key), link.reply_wait_ms);
        withdraw_ping(link, queue_id);
        return kLinkFailed;
      }
    }
  }
  if (!running) withdraw_ping(link, queue_id);
  return 0;
}

int CSPROC(LinkState& link, std::string_view path, int queue_id) {
  const std::size_t slash = path.rfind('/');
  const std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
  if (name.empty()) return kLinkFailed;
  const std::string program(path);
  Transport& t = *link.transport;
  QueueInfo info;
  (void)CGETMQ(link, info);
  if (!info.terminal) {
    const int hand_over = t.open_queue(static_cast<key_t>(t.own_pid()) + kHandOverKeyBase);
    const Word key[1] = {static_cast<Word>(info.key)};
    (void)MQ_SEND(link, kClientType, hand_over, key);
  }
  link.out->flush();
  const pid_t pid = t.fork_process();
  if (pid < 0) {
    print(link, "%s", "Could not fork\n");
    return kLinkFailed;
  }
  if (pid > 0) {
    link.server_pid = pid;
    link.server_child = true;
    return 0;
  }
  print(link, "Creating process: %s for queue %i\n", name.c_str(), queue_id);
  const int error = t.exec_program(program, name);
  print(link, "Error in execl to %s = %i\n", program.c_str(), error);
  t.exit_child(2);
  return kLinkFailed;  // not reached: exit_child ends the child
}

int SRV_START(LinkState& link, std::string_view server, int& queue_id, bool& running) {
  if (CCHECK(link, queue_id, running) != 0) return kNoServer;
  if (running) return 0;
  std::string path;
  const std::string self = link.transport->own_executable();
  const std::size_t slash = self.rfind('/');
  const std::string beside =
      slash == std::string::npos ? std::string() : self.substr(0, slash + 1) + std::string(server);
  if (!util::FIL_EXISTS(server, path) &&
      !util::FIL_EXISTS("$OS_BIN/" + std::string(server), path) &&
      (beside.empty() || !util::FIL_EXISTS(beside, path))) {
    // No server answers on the queue and none can be started: say where it was looked for, and
    // remove the queue, so that a failed start leaves nothing behind on the machine.
    std::string in_os_bin;
    const std::string os_bin_path = "$OS_BIN/" + std::string(server);
    if (util::ENV_EXPAND(os_bin_path, in_os_bin) != 0)
      in_os_bin = os_bin_path + " (OS_BIN is not set)";
    *link.out << " Graphics server not found: looked for ./" << server
              << (beside.empty() ? " and " : ", ") << in_os_bin;
    if (!beside.empty()) *link.out << " and " << beside;
    *link.out << "; DEV = TX writes text without it.\n";
    link.out->flush();
    (void)CENDMQ(link, queue_id);
    queue_id = kNoLink;
    return kNoServer;
  }
  // A server that still holds the queue's claim is on its way out (it answered no ping and has
  // ended, or its queue was removed under it): the new one starts once it has gone.
  QueueInfo info;
  (void)CGETMQ(link, info);
  for (int waited = 0; waited < kDefaultPingWaitMs; waited += kPingStepMs) {
    const pid_t holder = link.transport->queue_server(info.key);
    if (holder <= 0 || link.transport->process_ended(holder, false)) break;
    link.transport->sleep_milliseconds(kPingStepMs);
  }
  return CSPROC(link, path, queue_id);
}

int CENDMQ(LinkState& link, int queue_id) {
  return link.transport->remove_queue(queue_id) == 0 ? 0 : kLinkFailed;
}

int MQ_SEND(LinkState& link, long type, int queue_id, std::span<const Word> words) {
  if (words.empty()) return 0;
  const int count = static_cast<int>(words.size());
  if (count <= kMessageWords && link.transport->send(queue_id, type, words) == 0) return 0;
  const int error = count > kMessageWords ? EINVAL : errno;
  print(link, "Error in message send = %i\n", error);
  print(link, "itype, ichan, nwords,%i,%i,%i\n", static_cast<int>(type), queue_id, count);
  return kLinkFailed;
}

int MQ_RECEIVE(LinkState& link, long type, bool nowait, int queue_id,
               std::span<Word, kMessageWords> words) {
  const int wait = nowait ? 0 : (link.reply_wait_ms > 0 ? link.reply_wait_ms : 1);
  int n = -1;
  if (nowait || link.server_pid <= 0) {
    n = link.transport->receive(queue_id, type, wait, words);
  } else {
    // Wait in steps, looking at the server between them.
    for (int waited = 0;;) {
      const int step = std::min(kLivenessStepMs, wait - waited);
      n = link.transport->receive(queue_id, type, step, words);
      if (n >= 0 || errno != ETIMEDOUT) break;
      waited += step;
      if (waited >= wait) break;
      if (link.transport->process_ended(link.server_pid, link.server_child)) {
        print(link, "Error in message receive: the graphics server (process %i) has ended\n",
              static_cast<int>(link.server_pid));
        drop_dead_server(link, queue_id);
        return kLinkFailed;
      }
    }
  }
  if (n < 0) {
    if (!nowait && errno == ETIMEDOUT) {
      print(link, "Error in message receive: no answer from the graphics server within %i ms\n",
            wait);
    }
    return kLinkFailed;
  }
  for (std::size_t i = static_cast<std::size_t>(n); i < words.size(); ++i) words[i] = 0;
  return n;
}

int REQ_PUT(LinkState& link, std::span<const Word> words) {
  if (link.queue_id == kNoLink) return kNoLinkOpen;
  if (words.empty()) return 0;
  if (link.transfer != kSending) {
    link.total = words[0];
    link.done = 0;
    link.fill = 0;
    link.transfer = kSending;
    if (link.total < 1) {
      link.transfer = kComplete;
      return kLinkFailed;
    }
  }
  std::size_t i = 0;
  while (i < words.size() && link.done < link.total) {
    const std::size_t left_in_call = words.size() - i;
    const int left_in_request = link.total - link.done;
    std::span<const Word> slice;
    if (link.fill == 0 && left_in_call >= static_cast<std::size_t>(kMessageWords) &&
        left_in_request >= kMessageWords) {
      // A whole slice straight from the caller's words.
      slice = words.subspan(i, kMessageWords);
      i += kMessageWords;
      link.done += kMessageWords;
    } else if (link.fill == 0 && static_cast<std::size_t>(left_in_request) <= left_in_call) {
      // The last slice of the request, also straight from the caller's words.
      slice = words.subspan(i, static_cast<std::size_t>(left_in_request));
      i += slice.size();
      link.done = link.total;
    } else {
      link.buffer[static_cast<std::size_t>(link.fill++)] = words[i++];
      ++link.done;
      if (link.fill < kMessageWords && link.done < link.total) continue;
      slice = std::span<const Word>(link.buffer.data(), static_cast<std::size_t>(link.fill));
    }
    const int status = MQ_SEND(link, link.send_type, link.queue_id, slice);
    link.fill = 0;
    if (status != 0) {
      link.transfer = kComplete;
      return status;
    }
    if (link.done > kMessageWords) {
      std::array<Word, kMessageWords> receipt{};
      if (MQ_RECEIVE(link, link.receive_type, false, link.queue_id, receipt) < 0) {
        link.transfer = kComplete;
        return kLinkFailed;
      }
    }
  }
  if (link.done >= link.total) link.transfer = kComplete;
  return 0;
}

int REQ_GET(LinkState& link, std::span<Word> words) {
  if (link.transfer != kReceiving) {
    const int n = MQ_RECEIVE(link, link.receive_type, false, link.queue_id, link.buffer);
    if (n < 0) {
      link.transfer = kComplete;
      return kLinkFailed;
    }
    link.fill = n;
    link.position = 1;
    link.total = n >= 1 && link.buffer[0] > 1 ? link.buffer[0] - 1 : 0;
    link.done = 0;
    link.transfer = kReceiving;
  }
  std::size_t i = 0;
  while (i < words.size() && link.done < link.total) {
    if (link.position >= link.fill) {
      const int n = MQ_RECEIVE(link, link.receive_type, false, link.queue_id, link.buffer);
      if (n < 0) {
        link.transfer = kComplete;
        return kLinkFailed;
      }
      const Word receipt[1] = {kReceipt};
      const int status = MQ_SEND(link, link.send_type, link.queue_id, receipt);
      if (status != 0) {
        link.transfer = kComplete;
        return status;
      }
      link.fill = n;
      link.position = 0;
      continue;
    }
    words[i++] = link.buffer[static_cast<std::size_t>(link.position++)];
    ++link.done;
  }
  if (link.done >= link.total) link.transfer = kComplete;
  return 0;
}

int reply_words_owed(const LinkState& link) {
  return link.transfer == kReceiving ? link.total - link.done : 0;
}

int GR_INIT(LinkState& link, int mode, bool& running) {
  running = false;
  release_lock(link);
  Transport& t = *link.transport;
  const bool terminal = t.stderr_is_terminal();
  const key_t key = queue_key(terminal, terminal ? t.terminal_key() : -1, t.parent_pid());
  const int lock = t.lock_key(key, link.lock_wait_ms);
  if (lock == -1) {
    print(link,
          "Error: another kor run has held the graphics server of queue key %i for %i s; "
          "giving up\n",
          static_cast<int>(key), link.lock_wait_ms / 1000);
    return kNoServer;
  }
  link.lock_fd = lock;
  link.lock_key = key;
  int queue_id = kNoLink;
  if (SRV_START(link, "mplt", queue_id, running) != 0) {
    release_lock(link);
    return kNoServer;
  }
  link.queue_id = queue_id;
  link.transfer = kIdle;
  link.receive_type = kServerType;
  link.send_type = kClientType;
  const Word request[3] = {3, kStartPlotting, mode};
  int status = REQ_PUT(link, request);
  Word reply[2] = {0, 0};
  if (status == 0) status = REQ_GET(link, reply);
  if (status != 0) release_lock(link);
  return status != 0 ? status : reply[0];
}

int GR_END(LinkState& link, int option) {
  const Word request[3] = {3, kEndPlotting, option};
  int status = REQ_PUT(link, request);
  Word reply[1] = {0};
  if (status == 0) status = REQ_GET(link, reply);
  release_lock(link);
  if (status != 0) return status;
  if (option == 1) {
    (void)CENDMQ(link, link.queue_id);
    link.queue_id = kNoLink;
    link.transfer = kIdle;
  }
  return reply[0];
}

}  // namespace kor::graphics
