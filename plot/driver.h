// PLT_DRIV: the plot driver, the single entry of the plotting subsystem.
//
// kor calls it once per run after the dialogue has found the plot.  It asks the statistics engine
// for every listed trace, smooths the values when asked, checks that the traces belong together
// (box-whisker grouping, attribute and CRPS codes, bin counts), reads the graphics control file,
// decides the final plot type and then writes the statistics page (display 0), the text dump of
// the text device with its box-whisker companion, or the paired significance report (METHOD 6).
// On a graphics device, set up by the control-file reader, it draws the plot through the plot
// methods of plot/draw/ and ends graphics.
//
// Everything the user needs to know is printed on the caller's stream as it happens; the returned
// plotting code (PLT_MSG) is for the caller's information only.
#ifndef KOR_PLOT_DRIVER_H_
#define KOR_PLOT_DRIVER_H_

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "plot/axes.h"
#include "plot/draw/pen.h"
#include "plot/draw/view.h"
#include "plot/state.h"
#include "resample/diagrams.h"
#include "resample/resample.h"
#include "stats/engine.h"
#include "tracefile/reader.h"
#include "util/unit.h"

namespace kor::plot {

// The plot request of the dialogue.
struct DriverRequest {
  int plot = 1;
  std::array<int, kMaxTraces> traces{};  // plot-relative trace numbers, in drawing order
  int trace_count = 0;
  int method = 1;   // 1 to 6
  int display = 1;  // 0 to 7
  std::array<int, kMaxTraces> opcodes{};
  int opcode_count = 0;  // not used by the driver
  int smooth_window = 0;
  int smooth_align = 0;  // < 0 trailing, > 0 leading, 0 centred
  int plot_type = 1;     // the plot's type in the trace data file
  std::array<int, kMaxTraces> lags{};
};

// What the driver keeps for the run: the engine's and resampling's own state, the plot state and
// the per-trace results, so that a test can look at them after the call.
struct DriverState {
  DriverState();

  stats::TraceEngine engine;
  resample::ResampleState resampling;

  // The plot: what the control file sets, what follows from it and the data, what the driver
  // finds out, and the files of the run (their output directory is set by the caller).
  PlotSettings settings;
  PlotLayout layout;
  PlotResults results;
  PlotFiles files;

  // Per trace (position h - 1): the points as plotted, their extremes, labels and statistic.
  resample::PlotTraces traces{kMaxPoints};
  std::array<float, kMaxTraces> xmin{}, xmax{}, ymin{}, ymax{};
  std::array<std::string, kMaxTraces> stat_labels;  // 20 characters
  std::array<double, kMaxTraces> perfect{};
  MergedAxis merged;                  // abscissa labels of all traces (PLT_XLBS)
  std::vector<double> merged_values;  // numeric value of each merged entry
  std::vector<double> bin_counts;     // counts written above an FHO skill-score or binned plot
  char label_type = ' ';
  int last_plot_type = 0;  // plot type returned by the last RDTD_TRC call
  int count_code = -4;
  std::string stat_type;  // statistic type returned by the last RDTD_TRC call
  int trace_count = 0;    // traces plotted (after differences, RPF and diagram companions)
  int first_trace = 0;    // plot-relative number of the first listed trace (the benchmark)

  // Arrays the statistics engine writes into, reused from call to call: the values of the trace
  // being computed, and the counts (the count comparison, the bin counts, the weighted means).
  stats::TraceArrays engine_values{kMaxPoints};
  stats::TraceArrays engine_counts{kMaxPoints};

  // Box-whisker results of the last PLT_TBXW, per result k and point p (k * 64 + p).
  std::vector<float> bxw_minus_lower, bxw_upper, bxw_upper_whisker, bxw_lower_whisker;
};

// Runs the plot of `request`: reads the graphics control file from `control` and the plot's
// tables from `reader`, writing its messages (and those of the engine, resampling and the
// significance test) to `os`.  Returns the plotting return code (0, a warning or the error that
// ended the run, already reported).
// BXW_RUN: when box-whisker objects are wanted, resample_box_whiskers and then the drawing of the
// objects on `view` through `pen`.  Returns 0 or the first failure's code.
[[nodiscard]] int BXW_RUN(DriverState& state, const tracefile::ReaderState& reader,
                          const draw::PlotView& view, draw::Pen& pen);

int PLT_DRIV(const DriverRequest& request, util::TextUnit& control, tracefile::ReaderState& reader,
             DriverState& state, std::ostream& os);

// Running mean of `y` over a window of `window` points: `align` < 0 takes the window - 1 points
// before each point, > 0 the window - 1 points after it, 0 window/2 points after and window/2
// before (one fewer before when the window is even).  Missing values (-9999 within 0.1) in the
// window are skipped; a point that is missing itself, or whose window holds no value, stays
// -9999.  A window of 0 or less leaves `y` unchanged.
void running_mean(std::span<float> y, int window, int align);

// Slot of the per-trace summary values that holds the count-weighted mean shown in the legend.
inline constexpr int kMeanSlot = 5;

// Count-weighted mean of a trace's ordinates: the sum of value x count over the points where both
// are present (a value within 0.1 of -9999 is missing, as is a count that is), divided by the sum
// of those counts; -9999 when that sum is not positive.  Points beyond the shorter span are not
// used.
double count_weighted_mean(std::span<const float> values, std::span<const double> counts);

// The box-whisker grouping of trace position h (1-based) with op code `opcode` and file trace
// number `file_trace` in a list of `count` traces: records the groups of equal op codes, checks
// that later groups repeat the first group's traces, and records request errors 1 to 4.
void group_box_whisker(BoxWhiskerBook& book, int h, int count, int opcode, int file_trace);

// BXW_ERRS: when box-whisker objects are wanted (a colour above 0) and request errors were
// recorded, prints the error report.  Returns 0.
int BXW_ERRS(const PlotSettings& settings, const BoxWhiskerBook& book, std::ostream& os);

// Multiplies every non-missing ordinate of traces 1..trace_count by the scale factor of its axis
// (the right factor for traces on the right axis when it is in use, else the left one); a factor
// of 1 leaves a trace as it is.
void apply_scale_factors(const PlotSettings& settings, resample::PlotTraces& traces,
                         int trace_count);

// Resamples every abscissa point of the plotted traces (at most 64) into the box-whisker result
// tables of `state`, printing each result's median and skew ratio on `os`.  Returns 0, -38 (point
// counts differ), -39 (resampling failed) or -40 (wrong result count), recording the matching
// box-whisker request error.
[[nodiscard]] int resample_box_whiskers(DriverState& state, const tracefile::ReaderState& reader,
                                        std::ostream& os);

// Writes the box-whisker objects of the result tables to `file`: the heading, then per result the
// two traces' labels and one line per point.  Returns 0, or -42 when a write failed.
[[nodiscard]] int write_box_whiskers(const DriverState& state, std::ostream& file);

// PLT_TBXW: when box-whisker objects are wanted, resample_box_whiskers and then
// write_box_whiskers to the box-whisker text file.  Returns 0 or the first failure's code.
[[nodiscard]] int PLT_TBXW(DriverState& state, const tracefile::ReaderState& reader,
                           std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_DRIVER_H_
