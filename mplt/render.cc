#include "mplt/render.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo-svg.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <unordered_map>

namespace kor::mplt {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLineSpacing = 1.5;      // line breaks, in character heights
constexpr double kCapitalMiddle = 0.365;  // middle of a capital letter above the baseline (em)

const char* font_family(int font) {
  return font <= 2 ? "DejaVu Sans" : font <= 4 ? "DejaVu Serif" : "DejaVu Sans Mono";
}

// The font face of `font` for a page of one kind (raster with or without antialiasing, or vector)
// whose first text in that font is `size` device units high.  cairo's own faces
// (cairo_select_font_face) are resolved once, with the options and the size of the first text
// they draw, and keep that for the life of the process: a PNG drawn after a PDF, or after a
// smaller page (DejaVu is unhinted below 7.5 pixels), got other glyph pixels than on a fresh
// server.  Here fontconfig resolves every page's faces afresh from the family, the weight, the
// size of the page's first text in the font and the properties that the kind of page sets, as a
// fresh server resolved them for its first page: a face depends on its arguments only.
cairo_font_face_t* make_font_face(int font, bool raster, double size) {
  FcPattern* want = FcPatternCreate();
  FcPatternAddString(want, FC_FAMILY, reinterpret_cast<const FcChar8*>(font_family(font)));
  FcPatternAddInteger(want, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddInteger(want, FC_WEIGHT, font % 2 == 0 ? FC_WEIGHT_BOLD : FC_WEIGHT_MEDIUM);
  FcPatternAddDouble(want, FC_PIXEL_SIZE, size);
  if (!raster) {
    // Vector pages are drawn antialiased and unhinted; raster pages take fontconfig's settings
    // (the GIF's missing antialiasing comes from the page's font options).
    FcPatternAddBool(want, FC_ANTIALIAS, FcTrue);
    FcPatternAddInteger(want, FC_RGBA, FC_RGBA_NONE);
    FcPatternAddBool(want, FC_HINTING, FcFalse);
    FcPatternAddInteger(want, FC_HINT_STYLE, FC_HINT_NONE);
  }
  FcConfigSubstitute(nullptr, want, FcMatchPattern);
  FcDefaultSubstitute(want);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(nullptr, want, &result);
  FcPatternDestroy(want);
  if (found == nullptr) {
    return cairo_toy_font_face_create(font_family(font), CAIRO_FONT_SLANT_NORMAL,
                                      font % 2 == 0 ? CAIRO_FONT_WEIGHT_BOLD
                                                    : CAIRO_FONT_WEIGHT_NORMAL);
  }
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(found);
  FcPatternDestroy(found);
  return face;
}

// The faces made so far, by font, kind of page and first size; they live until release_fonts (or
// until pages of very many sizes fill the table, which then starts afresh).
struct FontFaces {
  std::mutex lock;
  std::map<std::tuple<int, int, double>, cairo_font_face_t*> faces;
  void clear() {
    for (auto& [key, face] : faces) cairo_font_face_destroy(face);
    faces.clear();
  }
};
FontFaces& font_faces() {
  static FontFaces faces;
  return faces;
}

// The face to draw with (cairo keeps its own reference while a scaled font uses it).
cairo_font_face_t* font_face(int font, bool raster, bool antialias, double size) {
  constexpr std::size_t kMostFaces = 1024;
  const int f = std::clamp(font, 1, 6);
  FontFaces& all = font_faces();
  const std::lock_guard<std::mutex> hold(all.lock);
  const auto key = std::make_tuple(f, raster ? (antialias ? 0 : 1) : 2, size);
  const auto it = all.faces.find(key);
  if (it != all.faces.end()) return it->second;
  if (all.faces.size() >= kMostFaces) all.clear();
  cairo_font_face_t* face = make_font_face(f, raster, size);
  all.faces.emplace(key, face);
  return face;
}

void set_rgb(cairo_t* cr, Rgb c) {
  cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

// Splits a text at carriage returns.
std::vector<std::string> text_lines(const std::string& s) {
  std::vector<std::string> lines(1);
  for (char c : s) {
    if (c == '\r') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// The height of the first text of each font (1..6) on a page, 0 for a font it does not use: the
// size its faces are resolved at.
using FirstSizes = std::array<double, 7>;
FirstSizes first_text_sizes(const Page& page) {
  FirstSizes sizes{};
  for (const Item& item : page.items()) {
    if (item.kind != ItemKind::kText) continue;
    double& size = sizes[static_cast<std::size_t>(std::clamp(item.text.font, 1, 6))];
    if (size == 0) size = item.text.height;
  }
  return sizes;
}

void draw_text(cairo_t* cr, const Item& item, double x, double y, Rgb colour, Rgb background,
               bool raster, bool antialias, const FirstSizes& sizes) {
  const TextStyle& t = item.text;
  cairo_save(cr);
  cairo_set_font_face(
      cr, font_face(t.font, raster, antialias,
                    sizes[static_cast<std::size_t>(std::clamp(t.font, 1, 6))]));
  cairo_set_font_size(cr, t.height);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, -t.angle * kPi / 180.0);
  const std::vector<std::string> lines = text_lines(item.chars);
  std::vector<double> widths;
  double widest = 0;
  for (const std::string& line : lines) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, line.c_str(), &e);
    widths.push_back(e.x_advance);
    widest = std::max(widest, e.x_advance);
  }
  auto left_of = [&](double w) {
    return t.justification == 1 ? 0.0 : t.justification == 3 ? -w : -w / 2;
  };
  if (t.border / 100 >= 2) {
    // The box reaches from the top of the first line's capitals to below the last line's
    // descenders, with a quarter character height to spare on every side.
    const double pad = 0.25 * t.height;
    const double top = -kCapitalMiddle * t.height - pad;
    const double bottom = kCapitalMiddle * t.height +
                          (static_cast<double>(lines.size()) - 1) * kLineSpacing * t.height +
                          0.25 * t.height + pad;
    cairo_rectangle(cr, left_of(widest) - pad, top, widest + 2 * pad, bottom - top);
    if ((t.border / 10) % 10 == 2) {
      set_rgb(cr, background);
      cairo_fill_preserve(cr);
    }
    set_rgb(cr, colour);
    cairo_set_line_width(cr, std::max(1.0, t.height / 12));
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_stroke(cr);
  }
  set_rgb(cr, colour);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const double bx = left_of(widths[i]);
    const double by = kCapitalMiddle * t.height + static_cast<double>(i) * kLineSpacing * t.height;
    cairo_move_to(cr, bx, by);
    if (t.hardware && t.stroke <= 0) {
      cairo_show_text(cr, lines[i].c_str());
    } else {
      cairo_text_path(cr, lines[i].c_str());
      if (t.stroke > 0) {
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, t.stroke);
        cairo_set_dash(cr, nullptr, 0, 0);
        cairo_stroke(cr);
      } else {
        cairo_fill(cr);
      }
    }
  }
  cairo_restore(cr);
}

// A closed path through `corners` points around (x, y), the first at angle `start`; every second
// point lies at `inner` times the radius (1 for a regular polygon, less for a star).
void polygon_path(cairo_t* cr, double x, double y, double r, int corners, double start,
                  double inner = 1) {
  for (int k = 0; k < corners; ++k) {
    const double a = start + 2 * kPi * k / corners;
    const double rr = k % 2 == 1 ? r * inner : r;
    const double px = x + rr * std::cos(a), py = y - rr * std::sin(a);
    if (k == 0) {
      cairo_move_to(cr, px, py);
    } else {
      cairo_line_to(cr, px, py);
    }
  }
  cairo_close_path(cr);
}

// Every font option of a page is set here, none left to the surface's defaults, so that the
// scaled fonts of a page depend on the kind of page alone (see make_font_face).
void set_font_options(cairo_t* cr, bool raster, bool antialias) {
  cairo_font_options_t* fo = cairo_font_options_create();
  cairo_font_options_set_antialias(fo, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
  cairo_font_options_set_subpixel_order(fo, CAIRO_SUBPIXEL_ORDER_RGB);
  cairo_font_options_set_hint_style(fo, raster ? CAIRO_HINT_STYLE_SLIGHT : CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, fo);
  cairo_font_options_destroy(fo);
}

}  // namespace

void release_fonts() {
  FontFaces& all = font_faces();
  const std::lock_guard<std::mutex> hold(all.lock);
  all.clear();
}

Rgb map_colour(Rgb c, Rgb background, ColourMode mode) {
  switch (mode) {
    case ColourMode::kMonochrome:
      return c == background ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    case ColourMode::kGrey: {
      const int v = static_cast<int>(std::lround(0.299 * c.r + 0.587 * c.g + 0.114 * c.b));
      return {v, v, v};
    }
    case ColourMode::kColour:
      break;
  }
  return c;
}

std::vector<double> dash_pattern(int type, double unit) {
  static const std::vector<double> kPatterns[10] = {
      {},     {4, 2},       {0.5, 1.5}, {4, 1.5, 0.5, 1.5}, {8, 3}, {4, 1.5, 0.5, 1.5, 0.5, 1.5},
      {2, 2}, {8, 2, 3, 2}, {0.5, 3},   {8, 2, 0.5, 2},
  };
  const int t = type <= 1 ? 1 : (type - 1) % 10 + 1;
  std::vector<double> d = kPatterns[t - 1];
  for (double& v : d) v *= unit;
  return d;
}

bool marker_path(cairo_t* cr, int type, double x, double y, double size) {
  const double r = size / 2;
  const int shape = (type - 1) % 10 + 1;
  switch (shape) {
    case 1:
    case 3:
      cairo_move_to(cr, x - r, y);
      cairo_line_to(cr, x + r, y);
      cairo_move_to(cr, x, y - r);
      cairo_line_to(cr, x, y + r);
      if (shape == 1) return false;
      [[fallthrough]];
    case 2: {
      const double d = shape == 3 ? r * 0.7071 : r;
      cairo_move_to(cr, x - d, y - d);
      cairo_line_to(cr, x + d, y + d);
      cairo_move_to(cr, x - d, y + d);
      cairo_line_to(cr, x + d, y - d);
      return false;
    }
    case 4:
      cairo_new_sub_path(cr);
      cairo_arc(cr, x, y, r, 0, 2 * kPi);
      cairo_close_path(cr);
      return true;
    case 5:
      cairo_rectangle(cr, x - r * 0.85, y - r * 0.85, 1.7 * r, 1.7 * r);
      return true;
    case 6:
      polygon_path(cr, x, y, r, 3, kPi / 2);
      return true;
    case 7:
      polygon_path(cr, x, y, r, 4, kPi / 2);
      return true;
    case 8:
      polygon_path(cr, x, y, r, 3, -kPi / 2);
      return true;
    case 9:
      polygon_path(cr, x, y, r, 10, kPi / 2, 0.4);
      return true;
    default:
      polygon_path(cr, x, y, r, 6, 0);
      return true;
  }
}

void render_page(cairo_t* cr, const Page& page, ColourMode mode, bool raster, bool antialias) {
  const Rgb bg = page.background();
  const double h = page.height();
  const double unit = 3 * std::min(page.width(), page.height()) / 700;
  cairo_save(cr);
  cairo_set_antialias(cr, antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  set_font_options(cr, raster, antialias);
  const FirstSizes sizes = first_text_sizes(page);
  set_rgb(cr, map_colour(bg, bg, mode));
  cairo_paint(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (const Item& item : page.items()) {
    const Rgb colour = map_colour(item.colour, bg, mode);
    cairo_save(cr);
    if (item.clip) {
      const Rect& c = *item.clip;
      cairo_rectangle(cr, c.x1, h - c.y2, c.x2 - c.x1, c.y2 - c.y1);
      cairo_clip(cr);
    }
    set_rgb(cr, colour);
    const std::vector<float>& p = item.xy;
    const double width = raster ? std::max(1.0, item.line.width) : item.line.width;
    switch (item.kind) {
      case ItemKind::kPolygon:
        cairo_move_to(cr, p[0], h - p[1]);
        for (std::size_t i = 2; i + 1 < p.size(); i += 2) cairo_line_to(cr, p[i], h - p[i + 1]);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
      case ItemKind::kPolyline: {
        // Long lines are stroked in pieces that share their end points: the stroker's cost grows
        // faster than the number of points where a dense line crosses itself, and the pieces
        // look the same (the dash pattern goes on where the last piece ended).
        constexpr std::size_t kPiece = 2000;
        const std::vector<double> dash = dash_pattern(item.line.type, unit);
        cairo_set_line_width(cr, width);
        const std::size_t n = p.size() / 2;
        if (n > kPiece) cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        double offset = 0;
        for (std::size_t first = 0; first + 1 < n; first += kPiece) {
          const std::size_t last = std::min(n - 1, first + kPiece);
          cairo_set_dash(cr, dash.data(), static_cast<int>(dash.size()), offset);
          cairo_move_to(cr, p[2 * first], h - p[2 * first + 1]);
          for (std::size_t i = first + 1; i <= last; ++i) {
            cairo_line_to(cr, p[2 * i], h - p[2 * i + 1]);
            if (!dash.empty())
              offset += std::hypot(p[2 * i] - p[2 * i - 2], p[2 * i + 1] - p[2 * i - 1]);
          }
          cairo_stroke(cr);
        }
        break;
      }
      case ItemKind::kMarkers: {
        const MarkerStyle& m = item.marker;
        const bool fill = m.filled || m.type > 10;
        const double mw = raster ? std::max(1.0, m.width) : m.width;
        cairo_set_line_width(cr, m.type > 10 && m.type <= 13 ? 2 * mw : mw);
        for (std::size_t i = 0; i + 1 < p.size(); i += 2) {
          const bool closed = marker_path(cr, m.type, p[i], h - p[i + 1], m.size);
          if (closed && fill) cairo_fill_preserve(cr);
          cairo_stroke(cr);
        }
        break;
      }
      case ItemKind::kText:
        draw_text(cr, item, p[0], h - p[1], colour, map_colour(item.text.background, bg, mode),
                  raster, antialias, sizes);
        break;
    }
    cairo_restore(cr);
  }
  cairo_restore(cr);
}

namespace {

struct Sink {
  int fd;
  bool ok = true;
  int error = 0;  // errno of the write that failed
  // The writer's result: errno is the failed write's again after the library's clean-up.
  bool result(bool done) const {
    if (!ok) errno = error != 0 ? error : EIO;
    return done && ok;
  }
};

cairo_status_t write_to_fd(void* closure, const unsigned char* data, unsigned int length) {
  Sink* sink = static_cast<Sink*>(closure);
  while (length > 0 && sink->ok) {
    const ssize_t n = ::write(sink->fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      sink->ok = false;
      sink->error = n < 0 ? errno : ENOSPC;
      break;
    }
    data += n;
    length -= static_cast<unsigned int>(n);
  }
  return sink->ok ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

int pixels(double v) { return std::max(1, static_cast<int>(std::lround(v))); }

}  // namespace

bool write_vector(int fd, const Page& page, VectorKind kind, ColourMode mode) {
  Sink sink{fd};
  cairo_surface_t* s = nullptr;
  const double w = page.width(), h = page.height();
  switch (kind) {
    case VectorKind::kPostScript:
      s = cairo_ps_surface_create_for_stream(write_to_fd, &sink, w, h);
      cairo_ps_surface_dsc_comment(s, "%%Title: kor");
      cairo_ps_surface_dsc_begin_page_setup(s);
      cairo_ps_surface_dsc_comment(
          s, w > h ? "%%PageOrientation: Landscape" : "%%PageOrientation: Portrait");
      break;
    case VectorKind::kPdf:
      s = cairo_pdf_surface_create_for_stream(write_to_fd, &sink, w, h);
      break;
    case VectorKind::kSvg:
      s = cairo_svg_surface_create_for_stream(write_to_fd, &sink, w, h);
      break;
  }
  cairo_t* cr = cairo_create(s);
  render_page(cr, page, mode, false, true);
  cairo_show_page(cr);
  const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_finish(s);
  const bool finished = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return sink.result(drawn && finished);
}

cairo_surface_t* render_image(const Page& page, ColourMode mode, bool antialias) {
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixels(page.width()), pixels(page.height()));
  cairo_t* cr = cairo_create(s);
  render_page(cr, page, mode, true, antialias);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  return s;
}

bool write_png(int fd, const Page& page, ColourMode mode) {
  Sink sink{fd};
  cairo_surface_t* s = render_image(page, mode, true);
  const cairo_status_t st = cairo_surface_write_to_png_stream(s, write_to_fd, &sink);
  cairo_surface_destroy(s);
  return sink.result(st == CAIRO_STATUS_SUCCESS);
}

namespace {

std::uint32_t pack(Rgb c) {
  return (static_cast<std::uint32_t>(c.r) << 16) | (static_cast<std::uint32_t>(c.g) << 8) |
         static_cast<std::uint32_t>(c.b);
}

int gif_write(GifFileType* gif, const GifByteType* data, int length) {
  Sink* sink = static_cast<Sink*>(gif->UserData);
  return write_to_fd(sink, data, static_cast<unsigned int>(length)) == CAIRO_STATUS_SUCCESS ? length
                                                                                            : 0;
}

}  // namespace

bool write_gif(int fd, const Page& page, ColourMode mode, std::span<const Rgb> table) {
  const Rgb bg = page.background();
  std::vector<Rgb> palette;
  palette.push_back(map_colour(bg, bg, mode));
  for (std::size_t i = 1; i < table.size(); ++i) palette.push_back(map_colour(table[i], bg, mode));
  std::unordered_map<std::uint32_t, int> index;
  for (std::size_t i = 0; i < palette.size(); ++i)
    index.emplace(pack(palette[i]), static_cast<int>(i));
  auto add = [&](Rgb c) {
    if (index.emplace(pack(c), static_cast<int>(palette.size())).second) palette.push_back(c);
  };
  for (const Item& item : page.items()) {
    add(map_colour(item.colour, bg, mode));
    if (item.kind == ItemKind::kText) add(map_colour(item.text.background, bg, mode));
  }
  if (palette.size() > 256) palette.resize(256);
  int colours = 2;
  while (colours < static_cast<int>(palette.size())) colours *= 2;
  std::vector<GifColorType> entries(static_cast<std::size_t>(colours), GifColorType{0, 0, 0});
  for (std::size_t i = 0; i < palette.size(); ++i) {
    entries[i] = {static_cast<GifByteType>(palette[i].r), static_cast<GifByteType>(palette[i].g),
                  static_cast<GifByteType>(palette[i].b)};
  }
  cairo_surface_t* s = render_image(page, mode, false);
  const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  // Every pixel is one of the page's colours (no anti-aliasing); anything else would take the
  // nearest palette entry.
  auto lookup = [&](std::uint32_t px) {
    const auto it = index.find(px);
    if (it != index.end() && it->second < static_cast<int>(palette.size())) return it->second;
    const Rgb c{static_cast<int>((px >> 16) & 255), static_cast<int>((px >> 8) & 255),
                static_cast<int>(px & 255)};
    int best = 0;
    long best_d = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const long dr = c.r - palette[i].r, dg = c.g - palette[i].g, db = c.b - palette[i].b;
      const long d = dr * dr + dg * dg + db * db;
      if (best_d < 0 || d < best_d) {
        best_d = d;
        best = static_cast<int>(i);
      }
    }
    index[px] = best;
    return best;
  };
  Sink sink{fd};
  int error = 0;
  GifFileType* gif = EGifOpen(&sink, gif_write, &error);
  bool ok = gif != nullptr;
  ColorMapObject* map = ok ? GifMakeMapObject(colours, entries.data()) : nullptr;
  ok = ok && map != nullptr && EGifPutScreenDesc(gif, w, h, 8, 0, map) == GIF_OK &&
       EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
  std::vector<GifPixelType> row(static_cast<std::size_t>(w));
  for (int y = 0; ok && y < h; ++y) {
    const auto* line =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < w; ++x)
      row[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(lookup(line[x] & 0xffffff));
    ok = EGifPutLine(gif, row.data(), w) == GIF_OK;
  }
  if (map != nullptr) GifFreeMapObject(map);
  if (gif != nullptr && EGifCloseFile(gif, &error) != GIF_OK) ok = false;
  cairo_surface_destroy(s);
  return sink.result(ok);
}

}  // namespace kor::mplt
