// Traces as lines, markers and bars, and the straight lines of a plot: the horizontal reference
// lines of the WIT and RWT keywords, the reference polyline of REF and the four lines of an
// attribute diagram.
//
// Coordinates are graph coordinates: 'M' for traces on the left axis, 'Q' (the alternate pair) for
// traces on the right axis.  With reversed axes (REV) every method swaps abscissas and ordinates.
#ifndef KOR_PLOT_DRAW_LINES_H_
#define KOR_PLOT_DRAW_LINES_H_

#include <span>

#include "plot/draw/pen.h"
#include "plot/draw/view.h"

namespace kor::plot::draw {

// How one line is drawn: colour number (below 1 draws nothing), line type and width.
struct LineStyle {
  int colour = 1, type = 1, width = 1;
};

// Draws every run of consecutive points whose abscissa and ordinate are both present as one
// polyline in `style` (a run of one point draws nothing); the current colour is kept across the
// call (1207 before, 1201 after).  `swap` exchanges abscissas and ordinates.  Returns 0 or -14.
[[nodiscard]] int draw_line_runs(Pen& pen, const LineStyle& style, char system, bool swap,
                                 std::span<const float> x, std::span<const float> y);

// PLT_GLIN: draw_line_runs with line definition `number` (1-based) of the settings.  Returns 0,
// -14, or -15 (reported) for a number outside 1 to the number of line definitions.
[[nodiscard]] int PLT_GLIN(Pen& pen, const PlotSettings& settings, int number, char system,
                           std::span<const float> x, std::span<const float> y);

// PLT_GMRK: markers of definition `number` at every point; a point with a missing abscissa or
// ordinate is moved outside the plot, to (X start - 0.5 |X range|, -9999).  A marker colour below
// 1 draws nothing.  Returns 0, -14, or -16 (reported) for a number out of range.
[[nodiscard]] int PLT_GMRK(Pen& pen, const PlotSettings& settings, const PlotLayout& layout,
                           int number, char system, std::span<const float> x,
                           std::span<const float> y);

// Markers of definition `number` (1-based, in range) at the given points as they are, with the
// current colour kept across the call.  Returns 0 or -14.
[[nodiscard]] int draw_marker_points(Pen& pen, const PlotSettings& settings, int number,
                                     char system, std::span<const float> x,
                                     std::span<const float> y);

// The points that carry markers at marker interval `interval`: every point for 1, points 1,
// 1 + d, 1 + 2d, ... for d above 1, none for 0 (a line without markers).
std::vector<int> marked_points(int points, int interval);

// Number of traces drawn as bars (a bar colour above 0) among the first `trace_count`.
int bar_trace_count(const PlotSettings& settings, int trace_count);

// The bars of trace position `trace` (0-based): bar counter `k` is incremented, and the bars
// stand (bar traces x 0.5 - k + 1) bar widths left of each abscissa, from ordinate 0 (the axis
// start on a logarithmic axis) to the value, filled in the trace's bar colour and outlined with
// its line definition.  Returns 0 or the first failure (-14, -15).
[[nodiscard]] int draw_bars(Pen& pen, const PlotView& view, int trace, char system, int& k);

// Trace drawing: the bar traces first, then every other trace as a line with its markers, then
// the left reference lines and, with the right axis in use, the right ones.  Returns 0 or the
// first failure.
[[nodiscard]] int draw_traces(Pen& pen, const PlotView& view);

// Horizontal reference lines (WIT on the left axis, RWT on the right one) across the plot.
[[nodiscard]] int draw_reference_lines(Pen& pen, const PlotView& view, bool right);

// The attribute-diagram lines at climatological frequency `c`: the vertical line x = c, the
// diagonal, the no-skill line halfway between the diagonal and y = c, and the horizontal line
// y = c, each in its ADL style (a colour of 0 or less skips it).  Returns 0 or -14.
[[nodiscard]] int draw_attribute_lines(Pen& pen, const PlotView& view, double c);

// The reference polyline of REF, when it has points: the plot bounds are widened by 1 % of their
// magnitude and every point must lie inside them; otherwise the valid bounds are printed and the
// graphics status 13 is reported (-14).  Returns 0 or -14.
[[nodiscard]] int draw_reference_polyline(Pen& pen, const PlotView& view);

// The coordinate system of trace position `trace` (0-based): 'Q' on the right axis, else 'M'.
char trace_system(const PlotSettings& settings, int trace);

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_LINES_H_
