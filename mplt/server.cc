#include "mplt/server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>

#include "graphics/request_codes.h"
#include "mplt/codes.h"
#include "mplt/queue.h"

namespace kor::mplt {
namespace {

namespace g = graphics;

constexpr Word kProtocolVersion = 1;
constexpr double kMissing = -9999.0;
constexpr int kTickLength = 6;   // default tick length, tenths of a character height
constexpr int kLabelOffset = 8;  // default label offset, tenths of a character height
constexpr double kLabelSpacing = 1.5;

float real(Word w) { return g::word_real(w); }
Word word(double v) { return g::real_word(static_cast<float>(v)); }

// Text of `words` words (four characters each) without trailing blanks and NULs.
std::string text_of(std::span<const Word> words) {
  std::string s = g::unpack_text(words, static_cast<int>(4 * words.size()));
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return s;
}

std::string upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

// Length every request of fixed layout must have; 0 for the requests of variable length.
int fixed_length(int code) {
  switch (code) {
    case g::kStartPlotting:
    case g::kEndPlotting:
    case g::kSetMode:
    case g::kQueryBounds:
    case g::kSetColour:
    case g::kQueryColour:
      return 3;
    case g::kQueryMode:
    case g::kQueryOutputFailure:
    case g::kClearPage:
    case g::kFlushOutput:
    case g::kStartFrame:
    case g::kEndFrame:
    case g::kQueryLineAttributes:
    case g::kQueryTextAttributes:
    case g::kQueryAttributeValues:
    case g::kInitColours:
    case g::kQueryCurrentColour:
    case g::kQueryColourCount:
      return 2;
    case g::kSelectDevice:
      return 27;
    case g::kSetView:
    case g::kSetPlotArea:
    case g::kSetLineAttributes:
    case g::kSetMarkerAttributes:
    case g::kDefineColour:
      return 6;
    case g::kSetGraph:
    case g::kSetTextAttributes:
      return 9;
    case g::kDefineColourName:
      return 14;
    default:
      return 0;
  }
}

// Checks a variable-length request: `needed` words are implied by its counts.
int check_implied(std::int64_t needed, std::size_t sent) {
  if (needed > static_cast<std::int64_t>(sent)) return kBadCount;
  if (needed < static_cast<std::int64_t>(sent)) return kBadLength;
  return kOk;
}

bool is_missing(double v) { return std::fabs(v - kMissing) < 0.1; }

std::string proc_file(pid_t pid, const char* what) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + what, std::ios::binary);
  std::ostringstream os;
  os << in.rdbuf();
  return os.str();
}

}  // namespace

ClientPlace client_place(pid_t pid) {
  ClientPlace place;
  if (pid <= 0) return place;
  const std::string link = "/proc/" + std::to_string(pid) + "/cwd";
  char buffer[4096];
  const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
  if (n > 0) place.directory.assign(buffer, static_cast<std::size_t>(n));
  std::istringstream status(proc_file(pid, "status"));
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Umask:", 0) == 0) {
      place.umask = static_cast<mode_t>(std::strtol(line.c_str() + 6, nullptr, 8) & 0777);
    }
  }
  const std::string env = proc_file(pid, "environ");
  for (std::size_t at = 0; at < env.size();) {
    std::size_t end = env.find('\0', at);
    if (end == std::string::npos) end = env.size();
    const std::string_view entry(env.data() + at, end - at);
    if (entry.rfind("DISPLAY=", 0) == 0) place.display = std::string(entry.substr(8));
    if (entry.rfind("XAUTHORITY=", 0) == 0) place.xauthority = std::string(entry.substr(11));
    at = end + 1;
  }
  return place;
}

std::string default_output(const std::string& device) {
  return std::string(graphics::default_output_file(device));
}

Server::Server(PlaceFinder place) : place_(std::move(place)) {}

Server::~Server() = default;

std::vector<Word> Server::handle(std::span<const Word> request, pid_t client) {
  std::vector<Word> results;
  int rc = kBadLength;
  if (request.size() >= 2 && request[0] == static_cast<Word>(request.size())) {
    rc = dispatch(request, client, results);
  }
  if (rc != kOk) results.clear();
  std::vector<Word> reply;
  reply.reserve(results.size() + 2);
  reply.push_back(static_cast<Word>(results.size() + 2));
  reply.push_back(rc);
  reply.insert(reply.end(), results.begin(), results.end());
  return reply;
}

int Server::dispatch(std::span<const Word> r, pid_t client, std::vector<Word>& results) {
  const int code = r[1];
  const int fixed = fixed_length(code);
  if (fixed > 0 && static_cast<int>(r.size()) != fixed) return kBadLength;
  switch (code) {
    case g::kStartPlotting:
      if (r[2] < 0 || r[2] > 2) return kBadMode;
      // A run left open by a client that has ended since is dropped before the next begins.
      if (run_open_ && client != run_client_ && !process_alive(run_client_)) abandon_run();
      state_.reset();
      if (r[2] != 0) mode_ = r[2];
      run_open_ = true;
      run_client_ = client;
      end_requested_ = false;
      start_ = {state_, device_, dirty_, std::nullopt, page_.items().size(), page_.points()};
      results = {kProtocolVersion};
      return kOk;
    case g::kEndPlotting: {
      if (r[2] < 0) return kBadMode;
      const int rc = bring_up_to_date();
      run_open_ = false;
      if (r[2] == 1) end_requested_ = true;
      return rc;
    }
    case g::kSetMode:
      if (r[2] < 0 || r[2] > 2) return kBadMode;
      mode_ = r[2];
      return kOk;
    case g::kQueryMode:
      results = {mode_};
      return kOk;
    case g::kQueryOutputFailure:
      // [n, file name in n characters, m, the reason in m characters]
      for (const std::string* text : {&failure_.path, &failure_.reason}) {
        const int n = static_cast<int>(std::min<std::size_t>(text->size(), 1024));
        results.push_back(n);
        if (n == 0) continue;
        const std::vector<Word> words = g::pack_text(*text, g::text_words(n));
        results.insert(results.end(), words.begin(), words.end());
      }
      return kOk;
    case g::kClearPage:
      if (device_.kind == DeviceKind::kNone) return kNoDevice;
      keep_start_page();
      page_.clear();
      page_.set_background(state_.colours()[0].rgb);
      dirty_ = true;
      return kOk;
    case g::kFlushOutput:
    case g::kEndFrame:
      return bring_up_to_date();
    case g::kStartFrame:
      if (device_.kind == DeviceKind::kNone) return kNoDevice;
      dirty_ = true;
      return kOk;
    case g::kSelectDevice:
      return select_device(r, client);
    case g::kSetView:
      return state_.set_view(real(r[2]), real(r[3]), real(r[4]), real(r[5]));
    case g::kQueryBounds: {
      std::array<double, 4> b{};
      const int rc = state_.bounds(r[2], b);
      if (rc == kOk) results = {word(b[0]), word(b[1]), word(b[2]), word(b[3])};
      return rc;
    }
    case g::kSetGraph: {
      if (r[4] < 0 || r[4] > 2) return kBadGraph;
      const Axes a{r[2], r[3], real(r[5]), real(r[7]), real(r[6]), real(r[8])};
      return state_.set_axes(r[4] == 2 ? 1 : 0, a);
    }
    case g::kSetPlotArea:
      return state_.set_margins(real(r[2]), real(r[3]), real(r[4]), real(r[5]));
    case g::kDrawAxis:
    case g::kDrawAxisLabels:
      return draw_axis(r, code == g::kDrawAxisLabels);
    case g::kPolyline:
    case g::kMarkers:
    case g::kFillPolygon:
      return draw_points(code, r);
    case g::kText:
      return draw_text(r);
    case g::kTransform:
      return transform(r, results);
    case g::kSetLineAttributes:
      return state_.set_line(r[2], r[3], r[4], r[5]);
    case g::kQueryLineAttributes: {
      const LineAttributes& l = state_.line();
      results = {l.type, 1, l.width, 1};
      return kOk;
    }
    case g::kSetTextAttributes:
      return state_.set_text({r[2], r[3], real(r[4]), r[5], r[6], r[7], r[8]});
    case g::kQueryTextAttributes: {
      const TextAttributes& t = state_.text();
      results = {t.font, t.hardware, word(t.size), t.width, t.border, t.rotation, t.justification};
      return kOk;
    }
    case g::kSetMarkerAttributes:
      return state_.set_marker({r[2], r[3], real(r[4]), real(r[5])});
    case g::kQueryAttributeValues: {
      const Rect& v = state_.view();
      const double vw = (v.x2 - v.x1) * state_.page_width();
      const double vh = (v.y2 - v.y1) * state_.page_height();
      const TextAttributes& t = state_.text();
      results = {state_.colour(),
                 t.font,
                 word(state_.char_width() / vw),
                 word(state_.char_height() / vh),
                 t.hardware,
                 t.justification};
      return kOk;
    }
    case g::kSetColour:
      return state_.set_colour(r[2]);
    case g::kDefineColour: {
      const int rc = state_.define_colour(r[2], r[3], r[4], r[5]);
      if (rc == kOk && r[2] == 0 && page_.items().empty())
        page_.set_background(state_.colours()[0].rgb);
      return rc;
    }
    case g::kInitColours:
      state_.init_colours();
      return kOk;
    case g::kDefineColourName: {
      if (r[3] < 0) return kBadCount;
      if (r[3] > 40) return kBadCount;
      const int rc = state_.define_colour(
          r[2], text_of(r.subspan(4, 10)).substr(0, static_cast<std::size_t>(r[3])));
      if (rc == kOk && r[2] == 0 && page_.items().empty())
        page_.set_background(state_.colours()[0].rgb);
      return rc;
    }
    case g::kQueryColour: {
      if (r[2] < 0 || r[2] > kColours) return kBadColour;
      const Colour& c = state_.colours()[static_cast<std::size_t>(r[2])];
      const Rgb shown = map_colour(c.rgb, page_.background(), device_.mode);
      char hex[16];
      std::snprintf(hex, sizeof hex, "#%02x%02x%02x", shown.r, shown.g, shown.b);
      const std::vector<Word> name = g::pack_text(c.name, 20);
      const std::vector<Word> device_name = g::pack_text(hex, 20);
      results.assign(name.begin(), name.end());
      results.push_back(c.rgb.r);
      results.push_back(c.rgb.g);
      results.push_back(c.rgb.b);
      results.insert(results.end(), device_name.begin(), device_name.end());
      return kOk;
    }
    case g::kQueryCurrentColour:
      results = {state_.colour()};
      return kOk;
    case g::kQueryColourCount:
      results = {kColours};
      return kOk;
    default:
      return kUnknownRequest;
  }
}

int Server::select_device(std::span<const Word> r, pid_t client) {
  Device d;
  d.name = upper(text_of(r.subspan(2, 3)));
  const int colour_type = r[5];
  std::string file = text_of(r.subspan(6, 18));
  const double xs = real(r[24]), ys = real(r[25]);
  if (!std::isfinite(xs) || !std::isfinite(ys) || !std::isfinite(real(r[26]))) return kNotFinite;
  if (d.name == "PS") {
    d.kind = DeviceKind::kPostScript;
  } else if (d.name == "PDF") {
    d.kind = DeviceKind::kPdf;
  } else if (d.name == "SVG" || d.name == "NC") {
    d.kind = DeviceKind::kSvg;
  } else if (d.name == "GF") {
    d.kind = DeviceKind::kGif;
  } else if (d.name == "PNG") {
    d.kind = DeviceKind::kPng;
  } else if (d.name == "XW") {
    d.kind = DeviceKind::kWindow;
  } else {
    return kUnknownDevice;
  }
  if (colour_type < 0 || colour_type > 2) return kBadColourType;
  d.mode = colour_type == 0                    ? ColourMode::kMonochrome
           : colour_type == 2                  ? ColourMode::kColour
           : d.kind == DeviceKind::kPostScript ? ColourMode::kGrey
                                               : ColourMode::kColour;
  if (d.kind == DeviceKind::kPostScript || d.kind == DeviceKind::kPdf) {
    // Sizes in inches; without a plausible size the page is US letter, landscape.
    const bool given = xs >= 1 && xs <= 100 && ys >= 1 && ys <= 100;
    d.width = 72 * (given ? xs : 11.0);
    d.height = 72 * (given ? ys : 8.5);
  } else {
    d.width = std::round(xs);
    d.height = std::round(ys);
    if (d.width < 16 || d.height < 16 || d.width > 8192 || d.height > 8192 ||
        d.width * d.height > 16777216.0) {
      return kBadSize;
    }
  }
  if (file.empty()) file = default_output(d.name);
  const ClientPlace place = place_(client);
  d.umask = place.umask;
  if (d.kind == DeviceKind::kWindow) {
    d.path = file;
  } else if (!file.empty() && file[0] == '/') {
    d.path = file;
  } else {
    if (place.directory.empty()) return kCannotCreate;
    d.path = place.directory + (place.directory.back() == '/' ? "" : "/") + file;
  }
  const bool same = device_.kind == d.kind && device_.path == d.path && device_.mode == d.mode &&
                    device_.width == d.width && device_.height == d.height;
  if (d.kind != DeviceKind::kWindow) {
    // Nothing is written yet: the file of the last run stays until this page is complete.
    if (!check_output(d.path, d.target, failure_)) return kCannotCreate;
  } else if (!same || window_ == nullptr) {
    window_.reset();
    if (!place.xauthority.empty()) setenv("XAUTHORITY", place.xauthority.c_str(), 1);
    window_ =
        Window::open(place.display, d.path, static_cast<int>(d.width), static_cast<int>(d.height));
    if (window_ == nullptr) return kNoDisplay;
  }
  if (!same) {
    // Leaving a page: what it holds reaches its own output first.
    if (device_.kind != DeviceKind::kNone && dirty_) (void)write_output();
    if (device_.kind == DeviceKind::kWindow && d.kind != DeviceKind::kWindow) window_.reset();
    device_ = d;
    state_.set_page(d.width, d.height);
    keep_start_page();
    page_ = Page(d.width, d.height, state_.colours()[0].rgb);
  }
  dirty_ = true;
  return kOk;
}

int Server::draw_points(int code, std::span<const Word> r) {
  if (r.size() < 4) return kBadLength;
  const int system = r[2];
  const std::int64_t n = r[3];
  if (n < 0) return kBadCount;
  const int rc = check_implied(2 * n + 4, r.size());
  if (rc != kOk) return rc;
  if (device_.kind == DeviceKind::kNone) return kNoDevice;
  const std::size_t count = static_cast<std::size_t>(n);
  for (std::size_t i = 0; i < 2 * count; ++i) {
    if (!std::isfinite(real(r[4 + i]))) return kNotFinite;
  }
  if (system < kS || system > kG) return kBadSystem;
  if (system == kW || system == kI) return kSystemUnavailable;
  Item style = code == g::kMarkers ? state_.marker_item() : state_.line_item();
  if (DrawingState::graph_system(system)) style.clip = state_.plot_device();
  // Runs of points that exist in the system (a value not positive on a logarithmic axis ends a
  // run): a polyline is drawn run by run, markers skip such points, a polygon is refused.
  std::vector<std::vector<double>> runs(1);
  for (std::size_t i = 0; i < count; ++i) {
    double dx = 0, dy = 0;
    if (state_.to_device(system, real(r[4 + i]), real(r[4 + count + i]), dx, dy) != kOk) {
      if (code == g::kFillPolygon) return kNotOnLogAxis;
      if (!runs.back().empty()) runs.emplace_back();
      continue;
    }
    runs.back().push_back(dx);
    runs.back().push_back(dy);
  }
  for (const std::vector<double>& run : runs) {
    bool ok = true;
    if (code == g::kPolyline) ok = page_.add_polyline(style, run);
    if (code == g::kMarkers) ok = page_.add_markers(style, run);
    if (code == g::kFillPolygon) ok = page_.add_polygon(style, run);
    if (!ok) return kPageFull;
  }
  dirty_ = true;
  return kOk;
}

int Server::draw_text(std::span<const Word> r) {
  if (r.size() < 8) return kBadLength;
  if (r.size() == 8) return kNoText;
  if (device_.kind == DeviceKind::kNone) return kNoDevice;
  const int system = r[2];
  const std::size_t e = r.size() - 8;
  const double x = real(r[3]), y = real(r[4]), angle = real(r[5 + e]);
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle)) return kNotFinite;
  double dx = 0, dy = 0;
  const int rc = state_.to_device(system, x, y, dx, dy);
  if (rc != kOk) return rc;
  Item item = state_.text_item();
  item.chars = text_of(r.subspan(5, e));
  if (item.chars.empty()) return kOk;
  item.text.angle = angle;
  page_.add_text(item, dx + r[6 + e] * state_.char_width(), dy + r[7 + e] * state_.char_height());
  dirty_ = true;
  return kOk;
}

// Where an axis of request 603 or 604 runs on the plot area: its direction, coordinate system,
// the line across the plot area and the device coordinates along it.
struct Server::AxisLine {
  const DrawingState* state = nullptr;
  bool horizontal = true;
  int system = kM;
  const Axes* pair = nullptr;
  bool log = false;  // a logarithmic axis
  Rect area;
  double line = 0;     // device coordinate across the plot area
  double outward = 1;  // the outward sign of ticks and labels
  double lo = 0, hi = 0, tolerance = 0;

  // Device coordinate along the axis of value v; false when v is not on the axis.
  bool along(double v, double& a) const {
    double dx = 0, dy = 0;
    const double other = horizontal ? pair->y_min : pair->x_min;
    if (state->to_device(system, horizontal ? v : other, horizontal ? other : v, dx, dy) != kOk) {
      return false;
    }
    a = horizontal ? dx : dy;
    return a >= lo - tolerance && a <= hi + tolerance;
  }
  // The point `off` away from the axis line at `a` along it.
  void point(double a, double off, std::vector<double>& xy) const {
    xy.push_back(horizontal ? a : line + off);
    xy.push_back(horizontal ? line + off : a);
  }
};

int Server::draw_axis(std::span<const Word> r, bool labels) {
  // 603: [n+10, 603, axis, position, 5 integers, n, n values]
  // 604: [n w + n + 10, 604, axis, position, 4 integers, n, n positions, w, n labels of w words]
  const std::size_t count_at = labels ? 8 : 9;
  if (r.size() < count_at + 1) return kBadLength;
  const std::int64_t n = r[count_at];
  if (n < 0) return kBadCount;
  std::int64_t w = 0;
  if (labels) {
    if (static_cast<std::int64_t>(r.size()) < n + 10) return kBadCount;
    w = r[static_cast<std::size_t>(9 + n)];
    if (w < 1 || w > 6) return kBadAxis;
  }
  const int rc = check_implied(labels ? n * w + n + 10 : n + 10, r.size());
  if (rc != kOk) return rc;
  if (device_.kind == DeviceKind::kNone) return kNoDevice;
  const int which = r[2];
  if (which < 1 || which > 4) return kBadAxis;
  const double position = real(r[3]);
  if (!std::isfinite(position)) return kNotFinite;
  const std::size_t count = static_cast<std::size_t>(n);
  const std::size_t values_at = count_at + 1;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(real(r[values_at + i]))) return kNotFinite;
  }
  const int settings = labels ? 4 : 5;
  for (int i = 0; i < settings; ++i) {
    if (r[4 + static_cast<std::size_t>(i)] < 0) return kBadAxis;
  }
  AxisLine axis;
  axis.state = &state_;
  axis.horizontal = which == 1 || which == 3;
  axis.system = axis.horizontal ? kM : which == 2 ? kG : kQ;
  axis.pair = &state_.axes_of(axis.system);
  axis.log = axis.horizontal ? axis.pair->x_type == 2 : axis.pair->y_type == 2;
  axis.area = state_.plot_device();
  const Rect& area = axis.area;
  // The axis line: at `position` across the plot area (P units), or at its own edge.
  const bool far_edge = which == 3 || which == 4;
  const double p = is_missing(position) ? (far_edge ? 1.0 : 0.0) : position;
  axis.line =
      axis.horizontal ? area.y1 + p * (area.y2 - area.y1) : area.x1 + p * (area.x2 - area.x1);
  axis.outward = far_edge ? 1.0 : -1.0;
  axis.lo = axis.horizontal ? area.x1 : area.y1;
  axis.hi = axis.horizontal ? area.x2 : area.y2;
  axis.tolerance = 1e-3 * (axis.hi - axis.lo);
  return labels ? draw_axis_labels(r, axis, values_at, count, static_cast<std::size_t>(w))
                : draw_axis_ticks(r, axis, values_at, count);
}

// 604: the labels at their positions along the axis.
int Server::draw_axis_labels(std::span<const Word> r, const AxisLine& axis, std::size_t values_at,
                             std::size_t count, std::size_t words) {
  const double ch = state_.char_height();
  const int every = std::max<Word>(1, r[4]);
  const double gap = (r[5] > 0 ? r[5] : kLabelOffset) / 10.0 * ch;
  const int orientation = r[6];
  const int side = r[7];
  if (orientation > 1 || side > 1) return kBadAxis;
  const double d = side == 0 ? axis.outward : -axis.outward;
  Item item = state_.text_item();
  const std::size_t text_at = values_at + count + 1;
  for (std::size_t i = 0; i < count; i += static_cast<std::size_t>(every)) {
    double a = 0;
    if (!axis.along(real(r[values_at + i]), a)) continue;
    item.chars = text_of(r.subspan(text_at + i * words, words));
    if (item.chars.empty()) continue;
    const double lines =
        1.0 + static_cast<double>(std::count(item.chars.begin(), item.chars.end(), '\r'));
    const double depth = (lines - 1) * kLabelSpacing * ch + ch;  // across the lines
    const double near = axis.line + d * gap;                     // edge next to the axis
    double x = 0, y = 0;
    if (orientation == 0) {
      item.text.angle = 0;
      if (axis.horizontal) {
        item.text.justification = 2;
        x = a;
        y = d < 0 ? near - 0.5 * ch : near + depth - 0.5 * ch;
      } else {
        item.text.justification = d < 0 ? 3 : 1;
        x = near;
        y = a + 0.5 * (depth - ch);
      }
    } else {
      item.text.angle = 90;
      if (axis.horizontal) {
        item.text.justification = d < 0 ? 3 : 1;
        x = a - 0.5 * (depth - ch);
        y = near;
      } else {
        item.text.justification = 2;
        x = d < 0 ? near - depth + 0.5 * ch : near + 0.5 * ch;
        y = a;
      }
    }
    page_.add_text(item, x, y);
  }
  dirty_ = true;
  return kOk;
}

// 603: the axis line, its ticks, grid lines and minor ticks.
int Server::draw_axis_ticks(std::span<const Word> r, const AxisLine& axis, std::size_t values_at,
                            std::size_t count) {
  const double ch = state_.char_height();
  const int direction = r[4], every = r[6], grid = r[7], minor = r[8];
  if (direction > 4 || minor > 100) return kBadAxis;
  const double length = (r[5] > 0 ? r[5] : kTickLength) / 10.0 * ch;
  double in0 = 0, in1 = 0;  // tick ends, outward positive
  if (direction <= 1) in1 = -length;
  if (direction == 2) in1 = length;
  if (direction == 3) {
    in0 = -length;
    in1 = length;
  }
  Item style = state_.line_item();
  std::vector<double> axis_line;
  axis.point(axis.lo, 0, axis_line);
  axis.point(axis.hi, 0, axis_line);
  if (!page_.add_polyline(style, axis_line)) return kPageFull;
  Item tick = style;
  tick.line.type = 1;
  Item grid_line = style;
  grid_line.line.type = 3;
  auto add_tick = [&](double a, double scale) {
    if (direction == 4) return true;
    std::vector<double> xy;
    axis.point(a, axis.outward * in0 * scale, xy);
    axis.point(a, axis.outward * in1 * scale, xy);
    return page_.add_polyline(tick, xy);
  };
  std::vector<double> values;
  for (std::size_t i = 0; i < count; ++i) values.push_back(real(r[values_at + i]));
  for (std::size_t i = 0; i < count; ++i) {
    double a = 0;
    if (!axis.along(values[i], a)) continue;
    if (every > 0 && i % static_cast<std::size_t>(every) == 0 && !add_tick(a, 1)) return kPageFull;
    if (grid > 0 && i % static_cast<std::size_t>(grid) == 0) {
      std::vector<double> xy;
      const Rect& area = axis.area;
      const double c0 = axis.horizontal ? area.y1 : area.x1;
      const double c1 = axis.horizontal ? area.y2 : area.x2;
      xy = axis.horizontal ? std::vector<double>{a, c0, a, c1} : std::vector<double>{c0, a, c1, a};
      if (!page_.add_polyline(grid_line, xy)) return kPageFull;
    }
  }
  if (minor > 0 && axis.log) {
    const Axes& pair = *axis.pair;
    const double v0 =
        axis.horizontal ? std::min(pair.x_min, pair.x_max) : std::min(pair.y_min, pair.y_max);
    const double v1 =
        axis.horizontal ? std::max(pair.x_min, pair.x_max) : std::max(pair.y_min, pair.y_max);
    for (int e = static_cast<int>(std::floor(std::log10(v0)));
         e <= std::ceil(std::log10(v1)) && e < 400; ++e) {
      for (int k = 2; k <= 9; ++k) {
        double a = 0;
        if (axis.along(k * std::pow(10.0, e), a) && !add_tick(a, 0.5)) return kPageFull;
      }
    }
  } else if (minor > 0) {
    for (std::size_t i = 0; i + 1 < count; ++i) {
      for (int k = 1; k <= minor; ++k) {
        double a = 0;
        const double v = values[i] + (values[i + 1] - values[i]) * k / (minor + 1);
        if (axis.along(v, a) && !add_tick(a, 0.5)) return kPageFull;
      }
    }
  }
  dirty_ = true;
  return kOk;
}

int Server::transform(std::span<const Word> r, std::vector<Word>& results) {
  if (r.size() < 5) return kBadLength;
  const std::int64_t n = r[4];
  if (n < 0) return kBadCount;
  const int rc = check_implied(2 * n + 5, r.size());
  if (rc != kOk) return rc;
  const int from = r[2], to = r[3];
  const std::size_t count = static_cast<std::size_t>(n);
  results.assign(2 * count, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const double x = real(r[5 + i]), y = real(r[5 + count + i]);
    if (!std::isfinite(x) || !std::isfinite(y)) return kNotFinite;
    double dx = 0, dy = 0, tx = 0, ty = 0;
    int code = state_.to_device(from, x, y, dx, dy);
    if (code == kOk) code = state_.from_device(to, dx, dy, tx, ty);
    if (code != kOk) return code;
    if (!std::isfinite(tx) || !std::isfinite(ty)) return kNotOnLogAxis;
    results[i] = word(tx);
    results[count + i] = word(ty);
  }
  return kOk;
}

int Server::bring_up_to_date() {
  if (device_.kind == DeviceKind::kNone || !dirty_) return kOk;
  return write_output();
}

int Server::write_output() {
  dirty_ = false;
  if (device_.kind == DeviceKind::kWindow) {
    if (window_ != nullptr) {
      cairo_surface_t* image = render_image(page_, device_.mode, true);
      window_->show(image);
      cairo_surface_destroy(image);
    }
    return kOk;
  }
  const auto write = [&](int fd) {
    switch (device_.kind) {
      case DeviceKind::kPostScript:
        return write_vector(fd, page_, VectorKind::kPostScript, device_.mode);
      case DeviceKind::kPdf:
        return write_vector(fd, page_, VectorKind::kPdf, device_.mode);
      case DeviceKind::kSvg:
        return write_vector(fd, page_, VectorKind::kSvg, device_.mode);
      case DeviceKind::kPng:
        return write_png(fd, page_, device_.mode);
      case DeviceKind::kGif: {
        std::vector<Rgb> table;
        for (const Colour& c : state_.colours()) table.push_back(c.rgb);
        table[0] = page_.background();
        return write_gif(fd, page_, device_.mode, table);
      }
      default:
        return false;
    }
  };
  if (!write_whole(device_.path, device_.target, device_.umask, write, failure_)) {
    dirty_ = true;  // not written: the next flush tries again (and reports again)
    return kWriteFailed;
  }
  return kOk;
}

void Server::keep_start_page() {
  if (!run_open_ || start_.page) return;
  start_.page.emplace(std::move(page_));
  page_ = Page(start_.page->width(), start_.page->height(), start_.page->background());
}

void Server::abandon_run() {
  if (!run_open_) return;
  run_open_ = false;
  run_client_ = 0;
  end_requested_ = false;
  state_ = start_.state;
  if (start_.page) {
    page_ = std::move(*start_.page);
  } else {
    page_.truncate(start_.items, start_.points);
  }
  start_.page.reset();
  if (device_.kind == DeviceKind::kWindow && start_.device.kind != DeviceKind::kWindow) {
    window_.reset();
  }
  device_ = start_.device;
  // A window that went away since cannot be drawn on again.
  if (device_.kind == DeviceKind::kWindow && window_ == nullptr) device_ = Device{};
  dirty_ = start_.dirty;
}

void Server::process_window_events() {
  if (window_ != nullptr && !window_->process_events()) window_.reset();
}

}  // namespace kor::mplt
