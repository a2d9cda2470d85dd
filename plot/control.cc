#include "plot/control.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ostream>
#include <span>
#include <vector>

#include "plot/axes.h"
#include "plot/kinds.h"
#include "plot/messages.h"
#include "resample/resample.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/text.h"

namespace kor::plot {
namespace {

constexpr int kLineWidth = 256;
constexpr int kMostLineMessages = 20;  // messages of keyword lines shown by one pass
constexpr int kGroupWidth = 160;

// Up to `n` "/" groups of a value (blanks removed by the list splitter).
template <std::size_t N>
std::array<std::string, N> groups(std::string_view value, int& count) {
  std::array<std::string, N> out;
  (void)util::ST_SPLS(value, '/', "", kGroupWidth, out, count);
  return out;
}

// Repeats the first `count` items cyclically over the first `n` slots.
template <typename T>
void cycle(std::span<T> items, int count, int n) {
  if (count <= 0) return;
  for (int i = count; i < n && i < static_cast<int>(items.size()); ++i) {
    items[i] = items[i % count];
  }
}

bool contains_any(std::string_view text, std::string_view letters) {
  return text.find_first_of(letters) != std::string_view::npos;
}

// ---- pass-3 decoders ----

int decode_bor(PlotSettings& s, std::string_view value) {
  std::array<int, 3> v{-9, -9, -9};
  int count = 0;
  if (util::ST_SPLI(value, '/', -9, v, count) != 0) return 5;
  if (v[0] != -9) s.border_colour = v[0];
  if (v[1] != -9) s.border_type = v[1];
  if (v[2] != -9) s.border_width = v[2];
  return 0;
}

int decode_btext(PlotSettings& s, std::string_view value, std::ostream& os) {
  int count = 0;
  auto items = groups<4>(value, count);
  int colour = 0;
  if (util::ST_TLEN(items[0]) > 0 && (util::ST_TINT(items[0], colour) != 0 || colour < 0)) {
    s.btext_box = false;
    return 0;
  }
  s.btext_count = colour;

  std::string position = items[1];
  s.btext_hash = !position.empty() && position[0] == '#';
  if (s.btext_hash) position.erase(0, 1);
  std::array<double, 2> xy{kPlotMissing, kPlotMissing};
  int pcount = 0;
  if (util::ST_SPLR(position, ';', kPlotMissing, xy, pcount) == 0 && pcount == 2 &&
      xy[0] != kPlotMissing && xy[1] != kPlotMissing) {
    s.btext_x = xy[0];
    s.btext_y = xy[1];
  } else {
    s.btext_x = s.btext_y = kPlotMissing;
  }

  std::array<std::string, 4> attr;
  int acount = 0;
  (void)util::ST_SPLS(items[2], ';', "", 20, attr, acount);
  static constexpr const char* kDefaults[] = {"1", "1", "1", "SW"};
  int errors = 0;
  for (int i = 0; i < 4; ++i) {
    if (util::ST_TLEN(attr[i]) == 0) {
      attr[i] = kDefaults[i];
      continue;
    }
    double v = 0.0;
    const bool numeric = util::ST_TREL(attr[i], v) == 0;
    if (i < 3 ? !numeric : numeric) {
      attr[i] = kDefaults[i];
      ++errors;
    }
  }
  s.btext_attr = attr[0] + "/" + attr[1] + "/" + attr[2] + "/" + attr[3];
  s.btext_box = !contains_any(util::ST_UPPR(items[3]), "NF");
  s.btext_attr += s.btext_box ? "/211/0/L" : "/111/0/L";
  if (errors > 0) {
    util::list_write(os, {});
    util::list_write(os, {" Input for B_TEXT is erroneous.  Defaults  used as appropriate."});
    util::list_write(os, {});
  }
  return 0;
}

int decode_nsm(PlotSettings& s, std::string_view value, std::ostream& os) {
  int trials = 0;
  const int rc = util::ST_TINT(value, trials) == 0 ? 0 : 14;
  if (rc != 0) trials = 0;
  set_trial_count(s, trials, os);
  return rc;
}

// CIL: the confidence level of the reliability and ROC intervals; a blank value asks for none.
int decode_cil(PlotSettings& s, std::string_view value, std::ostream& os) {
  s.ci_level = 0.0;
  if (util::ST_TLEN(value) == 0) return 0;
  double v = 0.0;
  const auto level =
      util::ST_TREL(util::ST_NOBL(value), v) == 0 ? confidence_level(v) : std::nullopt;
  if (level) {
    s.ci_level = *level;
  } else {
    util::list_write(
        os, {" Invalid entry for CIL--give a level such as 0.95; no confidence intervals."});
  }
  return 0;
}

int decode_hst(PlotSettings& s, std::string_view value) {
  std::array<int, kMaxTraces> colours{};
  int count = 0;
  (void)util::ST_SPLI(value, ';', 0, colours, count);
  s.bar_colour = colours;
  s.hst_count = std::min(count, kMaxTraces);
  return 0;
}

int decode_lin(PlotSettings& s, std::string_view value, int n) {
  int gcount = 0;
  const auto g = groups<4>(value, gcount);
  std::array<std::array<int, kMaxTraces>, 4> v;
  std::array<int, 4> counts{};
  int defs = n;
  for (int k = 0; k < 4; ++k) {
    v[k].fill(1);
    (void)util::ST_SPLI(g[k], ';', 1, v[k], counts[k]);
    counts[k] = std::min(counts[k], kMaxTraces);
    defs = std::max(defs, counts[k]);
  }
  defs = std::min(defs, kMaxTraces);
  for (int k = 0; k < 4; ++k) cycle(std::span<int>(v[k]), counts[k], defs);
  s.line_colour = v[0];
  s.line_type = v[1];
  s.line_width = v[2];
  for (int i = 0; i < kMaxTraces; ++i) s.marker_interval[i] = std::max(0, v[3][i]);
  s.line_defs = defs;
  return 0;
}

int decode_adl(PlotSettings& s, std::string_view value) {
  int gcount = 0;
  const auto g = groups<3>(value, gcount);
  std::array<int, 4> colour{1, 1, 1, 1}, type{2, 2, 2, 2}, width{1, 1, 1, 1};
  int count = 0;
  (void)util::ST_SPLI(g[0], ';', 1, colour, count);
  (void)util::ST_SPLI(g[1], ';', 2, type, count);
  (void)util::ST_SPLI(g[2], ';', 1, width, count);
  s.adl_colour = colour;
  s.adl_type = type;
  s.adl_width = width;
  return 0;
}

int decode_mar(PlotSettings& s, std::string_view value, int n) {
  int gcount = 0;
  const auto g = groups<4>(value, gcount);
  const int m = std::clamp(n, 1, kMaxTraces);
  std::array<int, kMaxTraces> colour{}, type{}, width{};
  std::array<double, kMaxTraces> size{};
  colour.fill(0);
  type.fill(1);
  width.fill(1);
  size.fill(1.0);
  int c0 = 0, c1 = 0, c2 = 0, c3 = 0;
  (void)util::ST_SPLI(g[0], ';', 0, std::span<int>(colour).first(m), c0);
  (void)util::ST_SPLI(g[1], ';', 1, std::span<int>(type).first(m), c1);
  (void)util::ST_SPLR(g[2], ';', 1.0, std::span<double>(size).first(m), c2);
  (void)util::ST_SPLI(g[3], ';', 1, std::span<int>(width).first(m), c3);
  cycle(std::span<int>(colour), std::min(c0, m), m);
  cycle(std::span<int>(type), std::min(c1, m), m);
  cycle(std::span<double>(size), std::min(c2, m), m);
  cycle(std::span<int>(width), std::min(c3, m), m);
  s.marker_colour = colour;
  s.marker_type = type;
  s.marker_size = size;
  s.marker_width = width;
  s.marker_defs = std::clamp(n, 0, kMaxTraces);
  return 0;
}

struct Panel {
  const char* name;
  double x1, y1, x2, y2;
};

int decode_pan(PlotSettings& s, std::string_view value) {
  const std::string v = util::ST_UPPR(util::ST_NOBL(value));
  std::array<double, 4> box{};
  int count = 0;
  if (util::ST_SPLR(v, ';', 0.0, box, count) == 0 && count == 4) {
    s.panel = box;
    return 0;
  }
  static constexpr Panel kNumbered[] = {
      {"A", 0.0, 0.0, 1.0, 1.0},    {"UL", 0.0, 0.51, 0.49, 1.0}, {"UR", 0.51, 0.51, 1.0, 1.0},
      {"LL", 0.0, 0.0, 0.49, 0.49}, {"LR", 0.51, 0.0, 1.0, 0.49}, {"L", 0.0, 0.0, 0.49, 1.0},
      {"R", 0.51, 0.0, 1.0, 1.0},   {"T", 0.0, 0.51, 1.0, 1.0},   {"B", 0.0, 0.0, 1.0, 0.49},
  };
  static constexpr Panel kNamed[] = {
      {"H31", 0.0, 0.677, 1.0, 1.0},      {"H32", 0.0, 0.343, 1.0, 0.657},
      {"H33", 0.0, 0.0, 1.0, 0.323},      {"V31", 0.0, 0.0, 0.323, 1.0},
      {"V32", 0.343, 0.0, 0.657, 1.0},    {"V33", 0.677, 0.0, 1.0, 1.0},
      {"H41", 0.0, 0.76, 1.0, 1.0},       {"H42", 0.0, 0.51, 1.0, 0.74},
      {"H43", 0.0, 0.26, 1.0, 0.49},      {"H44", 0.0, 0.0, 1.0, 0.24},
      {"V41", 0.0, 0.0, 0.24, 1.0},       {"V42", 0.26, 0.0, 0.49, 1.0},
      {"V43", 0.51, 0.0, 0.74, 1.0},      {"V44", 0.76, 0.0, 1.0, 1.0},
      {"UL", 0.0, 0.51, 0.49, 1.0},       {"UR", 0.51, 0.51, 1.0, 1.0},
      {"LL", 0.0, 0.0, 0.49, 0.49},       {"LR", 0.51, 0.0, 1.0, 0.49},
      {"M1", 0.0, 0.677, 0.323, 1.0},     {"M2", 0.343, 0.677, 0.657, 1.0},
      {"M3", 0.677, 0.677, 1.0, 1.0},     {"M4", 0.0, 0.343, 0.323, 0.657},
      {"M5", 0.343, 0.343, 0.657, 0.657}, {"M6", 0.677, 0.343, 1.0, 0.657},
      {"M7", 0.0, 0.0, 0.323, 0.323},     {"M8", 0.343, 0.0, 0.657, 0.323},
      {"M9", 0.677, 0.0, 1.0, 0.323},
  };
  auto take = [&](const Panel& p) {
    s.panel = {p.x1, p.y1, p.x2, p.y2};
    return 0;
  };
  if (v.find(';') == std::string::npos) {
    int number = 0;
    if (util::ST_TINT(v, number) == 0 && number >= 0 && number <= 8) return take(kNumbered[number]);
    for (const Panel& p : kNamed) {
      if (v.rfind(p.name, 0) == 0) return take(p);
    }
  }
  if (!v.empty()) {
    for (int i : {5, 6, 7, 8, 0}) {
      if (v[0] == kNumbered[i].name[0]) return take(kNumbered[i]);
    }
  }
  return -9;
}

int decode_pty(PlotSettings& s, std::string_view value) {
  int gcount = 0;
  const auto g = groups<3>(value, gcount);
  std::array<std::string, 2> types;
  int tcount = 0;
  (void)util::ST_SPLS(g[0], ';', "", 8, types, tcount);
  auto axis_type = [](const std::string& t, int blank) {
    const std::string u = util::ST_UPPR(t).substr(0, 3);
    if (u.empty()) return blank;
    if (u == "LIN") return 1;
    if (u == "LOG") return 2;
    return 0;
  };
  const int left = axis_type(types[0], 1);
  const int right = axis_type(types[1], left);
  if (left == 0 || right == 0) return -11;
  s.left_axis_type = left;
  s.right_axis_type = right;
  double aspect = 0.0;
  s.aspect = (util::ST_TLEN(g[1]) > 0 && util::ST_TREL(g[1], aspect) == 0) ? aspect : 0.0;
  std::array<double, 4> margins{};
  int mcount = 0;
  (void)util::ST_SPLR(g[2], ';', 0.0, margins, mcount);
  s.margins = margins;
  return 0;
}

int decode_lab(PlotSettings& s, std::string_view value) {
  int level = 0;
  if (util::ST_TINT(value, level) != 0 || level < 0 || level > 2) return 6;
  s.label_level = level;
  return 0;
}

int decode_ttext(PlotSettings& s, std::string_view value) {
  std::array<std::string, 3> items;
  int count = 0;
  (void)util::ST_SPLS(value, '|', kDefaultTextAttr, kAttrWidth, items, count);
  for (auto& item : items) {
    if (util::ST_TLEN(item) == 0) item = kDefaultTextAttr;
  }
  s.t_text = items;
  return 0;
}

// The one line that tells that a value was cut to its field: "<keyword>: <what> is longer than
// <width> <units>; cut to <width>."
void report_cut(std::ostream& os, std::string_view keyword, std::string_view what, int width,
                std::string_view units) {
  const std::string w = std::to_string(width);
  util::list_write(os, {" WARNING -- " + std::string(keyword) + ": " + std::string(what) +
                        " is longer than " + w + " " + std::string(units) + "; cut to " + w + "."});
}

int decode_trace_label(PlotSettings& s, std::string_view keyword, std::string_view value,
                       std::ostream& os) {
  if (!keyword.empty() && keyword.back() >= '0' && keyword.back() <= '9') {
    std::string_view rest = keyword.substr(keyword.find("TRA") + 3);
    while (!rest.empty() && (std::isalpha(static_cast<unsigned char>(rest[0])) || rest[0] == '_')) {
      rest.remove_prefix(1);
    }
    int p = 0;
    if (util::ST_TINT(rest, p) != 0) return -24;
    if (p >= kMaxTraces + 1) return -13;
    if (p <= 0) return -24;
    const std::string whole = util::ST_LJST(value);
    std::string label = util::cut(whole, kTraceLabelWidth);
    label = std::string(util::rtrim(label));
    if (label.size() < util::rtrim(whole).size()) {
      report_cut(os, keyword, "the label", kTraceLabelWidth, "bytes");
    }
    if (!label.empty() && label.back() == '+') {
      label.pop_back();
      label = std::string(util::rtrim(label));
      s.weighted_mean[p - 1] = true;
    }
    s.trace_labels[p - 1] = label;
    s.label_given[p - 1] = !label.empty();
    return 0;
  }
  if (value.find('+') != std::string_view::npos) {
    s.weighted_mean.fill(true);
    return 0;
  }
  return -24;
}

void decode_ref_lines(RefLines& lines, std::string_view value) {
  int gcount = 0;
  const auto g = groups<4>(value, gcount);
  RefLines out;
  out.colour.fill(1);
  out.type.fill(1);
  out.width.fill(1);
  out.ordinate.fill(0.0);
  std::array<int, 4> counts{};
  (void)util::ST_SPLI(g[0], ';', 1, out.colour, counts[0]);
  (void)util::ST_SPLI(g[1], ';', 1, out.type, counts[1]);
  (void)util::ST_SPLI(g[2], ';', 1, out.width, counts[2]);
  (void)util::ST_SPLR(g[3], ';', 0.0, out.ordinate, counts[3]);
  out.count = std::min(*std::max_element(counts.begin(), counts.end()), kMaxTraces);
  lines = out;
}

int decode_ref(PlotSettings& s, std::string_view value) {
  const auto slash = value.find('/');
  const std::string_view points = value.substr(0, slash);
  std::array<std::string, kMaxRefPoints> items;
  int count = 0;
  const int rc = util::ST_SPLS(points, ';', "", 48, items, count);
  s.ref_count = 0;
  if (rc != 0 || count < 2) return 13;
  std::array<double, kMaxRefPoints> x{}, y{};
  for (int i = 0; i < count; ++i) {
    std::array<double, 2> xy{};
    int n = 0;
    if (util::ST_SPLR(items[i], ',', 0.0, xy, n) != 0 || n != 2) return 13;
    x[i] = xy[0];
    y[i] = xy[1];
  }
  s.ref_count = count;
  s.ref_x = x;
  s.ref_y = y;
  s.ref_colour = s.ref_type = s.ref_width = 1;
  if (slash == std::string_view::npos) return 0;
  std::array<int, 3> ctw{1, 1, 1};
  int n = 0;
  if (util::ST_SPLI(value.substr(slash + 1), '/', 1, ctw, n) != 0) return 13;
  s.ref_colour = ctw[0];
  s.ref_type = ctw[1];
  s.ref_width = ctw[2];
  return 0;
}

int decode_xud(PlotSettings& s, std::string_view value) {
  std::array<std::string, kMaxUserLabels> labels;
  int count = 0;
  (void)util::ST_SPLS(value, '/', "", kUserLabelWidth, labels, count);
  s.user_xlabels = labels;
  s.user_xlabel_count = std::min(count, kMaxUserLabels);
  return 0;
}

}  // namespace

std::string control_keyword(std::string_view line) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return {};
  return util::ST_UPPR(util::ST_NOBL(line.substr(0, eq)));
}

std::string control_value(std::string_view line) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return {};
  return std::string(line.substr(eq + 1));
}

void set_trial_count(PlotSettings& s, int trials, std::ostream& os) {
  s.trials = resample::accepted_trial_count(trials, os);
}

void decode_rst(PlotSettings& s, std::string_view value, int trace_count) {
  std::array<int, kMaxTraces> pos{};
  int count = 0;
  const int rc = util::ST_SPLI(value, '/', 0, pos, count);
  s.right_trace.fill(false);
  s.right_axis = false;
  if (rc < 0 || count == 0) return;
  for (int i = 0; i < std::min(count, kMaxTraces); ++i) {
    if (pos[i] >= 1 && pos[i] <= std::min(trace_count, kMaxTraces))
      s.right_trace[pos[i] - 1] = true;
  }
  s.right_axis = std::any_of(s.right_trace.begin(), s.right_trace.end(), [](bool b) { return b; });
}

void decode_fac(PlotSettings& s, std::string_view value, int final_type) {
  std::array<std::string, 2> items;
  int count = 0;
  (void)util::ST_SPLS(value, '/', "", 32, items, count);
  double left = 0.0;
  if (util::ST_TLEN(items[0]) == 0 || util::ST_TREL(items[0], left) != 0) {
    s.left_factor = 1.0;
    return;
  }
  s.left_factor = left;
  ScaleLine line;
  line.left = left;
  double right = 0.0;
  if (s.right_axis && util::ST_TLEN(items[1]) > 0 && util::ST_TREL(items[1], right) == 0 &&
      !is_unit_diagram(final_type)) {
    s.right_factor = right;
    line.right = right;
  }
  s.scale_lines.push_back(line);
}

void decode_bxw(PlotSettings& s, BoxWhiskerBook& book, std::string_view value, std::ostream& os) {
  s.bxw_request.fill(0);
  s.bxw_colour.fill(0);
  if (util::ST_TLEN(value) == 0) {
    s.resample = false;
    return;
  }
  std::array<std::string, 5> items;
  int count = 0;
  (void)util::ST_SPLS(value, '/', "", kGroupWidth, items, count);
  const int groups_count = std::max<int>(1, static_cast<int>(book.group_opcodes.size()));
  const int objects = std::clamp(groups_count * std::max(0, book.pairs_per_group), 1, kMaxTraces);
  for (int k = 0; k < 2; ++k) {
    std::array<int, kMaxTraces> v;
    v.fill(1);
    int n = 0;
    (void)util::ST_SPLI(util::ST_TLEN(items[k]) == 0 ? "1" : items[k], ';', 1, v, n);
    cycle(std::span<int>(v), std::min(n, kMaxTraces), objects);
    for (int i = objects; i < kMaxTraces; ++i) v[i] = 0;
    (k == 0 ? s.bxw_request : s.bxw_colour) = v;
  }
  // Object k stands for pair i of group g: the paired trace is trace g * (pairs + 1) + i + 2.
  const int pairs = std::max(1, book.pairs_per_group);
  for (int k = 0; k < objects; ++k) {
    const int trace = (k / pairs) * (pairs + 1) + (k % pairs) + 2;
    if (s.bxw_request[k] > 0 && trace <= kMaxTraces && book.flag[trace - 1] == -1) {
      book.add_error(9);
    }
  }
  s.resample = std::any_of(s.bxw_request.begin(), s.bxw_request.end(), [](int r) { return r > 0; });
  if (!s.resample) return;
  double level = 0.0;
  if (util::ST_TLEN(items[2]) > 0 && util::ST_TREL(items[2], level) == 0) {
    if (level > 0.0 && level < 1.0) {
      s.test_level = level;
    } else {
      util::list_write(os, {});
      util::list_write(os, {" Invalid entry--using default test level = .05 for resampling."});
      util::list_write(os, {});
      s.test_level = 0.05;
    }
  } else {
    util::list_write(os, {});
    util::list_write(os, {" Using default test level = .05 for resampling."});
    util::list_write(os, {});
    s.test_level = 0.05;
  }
  s.bxw_print = !contains_any(util::ST_UPPR(items[3]), "NF");
  s.bxw_second = contains_any(util::ST_UPPR(items[4]), "YT");
}

namespace {

// What a pass-3 decoder reads besides the settings: the line's keyword and value, the number of
// traces, whether the device stays the text device, and where its messages go.
struct ControlLine {
  std::string_view key, value;
  int traces = 0;
  bool text_only = false;
  std::ostream& os;
};

using Decoder = int (*)(PlotSettings& s, const ControlLine& line);

// One keyword of pass 3: the first three characters of the keyword, or with `anywhere` three
// characters it holds anywhere (any keyword holding "TRA" is a trace label).  The first entry
// that matches decodes the line.
struct Keyword {
  std::string_view key;
  Decoder decode;
  bool anywhere = false;
};

constexpr Keyword kKeywords[] = {
    {"BOR", [](PlotSettings& s, const ControlLine& l) { return decode_bor(s, l.value); }},
    {"B_T", [](PlotSettings& s, const ControlLine& l) { return decode_btext(s, l.value, l.os); }},
    {"NSM", [](PlotSettings& s, const ControlLine& l) { return decode_nsm(s, l.value, l.os); }},
    {"CLE",
     [](PlotSettings& s, const ControlLine& l) {
       s.clear = !contains_any(util::ST_UPPR(l.value), "NF");
       return 0;
     }},
    {"COL",
     [](PlotSettings& s, const ControlLine& l) {
       s.colours = util::cut(l.value, kColourSpecWidth);
       return 0;
     }},
    {"DEV",
     [](PlotSettings& s, const ControlLine& l) {
       s.dev_given = true;
       if (!l.text_only) s.device = util::cut(l.value, kDeviceWidth);
       return 0;
     }},
    {"HST", [](PlotSettings& s, const ControlLine& l) { return decode_hst(s, l.value); }},
    {"LIN", [](PlotSettings& s, const ControlLine& l) { return decode_lin(s, l.value, l.traces); }},
    {"ADL", [](PlotSettings& s, const ControlLine& l) { return decode_adl(s, l.value); }},
    {"MAR", [](PlotSettings& s, const ControlLine& l) { return decode_mar(s, l.value, l.traces); }},
    {"PAN", [](PlotSettings& s, const ControlLine& l) { return decode_pan(s, l.value); }},
    {"PTY", [](PlotSettings& s, const ControlLine& l) { return decode_pty(s, l.value); }},
    {"LAB", [](PlotSettings& s, const ControlLine& l) { return decode_lab(s, l.value); }},
    {"L_T",
     [](PlotSettings& s, const ControlLine& l) {
       s.l_text = util::cut(util::ST_LJST(l.value), kAttrWidth);
       return 0;
     }},
    {"T_T", [](PlotSettings& s, const ControlLine& l) { return decode_ttext(s, l.value); }},
    {"TIT",
     [](PlotSettings& s, const ControlLine& l) {
       s.title = util::cut(util::ST_LJST(l.value), kTitleWidth);
       return 0;
     }},
    {"TRA",
     [](PlotSettings& s, const ControlLine& l) {
       return decode_trace_label(s, l.key, l.value, l.os);
     },
     true},
    {"WIT",
     [](PlotSettings& s, const ControlLine& l) {
       decode_ref_lines(s.left_refs, l.value);
       return 0;
     }},
    {"RWT",
     [](PlotSettings& s, const ControlLine& l) {
       decode_ref_lines(s.right_refs, l.value);
       return 0;
     }},
    {"XAX",
     [](PlotSettings& s, const ControlLine& l) {
       s.xax = l.value;
       return 0;
     }},
    {"XLA",
     [](PlotSettings& s, const ControlLine& l) {
       if (parse_axis_label(l.value, s.x_title, s.x_title_line)) {
         report_cut(l.os, "XLA", "the axis title", kAxisTitleWidth, "characters");
       }
       return 0;
     }},
    {"XUD", [](PlotSettings& s, const ControlLine& l) { return decode_xud(s, l.value); }},
    {"YAX",
     [](PlotSettings& s, const ControlLine& l) {
       s.yax = l.value;
       s.yax_given = true;
       return 0;
     }},
    {"RYA",
     [](PlotSettings& s, const ControlLine& l) {
       s.right_axis = true;
       s.rya = l.value;
       s.rya_given = true;
       return 0;
     }},
    {"YLA",
     [](PlotSettings& s, const ControlLine& l) {
       if (parse_axis_label(l.value, s.y_title, s.y_title_line)) {
         report_cut(l.os, "YLA", "the axis title", kAxisTitleWidth, "characters");
       }
       return 0;
     }},
    {"YRL",
     [](PlotSettings& s, const ControlLine& l) {
       if (parse_axis_label(l.value, s.ry_title, s.ry_title_line)) {
         report_cut(l.os, "YRL", "the axis title", kAxisTitleWidth, "characters");
       }
       return 0;
     }},
    {"REV",
     [](PlotSettings& s, const ControlLine& l) {
       s.reversed = contains_any(l.value, "Yy");
       if (s.reversed && s.right_axis) {
         s.right_axis = false;
         return 11;
       }
       return 0;
     }},
    {"TWO",
     [](PlotSettings& s, const ControlLine& l) {
       s.two_column = contains_any(l.value, "Yy");
       return 0;
     }},
    {"REF", [](PlotSettings& s, const ControlLine& l) { return decode_ref(s, l.value); }},
    {"SER",
     [](PlotSettings& s, const ControlLine& l) {
       s.sig_test = !contains_any(l.value, "Nn");
       return 0;
     }},
    {"CIL", [](PlotSettings& s, const ControlLine& l) { return decode_cil(s, l.value, l.os); }},
    // Read by the first two passes.
    {"RST", [](PlotSettings&, const ControlLine&) { return 0; }},
    {"FAC", [](PlotSettings&, const ControlLine&) { return 0; }},
    {"BXW", [](PlotSettings&, const ControlLine&) { return 0; }},
};

// Pass 1: the right-axis traces (RST) and the arrangement of the traces on the two axes.
void read_right_axis_pass(PlotSettings& s, util::TextUnit& unit, int n, int final_type,
                          std::ostream& os) {
  std::string line;
  unit.rewind();
  while (unit.read(line, kLineWidth)) {
    const std::string key = control_keyword(line);
    if (key.substr(0, 3) == "RST" && key.find("TRA") == std::string::npos) {
      decode_rst(s, control_value(line), n);
    }
  }
  if (n > 0 &&
      std::all_of(s.right_trace.begin(), s.right_trace.begin() + n, [](bool b) { return b; })) {
    PLT_MSG(12, "WARNING", os);
    s.right_only = true;
  }
  bool left_met = false, right_met = false;
  for (int i = 0; i < n && !(left_met && right_met); ++i) {
    if (s.right_trace[i]) {
      if (!right_met) s.first_right = i + 1;
      right_met = true;
    } else {
      if (!left_met) s.first_left = i + 1;
      left_met = true;
    }
  }
  if (s.right_only) s.first_left = 1;
  // A scatter plot and a histogram have no right axis.
  if (final_type == kScatter || final_type == kHistogram) s.right_axis = false;
}

// Pass 2: the scale factors (FAC) and the box-whisker request (BXW).
void read_request_pass(PlotSettings& s, BoxWhiskerBook& book, util::TextUnit& unit, int final_type,
                       std::ostream& os) {
  std::string line;
  unit.rewind();
  while (unit.read(line, kLineWidth)) {
    const std::string key = control_keyword(line);
    if (key.find("TRA") != std::string::npos) continue;
    const std::string k3 = key.substr(0, 3);
    if (k3 == "FAC") decode_fac(s, control_value(line), final_type);
    if (k3 == "BXW") decode_bxw(s, book, control_value(line), os);
  }
}

// Pass 3: every other keyword, each decoder's code reported.
void read_keyword_pass(PlotSettings& s, util::TextUnit& unit, const ControlInput& in,
                       bool text_only, std::ostream& os) {
  std::string line;
  unit.rewind();
  // A file that is no control file (binary data) would echo a message for every "line": after
  // the first kMostLineMessages the rest are only counted.
  int shown = 0, dropped = 0;
  while (unit.read(line)) {
    if (util::rtrim(line).size() > static_cast<std::size_t>(kLineWidth)) {
      if (shown == kMostLineMessages) {
        ++dropped;
      } else {
        const std::string key = control_keyword(line.substr(0, kLineWidth));
        report_cut(os, key.empty() ? "A LINE" : std::string_view(key).substr(0, 3),
                   "line " + std::to_string(unit.record_number()), kLineWidth, "bytes");
        ++shown;
      }
    }
    line.resize(kLineWidth, ' ');
    const int rc = apply_control_line(s, line, in, text_only, os);
    if (rc == 0) continue;
    if (shown == kMostLineMessages) {
      ++dropped;
    } else if (rc == 4) {
      PLT_MSG(4, control_keyword(line), os);
      ++shown;
    } else {
      PLT_MSG(rc, " ", os);
      ++shown;
    }
  }
  if (dropped > 0) {
    util::list_write(os, {" ... and", dropped, " more messages of the control file, not shown."});
  }
}

// The final type's rules of the trace arrangement, once every keyword is read.
void arrange_for_final_type(PlotSettings& s, int n, int final_type) {
  // The performance and Taylor diagrams draw every trace as points against their own axes: no
  // right axis, no bars, no exchange of the axes.
  if (final_type == kPerformanceDiagram || final_type == kTaylorDiagram) {
    s.right_axis = false;
    s.right_trace.fill(false);
    s.right_only = false;
    s.reversed = false;
    s.bar_colour.fill(0);
    s.hst_count = 0;
  }

  // The traces drawn as bars; an attribute diagram's frequency companions (the second half of
  // the traces) then take over the bar colours of the first half on the right axis, without lines.
  for (int i = 0; i < n; ++i) s.bar_traces += s.bar_colour[i] != 0 ? 1 : 0;
  if (s.hst_count > 0 && final_type == kAttributeDiagram && n >= 2) {
    const int half = n / 2;
    for (int i = 0; i < half; ++i) {
      s.bar_colour[half + i] = s.bar_colour[i];
      s.bar_colour[i] = 0;
      s.right_trace[half + i] = true;
      s.line_colour[half + i] = 0;
    }
    s.right_axis = true;
    s.first_right = half + 1;
  }
}

}  // namespace

std::vector<std::string_view> control_keywords() {
  std::vector<std::string_view> keys;
  for (const Keyword& k : kKeywords) keys.push_back(k.key);
  return keys;
}

int apply_control_line(PlotSettings& s, std::string_view line, const ControlInput& in,
                       bool text_only, std::ostream& os) {
  const std::string key = control_keyword(line);
  const std::string value = control_value(line);
  const ControlLine control{key, value, std::clamp(in.trace_count, 0, kMaxTraces), text_only, os};
  const std::string_view k3 = std::string_view(key).substr(0, 3);
  for (const Keyword& k : kKeywords) {
    const bool match = k.anywhere ? key.find(k.key) != std::string::npos : k3 == k.key;
    if (match) return k.decode(s, control);
  }
  return 4;
}

int parse_control_file(PlotSettings& s, BoxWhiskerBook& book, util::TextUnit& unit,
                       const ControlInput& in, bool text_only, std::ostream& os) {
  if (in.trace_count >= kMaxTraces + 1) {
    PLT_MSG(-8, " ", os);
    return -8;
  }
  const int n = std::max(0, in.trace_count);
  reset_settings(s, n, false);
  set_trial_count(s, kDefaultTrials, os);
  read_right_axis_pass(s, unit, n, in.final_type, os);
  read_request_pass(s, book, unit, in.final_type, os);
  read_keyword_pass(s, unit, in, text_only, os);
  if (!s.dev_given) {
    PLT_MSG(-25, " ", os);
    return -25;
  }
  arrange_for_final_type(s, n, in.final_type);
  return 0;
}

}  // namespace kor::plot
