#include "plot/driver.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <ostream>

#include "graphics/link.h"
#include "metrics/codes.h"
#include "plot/control.h"
#include "plot/draw/box_whisker.h"
#include "plot/draw/plot.h"
#include "plot/draw/summary_draw.h"
#include "plot/kinds.h"
#include "plot/labels.h"
#include "plot/messages.h"
#include "plot/summary_diagrams.h"
#include "plot/text_output.h"
#include "resample/significance.h"
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

std::string trimmed(std::string_view s) { return std::string(util::rtrim(s)); }

// The points of traces 1..count for the statistics page and the text dump.
std::vector<TraceData> trace_data(DriverState& st, int count) {
  std::vector<TraceData> out;
  for (int h = 0; h < std::clamp(count, 0, kMaxTraces); ++h) {
    TraceData d;
    d.points = std::clamp(st.traces.count[h], 0, kMaxPoints);
    for (int i = 0; i < d.points; ++i) {
      d.x.push_back(st.traces.X(h, i));
      d.y.push_back(st.traces.Y(h, i));
    }
    out.push_back(std::move(d));
  }
  return out;
}

TitleInput title_input(const DriverState& st, const std::array<int, kMaxTraces>& list, int method,
                       const tracefile::ReaderState& reader) {
  TitleInput ti;
  ti.trace_count = st.trace_count;
  ti.trace_list = list;
  ti.stat_labels = st.stat_labels;
  ti.method = method;
  ti.stat_type = trimmed(st.stat_type);
  ti.reader = &reader;
  ti.final_type = st.results.final_type;
  ti.rank_hist = st.results.rank_hist;
  ti.depth_flag = st.results.depth_flag;
  ti.rpf_flag = st.results.rpf_flag;
  return ti;
}

ControlInput control_input(const DriverState& st, int final_type) {
  ControlInput in;
  in.trace_count = st.trace_count;
  in.final_type = final_type;
  in.labels = &st.merged;
  for (int h = 0; h < kMaxTraces; ++h) {
    in.xmin[h] = st.xmin[h];
    in.xmax[h] = st.xmax[h];
    in.ymin[h] = st.ymin[h];
    in.ymax[h] = st.ymax[h];
  }
  return in;
}

// Recomputes the value range of trace position h (0-based) over its non-missing values.
void value_range(DriverState& st, int h) {
  float lo = 1.1e31f, hi = -1.1e31f;
  for (int i = 0; i < std::clamp(st.traces.count[h], 0, kMaxPoints); ++i) {
    const float v = st.traces.Y(h, i);
    if (util::IS_MISSING(v) || std::isnan(v)) continue;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  st.ymin[h] = lo;
  st.ymax[h] = hi;
}

// The graphics link of the run and the requests over it; `graphics` tells that a graphics device
// was started and has to be ended.
struct ControlRun {
  graphics::LinkState link;
  graphics::LinkRequests requests{link};
  bool graphics = false;
};

// The steps that follow the traces: the control file parsed into the settings, the layout
// derived, and the text files opened or the graphics device started.  Returns 0 or the code that
// ended a step (reported).
int read_control(DriverState& st, util::TextUnit& control, int final_type, int& device_fixed,
                 ControlRun& run, std::ostream& os) {
  run.link.out = &os;
  const ControlInput in = control_input(st, final_type);
  int rc = parse_control_file(st.settings, st.results.bxw, control, in, device_fixed, os);
  if (rc == 0) rc = derive_layout(st.layout, st.settings, st.results.bxw, in, os);
  if (rc != 0) return rc;
  rc = start_output_device(st.settings, st.files, device_fixed, &run.requests, os);
  run.graphics = st.files.graphics_started;
  return rc;
}

// Ends graphics started by read_control (flush, end of frame, end of plotting): the device
// subprocesses stay running for the next run from the same terminal.
int end_graphics(ControlRun& run, std::ostream& os) {
  if (!run.graphics) return 0;
  run.graphics = false;
  draw::Pen pen{run.requests, os};
  return draw::end_graphics(pen);
}

// The attribute-diagram parameter label: the first two abscissa labels of the first trace, each
// without trailing blanks and cut to 10 characters, joined by " - " (the first alone when the
// second is blank).
std::string attribute_label(const stats::TraceResult& res, int points) {
  auto piece = [](std::string_view s) { return util::cut(trimmed(s), 10); };
  const std::string first = piece(res.x_labels[0]);
  const std::string second = points >= 2 ? piece(res.x_labels[1]) : std::string();
  return util::ST_TLEN(second) > 0 ? first + " - " + second : first;
}

// Keeps the engine's result for trace position t (0-based): points, extremes, labels, statistic.
void store_trace(DriverState& st, int t, const stats::TraceResult& res, int points) {
  st.traces.count[t] = points;
  for (int i = 0; i < points; ++i) {
    st.traces.X(t, i) = res.x[i];
    st.traces.Y(t, i) = to_float(res.y[i]);
  }
  st.xmin[t] = res.xmin;
  st.xmax[t] = res.xmax;
  st.ymin[t] = res.ymin;
  st.ymax[t] = res.ymax;
  st.stat_labels[t] = res.label;
  st.perfect[t] = res.perfect;
  st.samples[t] = res.sample;
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

// The count comparison of skill-score and binned-data plots: +2 when the counts of trace h have a
// different length from the first trace's, +3 when any count differs (NaN included), else 0.
int compare_counts(const std::vector<double>& counts, const std::vector<double>& first) {
  if (counts.size() != first.size()) return 2;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    if (std::isnan(counts[i]) || std::isnan(first[i]) || counts[i] != first[i]) return 3;
  }
  return 0;
}

// The per-trace loop.  Returns 0, a warning of the count comparison, or the error that ends the
// driver (already reported).
int compute_traces(const DriverRequest& rq, tracefile::ReaderState& reader, DriverState& st,
                   int& final_type, std::ostream& os) {
  const int n = st.trace_count;
  const bool own_codes =
      rq.method == kListedTraces || rq.method == kSkillAgainst || rq.method == kSignificance;
  const bool compare =
      rq.plot_type == tracefile::kSkillScorePlot || rq.plot_type == tracefile::kBinnedDataPlot;
  int rc = 0;
  std::vector<double> first_counts;
  std::vector<double> pool;  // numeric x of every trace's points, indexed by the merged tags
  for (int h = 1; h <= n; ++h) {
    const int code = own_codes ? rq.opcodes[h - 1] : rq.opcodes[0];
    const int trace = rq.traces[h - 1];
    const int lag = rq.lags[h - 1];
    int file_trace = 0;
    (void)tracefile::RDTD_OTN(reader, h, trace, file_trace, os);
    if (code == 0) {
      // The engine computes nothing for code 0 and the trace has no points: often every number
      // after a forgotten one on the plot line has moved up a line.
      util::list_write(os, {" Warning:  TRACE #" + util::format("(I2.2)", {h}) +
                            " has COMP CODE 0: no statistic was selected."});
    }
    group_box_whisker(st.results.bxw, h, n, code, file_trace);

    stats::TraceResult res;
    const int trc = engine_call(reader, st, st.engine_values, trace, code, lag, res, os);
    if (res.plot_type == stats::kRankHistogramPlot) {
      st.results.rank_hist = true;
      final_type = kBinnedData;
    } else if (res.plot_type == stats::kFieldDiagramPlot) {
      st.results.depth_flag = true;
      final_type = kBinnedData;
    }
    if (trc != 0) {
      const std::string name = "TRACE #" + util::format("(I2.2)", {h}) + " error from RDTD_TRC:";
      tracefile::RDTD_MSG(trc, name, os);
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
    if (h == 1 && code == metrics::kAttributeDiagramCode && points >= 1) {
      st.results.attr_param_label = attribute_label(res, points);
    }
    const int t = h - 1;
    store_trace(st, t, res, points);
    if (rq.smooth_window > 0) {
      running_mean(std::span<float>(&st.traces.Y(t, 0), static_cast<std::size_t>(points)),
                   rq.smooth_window, rq.smooth_align);
      value_range(st, t);
    }
    if (trc == 0) {
      merge_abscissas(st, res, points, pool, os);
    } else if (trc < 0) {
      PLT_MSG(-6, " ", os);
      return -6;
    }

    if (!compare) continue;
    stats::TraceResult cres;
    const int ctrc =
        engine_call(reader, st, st.engine_counts, trace, metrics::kSampleCountCode, lag, cres, os);
    if (ctrc < 0) {
      tracefile::RDTD_MSG(ctrc, "RDTD_TRC", os);
      PLT_MSG(-6, " ", os);
      return -6;
    }
    const int cpoints = std::clamp(cres.points, 0, kMaxPoints);
    std::vector<double> counts(cres.y.begin(), cres.y.begin() + cpoints);
    if (h == 1) {
      first_counts = std::move(counts);
    } else if (const int warn = compare_counts(counts, first_counts); warn != 0) {
      PLT_MSG(warn, "PLT_DRIV", os);
      rc = warn;
    }
  }

  st.merged_values.assign(static_cast<std::size_t>(std::max(0, st.merged.count)), kPlotMissing);
  for (int j = 0; j < st.merged.count && j < static_cast<int>(st.merged.tag.size()); ++j) {
    const int tag = st.merged.tag[j];
    if (tag >= 0 && tag < static_cast<int>(pool.size())) st.merged_values[j] = pool[tag];
  }
  return rc;
}

// The text dump's input: the traces as plotted and the merged abscissas.
TextDumpInput text_dump_input(DriverState& st, int final_type) {
  TextDumpInput in;
  in.traces = trace_data(st, st.trace_count);
  in.label_type = st.label_type;
  in.merged = &st.merged;
  in.merged_values = st.merged_values;
  in.final_type = final_type;
  in.summary = st.results.summary;
  in.diagrams = &st.results.diagrams;
  return in;
}

// What the drawing reads of the plot: the settings, layout and traces of the driver's state and
// its findings about them.
draw::PlotView plot_view(const DriverState& st, const DriverRequest& rq, int final_type) {
  draw::PlotView v{st.settings, st.layout, st.traces};
  v.trace_count = st.trace_count;
  v.final_type = final_type;
  v.method = rq.method;
  v.count_code = st.count_code;
  v.stat_type = trimmed(st.stat_type);
  v.trace_list.assign(rq.traces.begin(),
                      rq.traces.begin() + std::clamp(rq.trace_count, 0, kMaxTraces));
  v.summary = st.results.summary;
  v.clim_freq = st.results.clim_freq;
  v.label_type = st.label_type;
  v.merged = &st.merged;
  v.merged_values = st.merged_values;
  v.bin_counts = st.bin_counts;
  v.diagrams = &st.results.diagrams;
  v.keys = draw::summary_keys(final_type);
  return v;
}

// The attribute-diagram preparation leaves each trace's forecast use frequencies in the trace
// itself and the observed frequencies in its companion, while the labels, the bar colours and the
// right axis of the diagram go the other way (a trace is its "RELIABILITY" curve, the companion its
// "FRCST USE FREQUENCY" or use histogram).  For drawing, each of the first `n` traces changes
// places with its companion, so that every curve is drawn as what its legend says.
void draw_reliability_first(resample::PlotTraces& t, int n) {
  for (int o = 0; o < std::min(n, kMaxTraces / 2); ++o) {
    const std::size_t a = static_cast<std::size_t>(o) * t.leading;
    const std::size_t b = static_cast<std::size_t>(n + o) * t.leading;
    std::swap_ranges(t.x.begin() + a, t.x.begin() + a + t.leading, t.x.begin() + b);
    std::swap_ranges(t.y.begin() + a, t.y.begin() + a + t.leading, t.y.begin() + b);
    std::swap(t.count[o], t.count[n + o]);
  }
}

// Display 6 and 7: the attribute diagram or the CRPS reliability diagram.
int diagram(const DriverRequest& rq, util::TextUnit& control, tracefile::ReaderState& reader,
            DriverState& st, std::ostream& os) {
  const bool attr = rq.display == kAttributeDisplay;
  const int final_type = attr ? kAttributeDiagram : kCrpsReliability;
  resample::DiagramOutput out;
  const int n = st.trace_count;
  if (attr) reliability_bins(st, n);
  int rc = attr ? resample::ATTR_DATA(n, kMaxTraces, st.traces, out)
                : resample::CRPS_DATA(n, kMaxTraces, st.traces, out, os);
  if (rc < 0) {
    PLT_MSG(rc, "PLT_DRIV", os);
    return rc;
  }
  for (int h = 0; h < n; ++h) {
    for (int v = 0; v < (attr ? 5 : 6); ++v) st.results.summary[h][v] = out.scores[h][v];
    if (attr) st.results.clim_freq[h] = out.scores[h][5];
  }
  if (attr) {
    st.trace_count = 2 * n;
    for (int h = 0; h < n; ++h) {
      const int f = n + h;
      st.xmin[f] = st.xmax[f] = 0.0f;
      value_range(st, f);
    }
  }

  int device_fixed = 0;
  ControlRun run;
  rc = read_control(st, control, final_type, device_fixed, run, os);
  if (rc < 0) {
    PLT_MSG(rc, "PLT_DRIV", os);
    (void)end_graphics(run, os);
    return rc;
  }
  std::array<int, kMaxTraces> list = rq.traces;
  if (attr) {
    for (int h = 1; h <= n; ++h) {
      st.stat_labels[n + h - 1] = st.stat_labels[h - 1];
      list[n + h - 1] = h;
    }
  }
  st.results.final_type = final_type;
  confidence_intervals(st);
  const int tl = build_titles(st.settings, st.layout, title_input(st, list, rq.method, reader), os);
  if (tl < 0) {
    PLT_MSG(tl, "PLT_DRIV", os);
    (void)end_graphics(run, os);
    return tl;
  }
  if (st.files.text.is_open()) {
    rc = PLT_TEXT(st.layout, text_dump_input(st, final_type), st.files.text);
    if (rc != 0) PLT_MSG(rc, "PLT_TEXT", os);
    st.files.text.close();
    return rc;
  }
  // The bars of the frequency companions (or of the CRPS traces) stand side by side between the
  // closest neighbouring abscissas.
  const int diagram_traces = attr ? st.trace_count / 2 : st.trace_count;
  if (out.spacing < 1e30f && diagram_traces > 0) {
    st.layout.bar_width = out.spacing / (diagram_traces + 1);
  }
  if (attr) draw_reliability_first(st.traces, n);
  draw::Pen pen{run.requests, os};
  rc = draw::draw_diagram(pen, plot_view(st, rq, final_type));
  const int e = end_graphics(run, os);
  return rc != 0 ? rc : e;
}

// Displays 8 and 9: the performance diagram or the Taylor diagram.
int summary_diagram(const DriverRequest& rq, util::TextUnit& control,
                    tracefile::ReaderState& reader, DriverState& st, std::ostream& os) {
  const bool performance = rq.display == kPerformanceDisplay;
  const int final_type = performance ? kPerformanceDiagram : kTaylorDiagram;
  int rc = performance ? performance_data(rq, reader, st, os) : taylor_data(rq, reader, st, os);
  if (rc < 0) return rc;
  int device_fixed = 0;
  ControlRun run;
  rc = read_control(st, control, final_type, device_fixed, run, os);
  if (rc != 0) {
    (void)end_graphics(run, os);
    st.files.text.close();
    return rc;
  }
  st.results.final_type = final_type;
  if (performance) performance_tags(st);
  (void)build_titles(st.settings, st.layout, title_input(st, rq.traces, rq.method, reader), os);
  // Square axes (a half circle twice as wide as high) unless the control file sets a ratio; the
  // ratios of a performance diagram run from 0 to 1 exactly, unless XAX or YAX say otherwise.
  double aspect = 1.0;
  if (performance) {
    if (util::ST_TLEN(st.settings.xax) == 0) {
      st.layout.x.start = 0.0;
      st.layout.x.stop = 1.0;
    }
    if (!st.settings.yax_given) {
      st.layout.y.start = 0.0;
      st.layout.y.stop = 1.0;
    }
  } else {
    const draw::TaylorFrame frame = draw::taylor_frame(st.results.diagrams);
    aspect = draw::taylor_layout(frame, st.layout);
    // The half circle has no ordinate scale: its standard deviations run along the bottom.
    if (frame.half && util::ST_TLEN(st.settings.y_title) == 0) st.layout.y_title.clear();
  }
  if (!(st.settings.aspect > 0)) st.settings.aspect = aspect;
  if (st.files.text.is_open()) {
    rc = PLT_TEXT(st.layout, text_dump_input(st, final_type), st.files.text);
    if (rc != 0) PLT_MSG(rc, "PLT_TEXT", os);
    st.files.text.close();
    return rc;
  }
  draw::Pen pen{run.requests, os};
  rc = draw::draw_summary_diagram(pen, plot_view(st, rq, final_type));
  const int e = end_graphics(run, os);
  return rc != 0 ? rc : e;
}

// METHOD 6: the paired significance test of two traces.
int significance(const DriverRequest& rq, util::TextUnit& control, tracefile::ReaderState& reader,
                 DriverState& st, int final_type, std::ostream& os) {
  int device_fixed = 1;
  ControlRun run;
  int rc = read_control(st, control, final_type, device_fixed, run, os);
  if (rc != 0) {
    (void)end_graphics(run, os);
    st.files.text.close();
    return rc;
  }
  st.results.final_type = final_type;
  (void)build_titles(st.settings, st.layout, title_input(st, rq.traces, rq.method, reader), os);
  const std::string code_label = trimmed(st.stat_labels[0]);
  const std::array<std::string, 2> texts{code_label, code_label};
  std::array<std::string, 2> labels{st.layout.trace_labels[0], st.layout.trace_labels[1]};
  std::string from, to;
  if (st.merged.count > 0) {
    from = util::ST_LJST(trimmed(st.merged.label[0]));
    to = util::ST_LJST(trimmed(st.merged.label[st.merged.count - 1]));
  }
  resample::SigInput in;
  in.leading = st.traces.leading;
  in.traces = st.trace_count;
  in.y = st.traces.y;
  in.points = st.traces.count;
  in.title = st.layout.title;
  in.labels = labels;
  in.texts = texts;
  in.range_from = from;
  in.range_to = to;
  in.serial_correlation = st.settings.sig_test;
  rc = resample::SIG_TEST(in, os, st.files.output_path("kor_sig_test1.txt"));
  if (rc != 0) PLT_MSG(rc, "PLT_DRIV", os);
  st.files.text.close();
  (void)end_graphics(run, os);
  return rc;
}

// METHODs 3 to 5 turn the two traces into their difference (TRACE_DIFF mode 1, 2 or 3), METHOD 2
// with display 3 and several traces into the rank of the first among the others (the RPF
// histogram); either leaves one trace.  Returns 0 or the code that ends the driver (reported).
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

// The final plot type that display 1 to 5 asks for (display 1 keeps the plot's own); -3, reported,
// for another display.
int final_type_of_display(const DriverRequest& rq, const DriverState& st, int& final_type,
                          std::ostream& os) {
  switch (rq.display) {
    case kOwnType:
      return 0;
    case kScatterDisplay:
      final_type = kScatter;
      return 0;
    case kHistogramDisplay:
      final_type = kHistogram;
      return 0;
    case kTimeSeriesDisplay:
      final_type = kTimeSeries;
      if (st.last_plot_type != tracefile::kScatterPlot) {
        util::list_write(os, {" WARNING -- plot is not a scatter plot."});
      }
      return 0;
    case kRocDisplay:
      final_type = kRocDiagram;
      return 0;
    default:
      PLT_MSG(-3, "PLT_DRIV", os);
      return -3;
  }
}

// The counts of the bins or thresholds written above an FHO skill-score or binned-data plot.
void collect_bin_counts(const DriverRequest& rq, tracefile::ReaderState& reader, DriverState& st,
                        int final_type, std::ostream& os) {
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

// The text device: the text dump, then (when resampling was asked for) the box-whisker text; both
// files are closed.  Returns `rc`, or the last failure (reported).
int write_text_outputs(DriverState& st, const tracefile::ReaderState& reader, int final_type,
                       int rc, std::ostream& os) {
  const int t = PLT_TEXT(st.layout, text_dump_input(st, final_type), st.files.text);
  if (t != 0) {
    PLT_MSG(t, "PLT_TEXT", os);
    rc = t;
  }
  st.files.text.dump.close();
  if (st.settings.resample) {
    const int b = PLT_TBXW(st, reader, os);
    if (b != 0) {
      PLT_MSG(b, "PLT_TBXW", os);
      rc = b;
    }
  }
  st.files.text.close();
  return rc;
}

// The legend of a graphics device shows the count-weighted mean of every trace whose label ends in
// "+"; the counts come from the engine with the sample-count code.
void weighted_means(const DriverRequest& rq, tracefile::ReaderState& reader, DriverState& st,
                    std::ostream& os) {
  const int listed = std::min({rq.trace_count, st.trace_count, kMaxTraces});
  for (int h = 0; h < listed; ++h) {
    if (!st.settings.weighted_mean[h]) continue;
    stats::TraceResult res;
    if (engine_call(reader, st, st.engine_counts, rq.traces[h], metrics::kSampleCountCode,
                    rq.lags[h], res, os) < 0) {
      continue;
    }
    const int points = std::clamp(std::min(st.traces.count[h], res.points), 0, kMaxPoints);
    std::vector<float> values(points);
    for (int i = 0; i < points; ++i) values[i] = st.traces.Y(h, i);
    st.results.summary[h][kMeanSlot] =
        count_weighted_mean(values, std::span<const double>(res.y.data(), points));
  }
}

// METHODs 1 to 5 with displays 1 to 5.
int plot_traces(const DriverRequest& rq, util::TextUnit& control, tracefile::ReaderState& reader,
                DriverState& st, int final_type, int rc, std::ostream& os) {
  bool rpf = false;
  if (const int c = combine_traces(rq, st, rpf, os); c != 0) return c;
  if (const int f = final_type_of_display(rq, st, final_type, os); f != 0) return f;

  int device_fixed = 0;
  ControlRun run;
  const int cr = read_control(st, control, final_type, device_fixed, run, os);
  if (cr != 0) {
    (void)end_graphics(run, os);
    st.files.text.close();
    return cr;
  }
  // Box-whisker objects stand for differences between traces; a difference plot has one trace.
  if (is_difference(rq.method) && st.settings.resample) {
    st.results.bxw.add_error(8);
    st.settings.resample = false;
  }
  st.results.rpf_flag = rpf;
  st.results.final_type = final_type;
  if (final_type == kRocDiagram && !is_difference(rq.method)) {
    roc_summaries(st);
    confidence_intervals(st);
  }
  apply_scale_factors(st.settings, st.traces, st.trace_count);
  (void)build_titles(st.settings, st.layout, title_input(st, rq.traces, rq.method, reader), os);
  collect_bin_counts(rq, reader, st, final_type, os);

  if (st.files.text.is_open()) {
    rc = write_text_outputs(st, reader, final_type, rc, os);
  } else {
    weighted_means(rq, reader, st, os);
    const draw::PlotView view = plot_view(st, rq, final_type);
    draw::BoxWhiskerStep box_whiskers;
    if (st.settings.resample && box_whiskers_wanted(st.settings)) {
      box_whiskers = [&](draw::Pen& pen) { return BXW_RUN(st, reader, view, pen); };
    }
    draw::Pen pen{run.requests, os};
    const int d = draw::draw_plot(pen, view, rpf, box_whiskers, run.link.support);
    if (d != 0) rc = d;
    const int e = end_graphics(run, os);
    if (e != 0) rc = e;
  }
  BXW_ERRS(st.settings, st.results.bxw, os);
  return rc;
}

}  // namespace

int engine_call(tracefile::ReaderState& reader, DriverState& st, stats::TraceArrays& arrays,
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

DriverState::DriverState() {
  reset_settings(settings, kMaxTraces, true);
  reset_results(results);
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
  for (int h = 0; h < std::clamp(trace_count, 0, kMaxTraces); ++h) {
    const bool right = settings.right_axis && settings.right_trace[h];
    const double factor = right ? settings.right_factor : settings.left_factor;
    if (factor == 1.0) continue;
    for (int i = 0; i < std::clamp(traces.count[h], 0, kMaxPoints); ++i) {
      float& v = traces.Y(h, i);
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

void group_box_whisker(BoxWhiskerBook& book, int h, int count, int opcode, int file_trace) {
  if (h == 1 && count > 1) {
    book.first_group_traces.assign(1, file_trace);
    book.group_opcodes.assign(1, opcode);
    book.group_start = 1;
    return;
  }
  if (h > 1 && h < count) {
    if (!book.group_opcodes.empty() && opcode == book.group_opcodes.back()) {
      if (!book.group_size_fixed) {
        book.first_group_traces.push_back(file_trace);
      } else {
        const int len = static_cast<int>(book.first_group_traces.size());
        int pos = len > 0 ? h % len : 0;
        if (pos == 0 || pos > kMaxTraces) pos = len;
        if (pos >= 1 && book.first_group_traces[pos - 1] != file_trace) book.flag[h - 1] = -1;
      }
    } else {
      book.group_opcodes.push_back(opcode);
      if (h == 2) book.add_error(1);
      if (!book.group_size_fixed) {
        book.group_size = h - book.group_start;
        book.group_size_fixed = true;
      } else if (h - book.group_start != book.group_size) {
        book.add_error(2);
      }
      book.group_start = h;
    }
    return;
  }
  if (h != count) return;
  if (book.group_opcodes.empty()) {
    book.add_error(3);
    return;
  }
  const bool differs = opcode != book.group_opcodes.back();
  const int len = static_cast<int>(book.first_group_traces.size());
  const bool exempt = differs && (book.group_opcodes.size() == 1 || (len > 0 && count % len == 1));
  if (!exempt) {
    if (differs) {
      book.add_error(4);
    } else if (!book.group_size_fixed) {
      book.first_group_traces.push_back(file_trace);
    }
  }
  book.pairs_per_group = static_cast<int>(book.first_group_traces.size()) - 1;
  if (book.pairs_per_group < 1) book.add_error(3);
}

int BXW_ERRS(const PlotSettings& settings, const BoxWhiskerBook& book, std::ostream& os) {
  if (!box_whiskers_wanted(settings) || book.error_count <= 0) return 0;
  static constexpr const char* kLines[] = {
      " COMP CODES must be same for paired/grouped traces.",
      " # of pairs must be same for all COMP CODE groups.",
      " There are no trace pairs.",
      " All COMP CODE groups must have same CODES.",
      " All traces must have the same number of X points.",
      " Resampling driver returned with errors.",
      " Unexpected box-whisker object count returned.",
      " BXWSKR objects not allowed for display methods 3--5.",
      " TRACE #s must be repeated for subsequent COMP CODES.",
  };
  util::list_write(os, {" ERRORS detected associated with box-whisker request:"});
  bool grouping = false;
  for (int i = 0; i < std::min(book.error_count, kMaxBxwErrors); ++i) {
    const int code = book.errors[i];
    if (code < 1 || code > 9) continue;
    util::list_write(os, {kLines[code - 1]});
    grouping = grouping || code <= 4;
  }
  if (grouping) util::list_write(os, {" Check trace number and COMP CODE specifications."});
  return 0;
}

int resample_box_whiskers(DriverState& st, const tracefile::ReaderState& reader, std::ostream& os) {
  const int n = st.trace_count;
  const int points = std::clamp(st.traces.count[0], 0, kMaxPoints);
  for (int h = 1; h < n; ++h) {
    if (st.traces.count[h] != points) {
      st.results.bxw.add_error(5);
      return -38;
    }
  }
  const int pairs = std::max(0, st.results.bxw.pairs_per_group);
  const int lines = static_cast<int>(st.results.bxw.group_opcodes.size());
  const int results = pairs * lines;
  const int used = std::min(points, kBxwPoints);
  const std::size_t table = static_cast<std::size_t>(kMaxTraces) * kBxwPoints;
  st.bxw_minus_lower.assign(table, 0.0f);
  st.bxw_upper.assign(table, 0.0f);
  st.bxw_upper_whisker.assign(table, 0.0f);
  st.bxw_lower_whisker.assign(table, 0.0f);

  resample::MetricContext context;
  context.stat_type = st.stat_type;
  context.label_type = st.label_type;
  context.ensemble_size = st.engine.has_ensemble_size ? st.engine.ensemble_size : 0;
  const int benchmark = st.first_trace;
  if (benchmark >= 1 && benchmark <= reader.trace_count) {
    const tracefile::TraceInfo& info = reader.traces[benchmark - 1];
    context.lists.pbs_count = std::clamp(info.pbs_count, 0, resample::kPbsCount);
    for (int i = 0; i < context.lists.pbs_count; ++i) context.lists.pbs[i] = info.pbs[i];
    context.lists.crps_count = std::clamp(info.crps_count, 0, resample::kCrpsCount);
    for (int i = 0; i < context.lists.crps_count; ++i) context.lists.crps[i] = info.crps[i];
  }
  st.resampling.trials = st.settings.trials;
  st.resampling.serial_correlation = st.settings.sig_test;
  std::vector<int> codes(st.results.bxw.group_opcodes);
  const std::vector<int> traces(st.results.bxw.first_group_traces);

  for (int p = 1; p <= used; ++p) {
    resample::TrcInput in;
    in.plot = st.results.plot_number;
    in.traces = traces;
    in.codes = codes;
    in.point = p;
    in.alpha = static_cast<float>(st.settings.test_level);
    in.missing = resample::kMissingPoint;
    in.capacity = kMaxTraces;
    in.context = &context;
    resample::TrcOutput out;
    const int rc = resample::RSMP_TRC(in, st.resampling, out, os);
    int word = 0;
    resample::RSMP_ERR(rc, " ", word, os);
    if (rc != 0) {
      st.results.bxw.add_error(6);
      return -39;
    }
    if (out.count != results || results > kMaxTraces) {
      st.results.bxw.add_error(7);
      return -40;
    }
    for (int k = 0; k < results; ++k) {
      const std::size_t at = static_cast<std::size_t>(k) * kBxwPoints + (p - 1);
      st.bxw_minus_lower[at] = out.minus_lower[k];
      st.bxw_upper[at] = out.upper[k];
      st.bxw_upper_whisker[at] = out.upper_whisker[k];
      st.bxw_lower_whisker[at] = out.lower_whisker[k];
      util::list_write(os, {k + 1, " - median of resampled differences = ", out.median[k]});
      if (util::IS_MISSING(out.skew[k])) {
        util::list_write(os, {k + 1, " - skew ratio is undefined."});
      } else {
        util::list_write(os, {k + 1, " - skew ratio of resampled differences = ", out.skew[k]});
      }
    }
  }
  return 0;
}

int write_box_whiskers(const DriverState& st, std::ostream& file) {
  const int n = st.trace_count;
  const int pairs = std::max(0, st.results.bxw.pairs_per_group);
  const int results = pairs * static_cast<int>(st.results.bxw.group_opcodes.size());
  const int used = std::min(std::clamp(st.traces.count[0], 0, kMaxPoints), kBxwPoints);
  if (!file) return -42;
  util::list_write(file, {});
  file << "************************\n"
       << "BOX-WHISKER OBJECT DATA\n";
  util::list_write(file, {});
  file << trimmed(st.layout.title) << '\n';
  if (!file) return -42;
  for (int k = 0; k < results; ++k) {
    const int line = k / std::max(1, pairs);
    const int pair = k % std::max(1, pairs) + 1;
    const int bench = line * (pairs + 1) + 1;  // plot position of the group's benchmark trace
    const int paired = bench + pair;
    if (paired > n) break;
    file << trimmed(st.layout.trace_labels[paired - 1]) << '\n'
         << "            VERSUS first trace:\n"
         << trimmed(st.layout.trace_labels[bench - 1]) << '\n';
    if (!file) return -42;
    file << " X# BENCHMRK_VAL PAIRED_VALUE MIN_WSKR_VAL  CI_LOWERBND  CI_UPPERBND MAX_WSKR_VAL\n";
    if (st.settings.bxw_colour[k] < 1) {
      file << util::format("(1X,'**',8X,A)", {"ZERO COLOR NUMBER = NO BXWSKR OBJECTS"}) << '\n';
    } else {
      std::vector<double> central(used), ordinates(used);
      BxwTables tables;
      for (int i = 0; i < used; ++i) {
        const std::size_t at = static_cast<std::size_t>(k) * kBxwPoints + i;
        central[i] = st.traces.Y(bench - 1, i);
        ordinates[i] = st.traces.Y(paired - 1, i);
        tables.minus_lower.push_back(st.bxw_minus_lower[at]);
        tables.upper.push_back(st.bxw_upper[at]);
        tables.upper_whisker.push_back(st.bxw_upper_whisker[at]);
        tables.lower_whisker.push_back(st.bxw_lower_whisker[at]);
      }
      const bool right = st.settings.right_axis && st.settings.right_trace[bench - 1];
      const double scale = right ? st.settings.right_factor : st.settings.left_factor;
      if (write_bxw_objects(file, st.settings, k + 1, used, central, ordinates, tables, scale) !=
          0) {
        return -42;
      }
    }
    util::list_write(file, {});
  }
  // A full disk shows only when the buffered lines reach the file.
  file.flush();
  return file ? 0 : -42;
}

int PLT_TBXW(DriverState& st, const tracefile::ReaderState& reader, std::ostream& os) {
  if (!box_whiskers_wanted(st.settings)) return 0;
  if (const int rc = resample_box_whiskers(st, reader, os); rc != 0) return rc;
  return write_box_whiskers(st, st.files.text.bxw);
}

int BXW_RUN(DriverState& st, const tracefile::ReaderState& reader, const draw::PlotView& view,
            draw::Pen& pen) {
  if (!box_whiskers_wanted(st.settings)) return 0;
  if (const int rc = resample_box_whiskers(st, reader, pen.os); rc != 0) return rc;
  const draw::BoxWhiskerTables tables{st.bxw_minus_lower, st.bxw_upper, st.bxw_upper_whisker,
                                      st.bxw_lower_whisker};
  const draw::BoxWhiskerGroups groups{std::max(0, st.results.bxw.pairs_per_group),
                                      static_cast<int>(st.results.bxw.group_opcodes.size())};
  return draw::draw_box_whiskers(pen, view, tables, groups);
}

int PLT_DRIV(const DriverRequest& rq, util::TextUnit& control, tracefile::ReaderState& reader,
             DriverState& st, std::ostream& os) {
  reset_settings(st.settings, kMaxTraces, true);
  reset_results(st.results);
  st.layout = PlotLayout{};
  st.results.plot_number = rq.plot;
  st.resampling.ucd_path = st.files.output_path("trace.ucd");
  st.first_trace = rq.traces[0];
  if (rq.method < kAllTraces || rq.method > kSignificance) {
    PLT_MSG(-4, "PLT_DRIV", os);
    return -4;
  }
  int final_type = rq.plot_type;
  if (rq.trace_count > kMaxTraces) {
    PLT_MSG(-8, "PLT_DRIV", os);
    return -8;
  }
  st.trace_count = std::max(0, rq.trace_count);
  st.traces.count.fill(0);
  st.merged = MergedAxis{};
  st.merged_values.clear();

  int rc = compute_traces(rq, reader, st, final_type, os);
  if (rc < 0) return rc;

  if (rq.display == kStatisticsPage) {
    reset_settings(st.settings, st.trace_count, true);
    reset_results(st.results);
    st.results.plot_number = rq.plot;
    st.results.final_type = final_type;
    (void)build_titles(st.settings, st.layout, title_input(st, rq.traces, rq.method, reader), os);
    (void)write_stats_page(st.layout, st.files.output_path("kor_statspage.txt"),
                           trace_data(st, st.trace_count), os);
    return rc;
  }
  if (rq.display == kAttributeDisplay || rq.display == kCrpsDisplay) {
    return diagram(rq, control, reader, st, os);
  }
  if (rq.method == kSignificance) return significance(rq, control, reader, st, final_type, os);
  if (rq.display == kPerformanceDisplay || rq.display == kTaylorDisplay) {
    return summary_diagram(rq, control, reader, st, os);
  }
  return plot_traces(rq, control, reader, st, final_type, rc, os);
}

}  // namespace kor::plot
