// The graphics server's request decoder on any sequence of requests: lengths that disagree with
// the first word or with the counts inside, unknown codes, coordinate systems, attributes, colours,
// texts and point lists of any value.  A drawing device (SVG, small) is selected first so that the
// drawing requests reach the page; its output is written in the scratch folder.  Each request is a
// control byte, a length byte and that many words; the control byte may set the length word and
// pick the request code from the list, so that the fuzzer spends its time past the first checks.
// The requests run through a sequence of runs (ended, or dropped as a killed client's), and a good
// run after them must draw the picture that it draws on a fresh server.
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

mplt::Server make_server() {
  return mplt::Server([](pid_t) {
    mplt::ClientPlace place;
    place.directory = kor::fuzz::scratch_dir();
    return place;
  });
}

Word real(float v) { return graphics::real_word(v); }

// A good run after whatever came before: its page rendered, as pixels.  The run's requests set
// everything its picture depends on, so the pixels must be those of a fresh server.
std::vector<unsigned char> good_run(mplt::Server& server) {
  auto send = [&](std::vector<Word> r) { (void)server.handle(r, 1); };
  send({3, graphics::kStartPlotting, 1});
  send(select_device("PNG", "good.png", 64, 48));
  send({2, graphics::kClearPage});
  send({6, graphics::kSetView, real(0.1f), real(0.1f), real(0.9f), real(0.9f)});
  send({9, graphics::kSetGraph, 1, 1, 0, real(0), real(0), real(10), real(5)});
  send({3, graphics::kSetColour, 2});
  send({14, graphics::kPolyline, 9, 5, real(0), real(2), real(5), real(8), real(10), real(1),
        real(4), real(2), real(5), real(3)});
  send({9, graphics::kSetTextAttributes, 2, 2, real(1.5f), 1, 0, 0, 2});
  const std::vector<Word> text = graphics::pack_text("Ab 12", 2);
  send({10, graphics::kText, 3, real(0.5f), real(0.5f), text[0], text[1], real(20), 0, 0});
  cairo_surface_t* image = mplt::render_image(server.page(), server.device().mode, true);
  const unsigned char* data = cairo_image_surface_get_data(image);
  std::vector<unsigned char> pixels(
      data, data + cairo_image_surface_get_stride(image) * cairo_image_surface_get_height(image));
  cairo_surface_destroy(image);
  send({3, graphics::kEndPlotting, 0});
  return pixels;
}

// The good run's pixels on a fresh server.
const std::vector<unsigned char>& fresh_pixels() {
  static const std::vector<unsigned char> pixels = [] {
    mplt::Server server = make_server();
    return good_run(server);
  }();
  return pixels;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::unsetenv("DISPLAY");  // the window device must fail, not open a window
  (void)kor::fuzz::scratch_dir();
  // The font caches that rendering filled are given back at the end, as the server does, so that
  // the leak check at exit sees only what the decoder itself kept.
  (void)fresh_pixels();
  std::atexit([] {
    mplt::release_fonts();
    cairo_debug_reset_static_data();
    FcFini();
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kor::fuzz::ByteReader in(data, size);
  mplt::Server server = make_server();
  (void)server.handle(std::vector<Word>{3, graphics::kStartPlotting, 1}, 1);
  (void)server.handle(select_device("SVG", "out.svg", 64, 48), 1);
  for (int i = 0; i < kMostRequests && !in.empty(); ++i) {
    const std::uint8_t control = in.byte();
    // Every eighth request may end the run, or drop it as a killed client's, and start the next.
    if (i % 8 == 7 && (control & 0x80)) {
      if (control & 0x40) {
        server.abandon_run();
      } else {
        (void)server.handle(std::vector<Word>{3, graphics::kEndPlotting, 0}, 1);
      }
      (void)server.handle(std::vector<Word>{3, graphics::kStartPlotting, 1}, 1);
    }
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
  // What came before leaves no trace in the next run's picture.
  if (good_run(server) != fresh_pixels()) std::abort();
  return 0;
}
