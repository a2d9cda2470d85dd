#include "plot/labels.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "plot/condition_text.h"
#include "plot/kinds.h"
#include "plot/messages.h"
#include "util/text.h"

namespace kor::plot {
namespace {

constexpr int kMaxLines = 16;
constexpr int kLineText = 256;
constexpr int kPriority[] = {12, 10, 2, 3, 8, 9, 13, 14, 11, 6};

bool in_priority(int id) {
  return std::find(std::begin(kPriority), std::end(kPriority), id) != std::end(kPriority);
}

// Appends the condition lines in priority order of their field IDs (each ID once), then every line
// whose ID is not in the priority list, in stored order.
void append_lines(const tracefile::LabelLines& lines, bool skip_stats, std::string& target,
                  int capacity, int& warning) {
  const int count =
      std::min<int>({lines.count, static_cast<int>(lines.text.size()),
                     static_cast<int>(lines.field_id.size()), static_cast<int>(lines.name.size())});
  auto text_of = [&](int i) {
    std::string t = lines.text[i];
    if (i < static_cast<int>(lines.length.size()) && lines.length[i] >= 0 &&
        lines.length[i] < static_cast<int>(t.size())) {
      t.resize(lines.length[i]);
    }
    return t;
  };
  auto add = [&](int i) {
    if (label_append(lines.name[i], text_of(i), target, capacity) != 0) warning = 8;
  };
  for (int id : kPriority) {
    if (id == 10 && skip_stats) continue;
    for (int i = 0; i < count; ++i) {
      if (lines.field_id[i] == id) {
        add(i);
        break;
      }
    }
  }
  for (int i = 0; i < count; ++i) {
    if (!in_priority(lines.field_id[i])) add(i);
  }
}

std::string trimmed(std::string_view s, std::size_t width) {
  return std::string(util::rtrim(util::cut(util::rtrim(s), width)));
}

}  // namespace

int label_append(std::string_view name, std::string_view value, std::string& target, int capacity) {
  const std::string_view n = util::rtrim(name);
  const std::string_view v = util::rtrim(value);
  std::string piece = " ";
  if (!n.empty()) {
    piece += std::string(n) + "=";
  }
  piece += std::string(v);
  const std::string base(util::rtrim(target));
  const std::string result = base.empty() ? piece.substr(1) : base + piece;
  if (static_cast<int>(result.size()) > capacity) return 8;
  target = result;
  return 0;
}

std::string statistic_title(const PlotSettings& s, const TitleInput& in, bool right, int& warning) {
  const int n = std::clamp(in.trace_count, 0, kMaxTraces);
  if (n == 0) return {};
  const int first = std::clamp(right ? s.first_right : s.first_left, 1, n);
  auto on_side = [&](int h) { return s.right_only || s.right_trace[h - 1] == right; };
  std::string title = trimmed(in.stat_labels[first - 1], kStatLabelWidth);
  bool differ = false;
  for (int h = 2; h <= n; ++h) {
    differ = differ || trimmed(in.stat_labels[h - 1], kStatLabelWidth) !=
                           trimmed(in.stat_labels[0], kStatLabelWidth);
  }
  if (!differ || is_difference(in.method)) return title;
  std::vector<std::string> seen{title};
  for (int h = 1; h <= n; ++h) {
    if (h == first || !on_side(h)) continue;
    const std::string label = trimmed(in.stat_labels[h - 1], kStatLabelWidth);
    if (std::find(seen.begin(), seen.end(), label) != seen.end()) continue;
    seen.push_back(label);
    const std::string longer = title + " | " + label;
    if (static_cast<int>(longer.size()) > kAxisTitleWidth) {
      warning = 8;
      continue;
    }
    title = longer;
  }
  return title;
}

namespace {

// What the title builders share: the +8 warning of a piece that did not fit, whether the title is
// built here and whether it carries the statistic type.
struct TitleWork {
  int warning = 0;
  bool auto_title = false;
  bool stat_piece = false;
  void append(std::string_view name, std::string_view value, std::string& target, int capacity) {
    if (label_append(name, value, target, capacity) != 0) warning = 8;
  }
};

// The plot title from the general conditions, when the control file gave none.
void general_title(PlotLayout& l, const TitleInput& in, TitleWork& w) {
  w.auto_title = util::ST_TLEN(l.title) == 0;
  if (!w.auto_title) return;
  l.title.clear();
  if (!in.reader) return;
  tracefile::LabelLines glb;
  const int rc = tracefile::RDTD_GLB(*in.reader, kMaxLines, kLineText, glb);
  const std::string common(util::rtrim(glb.stat_type));
  if (!common.empty() && common != "NONE") {
    w.append("STAT", common, l.title, kTitleWidth);
    w.stat_piece = true;
  }
  if (rc >= 0) append_lines(glb, w.stat_piece, l.title, kTitleWidth, w.warning);
}

// Automatic trace labels from the statistic labels and the traces' own conditions; when every
// listed trace is the same, the first trace's conditions go into the automatic title instead.
// With METHOD 3, 4 or 5 the difference trace is labelled from the first two traces of the list.
void trace_labels(const PlotSettings& s, PlotLayout& l, const TitleInput& in, int n, TitleWork& w) {
  const bool difference = is_difference(in.method);
  int labelled = n;
  if (difference && in.trace_list[1] > 0) labelled = std::max(n, 2);
  // An attribute diagram's second half holds the frequency companions of the first.
  const int first_half = in.final_type == kAttributeDiagram ? labelled / 2 : labelled;
  bool distinct = false;
  for (int h = 2; h <= first_half; ++h)
    distinct = distinct || in.trace_list[h - 1] != in.trace_list[0];
  bool stats_differ = false;
  for (int h = 2; h <= first_half; ++h) {
    stats_differ = stats_differ || trimmed(in.stat_labels[h - 1], kStatLabelWidth) !=
                                       trimmed(in.stat_labels[0], kStatLabelWidth);
  }
  for (int h = 1; h <= first_half; ++h) {
    if (s.label_given[h - 1]) continue;
    std::string& label = l.trace_labels[h - 1];
    label.clear();
    if (!distinct || stats_differ) {
      w.append("PARM", trimmed(in.stat_labels[h - 1], kStatLabelWidth), label, kTraceLabelWidth);
    }
    if (distinct && in.reader) {
      tracefile::LabelLines tlb;
      if (tracefile::RDTD_TLB(*in.reader, in.trace_list[h - 1], kMaxLines, kLineText, tlb) >= 0) {
        append_lines(tlb, w.stat_piece, label, kTraceLabelWidth, w.warning);
      }
    }
  }
  if (!distinct && w.auto_title && in.reader && labelled > 0) {
    tracefile::LabelLines tlb;
    if (tracefile::RDTD_TLB(*in.reader, in.trace_list[0], kMaxLines, kLineText, tlb) >= 0) {
      append_lines(tlb, w.stat_piece, l.title, kTitleWidth, w.warning);
    }
  }

  // Attribute diagram: reliability traces and their frequency companions.
  if (in.final_type == kAttributeDiagram) {
    const int half = n / 2;
    for (int h = 1; h <= half; ++h) {
      if (s.label_given[h - 1]) continue;
      const std::string base(util::rtrim(l.trace_labels[h - 1]));
      l.trace_labels[h - 1] = util::cut(base + " RELIABILITY", kTraceLabelWidth);
      if (!s.label_given[half + h - 1]) {
        const bool bars = s.hst_count > 0 && s.bar_colour[half + h - 1] > 0;
        l.trace_labels[half + h - 1] =
            util::cut(base + (bars ? " USE HISTOGRAM" : " FRCST USE FREQUENCY"), kTraceLabelWidth);
      }
    }
  }

  // The difference trace is named after both traces in the order of the difference: the second
  // trace less the first.
  if (difference && !s.label_given[0] && labelled >= 2) {
    l.trace_labels[0] = util::cut(std::string(util::rtrim(l.trace_labels[1])) + " - " +
                                      std::string(util::rtrim(l.trace_labels[0])),
                                  kTraceLabelWidth);
  }
}

// The X axis title of the final plot type.
std::string x_title_text(const PlotLayout& l, const TitleInput& in) {
  const std::string label1(util::rtrim(l.trace_labels[0]));
  const int type = in.final_type;
  switch (type) {
    case kTimeSeries:
      return "TIME (YYMMDD/HHNN)";
    case kScatter:
      return label1;
    case kSkillScore:
    case kBinnedData:
      if (type == kBinnedData && in.rank_hist) return "ANALYSIS RANK W.R.T. ENSEMBLE";
      if (type == kBinnedData && in.depth_flag) return "DATA FIELD DEPTH POSITION";
      if (type == kSkillScore && in.stat_type.find("FSS") != std::string::npos) {
        return "SPATIAL SCALE (KM)";
      }
      return in.reader ? joined_condition_text(*in.reader) : std::string();
    case kHistogram:
      return in.rpf_flag ? "PLACEMENT FOR " + label1 : label1;
    case kRocDiagram:
      return "FALSE ALARM RATE";
    case kAttributeDiagram:
      return "FORECAST PROBABILITY";
    case kCrpsReliability:
      return "FORECAST QUANTILE";
    case kPerformanceDiagram:
      return "SUCCESS RATIO (1 - FALSE ALARM RATIO)";
    case kTaylorDiagram:
      return "STANDARD DEVIATION (NORMALISED)";
    default:
      return {};
  }
}

// The axis titles the control file left blank.  The statistic axes of time series, skill-score
// and binned-data plots name the statistics (and the METHOD's difference).
void axis_titles(const PlotSettings& s, PlotLayout& l, const TitleInput& in, int n, TitleWork& w) {
  const int type = in.final_type;
  if (util::ST_TLEN(l.x_title) == 0) l.x_title = util::cut(x_title_text(l, in), kAxisTitleWidth);
  const char* suffix = in.method == kDifference          ? " DIFFERENCE"
                       : in.method == kPercentDifference ? " % DIFFERENCE"
                       : in.method == kSkillAgainst      ? " SKILL SCORE"
                                                         : "";
  const bool statistic_axes = type == kTimeSeries || type == kSkillScore || type == kBinnedData;
  if (util::ST_TLEN(l.y_title) == 0) {
    std::string y;
    switch (type) {
      case kScatter:
        y = util::rtrim(l.trace_labels[1]);
        break;
      case kHistogram:
        y = in.rpf_flag ? "RELATIVE PLACEMENT FREQUENCY" : "RELATIVE FREQUENCY";
        break;
      case kRocDiagram:
        y = "HIT RATE";
        break;
      case kAttributeDiagram:
        y = "OBSERVED FREQUENCY";
        break;
      case kCrpsReliability:
        y = "OBS CUMULTV FRQNCY";
        break;
      case kPerformanceDiagram:
        y = "PROBABILITY OF DETECTION";
        break;
      case kTaylorDiagram:
        y = "STANDARD DEVIATION (NORMALISED)";
        break;
      default:
        if (statistic_axes) y = statistic_title(s, in, false, w.warning) + suffix;
        break;
    }
    l.y_title = util::cut(y, kAxisTitleWidth);
  }
  if (util::ST_TLEN(l.ry_title) == 0 && s.right_axis && statistic_axes) {
    l.ry_title = util::cut(statistic_title(s, in, true, w.warning) + suffix, kAxisTitleWidth);
  }
  if (type == kAttributeDiagram && s.hst_count > 0 && util::ST_TLEN(l.ry_title) == 0) {
    bool bars = false;
    for (int h = 0; h < n; ++h) bars = bars || s.bar_colour[h] > 0;
    if (bars) l.ry_title = "FREQUENCY OF FORECAST USE HISTOGRAM";
  }
}

}  // namespace

int build_titles(const PlotSettings& s, PlotLayout& l, const TitleInput& in, std::ostream& os) {
  l.title = s.title;
  l.trace_labels = s.trace_labels;
  l.x_title = s.x_title;
  l.y_title = s.y_title;
  l.ry_title = s.ry_title;
  if (s.label_level != 1) return 0;
  const int n = std::clamp(in.trace_count, 0, kMaxTraces);
  TitleWork w;
  general_title(l, in, w);
  trace_labels(s, l, in, n, w);
  axis_titles(s, l, in, n, w);
  if (s.resample && w.auto_title) {
    char level[32];
    std::snprintf(level, sizeof level, "%g", s.test_level);
    w.append("CI ALPHA", level, l.title, kTitleWidth);
  }
  if (w.warning != 0) PLT_MSG(w.warning, " ", os);
  return w.warning;
}

}  // namespace kor::plot
