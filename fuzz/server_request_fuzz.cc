// The graphics server's request decoder on any sequence of requests: lengths that disagree with
// the first word or with the counts inside, unknown codes, coordinate systems, attributes, colours,
// texts and point lists of any value.  A drawing device (SVG, small) is selected first so that the
// drawing requests reach the page; its output is written in the scratch folder.  Each request is a
// control byte, a length byte and that many words; the control byte may set the length word and
// pick the request code from the list, so that the fuzzer spends its time past the first checks.
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "graphics/request_codes.h"
#include "graphics/words.h"
#include "mplt/render.h"
#include "mplt/server.h"

namespace {

using namespace kor;
using graphics::Word;

constexpr int kCodes[] = {101,  102,  103,  104,  202,  207,  213,  214,  216,  301,  303,
                          601,  602,  603,  604,  801,  802,  803,  812,  901,  1001, 1002,
                          1005, 1007, 1008, 1013, 1201, 1202, 1204, 1205, 1206, 1207, 1208};
constexpr int kMostRequests = 64;
constexpr double kMostPixels = 1.0e6;  // larger pages only slow the rendering down

std::vector<Word> select_device(const std::string& device, const std::string& file, float xs,
                                float ys) {
  std::vector<Word> r{27, graphics::kSelectDevice};
  const std::vector<Word> name = graphics::pack_text(device, 3);
  r.insert(r.end(), name.begin(), name.end());
  r.push_back(2);
  const std::vector<Word> path = graphics::pack_text(file, 18);
  r.insert(r.end(), path.begin(), path.end());
  r.push_back(graphics::real_word(xs));
  r.push_back(graphics::real_word(ys));
  r.push_back(graphics::real_word(0.0f));
  return r;
}

// A device selection that would write outside the scratch folder, or render a large page, is
// left out.
bool allowed(const std::vector<Word>& r) {
  if (r.size() != 27 || r[1] != graphics::kSelectDevice) return true;
  const std::string file = graphics::unpack_text(std::span<const Word>(r).subspan(6, 18), 72);
  if (file.find('/') != std::string::npos) return false;
  const double xs = graphics::word_real(r[24]), ys = graphics::word_real(r[25]);
  return !(std::abs(xs * ys) > kMostPixels);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::unsetenv("DISPLAY");  // the window device must fail, not open a window
  (void)kor::fuzz::scratch_dir();
  // The font caches that rendering filled are given back at the end, as the server does, so that
  // the leak check at exit sees only what the decoder itself kept.
  std::atexit([] {
    mplt::release_fonts();
    cairo_debug_reset_static_data();
    FcFini();
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kor::fuzz::ByteReader in(data, size);
  mplt::Server server([](pid_t) {
    mplt::ClientPlace place;
    place.directory = kor::fuzz::scratch_dir();
    return place;
  });
  (void)server.handle(std::vector<Word>{3, graphics::kStartPlotting, 1}, 1);
  (void)server.handle(select_device("SVG", "out.svg", 64, 48), 1);
  for (int i = 0; i < kMostRequests && !in.empty(); ++i) {
    const std::uint8_t control = in.byte();
    const int length = in.byte();
    std::vector<Word> r;
    for (int k = 0; k < length; ++k) r.push_back(in.word());
    if ((control & 1) && !r.empty()) r[0] = length;
    if ((control & 2) && r.size() >= 2) r[1] = kCodes[(control >> 2) % std::size(kCodes)];
    if (!allowed(r)) continue;
    const std::vector<Word> reply = server.handle(r, 1);
    // Every reply carries its own length first and a return code.
    if (reply.size() < 2 || reply[0] != static_cast<Word>(reply.size())) std::abort();
  }
  (void)server.handle(std::vector<Word>{3, graphics::kEndPlotting, 0}, 1);
  return 0;
}
