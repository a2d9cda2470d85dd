#include "plot/text_output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>

#include "plot/kinds.h"
#include "tracefile/format.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/text.h"

namespace kor::plot {
namespace {

constexpr int kMaxLongWidth = 128;
constexpr int kLongLine = 132;
constexpr double kMergedTolerance = 1.0e-5;

// Leading blanks that centre a text of `length` on 80 columns: 40 - length/2, none when that lies
// outside 1..39.
std::string centred80(std::string_view text) {
  const std::string_view body = util::rtrim(text);
  const int lead = 40 - static_cast<int>(body.size()) / 2;
  if (lead < 1 || lead > 39) return std::string(body);
  return std::string(lead, ' ') + std::string(body);
}

// The bytes of `text` that a line of `width` takes when it has no blank to break at: whole
// characters only, but at least one, so that every line makes progress.
std::size_t whole_characters(std::string_view text, std::size_t width) {
  const std::size_t n = util::cut_length(text, width);
  return n > 0 ? n : std::min(text.size(), width);
}

// The title in pieces of at most 72 characters, each broken after its last blank.
std::vector<std::string> title_pieces(std::string_view title) {
  std::vector<std::string> pieces;
  std::string rest = util::ST_LJST(title);
  while (!rest.empty()) {
    if (rest.size() <= 72) {
      pieces.push_back(rest);
      break;
    }
    const auto blank = rest.rfind(' ', 72);
    const std::size_t cut =
        (blank == std::string::npos || blank == 0) ? whole_characters(rest, 72) : blank;
    pieces.push_back(std::string(util::rtrim(rest.substr(0, cut))));
    rest = util::ST_LJST(rest.substr(cut));
  }
  return pieces;
}

// Writes one line to both outputs, standard output first.
void both(std::ostream& out, std::ostream& file, const std::string& line) {
  out << line << '\n';
  file << line << '\n';
}

std::string four_decimals(double v) {
  std::string text;
  (void)util::ST_RFMT(v, 4, text);
  return text;
}

// A value of the diagram tables, or the missing value.
double or_missing(const std::optional<double>& v) { return v ? *v : kPlotMissing; }

// The performance diagram of one trace: its point values beside the abscissa and its label, and
// the summed point of a time series.
void write_performance_table(std::ostream& os, const PerformanceTrace& pt,
                             const std::function<std::string(double)>& label_of) {
  os << util::format(
            "(8X,'X POSITION',12X,'X AXIS LABEL',7X,'SUCCESS RATIO',11X,'POD',11X,'CSI',"
            "10X,'BIAS')",
            {})
     << '\n';
  auto values = [](const std::optional<metrics::PerformancePoint>& p) {
    return p ? std::array<double, 4>{p->success_ratio, p->pod, p->csi, p->bias}
             : std::array<double, 4>{kPlotMissing, kPlotMissing, kPlotMissing, kPlotMissing};
  };
  for (const PerformanceEntry& e : pt.entries) {
    const auto v = values(e.point);
    os << util::format("(7X,1P,E13.5,4X,A24,4(2X,E12.5))",
                       {e.x, label_of(e.x), v[0], v[1], v[2], v[3]})
       << '\n';
  }
  if (pt.has_total) {
    const auto v = values(pt.total);
    os << util::format("(24X,A24,4(2X,1P,E12.5))",
                       {util::pad("ALL POINTS", 24), v[0], v[1], v[2], v[3]})
       << '\n';
  }
}

// The Taylor statistics of one trace (missing values when it has none).
void write_taylor_row(std::ostream& os, const std::optional<metrics::TaylorStatistics>& t) {
  os << util::format(
            "(10X,'SAMPLE SIZE',3X,'FORECAST SD',3X,'OBSERVED SD',3X,'CORRELATION',2X,"
            "'CENTRED RMSD',3X,'FCST/OBS SD',2X,'CRMSD/OBS SD')",
            {})
     << '\n';
  std::array<double, 7> v;
  v.fill(kPlotMissing);
  if (t) {
    v = {t->n,          t->forecast_sd, t->observed_sd, t->correlation, t->centred_rmsd,
         t->sd_ratio(), t->rmsd_ratio()};
  }
  os << util::format("(7X,1P,7(1X,E13.5))", {v[0], v[1], v[2], v[3], v[4], v[5], v[6]}) << '\n';
}

// The head of an interval table: an empty line, the level and the column header.
void write_interval_head(std::ostream& os, double level, const char* header) {
  util::list_write(os, {});
  os << util::format("(8X,'CONFIDENCE LEVEL = ',F6.4)", {level}) << '\n';
  os << util::format(header, {}) << '\n';
}

// The ROC area of one trace with its standard error, interval, events and non-events.
void write_roc_area(std::ostream& os, const RocSummary& roc, double level) {
  write_interval_head(os, level,
                      "(13X,'ROC AREA',5X,'STD ERROR',3X,'LOWER BOUND',3X,'UPPER BOUND',8X,"
                      "'EVENTS',4X,'NON-EVENTS')");
  const double lower = roc.interval ? roc.interval->lower : kPlotMissing;
  const double upper = roc.interval ? roc.interval->upper : kPlotMissing;
  os << util::format("(7X,1P,6(1X,E13.5))", {or_missing(roc.area), or_missing(roc.standard_error),
                                             lower, upper, roc.events, roc.non_events})
     << '\n';
}

// The Wilson intervals of one reliability trace's observed frequencies.
void write_reliability_intervals(std::ostream& os, const std::vector<ReliabilityBin>& bins,
                                 double level) {
  write_interval_head(os, level,
                      "(10X,'PROBABILITY',5X,'FORECASTS',1X,'OBS FREQUENCY',3X,'LOWER BOUND',3X,"
                      "'UPPER BOUND')");
  for (const ReliabilityBin& b : bins) {
    const bool counted = b.forecasts > 0;
    os << util::format("(7X,1P,5(1X,E13.5))",
                       {b.probability, b.forecasts, counted ? b.frequency() : kPlotMissing,
                        b.interval ? b.interval->lower : kPlotMissing,
                        b.interval ? b.interval->upper : kPlotMissing})
       << '\n';
  }
}

}  // namespace

MergedIndex::MergedIndex(const std::vector<double>& position, int count) : position_(position) {
  order_.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int j = 0; j < count; ++j) {
    if (!std::isnan(position[j])) order_.push_back(j);  // a NaN position matches nothing
  }
  std::stable_sort(order_.begin(), order_.end(),
                   [&](int a, int b) { return position[a] < position[b]; });
}

int MergedIndex::find(double x) const {
  if (std::isnan(x)) return -1;
  // The positions that can match lie within the tolerance; the window is taken twice as wide and
  // every entry in it is checked with the test itself, so rounding at the window's edges cannot
  // lose or add a match.
  const double lo = x - 2 * kMergedTolerance, hi = x + 2 * kMergedTolerance;
  auto it = std::lower_bound(order_.begin(), order_.end(), lo,
                             [&](int j, double v) { return position_[j] < v; });
  int found = -1;
  for (; it != order_.end() && !(position_[*it] > hi); ++it) {
    if (std::fabs(position_[*it] - x) < kMergedTolerance && (found < 0 || *it < found)) {
      found = *it;
    }
  }
  return found;
}

int write_long_text(std::ostream& os, int width, int indent, std::string_view text) {
  width = std::clamp(width, 1, kMaxLongWidth);
  std::string rest(util::rtrim(text));
  while (util::ST_TLEN(rest) > 0) {
    std::string piece;
    if (static_cast<int>(rest.size()) <= width) {
      piece = rest;
      rest.clear();
    } else {
      // The last blank at which the line can end (the blank itself may stand just past it).
      const auto blank = rest.rfind(' ', width);
      if (blank == std::string::npos || blank == 0) {
        const std::size_t n = whole_characters(rest, static_cast<std::size_t>(width));
        piece = rest.substr(0, n);
        rest = rest.substr(n);
      } else {
        piece = std::string(util::rtrim(rest.substr(0, blank)));
        rest = rest.substr(blank + 1);
      }
    }
    const int len = static_cast<int>(piece.size());
    const int lead = indent >= 0 ? indent : std::max(0, (width - len) / 2);
    std::string line(static_cast<std::size_t>(std::min(lead, kLongLine)), ' ');
    line += piece;
    os << util::rtrim(util::cut(line, kLongLine)) << '\n';
    if (!os) return -23;
  }
  return 0;
}

TraceStats trace_stats(const TraceData& trace) {
  TraceStats st;
  const int count = used_points(trace);
  std::vector<double> values;
  for (int i = 0; i < count; ++i) {
    if (!util::IS_MISSING(trace.y[i])) values.push_back(trace.y[i]);
  }
  st.n = static_cast<long long>(values.size());
  if (st.n == 0) return st;
  double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
  st.max = st.min = values[0];
  for (double v : values) {
    s1 += v;
    s2 += v * v;
    s3 += v * v * v;
    s4 += v * v * v * v;
    st.max = std::max(st.max, v);
    st.min = std::min(st.min, v);
  }
  const double n = static_cast<double>(st.n);
  const double m = s1 / n;
  st.mean = m;
  st.variance = std::max(0.0, s2 / n - m * m);
  st.std_dev = std::sqrt(st.variance);
  const double s = st.std_dev;
  if (s > 0.0) {
    st.skewness = (s3 - 3 * m * s2 + 3 * m * m * s1 - n * m * m * m) / (n * s * s * s);
    st.kurtosis = (s4 - 4 * m * s3 + 6 * m * m * s2 - 4 * m * m * m * s1 + n * m * m * m * m) /
                  (n * s * s * s * s);
  } else {
    // A constant trace has no shape: its skewness and kurtosis are missing.
    st.skewness = st.kurtosis = kPlotMissing;
  }

  st.bins = std::max(3, 5 * static_cast<int>(std::lround(std::log10(n))));
  const double width = (st.max - st.min) / st.bins;
  std::vector<long long> counts(st.bins, 0);
  for (double v : values) {
    int bin = width > 0.0 ? static_cast<int>(std::floor((v - st.min) / width)) : 0;
    counts[std::clamp(bin, 0, st.bins - 1)] += 1;
  }
  int mode_bin = 0;
  for (int i = 1; i < st.bins; ++i) {
    if (counts[i] > counts[mode_bin]) mode_bin = i;
  }
  int median_bin = st.bins - 1;
  double cumulative = 0.0;
  for (int i = 0; i < st.bins; ++i) {
    cumulative += counts[i] / n;
    if (cumulative >= 0.5) {
      median_bin = i;
      break;
    }
  }
  st.mode = st.min + (mode_bin + 0.5) * width;
  st.median = st.min + (median_bin + 0.5) * width;
  st.skew_mode = s > 0.0 ? (m - st.mode) / s : kPlotMissing;
  return st;
}

int write_stats_page(const PlotLayout& layout, const std::string& path,
                     const std::vector<TraceData>& traces, std::ostream& out) {
  std::ofstream file(path, std::ios::out | std::ios::trunc);
  const std::string blank = util::list_text({});  // " \n"
  const std::string blank_line = blank.substr(0, blank.size() - 1);
  const int count = std::min<int>(static_cast<int>(traces.size()), kMaxTraces);
  for (int p = 1; p <= count; ++p) {
    const TraceStats st = trace_stats(traces[p - 1]);
    const std::string& label = layout.trace_labels[p - 1];
    const std::string header = util::format("(/,35X,'TRACE # ',I2)", {p});
    const std::string label_line =
        util::ST_TLEN(label) > 78 ? std::string(util::rtrim(label)) : centred80(label);
    if (st.n == 0) {
      both(out, file, header);
      both(out, file, label_line);
      const std::string missing = util::list_text({"     TRACE DATA IS ALL MISSING."});
      for (std::ostream* os : {&out, static_cast<std::ostream*>(&file)}) {
        *os << blank << missing << blank;
      }
      continue;
    }
    both(out, file, blank_line);
    for (const std::string& piece : title_pieces(layout.title)) both(out, file, centred80(piece));
    both(out, file, header);
    both(out, file, label_line);
    both(out, file, blank_line);
    both(out, file,
         util::format("(7X,'N',9X,'MAX',10X,'MIN',8X,'MEDIAN',8X,'MODE',6X,'SKEW (MODE)')", {}));
    both(out, file,
         util::format("(1X,I10,5(1X,1P,E12.5))",
                      {st.n, st.max, st.min, st.median, st.mode, st.skew_mode}));
    both(out, file, blank_line);
    both(out, file,
         util::format("(7X,'N',8X,'MEAN',8X,'STD DEV',5X,'VARIANCE',5X,'SKEWNESS',5X,'KURTOSIS')",
                      {}));
    both(out, file,
         util::format("(1X,I10,5(1X,1P,E12.5))",
                      {st.n, st.mean, st.std_dev, st.variance, st.skewness, st.kurtosis}));
    both(out, file, blank_line);
  }
  return 0;
}

std::string substitute_score_tokens(std::string_view label, int final_type,
                                    const std::array<double, kSummaryValues>& summary) {
  static constexpr const char* kType7[] = {"$BSC", "$BSK", "$REL", "$RES", "$UNC"};
  static constexpr const char* kType8[] = {"$RPS", "$RSK", "$REL", "$RES", "$UNC", "$POT"};
  std::string text(label);
  auto replace = [&](const char* token, double value) {
    if (util::IS_MISSING(value) || tracefile::is_table_missing(value)) return;
    const auto at = text.find(token);
    if (at != std::string::npos) text.replace(at, 4, four_decimals(value));
  };
  if (final_type == kAttributeDiagram) {
    for (int i = 0; i < 5; ++i) replace(kType7[i], summary[i]);
  } else if (final_type == kCrpsReliability) {
    for (int i = 0; i < 6; ++i) replace(kType8[i], summary[i]);
  }
  return text;
}

int PLT_TEXT(const PlotLayout& layout, const TextDumpInput& input, TextDevice& text) {
  if (!text.dump.is_open()) return -22;
  return PLT_TEXT(layout, input, text.dump);
}

namespace {

// The heading of trace `p` (from 1) in the text dump: its number, its label (with the scores of a
// diagram in place of their tokens) and the axis titles.  Returns 0, or -23 when a write fails.
int write_trace_heading(std::ostream& os, const PlotLayout& layout, const TextDumpInput& input,
                        int p) {
  util::list_write(os, {});
  util::list_write(os, {"   -----------------------"});
  util::list_write(os, {"     TRACE NUMBER = ", p});
  util::list_write(os, {});
  if (write_long_text(os, 68, 6, shown_trace_label(layout.trace_labels[p - 1], input, p)) != 0) {
    return -23;
  }
  util::list_write(os, {});
  if (write_long_text(os, 64, 8, "X AXIS LABEL = " + layout.x_title) != 0) return -23;
  util::list_write(os, {});
  if (write_long_text(os, 64, 8, "Y AXIS LABEL = " + layout.y_title) != 0) return -23;
  util::list_write(os, {});
  return 0;
}

}  // namespace

int used_points(const TraceData& t) {
  return std::clamp(t.points, 0, static_cast<int>(std::min(t.x.size(), t.y.size())));
}

int used_merged_count(const MergedAxis& merged) {
  return std::clamp(merged.count, 0,
                    static_cast<int>(std::min(merged.position.size(), merged.label.size())));
}

std::string shown_trace_label(std::string_view label, const TextDumpInput& input, int p) {
  if (input.final_type == kAttributeDiagram || input.final_type == kCrpsReliability) {
    return substitute_score_tokens(label, input.final_type, input.summary[p - 1]);
  }
  if (input.final_type == kRocDiagram && input.diagrams) {
    return substitute_auc(label, input.diagrams->roc[p - 1], input.diagrams->ci_level);
  }
  return std::string(label);
}

int PLT_TEXT(const PlotLayout& layout, const TextDumpInput& input, std::ostream& os) {
  util::list_write(os, {});
  os << util::format("(24X,A)", {"************************"}) << '\n';
  util::list_write(os, {});
  if (!os) return -23;
  if (write_long_text(os, 72, -1, layout.title) != 0) return -23;

  const MergedAxis empty;
  const MergedAxis& merged = input.merged ? *input.merged : empty;
  const int merged_count = used_merged_count(merged);
  const MergedIndex labels(merged.position, merged_count);
  std::vector<std::string> label_text(static_cast<std::size_t>(merged_count));  // 24 columns
  const int count = std::min<int>(static_cast<int>(input.traces.size()), kMaxTraces);
  for (int p = 1; p <= count; ++p) {
    const TraceData& trace = input.traces[p - 1];
    if (write_trace_heading(os, layout, input, p) != 0) return -23;
    // The label of an abscissa as the points of the dump show it.
    auto label_of = [&](double x) {
      const int found = labels.find(x);
      std::string text;
      if (found >= 0 && !label_text[found].empty()) {
        text = label_text[found];  // every trace on the same abscissas writes the same labels
      } else if (input.label_type == 'r') {
        const double value = (found >= 0 && found < static_cast<int>(input.merged_values.size()))
                                 ? input.merged_values[found]
                                 : x;
        text = util::pad(util::format("(1PE24.5)", {value}), 24);
      } else if (found >= 0) {
        text = util::pad(merged.label[found], 24);
      } else {
        text = util::pad("       MISSING", 24);
      }
      // A real label without its merged value shows the point's own abscissa: not kept.
      const bool by_entry = input.label_type != 'r' ||
                            (found >= 0 && found < static_cast<int>(input.merged_values.size()));
      if (found >= 0 && by_entry) label_text[found] = text;
      return text;
    };
    const DiagramResults* d = input.diagrams;
    if (d && input.final_type == kPerformanceDiagram) {
      write_performance_table(os, d->performance[p - 1], label_of);
    } else if (d && input.final_type == kTaylorDiagram) {
      write_taylor_row(os, d->taylor[p - 1]);
    } else {
      os << util::format("(8X,'X POSITION',12X,'X AXIS LABEL',11X,'VALUE OF Y')", {}) << '\n';
      const int points = used_points(trace);
      for (int i = 0; i < points; ++i) {
        const double x = trace.x[i];
        os << util::format("(7X,1P,E13.5,4X,A24,4X,E13.5)", {x, label_of(x), trace.y[i]}) << '\n';
      }
    }
    if (d && d->ci_level > 0) {
      const int half = count / 2;
      if (input.final_type == kRocDiagram && d->roc[p - 1].area) {
        write_roc_area(os, d->roc[p - 1], d->ci_level);
      } else if (input.final_type == kAttributeDiagram && p > half &&
                 !d->reliability[p - 1 - half].empty()) {
        write_reliability_intervals(os, d->reliability[p - 1 - half], d->ci_level);
      }
    }
    if (!os) return -23;
  }
  // A full disk shows only when the buffered lines reach the file.
  os.flush();
  return os ? 0 : -23;
}

std::array<double, 6> bxw_point_values(const PlotSettings& settings, double c, double y,
                                       const BoxWhiskerTables& tables, std::size_t at,
                                       double scale) {
  std::array<double, 6> v;
  v.fill(kPlotMissing);
  if (at >= tables.minus_lower.size() || at >= tables.upper.size()) return v;
  auto present = [](double value) { return !util::IS_MISSING(value); };
  double lower = tables.minus_lower[at], upper = tables.upper[at];
  if (present(c) && present(y) && present(lower) && present(upper)) {
    lower *= scale;
    upper *= scale;
    v[0] = c;
    v[1] = y;
    v[3] = c - lower;
    v[4] = c + upper;
    const bool have_ext = at < tables.lower_whisker.size() && at < tables.upper_whisker.size();
    if (settings.bxw_print && have_ext && present(tables.lower_whisker[at]) &&
        present(tables.upper_whisker[at])) {
      v[2] = c - lower - tables.lower_whisker[at] * scale;
      v[5] = c + upper + tables.upper_whisker[at] * scale;
    }
  }
  return v;
}

int write_bxw_objects(std::ostream& os, const PlotSettings& settings, int object, int points,
                      const std::vector<double>& central, const std::vector<double>& ordinates,
                      const BoxWhiskerTables& tables, double scale) {
  if (object < 1 || object > kMaxTraces || settings.bxw_request[object - 1] <= 0) {
    os << bxw_zero_colour_line() << '\n';
    return os ? 0 : -42;
  }
  const std::size_t first = BoxWhiskerTables::at(object - 1, 0);
  const std::size_t boxes = std::min(tables.minus_lower.size(), tables.upper.size());
  const std::size_t avail =
      std::min({central.size(), ordinates.size(), boxes > first ? boxes - first : 0});
  const int count = std::clamp(points, 0, std::min<int>(kBxwPoints, static_cast<int>(avail)));
  for (int i = 0; i < count; ++i) {
    const std::array<double, 6> v =
        bxw_point_values(settings, central[i], ordinates[i], tables, first + i, scale);
    os << bxw_point_line(i + 1, v) << '\n';
  }
  return os ? 0 : -42;
}

std::string bxw_zero_colour_line() {
  return util::format("(1X,'**',8X,A)", {"ZERO COLOR NUMBER = NO BXWSKR OBJECTS"});
}

std::string bxw_point_line(int number, const std::array<double, 6>& values) {
  const std::array<double, 6>& v = values;
  return util::format("(1X,I2,6(1X,1P,E12.5))", {number, v[0], v[1], v[2], v[3], v[4], v[5]});
}

std::string colour_listing_header() {
  return util::format(
      "(2X,'COLOR',2X,'COLOR NAME',8X,'RED',2X,'GREEN',2X,'BLUE',2X,'X COLOR NAME')", {});
}

std::string colour_listing_line(int number, std::string_view name, int red, int green, int blue,
                                std::string_view device_name) {
  const std::string shown = util::ST_TLEN(name) == 0 ? std::string("redefined") : std::string(name);
  return util::format("(4X,I3,2X,A16,1X,I4,3X,I4,2X,I4,2X,A32)",
                      {number, util::pad(shown, 16), red, green, blue, util::pad(device_name, 32)});
}

}  // namespace kor::plot
