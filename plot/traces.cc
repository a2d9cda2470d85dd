#include "plot/traces.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <ostream>
#include <string>

#include "metrics/codes.h"
#include "plot/box_whiskers.h"
#include "plot/kinds.h"
#include "plot/messages.h"
#include "resample/diagrams.h"
#include "tracefile/messages.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/text.h"

namespace kor::plot {

namespace {

// A double of the statistics engine stored in the driver's single-precision arrays: values beyond
// the single-precision range become the largest finite value of their sign.
float to_float(double v) {
  if (std::isnan(v)) return static_cast<float>(v);
  return static_cast<float>(
      std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

// The code whose values count the bins of an FHO skill-score or binned-data plot: the volume
// percentages of forecasts and hits count their own raw sums (the sum of field 2 or 3 itself);
// every other code counts with the engine's count code (the observed events).
int bin_count_code(int opcode, int count_code) {
  const metrics::CodeEntry* e = metrics::find_code(opcode, tracefile::kMaxDepth).entry;
  const std::optional<metrics::Percent> form = e ? metrics::percent_form(*e) : std::nullopt;
  const bool volume =
      form == metrics::Percent::kVolume || form == metrics::Percent::kCumulativeVolume;
  constexpr int kObservedField = 4;
  return volume && e->option != kObservedField ? -e->option : count_code;
}

// The attribute-diagram parameter label: the first two abscissa labels of the first trace, each
// without trailing blanks and cut to 10 characters, joined by " - " (the first alone when the
// second is blank).
std::string attribute_label(const stats::TraceResult& res, int points) {
  auto piece = [](std::string_view s) { return util::cut(util::rtrim(s), 10); };
  const std::string first = piece(res.x_labels[0]);
  const std::string second = points >= 2 ? piece(res.x_labels[1]) : std::string();
  return util::ST_TLEN(second) > 0 ? first + " - " + second : first;
}

// Keeps the engine's result for trace `position`: points, extremes, labels, statistic.
void store_trace(DriverState& st, int position, const stats::TraceResult& res, int points) {
  st.traces.count[position] = points;
  for (int i = 0; i < points; ++i) {
    st.traces.X(position, i) = res.x[i];
    st.traces.Y(position, i) = to_float(res.y[i]);
  }
  st.xmin[position] = res.xmin;
  st.xmax[position] = res.xmax;
  st.ymin[position] = res.ymin;
  st.ymax[position] = res.ymax;
  st.stat_labels[position] = res.label;
  st.perfect[position] = res.perfect;
  st.samples[position] = res.sample;
  st.label_type = res.label_type;
  st.last_plot_type = res.plot_type;
  st.count_code = res.count_code;
  st.stat_type = res.stat_type;
}

// Merges the trace's abscissas into the plot's list; `pool` keeps every trace's numeric x values,
// indexed by the tags of the merged entries.
void merge_abscissas(DriverState& st, const stats::TraceResult& res, int points,
                     std::vector<double>& pool, std::ostream& os) {
  std::vector<double> x(points);
  std::vector<std::string> labels(points);
  std::vector<int> tags(points);
  for (int i = 0; i < points; ++i) {
    x[i] = res.x[i];
    labels[i] = res.x_labels[i];
    tags[i] = static_cast<int>(pool.size()) + i;
  }
  for (int i = 0; i < points; ++i) pool.push_back(res.x_values[i]);
  const int xl = PLT_XLBS(kMaxPoints, points, x, labels, tags, st.merged);
  if (xl != 0) PLT_MSG(xl, "PLT_XLBS", os);
}

// The count comparison of skill-score and binned-data plots: +2 when the counts of a trace have a
// different length from the first trace's, +3 when any count differs (NaN included), else 0.
int compare_counts(const std::vector<double>& counts, const std::vector<double>& first) {
  if (counts.size() != first.size()) return 2;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    if (std::isnan(counts[i]) || std::isnan(first[i]) || counts[i] != first[i]) return 3;
  }
  return 0;
}
// The counts of trace `number` (from 1) that the count comparison of skill-score and binned-data
// plots compares with the first trace's.  Returns 0, the comparison's warning (reported), or -6
// (reported) when the engine fails.
int compare_trace_counts(const DriverRequest& rq, const tracefile::ReaderState& reader,
                         DriverState& st, int number, std::vector<double>& first_counts,
                         std::ostream& os) {
  stats::TraceResult cres;
  const int ctrc = engine_call(reader, st, st.engine_counts, rq.traces[number - 1],
                               metrics::kSampleCountCode, rq.lags[number - 1], cres, os);
  if (ctrc < 0) {
    tracefile::RDTD_MSG(ctrc, "RDTD_TRC", os);
    PLT_MSG(-6, " ", os);
    return -6;
  }
  const int cpoints = std::clamp(cres.points, 0, kMaxPoints);
  std::vector<double> counts(cres.y.begin(), cres.y.begin() + cpoints);
  if (number == 1) {
    first_counts = std::move(counts);
    return 0;
  }
  const int warn = compare_counts(counts, first_counts);
  if (warn != 0) PLT_MSG(warn, "PLT_DRIV", os);
  return warn;
}

// The lines in words after a code's precondition failed: what the code needs and what the trace
// has, e.g. " Op code 1001 needs a statistic type that contains "FHO" and a data depth of 4 or
// more;" and " trace 31 has statistic type "SL1L2" and data depth 6."
void explain_precondition(const tracefile::ReaderState& reader, int trace, int code,
                          std::ostream& os) {
  if (trace < 1 || trace > reader.trace_count) return;
  const tracefile::TraceInfo& info = reader.traces[trace - 1];
  const int statistic = metrics::decode_code(code, true, true).statistic;
  const metrics::GroupRule rule =
      metrics::group_rule(metrics::find_code(statistic, info.depth).group);
  std::string needs;
  if (!rule.type_word.empty()) {
    needs = "a statistic type that contains \"" + std::string(rule.type_word) + "\" and ";
  }
  needs += "a data depth of " + std::to_string(rule.min_depth) + " or more";
  util::list_write(os, {" Op code " + std::to_string(code) + " needs " + needs + ";"});
  util::list_write(os, {" trace " + std::to_string(info.file_trace) + " has statistic type \"" +
                        std::string(util::rtrim(info.stat_type)) + "\" and data depth " +
                        std::to_string(info.depth) + "."});
}

// A sample count below 0 is no count (-9999 written as data): scores computed from such points
// can look perfect.  One line tells how many points of the trace carry one.
void warn_negative_counts(const tracefile::ReaderState& reader, int trace, int number,
                          std::ostream& os) {
  if (trace < 1 || trace > kMaxTraces) return;
  const int points = std::clamp(reader.traces[trace - 1].points, 0, kMaxPoints);
  int negative = 0;
  for (int i = 1; i <= points; ++i) {
    const double n = reader.sum(trace, 1, i);
    if (n < 0.0 && !tracefile::is_table_missing(n)) ++negative;
  }
  if (negative == 0) return;
  util::list_write(os, {" Warning:  TRACE #" + util::format("(I2.2)", {number}) + " has " +
                        std::to_string(negative) + " of " + std::to_string(points) +
                        " points with a negative sample count: they are not scores."});
}

// One trace of the per-trace loop, number `number` (from 1) in the list: the engine's result kept
// at position number - 1, smoothed, grouped and its abscissas merged into the plot's (`pool` keeps
// the numeric x of every trace's points).  Returns 0 or the error that ends the driver (reported).
int compute_trace(const DriverRequest& rq, const tracefile::ReaderState& reader, DriverState& st,
                  int number, std::vector<double>& pool, int& final_type, std::ostream& os) {
  const bool own_codes =
      rq.method == kListedTraces || rq.method == kSkillAgainst || rq.method == kSignificance;
  const int position = number - 1;
  const int code = own_codes ? rq.opcodes[position] : rq.opcodes[0];
  const int trace = rq.traces[position];
  int file_trace = 0;
  (void)tracefile::RDTD_OTN(reader, number, trace, file_trace, os);
  if (code == 0) {
    // The engine computes nothing for code 0 and the trace has no points: often every number
    // after a forgotten one on the plot line has moved up a line.
    util::list_write(os, {" Warning:  TRACE #" + util::format("(I2.2)", {number}) +
                          " has COMP CODE 0: no statistic was selected."});
  }
  group_box_whisker(st.results.bxw, number, st.trace_count, code, file_trace);
  warn_negative_counts(reader, trace, number, os);

  stats::TraceResult res;
  const int trc =
      engine_call(reader, st, st.engine_values, trace, code, rq.lags[position], res, os);
  if (res.plot_type == stats::kRankHistogramPlot) {
    st.results.rank_hist = true;
    final_type = kBinnedData;
  } else if (res.plot_type == stats::kFieldDiagramPlot) {
    st.results.depth_flag = true;
    final_type = kBinnedData;
  }
  if (trc != 0) {
    const std::string name = "TRACE #" + util::format("(I2.2)", {number}) + " error from RDTD_TRC:";
    tracefile::RDTD_MSG(trc, name, os);
    if (trc == stats::kNotFho || trc == stats::kShallow)
      explain_precondition(reader, trace, code, os);
  }
  if ((code == metrics::kAttributeDiagramCode) != (rq.display == kAttributeDisplay)) {
    PLT_MSG(-31, " ", os);
    return -31;
  }
  if ((code == metrics::kCrpsReliabilityCode) != (rq.display == kCrpsDisplay)) {
    PLT_MSG(-47, " ", os);
    return -47;
  }

  const int points = std::clamp(res.points, 0, kMaxPoints);
  if (number == 1 && code == metrics::kAttributeDiagramCode && points >= 1) {
    st.results.attr_param_label = attribute_label(res, points);
  }
  store_trace(st, position, res, points);
  if (rq.smooth_window > 0) {
    running_mean(std::span<float>(&st.traces.Y(position, 0), static_cast<std::size_t>(points)),
                 rq.smooth_window, rq.smooth_align);
    value_range(st, position);
  }
  if (trc == 0) {
    merge_abscissas(st, res, points, pool, os);
  } else if (trc < 0) {
    PLT_MSG(-6, " ", os);
    return -6;
  }
  return 0;
}

}  // namespace

int engine_call(const tracefile::ReaderState& reader, DriverState& st, stats::TraceArrays& arrays,
                int trace, int code, int lag, stats::TraceResult& result, std::ostream& os) {
  arrays.attach(result);
  stats::TraceRequest request;
  request.trace = trace;
  request.code = code;
  request.lag = lag;
  request.missing = kPlotMissing;
  request.capacity = kMaxPoints;
  return stats::RDTD_TRC(reader, st.engine, request, result, os);
}

int compute_traces(const DriverRequest& rq, const tracefile::ReaderState& reader, DriverState& st,
                   int& final_type, std::ostream& os) {
  const bool compare =
      rq.plot_type == tracefile::kSkillScorePlot || rq.plot_type == tracefile::kBinnedDataPlot;
  int rc = 0;
  std::vector<double> first_counts;
  std::vector<double> pool;  // numeric x of every trace's points, indexed by the merged tags
  for (int number = 1; number <= st.trace_count; ++number) {
    if (const int e = compute_trace(rq, reader, st, number, pool, final_type, os); e != 0) {
      return e;
    }
    if (!compare) continue;
    const int c = compare_trace_counts(rq, reader, st, number, first_counts, os);
    if (c < 0) return c;
    if (c != 0) rc = c;
  }

  st.merged_values.assign(static_cast<std::size_t>(std::max(0, st.merged.count)), kPlotMissing);
  for (int j = 0; j < st.merged.count && j < static_cast<int>(st.merged.tag.size()); ++j) {
    const int tag = st.merged.tag[j];
    if (tag >= 0 && tag < static_cast<int>(pool.size())) st.merged_values[j] = pool[tag];
  }
  return rc;
}

void value_range(DriverState& st, int position) {
  float lo = 1.1e31f, hi = -1.1e31f;
  for (int i = 0; i < std::clamp(st.traces.count[position], 0, kMaxPoints); ++i) {
    const float v = st.traces.Y(position, i);
    if (util::IS_MISSING(v) || std::isnan(v)) continue;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  st.ymin[position] = lo;
  st.ymax[position] = hi;
}

int combine_traces(const DriverRequest& rq, DriverState& st, bool& rpf, std::ostream& os) {
  rpf = false;
  if (is_difference(rq.method)) {
    if (rq.display == kScatterDisplay || rq.display == kRocDisplay ||
        (rq.display == kOwnType && rq.plot_type == tracefile::kScatterPlot)) {
      PLT_MSG(-20, "PLT_DRIV", os);
      return -20;
    }
    float lo = 0.0f, hi = 0.0f;
    const int mode = rq.method - kListedTraces;
    const int d = resample::TRACE_DIFF(mode, to_float(st.perfect[0]), 1, st.traces, lo, hi);
    if (d != 0) {
      PLT_MSG(d, "PLT_DRIV", os);
      return d;
    }
    st.ymin[0] = lo;
    st.ymax[0] = hi;
    st.trace_count = 1;
  }
  if (rq.method == kListedTraces && rq.display == kHistogramDisplay && st.trace_count > 1) {
    const int r = resample::RANK_DATA(st.trace_count, st.traces, os);
    if (r != 0) return r;
    rpf = true;
    st.ymin[0] = 0.0f;
    st.ymax[0] = static_cast<float>(st.trace_count + 1);
    st.xmin[0] = 0.0f;
    st.xmax[0] = 1.0f;
    st.trace_count = 1;
  }
  return 0;
}

void collect_bin_counts(const DriverRequest& rq, const tracefile::ReaderState& reader,
                        DriverState& st, int final_type, std::ostream& os) {
  st.bin_counts.clear();
  if (st.stat_type.find("FHO") == std::string::npos ||
      (final_type != kSkillScore && final_type != kBinnedData)) {
    return;
  }
  const int code = bin_count_code(rq.opcodes[0], st.count_code);
  stats::TraceResult res;
  if (engine_call(reader, st, st.engine_counts, rq.traces[0], code, rq.lags[0], res, os) >= 0) {
    st.bin_counts.assign(res.y.begin(), res.y.begin() + std::clamp(res.points, 0, kMaxPoints));
  }
}

double count_weighted_mean(std::span<const float> values, std::span<const double> counts) {
  double weighted = 0.0, total = 0.0;
  const std::size_t n = std::min(values.size(), counts.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (util::IS_MISSING(values[i]) || util::IS_MISSING(counts[i])) continue;
    weighted += static_cast<double>(values[i]) * counts[i];
    total += counts[i];
  }
  return total > 0.0 ? weighted / total : kPlotMissing;
}

void apply_scale_factors(const PlotSettings& settings, resample::PlotTraces& traces,
                         int trace_count) {
  for (int position = 0; position < std::clamp(trace_count, 0, kMaxTraces); ++position) {
    const bool right = settings.right_axis && settings.right_trace[position];
    const double factor = right ? settings.right_factor : settings.left_factor;
    if (factor == 1.0) continue;
    for (int i = 0; i < std::clamp(traces.count[position], 0, kMaxPoints); ++i) {
      float& v = traces.Y(position, i);
      if (!util::IS_MISSING(v)) v = to_float(v * factor);
    }
  }
}

void running_mean(std::span<float> y, int window, int align) {
  if (window <= 0) return;
  const int n = static_cast<int>(y.size());
  const std::vector<float> in(y.begin(), y.end());
  int before = 0, after = 0;
  // A window reaching further than the trace takes the points there are: the reach on each side
  // is cut to the trace's length, so that the bounds below stay within int for any window.
  const auto reach = [n](int points) { return std::min(points, n); };
  if (align < 0) {
    before = reach(window - 1);
  } else if (align > 0) {
    after = reach(window - 1);
  } else {
    after = reach(window / 2);
    before = reach(window / 2 - (window % 2 == 0 ? 1 : 0));
  }
  for (int i = 0; i < n; ++i) {
    if (util::IS_MISSING(in[i])) {
      y[i] = resample::kMissingPoint;
      continue;
    }
    double sum = 0.0;
    int count = 0;
    for (int j = std::max(0, i - before); j <= std::min(n - 1, i + after); ++j) {
      if (util::IS_MISSING(in[j])) continue;
      sum += in[j];
      ++count;
    }
    y[i] = count > 0 ? static_cast<float>(sum / count) : resample::kMissingPoint;
  }
}

void weighted_means(const DriverRequest& rq, const tracefile::ReaderState& reader, DriverState& st,
                    std::ostream& os) {
  const int listed = std::min({rq.trace_count, st.trace_count, kMaxTraces});
  for (int position = 0; position < listed; ++position) {
    if (!st.settings.weighted_mean[position]) continue;
    stats::TraceResult res;
    if (engine_call(reader, st, st.engine_counts, rq.traces[position], metrics::kSampleCountCode,
                    rq.lags[position], res, os) < 0) {
      continue;
    }
    const int points = std::clamp(std::min(st.traces.count[position], res.points), 0, kMaxPoints);
    std::vector<float> values(points);
    for (int i = 0; i < points; ++i) values[i] = st.traces.Y(position, i);
    st.results.summary[position][kMeanSummary] =
        count_weighted_mean(values, std::span<const double>(res.y.data(), points));
  }
}

std::vector<TraceData> trace_data(const DriverState& st, int count) {
  std::vector<TraceData> out;
  for (int position = 0; position < std::clamp(count, 0, kMaxTraces); ++position) {
    TraceData d;
    d.points = std::clamp(st.traces.count[position], 0, kMaxPoints);
    for (int i = 0; i < d.points; ++i) {
      d.x.push_back(st.traces.X(position, i));
      d.y.push_back(st.traces.Y(position, i));
    }
    out.push_back(std::move(d));
  }
  return out;
}

void draw_reliability_first(resample::PlotTraces& t, int n) {
  for (int o = 0; o < std::min(n, kMaxTraces / 2); ++o) {
    const std::size_t a = static_cast<std::size_t>(o) * t.leading;
    const std::size_t b = static_cast<std::size_t>(n + o) * t.leading;
    std::swap_ranges(t.x.begin() + a, t.x.begin() + a + t.leading, t.x.begin() + b);
    std::swap_ranges(t.y.begin() + a, t.y.begin() + a + t.leading, t.y.begin() + b);
    std::swap(t.count[o], t.count[n + o]);
  }
}

}  // namespace kor::plot
