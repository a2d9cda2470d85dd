// The traces of a plot run: every listed trace computed by the statistics engine and smoothed when
// asked, the checks that the traces belong together, the two traces of METHODs 3 to 5 (and the
// ranks of the RPF histogram) combined into one, the scale factors applied, and the counts that
// the plot writes beside the traces.
//
// Trace positions count from 0 (`position`) in the state's tables; a position's number in the
// list and in messages ("TRACE #01") counts from 1.
#ifndef KOR_PLOT_TRACES_H_
#define KOR_PLOT_TRACES_H_

#include <iosfwd>
#include <span>
#include <vector>

#include "plot/run_state.h"
#include "plot/text_output.h"
#include "tracefile/reader.h"

namespace kor::plot {

// Runs the statistics engine on plot-relative trace `trace` with `code` and `lag` into `arrays`
// (reused from call to call) and `result`, as the driver does for every trace.  Returns RDTD_TRC's
// code.
[[nodiscard]] int engine_call(const tracefile::ReaderState& reader, DriverState& state,
                              stats::TraceArrays& arrays, int trace, int code, int lag,
                              stats::TraceResult& result, std::ostream& os);

// The per-trace loop: each listed trace computed with its code (its own under METHODs 2, 5 and 6,
// the first one otherwise) and kept in the state with its extremes and labels, smoothed with the
// request's running mean, grouped for box-whisker objects and its abscissas merged; the special
// plots set the final type (binned data for rank histograms and field diagrams).  Skill-score and
// binned-data plots compare every trace's counts with the first trace's.  Returns 0, the warning
// of the count comparison (+2, +3), or the error that ends the driver (-6, -31, -47; reported).
[[nodiscard]] int compute_traces(const DriverRequest& request, const tracefile::ReaderState& reader,
                                 DriverState& state, int& final_type, std::ostream& os);

// Running mean of `y` over a window of `window` points: `align` < 0 takes the window - 1 points
// before each point, > 0 the window - 1 points after it, 0 window/2 points after and window/2
// before (one fewer before when the window is even).  Missing values (-9999 within 0.1) in the
// window are skipped; a point that is missing itself, or whose window holds no value, stays
// -9999.  A window of 0 or less leaves `y` unchanged.
void running_mean(std::span<float> y, int window, int align);

// Recomputes the value range of trace `position` over its non-missing values.
void value_range(DriverState& state, int position);

// METHODs 3 to 5 turn the two traces into their difference (TRACE_DIFF mode 1, 2 or 3), METHOD 2
// with display 3 and several traces into the rank of the first among the others (the RPF
// histogram, `rpf` set); either leaves one trace.  Returns 0 or the code that ends the driver
// (reported).
[[nodiscard]] int combine_traces(const DriverRequest& request, DriverState& state, bool& rpf,
                                 std::ostream& os);

// Multiplies every non-missing ordinate of traces 0..trace_count - 1 by the scale factor of its
// axis (the right factor for traces on the right axis when it is in use, else the left one); a
// factor of 1 leaves a trace as it is.
void apply_scale_factors(const PlotSettings& settings, resample::PlotTraces& traces,
                         int trace_count);

// The counts of the bins or thresholds written above an FHO skill-score or binned-data plot, into
// state.bin_counts (empty for any other plot).
void collect_bin_counts(const DriverRequest& request, const tracefile::ReaderState& reader,
                        DriverState& state, int final_type, std::ostream& os);

// Count-weighted mean of a trace's ordinates: the sum of value x count over the points where both
// are present (a value within 0.1 of -9999 is missing, as is a count that is), divided by the sum
// of those counts; -9999 when that sum is not positive.  Points beyond the shorter span are not
// used.
double count_weighted_mean(std::span<const float> values, std::span<const double> counts);

// The legend of a graphics device shows the count-weighted mean of every trace whose label ends in
// "+" (in its kMeanSummary slot); the counts come from the engine with the sample-count code.
void weighted_means(const DriverRequest& request, const tracefile::ReaderState& reader,
                    DriverState& state, std::ostream& os);

// The points of the first `count` traces for the statistics page and the text dump.
std::vector<TraceData> trace_data(const DriverState& state, int count);

// The attribute-diagram preparation leaves each trace's forecast use frequencies in the trace
// itself and the observed frequencies in its companion, while the labels, the bar colours and the
// right axis of the diagram go the other way (a trace is its "RELIABILITY" curve, the companion its
// "FRCST USE FREQUENCY" or use histogram).  For drawing, each of the first `n` traces changes
// places with its companion, so that every curve is drawn as what its legend says.
void draw_reliability_first(resample::PlotTraces& traces, int n);

}  // namespace kor::plot

#endif  // KOR_PLOT_TRACES_H_
