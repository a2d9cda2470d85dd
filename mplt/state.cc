#include "mplt/state.h"

#include <algorithm>
#include <cmath>

#include "mplt/codes.h"

namespace kor::mplt {
namespace {

struct Named {
  const char* name;
  Rgb rgb;
};

// Colours 1 to 32 of the default table.
constexpr Named kTable[] = {
    {"BLACK", {0, 0, 0}},           {"RED", {255, 0, 0}},           {"BLUE", {0, 0, 255}},
    {"GREEN", {0, 160, 0}},         {"MAGENTA", {255, 0, 255}},     {"CYAN", {0, 190, 190}},
    {"ORANGE", {255, 140, 0}},      {"PURPLE", {128, 0, 160}},      {"BROWN", {150, 75, 0}},
    {"GREY", {128, 128, 128}},      {"OLIVE", {128, 128, 0}},       {"NAVY", {0, 0, 128}},
    {"MAROON", {128, 0, 0}},        {"TEAL", {0, 128, 128}},        {"PINK", {255, 105, 180}},
    {"GOLD", {218, 165, 32}},       {"SKYBLUE", {70, 160, 230}},    {"LIMEGREEN", {50, 205, 50}},
    {"CORAL", {255, 127, 80}},      {"VIOLET", {148, 0, 211}},      {"DARKGREY", {64, 64, 64}},
    {"LIGHTGREY", {192, 192, 192}}, {"YELLOW", {255, 255, 0}},      {"KHAKI", {189, 183, 107}},
    {"SALMON", {250, 128, 114}},    {"TURQUOISE", {64, 224, 208}},  {"CHOCOLATE", {210, 105, 30}},
    {"INDIGO", {75, 0, 130}},       {"FORESTGREEN", {34, 139, 34}}, {"CRIMSON", {220, 20, 60}},
    {"STEELBLUE", {70, 130, 180}},  {"TAN", {210, 180, 140}},
};

// Further names accepted by request 1205.
constexpr Named kMoreNames[] = {
    {"WHITE", {255, 255, 255}},      {"DARKGREEN", {0, 100, 0}},     {"DARKBLUE", {0, 0, 139}},
    {"DARKRED", {139, 0, 0}},        {"LIGHTBLUE", {173, 216, 230}}, {"BEIGE", {245, 245, 220}},
    {"LIGHTGREEN", {144, 238, 144}}, {"SILVER", {192, 192, 192}},
};

constexpr double kTextUnit = 0.02;    // height of text size 1: share of the page's shorter side
constexpr double kLinePerPage = 700;  // line-width units across the shorter side
constexpr double kMarkerShare = 0.7;  // marker size 1 across, in heights of text size 1
constexpr int kFonts = 6;

bool finite(double v) { return std::isfinite(v); }

int hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::array<Colour, kColours + 1> default_colours() {
  std::array<Colour, kColours + 1> t;
  t[0] = {{255, 255, 255}, "WHITE"};
  constexpr int n = static_cast<int>(std::size(kTable));
  for (int i = 1; i <= kColours; ++i) {
    const Named& c = kTable[(i - 1) % n];
    t[static_cast<std::size_t>(i)] = {c.rgb, c.name};
  }
  return t;
}

bool colour_by_name(std::string_view name, Rgb& rgb, std::string& canonical) {
  std::string key;
  for (char c : name) {
    if (c == ' ' || c == '\t' || c == '\0') continue;
    key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  const std::size_t gray = key.find("GRAY");
  if (gray != std::string::npos) key.replace(gray, 4, "GREY");
  if (key.size() == 7 && key[0] == '#') {
    int v[6];
    for (int i = 0; i < 6; ++i) {
      v[i] = hex(key[static_cast<std::size_t>(i) + 1]);
      if (v[i] < 0) return false;
    }
    rgb = {v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]};
    canonical = key;
    return true;
  }
  for (const Named& c : kTable) {
    if (key == c.name) {
      rgb = c.rgb;
      canonical = c.name;
      return true;
    }
  }
  for (const Named& c : kMoreNames) {
    if (key == c.name) {
      rgb = c.rgb;
      canonical = c.name;
      return true;
    }
  }
  return false;
}

double character_width_ratio(int font) {
  // Measured from the DejaVu faces: mean advance of A-Z and 0-9 per unit of font size.
  constexpr double kRatios[kFonts] = {0.663, 0.730, 0.713, 0.773, 0.602, 0.602};
  return kRatios[std::clamp(font, 1, kFonts) - 1];
}

void DrawingState::set_page(double width, double height) {
  width_ = width;
  height_ = height;
}

void DrawingState::reset() {
  view_ = {0, 0, 1, 1};
  plot_ = {0, 0, 1, 1};
  pairs_ = {};
  alternate_set_ = false;
  current_ = 0;
  colours_ = default_colours();
  colour_ = 1;
  line_ = {};
  text_ = {};
  marker_ = {};
}

double DrawingState::line_unit() const { return std::min(width_, height_) / kLinePerPage; }
double DrawingState::text_unit() const { return std::min(width_, height_) * kTextUnit; }

double DrawingState::char_height() const {
  return (text_.size > 0 ? text_.size : 1.0) * text_unit();
}
double DrawingState::char_width() const {
  return character_width_ratio(text_.font) * char_height();
}

int DrawingState::set_view(double x1, double y1, double x2, double y2) {
  if (!finite(x1) || !finite(y1) || !finite(x2) || !finite(y2)) return kNotFinite;
  constexpr double e = 1e-6;
  if (x1 < -e || y1 < -e || x2 > 1 + e || y2 > 1 + e || x2 <= x1 || y2 <= y1) return kBadRegion;
  view_ = {std::max(0.0, x1), std::max(0.0, y1), std::min(1.0, x2), std::min(1.0, y2)};
  return kOk;
}

int DrawingState::set_margins(double left, double bottom, double right, double top) {
  if (!finite(left) || !finite(bottom) || !finite(right) || !finite(top)) return kNotFinite;
  if (left < 0 || bottom < 0 || right < 0 || top < 0) return kBadRegion;
  const double vw = (view_.x2 - view_.x1) * width_, vh = (view_.y2 - view_.y1) * height_;
  const double cw = char_width(), ch = char_height();
  const double x1 = left * cw, x2 = vw - right * cw, y1 = bottom * ch, y2 = vh - top * ch;
  if (x2 <= x1 || y2 <= y1) return kBadRegion;
  plot_ = {x1 / vw, y1 / vh, x2 / vw, y2 / vh};
  return kOk;
}

int DrawingState::set_axes(int which, const Axes& a) {
  if (!finite(a.x_min) || !finite(a.x_max) || !finite(a.y_min) || !finite(a.y_max)) {
    return kNotFinite;
  }
  if (which < 0 || which > 1) return kBadGraph;
  if (a.x_type < 1 || a.x_type > 2 || a.y_type < 1 || a.y_type > 2) return kBadGraph;
  if (a.x_min == a.x_max || a.y_min == a.y_max) return kBadGraph;
  if ((a.x_type == 2 && (a.x_min <= 0 || a.x_max <= 0)) ||
      (a.y_type == 2 && (a.y_min <= 0 || a.y_max <= 0))) {
    return kBadGraph;
  }
  pairs_[static_cast<std::size_t>(which)] = a;
  if (which == 1) alternate_set_ = true;
  current_ = which;
  return kOk;
}

Rect DrawingState::plot_device() const {
  const double vx = view_.x1 * width_, vy = view_.y1 * height_;
  const double vw = (view_.x2 - view_.x1) * width_, vh = (view_.y2 - view_.y1) * height_;
  return {vx + plot_.x1 * vw, vy + plot_.y1 * vh, vx + plot_.x2 * vw, vy + plot_.y2 * vh};
}

bool DrawingState::graph_system(int system) {
  return system == kL || system == kM || system == kQ || system == kG;
}

const Axes* DrawingState::pair_of(int system) const {
  switch (system) {
    case kL:
    case kM:
      return &pairs_[static_cast<std::size_t>(current_)];
    case kQ:
      return &pairs_[alternate_set_ ? 1 : 0];
    case kG:
      return &pairs_[0];
    default:
      return &pairs_[static_cast<std::size_t>(current_)];
  }
}

int DrawingState::graph_to_p(const Axes& a, bool linear_form, double x, double y, double& px,
                             double& py) const {
  auto axis = [&](int type, double v, double lo, double hi, double& out) {
    if (type == 2) {
      if (!linear_form) {
        if (v <= 0) return false;
        v = std::log10(v);
      }
      lo = std::log10(lo);
      hi = std::log10(hi);
    }
    out = (v - lo) / (hi - lo);
    return true;
  };
  if (!axis(a.x_type, x, a.x_min, a.x_max, px) || !axis(a.y_type, y, a.y_min, a.y_max, py)) {
    return kNotOnLogAxis;
  }
  return kOk;
}

void DrawingState::p_to_graph(const Axes& a, bool linear_form, double px, double py, double& x,
                              double& y) const {
  auto axis = [&](int type, double p, double lo, double hi) {
    if (type == 2) {
      lo = std::log10(lo);
      hi = std::log10(hi);
    }
    const double v = lo + p * (hi - lo);
    return type == 2 && !linear_form ? std::pow(10.0, v) : v;
  };
  x = axis(a.x_type, px, a.x_min, a.x_max);
  y = axis(a.y_type, py, a.y_min, a.y_max);
}

int DrawingState::to_device(int system, double x, double y, double& dx, double& dy) const {
  if (system < kS || system > kG) return kBadSystem;
  if (system == kW || system == kI) return kSystemUnavailable;
  if (system == kS) {
    dx = x;
    dy = y;
    return kOk;
  }
  if (system == kD) {
    dx = x;
    dy = height_ - y;
    return kOk;
  }
  if (system == kN) {
    dx = x * width_;
    dy = y * height_;
    return kOk;
  }
  if (system == kV) {
    return to_device(kN, view_.x1 + x * (view_.x2 - view_.x1), view_.y1 + y * (view_.y2 - view_.y1),
                     dx, dy);
  }
  const Rect pd = plot_device();
  double px = x, py = y;
  if (system == kU) {
    px = x * char_width() / (pd.x2 - pd.x1);
    py = y * char_height() / (pd.y2 - pd.y1);
  } else if (system != kP) {
    const int rc = graph_to_p(*pair_of(system), system == kL, x, y, px, py);
    if (rc != kOk) return rc;
  }
  dx = pd.x1 + px * (pd.x2 - pd.x1);
  dy = pd.y1 + py * (pd.y2 - pd.y1);
  return kOk;
}

int DrawingState::from_device(int system, double dx, double dy, double& x, double& y) const {
  if (system < kS || system > kG) return kBadSystem;
  if (system == kW || system == kI) return kSystemUnavailable;
  switch (system) {
    case kS:
      x = dx;
      y = dy;
      return kOk;
    case kD:
      x = dx;
      y = height_ - dy;
      return kOk;
    case kN:
      x = dx / width_;
      y = dy / height_;
      return kOk;
    case kV:
      x = (dx / width_ - view_.x1) / (view_.x2 - view_.x1);
      y = (dy / height_ - view_.y1) / (view_.y2 - view_.y1);
      return kOk;
    default:
      break;
  }
  const Rect pd = plot_device();
  const double px = (dx - pd.x1) / (pd.x2 - pd.x1), py = (dy - pd.y1) / (pd.y2 - pd.y1);
  if (system == kP) {
    x = px;
    y = py;
  } else if (system == kU) {
    x = px * (pd.x2 - pd.x1) / char_width();
    y = py * (pd.y2 - pd.y1) / char_height();
  } else {
    p_to_graph(*pair_of(system), system == kL, px, py, x, y);
  }
  return kOk;
}

int DrawingState::bounds(int system, std::array<double, 4>& b) const {
  if (system < kS || system > kG) return kBadSystem;
  if (system == kW || system == kI) return kSystemUnavailable;
  switch (system) {
    case kS:
    case kD:
      b = {0, 0, width_, height_};
      return kOk;
    case kN:
      b = {0, 0, 1, 1};
      return kOk;
    case kV:
      b = {view_.x1, view_.y1, view_.x2, view_.y2};
      return kOk;
    case kP:
      b = {plot_.x1, plot_.y1, plot_.x2, plot_.y2};
      return kOk;
    default:
      break;
  }
  const Rect pd = plot_device();
  int rc = from_device(system, pd.x1, pd.y1, b[0], b[1]);
  if (rc == kOk) rc = from_device(system, pd.x2, pd.y2, b[2], b[3]);
  return rc;
}

int DrawingState::set_colour(int n) {
  if (n < 0 || n > kColours) return kBadColour;
  colour_ = n;
  return kOk;
}

int DrawingState::define_colour(int n, int r, int g, int b) {
  if (n < 0 || n > kColours) return kBadColour;
  if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return kBadComponent;
  colours_[static_cast<std::size_t>(n)] = {{r, g, b}, ""};
  return kOk;
}

int DrawingState::define_colour(int n, std::string_view name) {
  if (n < 0 || n > kColours) return kBadColour;
  Rgb rgb;
  std::string canonical;
  if (!colour_by_name(name, rgb, canonical)) return kUnknownColourName;
  colours_[static_cast<std::size_t>(n)] = {rgb, canonical};
  return kOk;
}

int DrawingState::set_line(int type, int type_flag, int width, int width_flag) {
  if ((type_flag != 0 && type < 0) || (width_flag != 0 && (width < 0 || width > 100))) {
    return kBadLine;
  }
  if (type_flag != 0) line_.type = type;
  if (width_flag != 0) line_.width = width;
  return kOk;
}

int DrawingState::set_text(const TextAttributes& t) {
  if (!finite(t.size)) return kNotFinite;
  if (t.font < 0 || t.font > kFonts || t.hardware < 0 || t.hardware > 2 || t.size > 100 ||
      t.width < 0 || t.width > 50 || t.border < 0 || t.border > 999 || t.rotation < 0 ||
      t.rotation > 2 || t.justification < 0 || t.justification > 3) {
    return kBadTextAttributes;
  }
  text_ = t;
  if (text_.font == 0) text_.font = 1;
  return kOk;
}

int DrawingState::set_marker(const MarkerAttributes& m) {
  if (!finite(m.size) || !finite(m.width)) return kNotFinite;
  if (m.type < 0 || m.fill < 0 || m.fill > 1 || m.size > 100 || m.width > 100) return kBadMarker;
  marker_ = m;
  return kOk;
}

Item DrawingState::line_item() const {
  Item item;
  item.colour = colours_[static_cast<std::size_t>(colour_)].rgb;
  item.line.type = line_.type;
  item.line.width = (line_.width > 0 ? line_.width : 0.5) * line_unit();
  return item;
}

Item DrawingState::marker_item() const {
  Item item = line_item();
  item.kind = ItemKind::kMarkers;
  item.marker.type = marker_.type == 0 ? 0 : (marker_.type - 1) % 20 + 1;
  item.marker.filled = marker_.fill != 0;
  item.marker.size = (marker_.size > 0 ? marker_.size : 1.0) * kMarkerShare * text_unit();
  item.marker.width = (marker_.width > 0 ? marker_.width : 1.0) * line_unit();
  return item;
}

Item DrawingState::text_item() const {
  Item item = line_item();
  item.kind = ItemKind::kText;
  item.text.font = text_.font;
  item.text.hardware = text_.hardware == 2;
  item.text.height = char_height();
  item.text.stroke = text_.width > 1 ? (text_.width - 1) * line_unit() : 0;
  item.text.border = text_.border;
  item.text.justification = text_.justification == 0 ? 2 : text_.justification;
  item.text.background = colours_[0].rgb;
  return item;
}

}  // namespace kor::mplt
