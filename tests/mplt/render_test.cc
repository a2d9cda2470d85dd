// Output files of the graphics server, read back: PostScript page size and orientation for the
// four PostScript devices, GIF size, palette and the colour of pixels at known places, PNG, SVG
// and PDF validity and size, and a page drawn on by two runs.
#include "mplt/render.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../util/scratch.h"
#include "mplt/server.h"
#include "mplt/state.h"
#include "requests.h"

namespace kor::mplt {
namespace {

using testing::box;
using testing::device;
using testing::r;
using testing::req;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream os;
  os << in.rdbuf();
  return os.str();
}

struct Gif {
  int width = 0, height = 0;
  std::vector<Rgb> palette;
  std::vector<int> pixels;  // palette indices, row by row from the top
  Rgb at(int x, int y) const {
    return palette[static_cast<std::size_t>(pixels[static_cast<std::size_t>(y * width + x)])];
  }
};

// Decodes a GIF file with giflib.
bool read_gif(const std::string& path, Gif& out) {
  int error = 0;
  GifFileType* g = DGifOpenFileName(path.c_str(), &error);
  if (g == nullptr) return false;
  const bool ok = DGifSlurp(g) == GIF_OK && g->ImageCount == 1 && g->SColorMap != nullptr;
  if (ok) {
    out.width = g->SWidth;
    out.height = g->SHeight;
    for (int i = 0; i < g->SColorMap->ColorCount; ++i) {
      const GifColorType c = g->SColorMap->Colors[i];
      out.palette.push_back({c.Red, c.Green, c.Blue});
    }
    const SavedImage& im = g->SavedImages[0];
    out.pixels.assign(im.RasterBits, im.RasterBits + out.width * out.height);
  }
  DGifCloseFile(g, &error);
  return ok;
}

class RenderTest : public ::testing::Test {
 protected:
  RenderTest() : server_(testing::in_folder(dir_.path())) {}
  void ok(const std::vector<Word>& request) {
    const std::vector<Word> reply = server_.handle(request, 1);
    ASSERT_EQ(reply[1], 0) << "request " << request[1];
  }
  std::string path(const std::string& name) const { return dir_.path() + "/" + name; }
  kor::testing::ScratchDir dir_;
  Server server_;
};

TEST_F(RenderTest, PostScriptPagesHaveTheirSizeAndOrientation) {
  // The device set-up sends PSC, PS1 and PSP as "PS" with their sizes and colour types.
  struct Case {
    const char* device;
    int colour_type;
    double x, y;
    const char* box;
    const char* orientation;
    bool red;  // the red square reaches the file as red
  };
  constexpr Case kCases[] = {
      {"psc.plt", 2, 11, 8.5, "%%BoundingBox: 0 0 792 612", "Landscape", true},
      {"ps1.plt", 0, 11, 8.5, "%%BoundingBox: 0 0 792 612", "Landscape", false},
      {"psp.plt", 1, 8.5, 11, "%%BoundingBox: 0 0 612 792", "Portrait", false},
      // A plain PS device without sizes (700 x 700 from the set-up): US letter, landscape.
      {"ps.plt", 1, 700, 700, "%%BoundingBox: 0 0 792 612", "Landscape", false},
  };
  for (const Case& c : kCases) {
    ok(req(101, {0}));
    ok(device("PS", c.colour_type, c.device, c.x, c.y));
    ok(req(213));
    ok(req(202));
    ok(req(1201, {2}));
    ok(box(kN, 0.1, 0.1, 0.4, 0.4));
    ok(req(214));
    const std::string ps = slurp(path(c.device));
    EXPECT_EQ(ps.rfind("%!PS-Adobe-3.0", 0), 0u) << c.device;
    EXPECT_NE(ps.find(c.box), std::string::npos) << c.device;
    EXPECT_NE(ps.find(std::string("%%PageOrientation: ") + c.orientation), std::string::npos)
        << c.device;
    EXPECT_NE(ps.find("%%EOF"), std::string::npos) << c.device;
    EXPECT_EQ(ps.find("1 0 0 rg") != std::string::npos, c.red) << c.device;
  }
}

TEST_F(RenderTest, GifHasThePaletteOfTheColourTableAndExactPixels) {
  ok(req(101, {0}));
  ok(device("GF", 2, "t.gif", 100, 80));
  ok(req(213));
  ok(req(1201, {2}));            // red
  ok(box(kN, 0, 0, 0.5, 1));     // the left half
  ok(req(1201, {3}));            // blue
  ok(box(kS, 60, 10, 90, 30));   // a block low on the right (S: y upwards)
  ok(req(1202, {20, 1, 2, 3}));  // a colour of our own
  ok(req(214));
  Gif g;
  ASSERT_TRUE(read_gif(path("t.gif"), g));
  EXPECT_EQ(g.width, 100);
  EXPECT_EQ(g.height, 80);
  ASSERT_EQ(g.palette.size(), 128u);  // 65 colours, rounded up to a power of two
  const std::array<Colour, kColours + 1> table = default_colours();
  EXPECT_EQ(g.palette[0], (Rgb{255, 255, 255}));
  EXPECT_EQ(g.palette[1], (Rgb{0, 0, 0}));
  EXPECT_EQ(g.palette[2], (Rgb{255, 0, 0}));
  EXPECT_EQ(g.palette[3], (Rgb{0, 0, 255}));
  EXPECT_EQ(g.palette[20], (Rgb{1, 2, 3}));
  EXPECT_EQ(g.palette[64], table[64].rgb);
  struct Pixel {
    int x, y;
    Rgb colour;
  };
  constexpr Pixel kPixels[] = {
      {10, 40, {255, 0, 0}}, {49, 0, {255, 0, 0}},      {55, 40, {255, 255, 255}},
      {75, 60, {0, 0, 255}}, {75, 40, {255, 255, 255}}, {95, 79, {255, 255, 255}},
  };
  for (const Pixel& p : kPixels) EXPECT_EQ(g.at(p.x, p.y), p.colour) << p.x << "," << p.y;
  // Without anti-aliasing every pixel is one of the three colours drawn.
  for (std::size_t i = 0; i < g.pixels.size(); ++i) {
    ASSERT_TRUE(g.pixels[i] == 0 || g.pixels[i] == 2 || g.pixels[i] == 3) << i;
  }
}

TEST_F(RenderTest, PagesGoOnAcrossRunsUntilCleared) {
  // Two runs with CLE off draw two panels on one page; a third run with CLE on starts afresh.
  auto run = [&](bool clear, std::array<double, 4> view, int colour) {
    ok(req(101, {0}));
    ok(device("GF", 2, "panels.gif", 100, 100));
    ok(req(213));
    if (clear) ok(req(202));
    ok(req(301, {r(view[0]), r(view[1]), r(view[2]), r(view[3])}));
    ok(req(1201, {colour}));
    ok(box(kV, 0, 0, 1, 1));
    ok(req(214));
    ok(req(102, {0}));
  };
  Gif g;
  run(true, {0, 0.51, 0.49, 1}, 2);   // upper left, red
  run(false, {0.51, 0, 1, 0.49}, 3);  // lower right, blue
  ASSERT_TRUE(read_gif(path("panels.gif"), g));
  EXPECT_EQ(g.at(20, 20), (Rgb{255, 0, 0}));
  EXPECT_EQ(g.at(80, 80), (Rgb{0, 0, 255}));
  EXPECT_EQ(g.at(80, 20), (Rgb{255, 255, 255}));
  run(true, {0.51, 0.51, 1, 1}, 4);  // upper right, green, on a new page
  g = Gif{};
  ASSERT_TRUE(read_gif(path("panels.gif"), g));
  EXPECT_EQ(g.at(20, 20), (Rgb{255, 255, 255}));
  EXPECT_EQ(g.at(80, 80), (Rgb{255, 255, 255}));
  EXPECT_EQ(g.at(80, 20), (Rgb{0, 160, 0}));
}

TEST_F(RenderTest, PngSvgAndPdfAreValidAndSized) {
  ok(req(101, {0}));
  ok(device("PNG", 2, "p.png", 200, 100));
  ok(req(1201, {2}));
  ok(box(kN, 0.25, 0.25, 0.75, 0.75));
  ok(req(214));
  cairo_surface_t* png = cairo_image_surface_create_from_png(path("p.png").c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(png), 200);
  EXPECT_EQ(cairo_image_surface_get_height(png), 100);
  const auto* row = reinterpret_cast<const std::uint32_t*>(
      cairo_image_surface_get_data(png) + 50 * cairo_image_surface_get_stride(png));
  EXPECT_EQ(row[100] & 0xffffff, 0xff0000u);  // the middle of the red square
  EXPECT_EQ(row[10] & 0xffffff, 0xffffffu);
  cairo_surface_destroy(png);

  struct Case {
    const char* device;
    const char* file;
    double x, y;
    const char* head;
    const char* size;
  };
  constexpr Case kCases[] = {
      {"SVG", "s.svg", 300, 200, "<?xml", "width=\"300pt\" height=\"200pt\""},
      {"NC", "", 700, 700, "<?xml", "width=\"700pt\" height=\"700pt\""},
      {"PDF", "", 700, 700, "%PDF-", "/MediaBox [ 0 0 792 612 ]"},
      {"PDF", "a4ish.pdf", 8.25, 11.5, "%PDF-", "/MediaBox [ 0 0 594 828 ]"},
  };
  for (const Case& c : kCases) {
    ok(device(c.device, 2, c.file, c.x, c.y));
    ok(box(kN, 0.25, 0.25, 0.75, 0.75));
    ok(req(214));
    const std::string name = *c.file ? c.file : default_output(c.device);
    const std::string bytes = slurp(path(name));
    EXPECT_EQ(bytes.rfind(c.head, 0), 0u) << c.device << " " << name;
    EXPECT_NE(bytes.find(c.size), std::string::npos) << c.device << " " << name;
  }
  EXPECT_NE(slurp(path("kor.pdf")).find("%%EOF"), std::string::npos);
  EXPECT_NE(slurp(path("Nmeta")).find("</svg>"), std::string::npos);
}

TEST(CharacterWidth, RatiosAreTheMeanAdvanceOfCapitalsAndDigits) {
  // Measured independently through cairo's own text extents.
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 10, 10);
  cairo_t* cr = cairo_create(s);
  struct Face {
    int font;
    const char* family;
    bool bold;
  };
  constexpr Face kFaces[] = {{1, "DejaVu Sans", false},      {2, "DejaVu Sans", true},
                             {3, "DejaVu Serif", false},     {4, "DejaVu Serif", true},
                             {5, "DejaVu Sans Mono", false}, {6, "DejaVu Sans Mono", true}};
  for (const Face& f : kFaces) {
    cairo_select_font_face(cr, f.family, CAIRO_FONT_SLANT_NORMAL,
                           f.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 1000);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", &e);
    EXPECT_NEAR(character_width_ratio(f.font), e.x_advance / 36 / 1000, 0.01) << f.family;
  }
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  // Font caches are freed, so that the leak checker sees only what the code under test leaks.
  cairo_debug_reset_static_data();
  FcFini();
}

}  // namespace
}  // namespace kor::mplt
