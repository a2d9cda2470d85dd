#include "plot/draw/frame.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <set>

#include "plot/draw/lines.h"
#include "plot/draw/points.h"
#include "plot/kinds.h"
#include "plot/messages.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/missing.h"
#include "util/text.h"

namespace kor::plot::draw {
namespace {

constexpr double kTitleLine = 1.5;     // character heights per title line
constexpr double kLegendLine = 1.4;    // legend character heights per legend line
constexpr double kBoxGap = 3.2;        // room for the statistics boxes, L_TEXT character heights
constexpr double kCountsRow = 2.0;     // room for the bin-count row, L_TEXT character heights
constexpr double kBiasRow = 1.8;       // room for the bias labels above a performance diagram
constexpr double kTitleRoom = 1.5;     // what an axis title adds to its margin
constexpr double kLabelGap = 0.8;      // axis line to labels, character heights (request 604)
constexpr double kSampleLength = 3.0;  // legend sample line, legend character widths
constexpr double kSampleGap = 1.0;
constexpr int kMostLegendColumns = 4;
// Smaller legend texts tried when the legend would take more than a third of the view region, and
// the share of the view region's height that the plot keeps whatever the legend.
constexpr double kLegendScales[] = {1.0, 0.85, 0.7};
constexpr double kLeastPlotShare = 0.3;

int chars_within(double width, double cw) {
  if (!(cw > 0)) return 80;
  // Axis title lines far out (YAX = "title/2147483647") leave a plot width of minus billions of
  // units: the count is taken in double and bounded before it becomes an int.
  const double n = std::floor(width / cw);
  return n > 8 ? static_cast<int>(std::min(n, 4096.0)) : 8;
}

// Replaces every `token` of `text` by `value` written with four decimals, left-justified.
void substitute(std::string& text, std::string_view token, double value) {
  if (util::IS_MISSING(value) || !std::isfinite(value)) return;
  std::string v;
  if (util::ST_RFMT(value, 4, v) != 0) return;
  for (std::size_t at = text.find(token); at != std::string::npos;
       at = text.find(token, at + v.size())) {
    text.replace(at, token.size(), v);
  }
}

bool weighted(const PlotView& view, int h) {
  return h >= 0 && h < kMaxTraces && view.settings.weighted_mean[h];
}

}  // namespace

std::vector<std::string> title_lines(std::string_view title, int width) {
  std::vector<std::string> out;
  width = std::max(1, width);
  std::size_t start = 0;
  while (start <= title.size()) {
    const std::size_t end = std::min(title.find('\\', start), title.size());
    std::string line = util::rtrimmed(util::ST_LJST(title.substr(start, end - start)));
    while (static_cast<int>(line.size()) > width) {
      std::size_t cut = line.find_last_of(" -", static_cast<std::size_t>(width));
      if (cut == std::string::npos || cut == 0) {
        cut = static_cast<std::size_t>(width);
      } else if (line[cut] == '-') {
        ++cut;  // the hyphen stays with the first piece
      }
      out.push_back(util::rtrimmed(line.substr(0, cut)));
      line = util::rtrimmed(util::ST_LJST(line.substr(cut)));
    }
    if (!line.empty()) out.push_back(line);
    start = end + 1;
  }
  return out;
}

std::vector<std::string> wrap_words(std::string_view text, int width) {
  std::vector<std::string> out;
  width = std::max(1, width);
  std::string line;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t j = i;
    while (j < text.size() && text[j] != ' ') ++j;
    std::string word(text.substr(i, j - i));
    i = j;
    if (word.empty()) break;
    while (static_cast<int>(word.size()) > width) {
      if (!line.empty()) out.push_back(std::move(line));
      line.clear();
      out.push_back(word.substr(0, static_cast<std::size_t>(width)));
      word.erase(0, static_cast<std::size_t>(width));
    }
    if (word.empty()) continue;
    if (line.empty()) {
      line = word;
    } else if (static_cast<int>(line.size() + 1 + word.size()) <= width) {
      line += " " + word;
    } else {
      out.push_back(std::move(line));
      line = word;
    }
  }
  if (!line.empty()) out.push_back(std::move(line));
  return out;
}

std::string legend_text(const PlotView& view, int h) {
  std::string text = util::rtrimmed(view.layout.trace_labels[h]);
  if (text.empty()) return text;
  if (h < view.trace_count && view.final_type != kTaylorDiagram) {
    const auto y = trace_y(view, h);
    if (!y.empty() && std::none_of(y.begin(), y.end(), [](float v) { return present(v); })) {
      return text + " (NO DATA)";
    }
  }
  const auto& sv = view.summary[h];
  if (weighted(view, h)) {
    const double mean = sv[kMeanSummary];
    const std::string value =
        util::IS_MISSING(mean) ? "MISSING" : util::format("(1PE12.5)", {mean});
    text += (view.settings.label_given[h] ? " = " : " MEAN = ") + value;
  }
  if (view.final_type == kAttributeDiagram) {
    static constexpr const char* kTokens[] = {"$BSC", "$BSK", "$REL", "$RES", "$UNC"};
    for (int i = 0; i < 5; ++i) substitute(text, kTokens[i], sv[i]);
  } else if (view.final_type == kCrpsReliability) {
    static constexpr const char* kTokens[] = {"$RPS", "$RSK", "$REL", "$RES", "$UNC", "$POT"};
    for (int i = 0; i < 6; ++i) substitute(text, kTokens[i], sv[i]);
  } else if (view.final_type == kRocDiagram && view.diagrams) {
    text = substitute_auc(text, view.diagrams->roc[h], view.diagrams->ci_level);
  } else if (view.final_type == kTaylorDiagram) {
    text = std::to_string(h + 1) + ": " + text;
  }
  return text;
}

bool has_legend(const PlotView& view) {
  const int n = view.trace_count;
  const bool one_mean = n == 1 && weighted(view, 0);
  return (n > 1 && view.final_type != kScatter && view.final_type != kHistogram) ||
         is_difference(view.method) || one_mean || !view.keys.empty();
}

std::string counts_line(const PlotView& view) {
  if ((view.final_type != kSkillScore && view.final_type != kBinnedData) ||
      view.stat_type.find("FHO") == std::string::npos) {
    return "";
  }
  const std::set<int> distinct(view.trace_list.begin(), view.trace_list.end());
  if (distinct.size() > 1 && view.count_code == 1) {
    return std::string("OBSERVATION COUNTS") + " (FROM FIRST TRACE):";
  }
  return "OBSERVATION COUNTS:";
}

namespace {

// The legend entries in `columns` columns from `top` down, within `plot_width` from `left` (view
// units W by H); `height` becomes the height of the legend.
std::vector<LegendEntry> place_legend(const PlotView& view, int columns, double left,
                                      double plot_width, double top, double W, double H,
                                      const TextSize& lg, double& height) {
  const double text_offset = (kSampleLength + kSampleGap) * lg.cw;
  const double column = plot_width / columns;
  const int width = chars_within(column - text_offset, lg.cw);
  std::vector<LegendEntry> entries;
  for (int position = 0; position < std::clamp(view.trace_count, 0, kMaxTraces); ++position) {
    const std::string text = legend_text(view, position);
    if (text.empty()) continue;
    LegendEntry e;
    e.trace = position;
    for (const std::string& line : wrap_words(text, width)) e.lines.push_back({line, 0, 0});
    entries.push_back(std::move(e));
  }
  for (std::size_t k = 0; k < view.keys.size(); ++k) {
    LegendEntry e;
    e.key = static_cast<int>(k);
    for (const std::string& line : wrap_words(view.keys[k].text, width)) {
      e.lines.push_back({line, 0, 0});
    }
    entries.push_back(std::move(e));
  }
  height = 0;
  const std::size_t per_row = static_cast<std::size_t>(columns);
  for (std::size_t r = 0; r < entries.size(); r += per_row) {
    std::size_t rows = 0;
    for (std::size_t c = 0; c < per_row && r + c < entries.size(); ++c) {
      rows = std::max(rows, entries[r + c].lines.size());
    }
    for (std::size_t c = 0; c < per_row && r + c < entries.size(); ++c) {
      LegendEntry& e = entries[r + c];
      const double x = left + static_cast<double>(c) * column;
      e.sample_x = x / W;
      for (std::size_t i = 0; i < e.lines.size(); ++i) {
        e.lines[i].x = (x + text_offset) / W;
        e.lines[i].y =
            (H - top - height - (static_cast<double>(i) + 0.5) * kLegendLine * lg.ch) / H;
      }
      e.sample_y = e.lines.empty() ? 0 : e.lines[0].y;
    }
    height += static_cast<double>(rows) * kLegendLine * lg.ch;
  }
  return entries;
}

// The legend within `room` device units of height.  The columns the settings ask for (one, or two
// with TWO) stay while they take at most a third of the view region.  Else the layouts of one to
// four columns at the legend text sizes are tried, and the first of these kinds that has one wins:
// whole lines within a third (the largest text, then the least tall), whole lines within `room`
// (the least tall), wrapped entries within a third (the largest text, then the least tall), any
// within `room` (the least tall).  Fewer columns win a tie.  A legend that fits none of them is
// left out (f.legend_dropped).  Returns its height.
double choose_legend(const PlotView& view, double left, double plot_width, double top, double W,
                     double H, const TextSize& lg, double room, FrameLayout& f) {
  const int asked = view.settings.two_column && view.trace_count > 1 ? 2 : 1;
  double height = 0;
  f.legend = place_legend(view, asked, left, plot_width, top, W, H, lg, height);
  f.legend_scale = 1.0;
  if (height <= H / 3 && height <= room) return height;
  struct Candidate {
    std::vector<LegendEntry> entries;
    double height = 0, scale = 1;
    bool whole = true;
  };
  std::vector<Candidate> tried;
  for (double scale : kLegendScales) {
    const TextSize size{lg.cw * scale, lg.ch * scale};
    for (int columns = 1; columns <= kMostLegendColumns; ++columns) {
      Candidate c;
      c.scale = scale;
      c.entries = place_legend(view, columns, left, plot_width, top, W, H, size, c.height);
      c.whole = std::all_of(c.entries.begin(), c.entries.end(),
                            [](const LegendEntry& e) { return e.lines.size() <= 1; });
      tried.push_back(std::move(c));
    }
  }
  const double third = std::min(H / 3, room);
  // Each kind: whether a candidate belongs to it, and whether the larger text comes first.
  const struct {
    bool whole_only;
    double limit;
    bool largest_text_first;
  } kinds[] = {
      {true, third, true}, {true, room, false}, {false, third, true}, {false, room, false}};
  for (const auto& kind : kinds) {
    const Candidate* best = nullptr;
    for (const Candidate& c : tried) {
      if ((kind.whole_only && !c.whole) || c.height > kind.limit) continue;
      if (best == nullptr || (kind.largest_text_first && c.scale > best->scale + 1e-9) ||
          ((!kind.largest_text_first || std::fabs(c.scale - best->scale) < 1e-9) &&
           c.height < best->height - 1e-9)) {
        best = &c;
      }
    }
    if (best != nullptr) {
      f.legend = best->entries;
      f.legend_scale = best->scale;
      return best->height;
    }
  }
  f.legend.clear();
  f.legend_dropped = true;
  return 0;
}

// From the top margin `top` down: the title, the legend, the observation counts and the gap for
// the statistics boxes, placed in `f`; the legend leaves the plot at least a share of the view
// region above the bottom margin `bottom`.  Returns the top margin below them.
double stack_from_top(const PlotView& view, const AxisPlan& plan, const FrameMeasures& m,
                      double left, double plot_width, double top, double bottom, FrameLayout& f) {
  const TextSize lab = m.label, tt = m.title, lg = m.legend;
  const double W = m.view_width, H = m.view_height;
  const double centre = left + plot_width / 2;
  const int title_width = chars_within(plot_width, tt.cw);
  for (const std::string& line : title_lines(view.layout.title, title_width)) {
    top += kTitleLine * tt.ch;
    f.title.push_back({line, centre / W, (H - top + 0.75 * tt.ch) / H});
  }
  // What stands between the legend and the plot.
  const std::string counts = counts_line(view);
  const std::vector<std::string> counts_lines =
      counts.empty() ? std::vector<std::string>{} : title_lines(counts, title_width);
  double below = 0;
  if (!counts.empty()) {
    // Exchanged axes put the bin counts down the right side: no row above the plot.
    const double row = view.settings.reversed ? 0.0
                       : plan.counts.turned   ? kLabelGap * lab.ch + plan.counts.widest() * lab.cw
                                              : kCountsRow * lab.ch;
    below +=
        static_cast<double>(counts_lines.size()) * kTitleLine * tt.ch +
        (view.settings.reversed ? 0.5 * lab.ch : std::max(kCountsRow * lab.ch, row + 0.2 * lab.ch));
  }
  const int type = view.final_type;
  if (type == kScatter || type == kHistogram || type == kRocDiagram) below += kBoxGap * lab.ch;
  if (type == kPerformanceDiagram) below += kBiasRow * lab.ch;

  if (has_legend(view)) {
    const double room = H - top - below - bottom - kLeastPlotShare * H;
    top += choose_legend(view, left, plot_width, top, W, H, lg, room, f);
    f.sample_width = kSampleLength * lg.cw * f.legend_scale / W;
    f.sample_height = 0.8 * lg.ch * f.legend_scale / H;
  }
  for (const std::string& line : counts_lines) {
    top += kTitleLine * tt.ch;
    f.counts.push_back({line, centre / W, (H - top + 0.75 * tt.ch) / H});
  }
  return top + below - static_cast<double>(counts_lines.size()) * kTitleLine * tt.ch;
}

// A plot aspect ratio (height over width) widens two opposite margins of the view region W by H.
void keep_aspect(double aspect, double W, double H, double& left, double& bottom, double& right,
                 double& top) {
  if (!(aspect > 0)) return;
  const double w = W - left - right, h = H - bottom - top;
  if (w > 0 && h > 0) {
    if (h > aspect * w) {
      const double extra = (h - aspect * w) / 2;
      bottom += extra;
      top += extra;
    } else {
      const double extra = (w - h / aspect) / 2;
      left += extra;
      right += extra;
    }
  }
}

}  // namespace

FrameLayout layout_frame(const PlotView& view, const AxisPlan& plan, const FrameMeasures& m) {
  const PlotSettings& s = view.settings;
  const PlotLayout& l = view.layout;
  const TextSize lab = m.label, ax = m.axis;
  FrameLayout f;
  const bool right_axis = s.right_axis && !s.reversed;
  auto margin = [](double given, double fallback) { return given > 0 ? given : fallback; };
  double left = margin(s.margins[0], 10), bottom = margin(s.margins[1], 4);
  double right = margin(s.margins[2], right_axis ? 10 : 4), top = margin(s.margins[3], 1);
  if (lab.cw <= 0 || lab.ch <= 0 || m.view_width <= 0 || m.view_height <= 0) {
    // Without character sizes the plot area is the view region less the margins as given.
    f.margins = {left, bottom, right, top};
    return f;
  }
  left *= lab.cw;
  bottom *= lab.ch;
  right *= lab.cw;
  top *= lab.ch;
  const double W = m.view_width, H = m.view_height;
  auto finish = [&]() {
    f.margins = {left / lab.cw, bottom / lab.ch, right / lab.cw, top / lab.ch};
    f.left = left / W;
    f.bottom = bottom / H;
    f.right = 1.0 - right / W;
    f.top = 1.0 - top / H;
    return f;
  };
  if (s.label_level == 0) return finish();

  // Axis titles widen their margins; the tick labels may need more room still.
  // With reversed axes the abscissa runs up the left side and the ordinate along the bottom, and
  // their titles go with them.
  const std::string& bottom_title = s.reversed ? l.y_title : l.x_title;
  const std::string& left_title = s.reversed ? l.x_title : l.y_title;
  const bool has_x_title = util::ST_TLEN(bottom_title) > 0;
  const bool has_y_title = util::ST_TLEN(left_title) > 0;
  const bool has_ry_title = right_axis && util::ST_TLEN(l.ry_title) > 0;
  if (has_x_title) bottom += kTitleRoom * lab.ch;
  if (has_y_title) left += kTitleRoom * lab.cw;
  if (has_ry_title) right += kTitleRoom * lab.cw;
  const AxisLabels& across = s.reversed ? plan.y : plan.x;
  const AxisLabels& up = s.reversed ? plan.x : plan.y;
  const double below = kLabelGap * lab.ch + (across.turned ? across.widest() * lab.cw : lab.ch);
  const double beside = kLabelGap * lab.ch + up.widest() * lab.cw;
  const double beside_right = right_axis ? kLabelGap * lab.ch + plan.ry.widest() * lab.cw : 0.0;
  const double x_step = below + 0.8 * ax.ch, y_step = beside + 0.8 * ax.ch;
  const double ry_step = beside_right + 0.8 * ax.ch;
  const int xl = std::max(1, s.reversed ? s.y_title_line : s.x_title_line);
  const int yl = std::max(1, s.reversed ? s.x_title_line : s.y_title_line);
  const int rl = std::max(1, s.ry_title_line);
  bottom = std::max(bottom, (has_x_title ? xl * x_step + 0.7 * ax.ch : below) + 0.3 * lab.ch);
  left = std::max(left, (has_y_title ? yl * y_step + 0.7 * ax.ch : beside) + 0.5 * lab.cw);
  if (right_axis) {
    right =
        std::max(right, (has_ry_title ? rl * ry_step + 0.7 * ax.ch : beside_right) + 0.5 * lab.cw);
  }
  // The bin counts of exchanged axes stand down the right side.
  if (plan.counts_row && s.reversed) {
    right = std::max(right, kLabelGap * lab.ch + plan.counts.widest() * lab.cw + 0.5 * lab.cw);
  }
  const double plot_width = W - left - right;
  top = stack_from_top(view, plan, m, left, plot_width, top, bottom, f);
  keep_aspect(s.aspect, W, H, left, bottom, right, top);
  // Axis titles: line n lies n steps out from its axis.
  const double pb = bottom, pl = left, pr = W - right, mid_y = (bottom + H - top) / 2;
  if (has_x_title)
    f.x_title = {util::rtrimmed(bottom_title), (left + (pr - left) / 2) / W,
                 (pb - xl * x_step) / H};
  if (has_y_title) f.y_title = {util::rtrimmed(left_title), (pl - yl * y_step) / W, mid_y / H};
  if (has_ry_title) f.ry_title = {util::rtrimmed(l.ry_title), (pr + rl * ry_step) / W, mid_y / H};
  return finish();
}

namespace {

int measure(Pen& pen, std::string_view attributes, TextSize& size, double w, double h) {
  bool hardware = false;
  if (apply_text_attributes(pen, attributes, kCentred, hardware) != 0) return -12;
  double cw = 0, ch = 0;
  if (const int rc = character_size(pen, cw, ch); rc != 0) return rc;
  size = {cw * w, ch * h};
  return 0;
}

int draw_texts(Pen& pen, const std::vector<PlacedText>& texts, float rotation) {
  for (const PlacedText& t : texts) {
    if (t.text.empty()) continue;
    const int rc = pen.rq.draw_text('V', static_cast<float>(t.x), static_cast<float>(t.y), t.text,
                                    rotation, 0, 0);
    if (rc != 0) return graphics_error(rc, pen.os);
  }
  return 0;
}

// The sample of a legend entry: a filled box in the bar colour for a bar trace, else a piece of
// the trace's line with one marker in its middle.
int draw_sample(Pen& pen, const PlotView& view, const FrameLayout& f, const LegendEntry& e) {
  const PlotSettings& s = view.settings;
  const int h = e.trace;
  const float x0 = static_cast<float>(e.sample_x);
  const float x1 = static_cast<float>(e.sample_x + f.sample_width);
  const float y = static_cast<float>(e.sample_y);
  const float lx[] = {x0, x1}, ly[] = {y, y};
  if (e.key >= 0 && e.key < static_cast<int>(view.keys.size())) {
    const LegendKey& k = view.keys[e.key];
    return draw_line_runs(pen, {k.colour, k.type, k.width}, 'V', false, lx, ly);
  }
  if (s.bar_colour[h] > 0) {
    const float dy = static_cast<float>(f.sample_height / 2);
    const float bx[] = {x0, x1, x1, x0}, by[] = {y - dy, y - dy, y + dy, y + dy};
    const SavedColour saved(pen);
    pen.send(&Requests::set_colour, s.bar_colour[h])
        .send(&Requests::fill_polygon, 'V', std::span<const float>(bx), std::span<const float>(by));
    saved.restore(pen);
    return pen.finish();
  }
  // A Taylor diagram's traces are single markers.
  if (h < s.line_defs && view.final_type != kTaylorDiagram) {
    const LineStyle style{s.line_colour[h], s.line_type[h], s.line_width[h]};
    if (const int rc = draw_line_runs(pen, style, 'V', false, lx, ly); rc != 0) return rc;
  }
  if (h < s.marker_defs && s.marker_colour[h] >= 1 && s.marker_interval[h] >= 1) {
    const float mx[] = {(x0 + x1) / 2}, my[] = {y};
    return draw_marker_points(pen, s, h + 1, 'V', mx, my);
  }
  return 0;
}

}  // namespace

double panel_text_scale(const std::array<double, 4>& panel) {
  const double w = std::fabs(panel[2] - panel[0]), h = std::fabs(panel[3] - panel[1]);
  if (!(w > 0) || !(h > 0) || !std::isfinite(w * h)) return 1.0;
  return std::clamp(std::sqrt(w * h), 0.5, 1.0);
}

int frame_and_legend(Pen& pen, const PlotView& view, AxisPlan& plan) {
  const PlotSettings& s = view.settings;
  pen.text_scale = panel_text_scale(s.panel);
  graphics::Bounds page;
  if (const int rc = check(pen.rq.query_bounds('S', page), pen.os); rc != 0) return rc;
  FrameMeasures m;
  m.view_width = std::fabs(page.right - page.left) * (s.panel[2] - s.panel[0]);
  m.view_height = std::fabs(page.top - page.bottom) * (s.panel[3] - s.panel[1]);
  const double w = m.view_width, h = m.view_height;
  if (const int rc = measure(pen, s.t_text[0], m.title, w, h); rc != 0) return rc;
  if (const int rc = measure(pen, s.t_text[1], m.legend, w, h); rc != 0) return rc;
  if (const int rc = measure(pen, s.t_text[2], m.axis, w, h); rc != 0) return rc;
  if (const int rc = measure(pen, s.l_text, m.label, w, h); rc != 0) return rc;

  // The labels are fitted to the plot area that the unfitted labels leave, and the frame is then
  // laid out for the fitted labels.
  FrameLayout f = layout_frame(view, plan, m);
  const double pw = (f.right - f.left) * w, ph = (f.top - f.bottom) * h;
  const PlotLayout& l = view.layout;
  const bool log_left = s.left_axis_type == 2, log_right = s.right_axis_type == 2;
  const double cw = m.label.cw, ch = m.label.ch;
  const bool x_flat = !s.reversed;
  if (s.reversed) {
    fit_labels(plan.y, true, pw, l.y.start, l.y.stop, log_left, cw, ch);
  } else {
    fit_labels(plan.y, false, ph, l.y.start, l.y.stop, log_left, cw, ch);
  }
  // Time labels written after thinning are shortened against each other, which may lengthen
  // them (a new month or year); they are thinned again until they keep apart.
  for (int pass = 0; pass < 4; ++pass) {
    const int every = plan.x.every;
    fit_labels(plan.x, x_flat, x_flat ? pw : ph, l.x.start, l.x.stop, false, cw, ch);
    shorten_written_times(plan.x);
    if (pass > 0 && plan.x.every == every) break;
  }
  if (plan.right) fit_labels(plan.ry, false, ph, l.ry.start, l.ry.stop, log_right, cw, ch);
  if (plan.counts_row) {
    fit_labels(plan.counts, x_flat, x_flat ? pw : ph, l.x.start, l.x.stop, false, cw, ch);
  }
  f = layout_frame(view, plan, m);
  if (f.legend_dropped) {
    util::list_write(pen.os, {" WARNING -- the legend of " + std::to_string(view.trace_count) +
                              " traces does not fit above the plot; it is left out."});
  }

  bool hardware = false;
  if (s.label_level != 0) {
    if (apply_text_attributes(pen, s.t_text[0], kCentred, hardware) != 0) return -12;
    if (const int rc = draw_texts(pen, f.title, 0); rc != 0) return rc;
    if (!f.legend.empty()) {
      if (apply_text_attributes(pen, s.t_text[1], kLeft, hardware, f.legend_scale) != 0) {
        return -12;
      }
      for (const LegendEntry& e : f.legend) {
        if (const int rc = draw_sample(pen, view, f, e); rc != 0) return rc;
        if (const int rc = draw_texts(pen, e.lines, 0); rc != 0) return rc;
      }
    }
    if (!f.counts.empty()) {
      if (apply_text_attributes(pen, s.t_text[0], kCentred, hardware) != 0) return -12;
      if (const int rc = draw_texts(pen, f.counts, 0); rc != 0) return rc;
    }
    if (apply_text_attributes(pen, s.t_text[2], kCentred, hardware) != 0) return -12;
    if (hardware) PLT_MSG(10, " ", pen.os);
    if (const int rc = draw_texts(pen, {f.x_title}, 0); rc != 0) return rc;
    if (const int rc = draw_texts(pen, {f.y_title, f.ry_title}, 90); rc != 0) return rc;
  }
  if (apply_text_attributes(pen, s.l_text, kCentred, hardware) != 0) return -12;
  const std::array<float, 4> margins{
      static_cast<float>(f.margins[0]), static_cast<float>(f.margins[1]),
      static_cast<float>(f.margins[2]), static_cast<float>(f.margins[3])};
  return check(pen.rq.send_four_reals(graphics::kSetPlotArea, margins), pen.os);
}

}  // namespace kor::plot::draw
