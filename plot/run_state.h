// The run of one plot: what the dialogue asks for (DriverRequest) and what the plot driver keeps
// while it runs (DriverState): the statistics engine's and resampling's own state, the four parts
// of the plot (settings, layout, results, files), the traces as plotted and the box-whisker
// results.
//
// The steps of the run (plot/traces.h, plot/box_whiskers.h, plot/control.h,
// plot/layout_derivation.h, plot/device.h, plot/summary_diagrams.h) each take the parts they work
// on; the driver (plot/driver.h) runs them in order.  A test can make a fresh state, run a step and
// look at the state afterwards.
#ifndef KOR_PLOT_RUN_STATE_H_
#define KOR_PLOT_RUN_STATE_H_

#include <array>
#include <string>
#include <vector>

#include "plot/axes.h"
#include "plot/state.h"
#include "resample/diagrams.h"
#include "resample/resample.h"
#include "stats/engine.h"

namespace kor::plot {

static_assert(kStatLabelWidth == stats::kLabelWidth, "the driver keeps the engine's labels");
static_assert(kDefaultTrials == resample::kDefaultTrials, "the control file's default trials");

// The plot request of the dialogue.
struct DriverRequest {
  int plot = 1;
  std::array<int, kMaxTraces> traces{};  // plot-relative trace numbers, in drawing order
  int trace_count = 0;
  int method = 1;   // 1 to 6 (plot/kinds.h)
  int display = 1;  // 0 to 9 (plot/kinds.h)
  std::array<int, kMaxTraces> opcodes{};
  int opcode_count = 0;  // not used by the driver
  int smooth_window = 0;
  int smooth_align = 0;  // < 0 trailing, > 0 leading, 0 centred
  int plot_type = 1;     // the plot's type in the trace data file
  std::array<int, kMaxTraces> lags{};
};

// What the driver keeps for the run; every member starts at the state of a run that has not begun.
struct DriverState {
  stats::TraceEngine engine;
  resample::ResampleState resampling;

  // The plot: what the control file sets, what follows from it and the data, what the driver
  // finds out, and the files of the run (their output directory is set by the caller).
  PlotSettings settings;
  PlotLayout layout;
  PlotResults results;
  PlotFiles files;

  // The traces as plotted: trace position h (0-based) holds its points, extremes, statistic label
  // and perfect value, and what a special plot told of its sample.
  resample::PlotTraces traces{kMaxPoints};
  int trace_count = 0;  // traces plotted (after differences, RPF and diagram companions)
  int first_trace = 0;  // plot-relative number of the first listed trace (the benchmark)
  std::array<float, kMaxTraces> xmin{}, xmax{}, ymin{}, ymax{};
  std::array<std::string, kMaxTraces> stat_labels;  // kStatLabelWidth characters
  std::array<double, kMaxTraces> perfect{};
  std::array<stats::SampleSummary, kMaxTraces> samples;

  // The abscissas of all traces (PLT_XLBS), the numeric value of each merged entry, and the counts
  // written above an FHO skill-score or binned plot.
  MergedAxis merged;
  std::vector<double> merged_values;
  std::vector<double> bin_counts;

  // What the statistics engine said of the last trace it computed.
  char label_type = ' ';
  int last_plot_type = 0;
  int count_code = -4;
  std::string stat_type;

  // Arrays the statistics engine writes into, reused from call to call: the values of the trace
  // being computed, and the counts (the count comparison, the bin counts, the weighted means).
  stats::TraceArrays engine_values{kMaxPoints};
  stats::TraceArrays engine_counts{kMaxPoints};

  // The resampled box-whisker results of PLT_TBXW or BXW_RUN.
  BoxWhiskerTables bxw_tables;
};

}  // namespace kor::plot

#endif  // KOR_PLOT_RUN_STATE_H_
