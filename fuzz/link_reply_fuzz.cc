// The graphics client's reply path against a server whose every answer comes from the input:
// replies of any length (none, shorter or longer than the request expects, a total word that
// lies), missing slices of a long reply, receipts that never come, a ping echo or not, and a
// server that stops answering or has ended (the bounded wait).  The link runs GR_INIT and then a
// sequence of requests chosen by the input, queries and long requests among them, then GR_END.
// No request may hang, crash, or leave the link owing a negative number of words.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "graphics/link.h"
#include "graphics/requests.h"

namespace {

using namespace kor;
using graphics::Word;

constexpr int kQueue = 7;
constexpr int kMostRequests = 48;

// Answers from the input.  Each answer starts with a control byte: 0xFF is a server that does not
// answer this time (the wait runs out), 0xFE one that has ended (the wait notices it); otherwise a
// length byte follows (words, at most the 128 of a message) and the words.
class ScriptedServer : public graphics::Transport {
 public:
  explicit ScriptedServer(kor::fuzz::ByteReader& script) : script_(script) {}

  int open_queue(key_t) override { return kQueue; }
  int open_queue(key_t, bool& created) override {
    created = false;
    return kQueue;
  }
  void remove_keyed_queue(key_t) override {}
  pid_t last_sender(int) override { return 4242; }
  int send(int, long, std::span<const Word> words) override {
    return words.size() <= static_cast<std::size_t>(graphics::kMessageWords) ? 0 : -1;
  }
  int receive(int, long type, int wait_ms,
              std::span<Word, graphics::kMessageWords> words) override {
    // Nothing from clients is ever waiting; an empty script answers nothing.
    if (type == graphics::kClientType || script_.empty()) return nothing(wait_ms);
    const std::uint8_t control = script_.byte();
    if (control == 0xFF) return nothing(wait_ms);
    if (control == 0xFE) {
      ended_ = true;
      return nothing(wait_ms);
    }
    const int length = script_.byte() % (graphics::kMessageWords + 1);
    for (int i = 0; i < length; ++i) words[static_cast<std::size_t>(i)] = script_.word();
    return length;
  }
  int remove_queue(int) override { return 0; }
  bool stderr_is_terminal() override { return false; }
  key_t terminal_key() override { return -1; }
  pid_t own_pid() override { return 100; }
  pid_t parent_pid() override { return 200; }
  void sleep_milliseconds(int) override {}
  bool process_ended(pid_t, bool) override { return ended_; }
  std::string own_executable() override { return "/nonexistent/kor"; }
  int lock_key(key_t, int) override { return 3; }
  void unlock_key(key_t, int) override {}
  pid_t fork_process() override { return 4242; }
  int exec_program(const std::string&, const std::string&) override { return ENOENT; }
  [[noreturn]] void exit_child(int) override { std::abort(); }

 private:
  static int nothing(int wait_ms) {
    errno = wait_ms > 0 ? ETIMEDOUT : ENOMSG;
    return -1;
  }
  kor::fuzz::ByteReader& script_;
  bool ended_ = false;
};

// One request of the client, chosen by `which`.
void request(graphics::LinkState& link, int which) {
  namespace g = graphics;
  std::vector<float> x(300), y(300);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = y[i] = static_cast<float>(i);
  switch (which % 12) {
    case 0: {
      int mode = 0;
      (void)g::query_mode(link, mode);
      break;
    }
    case 1: {
      g::Bounds b;
      (void)g::query_bounds(link, 'G', b);
      break;
    }
    case 2: {
      g::LineAttributes a;
      (void)g::query_line_attributes(link, a);
      break;
    }
    case 3: {
      g::TextAttributes a;
      (void)g::query_text_attributes(link, a);
      break;
    }
    case 4: {
      g::AttributeValues v;
      (void)g::query_attribute_values(link, v);
      break;
    }
    case 5: {
      g::ColourInfo info;
      (void)g::query_colour(link, 3, 24, 24, info);
      break;
    }
    case 6: {
      int n = 0;
      (void)g::query_colour_count(link, n);
      (void)g::query_current_colour(link, n);
      break;
    }
    case 7:  // a reply as long as the request: several slices each way
      (void)g::transform_points(link, 'G', 'D', x, y);
      break;
    case 8:  // a request of several slices, each after the first awaiting a receipt
      (void)g::draw_polyline(link, 'G', x, y);
      break;
    case 9:
      (void)g::select_device(link, "PNG", 2, "out.png", {700, 700, 0});
      break;
    case 10:
      (void)g::set_colour(link, 2);
      break;
    default:
      (void)g::send_command(link, 213);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kor::fuzz::ByteReader script(data, size);
  ScriptedServer server(script);
  std::ostringstream out;
  graphics::LinkState link;
  link.transport = &server;
  link.out = &out;
  link.reply_wait_ms = 1000;  // five 200 ms steps of the liveness watch, none of them real
  link.ping_wait_ms = 30;
  bool running = false;
  (void)graphics::GR_INIT(link, 1, running);
  // Whatever the start gave, the requests go to an open link.
  link.queue_id = kQueue;
  link.server_pid = 4242;
  for (int i = 0; i < kMostRequests && !script.empty(); ++i) {
    request(link, script.byte());
    if (graphics::reply_words_owed(link) < 0) std::abort();
    link.queue_id = kQueue;
  }
  (void)graphics::GR_END(link, 0);
  return 0;
}
