#include "plot/driver.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "graphics/link.h"
#include "plot/box_whiskers.h"
#include "plot/control.h"
#include "plot/csv_output.h"
#include "plot/device.h"
#include "plot/draw/plot.h"
#include "plot/draw/summary_draw.h"
#include "plot/kinds.h"
#include "plot/labels.h"
#include "plot/messages.h"
#include "plot/summary_diagrams.h"
#include "plot/text_output.h"
#include "plot/traces.h"
#include "resample/significance.h"
#include "util/listout.h"
#include "util/text.h"

namespace kor::plot {

namespace {

// ---- What the steps read of the run's state ----

TitleInput title_input(const DriverState& st, const std::array<int, kMaxTraces>& list, int method,
                       const tracefile::ReaderState& reader) {
  TitleInput ti;
  ti.trace_count = st.trace_count;
  ti.trace_list = list;
  ti.stat_labels = st.stat_labels;
  ti.method = method;
  ti.stat_type = util::rtrimmed(st.stat_type);
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
  for (int position = 0; position < kMaxTraces; ++position) {
    in.xmin[position] = st.xmin[position];
    in.xmax[position] = st.xmax[position];
    in.ymin[position] = st.ymin[position];
    in.ymax[position] = st.ymax[position];
    double positive = 0.0;
    for (int i = 0; i < std::clamp(st.traces.count[position], 0, st.traces.leading); ++i) {
      const double v = st.traces.Y(position, i);
      if (v > 0.0 && std::isfinite(v) && (positive == 0.0 || v < positive)) {
        positive = v;
      }
    }
    in.ypositive[position] = positive;
  }
  return in;
}

// The text dump's input: the traces as plotted and the merged abscissas.
TextDumpInput text_dump_input(const DriverState& st, int final_type) {
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
  v.stat_type = util::rtrimmed(st.stat_type);
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

// ---- The control file, the layout and the output device ----

// The output device of the run: its kind, and the graphics link and the requests over it;
// `graphics` tells that a graphics device was started and has to be ended.
struct OutputDevice {
  DeviceSpec spec;
  graphics::LinkState link;
  graphics::LinkRequests requests{link};
  bool graphics = false;

  bool is_text() const { return spec.kind == DeviceKind::kText; }
  bool is_csv() const { return spec.kind == DeviceKind::kCsv; }
};

// The steps that follow the traces: the control file parsed into the settings (with `text_only`
// the device stays the text device), the layout derived, and the output device started.  Returns
// 0 or the code that ended a step (reported).
int start_output(DriverState& st, util::TextUnit& control, int final_type, bool text_only,
                 OutputDevice& device, std::ostream& os) {
  device.link.out = &os;
  const ControlInput in = control_input(st, final_type);
  int rc = parse_control_file(st.settings, st.results.bxw, control, in, text_only, os);
  if (rc == 0) rc = derive_layout(st.layout, st.settings, st.results.bxw, in, os);
  if (rc != 0) return rc;
  device.spec = parse_device(st.settings.device);
  rc = start_output_device(st.settings, device.spec, st.files, &device.requests, os);
  device.graphics = st.files.graphics_started;
  return rc;
}

// Ends graphics started by start_output (flush, end of frame, end of plotting): the device
// subprocesses stay running for the next run from the same terminal.
int end_graphics(OutputDevice& device, std::ostream& os) {
  if (!device.graphics) return 0;
  device.graphics = false;
  draw::Pen pen{device.requests, os};
  return draw::end_graphics(pen);
}

// A step that ended the run: graphics are ended and the text files closed.  Returns `rc`.
int end_early(OutputDevice& device, DriverState& st, int rc, std::ostream& os) {
  (void)end_graphics(device, os);
  st.files.text.close();
  return rc;
}

// The text dump on the text device (both files closed after it).  Returns its code (reported).
int write_text_dump(DriverState& st, int final_type, std::ostream& os) {
  const int rc = PLT_TEXT(st.layout, text_dump_input(st, final_type), st.files.text);
  if (rc != 0) PLT_MSG(rc, "PLT_TEXT", os);
  return close_text(st.files.text, true, rc, -23, "PLT_TEXT", os);
}

// ---- The kinds of run ----

// Display 6 and 7: the attribute diagram or the CRPS reliability diagram.
int diagram(const DriverRequest& rq, util::TextUnit& control, const tracefile::ReaderState& reader,
            DriverState& st, std::ostream& os) {
  const bool attr = rq.display == kAttributeDisplay;
  const int final_type = attr ? kAttributeDiagram : kCrpsReliability;
  const int n = st.trace_count;
  float spacing = 0.0f;
  int rc = reliability_data(attr, st, spacing, os);
  if (rc < 0) return rc;

  OutputDevice device;
  rc = start_output(st, control, final_type, false, device, os);
  if (rc < 0) {
    PLT_MSG(rc, "PLT_DRIV", os);
    (void)end_graphics(device, os);
    return rc;
  }
  std::array<int, kMaxTraces> list = rq.traces;
  if (attr) {
    for (int position = 0; position < n; ++position) {
      st.stat_labels[n + position] = st.stat_labels[position];
      list[n + position] = position + 1;
    }
  }
  st.results.final_type = final_type;
  confidence_intervals(st);
  const int tl = build_titles(st.settings, st.layout, title_input(st, list, rq.method, reader), os);
  if (tl < 0) {
    PLT_MSG(tl, "PLT_DRIV", os);
    (void)end_graphics(device, os);
    return tl;
  }
  if (device.is_text()) return write_text_dump(st, final_type, os);
  // The bars of the frequency companions (or of the CRPS traces) stand side by side between the
  // closest neighbouring abscissas.
  const int diagram_traces = attr ? st.trace_count / 2 : st.trace_count;
  if (spacing < 1e30f && diagram_traces > 0) {
    st.layout.bar_width = spacing / (diagram_traces + 1);
  }
  if (attr) draw_reliability_first(st.traces, n);
  if (device.is_csv()) return write_csv_output(st, text_dump_input(st, final_type), nullptr, os);
  draw::Pen pen{device.requests, os};
  rc = draw::draw_diagram(pen, plot_view(st, rq, final_type));
  const int e = end_graphics(device, os);
  return rc != 0 ? rc : e;
}

// Displays 8 and 9: the performance diagram or the Taylor diagram.
int summary_diagram(const DriverRequest& rq, util::TextUnit& control,
                    const tracefile::ReaderState& reader, DriverState& st, std::ostream& os) {
  const bool performance = rq.display == kPerformanceDisplay;
  const int final_type = performance ? kPerformanceDiagram : kTaylorDiagram;
  int rc = performance ? performance_data(rq, reader, st, os) : taylor_data(rq, reader, st, os);
  if (rc < 0) return rc;
  OutputDevice device;
  rc = start_output(st, control, final_type, false, device, os);
  if (rc != 0) return end_early(device, st, rc, os);
  st.results.final_type = final_type;
  if (performance) performance_tags(st);
  (void)build_titles(st.settings, st.layout, title_input(st, rq.traces, rq.method, reader), os);
  summary_layout(performance, st);
  if (device.is_text()) return write_text_dump(st, final_type, os);
  if (device.is_csv()) return write_csv_output(st, text_dump_input(st, final_type), nullptr, os);
  draw::Pen pen{device.requests, os};
  rc = draw::draw_summary_diagram(pen, plot_view(st, rq, final_type));
  const int e = end_graphics(device, os);
  return rc != 0 ? rc : e;
}

// METHOD 6: the paired significance test of two traces, on the text device whatever DEV says.
int significance(const DriverRequest& rq, util::TextUnit& control,
                 const tracefile::ReaderState& reader, DriverState& st, int final_type,
                 std::ostream& os) {
  OutputDevice device;
  int rc = start_output(st, control, final_type, true, device, os);
  if (rc != 0) return end_early(device, st, rc, os);
  st.results.final_type = final_type;
  (void)build_titles(st.settings, st.layout, title_input(st, rq.traces, rq.method, reader), os);
  const std::string code_label = util::rtrimmed(st.stat_labels[0]);
  const std::array<std::string, 2> texts{code_label, code_label};
  std::array<std::string, 2> labels{st.layout.trace_labels[0], st.layout.trace_labels[1]};
  std::string from, to;
  if (st.merged.count > 0) {
    from = util::ST_LJST(util::rtrim(st.merged.label[0]));
    to = util::ST_LJST(util::rtrim(st.merged.label[st.merged.count - 1]));
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
  return end_early(device, st, rc, os);
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

// The text device: the text dump, then (when resampling was asked for) the box-whisker text; both
// files are closed.  Returns `rc`, or the last failure (reported).
int write_text_outputs(DriverState& st, const tracefile::ReaderState& reader, int final_type,
                       int rc, std::ostream& os) {
  int t = PLT_TEXT(st.layout, text_dump_input(st, final_type), st.files.text);
  if (t != 0) PLT_MSG(t, "PLT_TEXT", os);
  t = close_text(st.files.text, false, t, -23, "PLT_TEXT", os);
  if (t != 0) rc = t;
  int b = 0;
  if (st.settings.resample) {
    b = PLT_TBXW(st, reader, os);
    if (b != 0) PLT_MSG(b, "PLT_TBXW", os);
  }
  b = close_text(st.files.text, true, b, -42, "PLT_TBXW", os);
  if (b != 0) rc = b;
  return rc;
}

// A graphics device: the weighted means of the legend, then the plot with its box-whisker objects
// and the end of graphics.  Returns `rc`, or the last failure (reported).
int draw_traces(const DriverRequest& rq, const tracefile::ReaderState& reader, DriverState& st,
                int final_type, bool rpf, OutputDevice& device, int rc, std::ostream& os) {
  weighted_means(rq, reader, st, os);
  const draw::PlotView view = plot_view(st, rq, final_type);
  draw::BoxWhiskerStep box_whiskers;
  if (st.settings.resample && box_whiskers_wanted(st.settings)) {
    box_whiskers = [&](draw::Pen& pen) { return BXW_RUN(st, reader, view, pen); };
  }
  draw::Pen pen{device.requests, os};
  const int d = draw::draw_plot(pen, view, rpf, box_whiskers, device.link.support);
  if (d != 0) rc = d;
  const int e = end_graphics(device, os);
  return e != 0 ? e : rc;
}

// METHODs 1 to 5 with displays 1 to 5.
int plot_traces(const DriverRequest& rq, util::TextUnit& control,
                const tracefile::ReaderState& reader, DriverState& st, int final_type, int rc,
                std::ostream& os) {
  bool rpf = false;
  if (const int c = combine_traces(rq, st, rpf, os); c != 0) return c;
  if (const int f = final_type_of_display(rq, st, final_type, os); f != 0) return f;

  OutputDevice device;
  if (const int c = start_output(st, control, final_type, false, device, os); c != 0) {
    return end_early(device, st, c, os);
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
  if (device.is_csv()) {
    const int c = write_csv_output(st, text_dump_input(st, final_type), &reader, os);
    rc = c != 0 ? c : rc;
  } else {
    rc = device.is_text() ? write_text_outputs(st, reader, final_type, rc, os)
                          : draw_traces(rq, reader, st, final_type, rpf, device, rc, os);
  }
  BXW_ERRS(st.settings, st.results.bxw, os);
  return rc;
}

// Display 0: the statistics page of the traces as computed.
int statistics_page(const DriverRequest& rq, const tracefile::ReaderState& reader, DriverState& st,
                    int final_type, int rc, std::ostream& os) {
  reset_settings(st.settings, st.trace_count, true);
  st.results = PlotResults{};
  st.results.plot_number = rq.plot;
  st.results.final_type = final_type;
  (void)build_titles(st.settings, st.layout, title_input(st, rq.traces, rq.method, reader), os);
  (void)write_stats_page(st.layout, st.files.output_path("kor_statspage.txt"),
                         trace_data(st, st.trace_count), os);
  return rc;
}

}  // namespace

int PLT_DRIV(const DriverRequest& rq, util::TextUnit& control, const tracefile::ReaderState& reader,
             DriverState& st, std::ostream& os) {
  st.settings = PlotSettings{};
  st.results = PlotResults{};
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

  const int rc = compute_traces(rq, reader, st, final_type, os);
  if (rc < 0) return rc;
  if (rq.display == kStatisticsPage) return statistics_page(rq, reader, st, final_type, rc, os);
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
