// Drawing of box-whisker objects: the boxes (and whiskers) of the resampled differences between
// each trace and the benchmark trace of its group, side by side at every abscissa, and the
// annotation with the confidence level and the number of samples.  The resampling itself is the
// plot driver's; the results come in as its tables of 64 points per result (plot/state.h).
#ifndef KOR_PLOT_DRAW_BOX_WHISKER_H_
#define KOR_PLOT_DRAW_BOX_WHISKER_H_

#include "plot/draw/pen.h"
#include "plot/draw/view.h"
#include "plot/state.h"
#include "util/support.h"

namespace kor::plot::draw {

// The grouping of the traces: traces per statistic line (the group size, benchmark first) and
// the number of statistic lines.
struct BoxWhiskerGroups {
  int pairs = 0;  // pairs per statistic line
  int lines = 0;  // statistic lines (op-code groups)
};

// Left edge offset of the objects of pair `pair` (1-based) on statistic line `line` (1-based):
// objects of one abscissa stand side by side, `width` apart.  With the benchmark trace drawn
// with markers the objects of every marked line share the abscissa:
// width x ((g + 1) G / 2 - (g + 1) j - i + 0.5), G the marked lines, j those before this line;
// otherwise width x (g / 2 - i + 1).
double box_shift(const PlotView& view, const BoxWhiskerGroups& groups, int pair, int line,
                 double width);

// BXW_DRAW: the objects of result `k` (0-based; pair `pair` of line `line`, both 1-based) at the
// points of the benchmark trace `bench` (0-based), in coordinate system `system`, the differences
// scaled by `scale`.  Nothing is drawn for a colour number below 1.  A failing request leaves its
// code (-14, reported) in the result and drawing goes on.
[[nodiscard]] int BXW_DRAW(Pen& pen, const PlotView& view, const BoxWhiskerTables& tables,
                           const BoxWhiskerGroups& groups, int k, int pair, int line, int bench,
                           char system, double scale);

// The drawing half of BXW_RUN: every result on the points of its group's benchmark trace, on the
// alternate axis (request 601) when the benchmark trace is on the right axis.  Returns 0 or the
// last failure.
[[nodiscard]] int draw_box_whiskers(Pen& pen, const PlotView& view, const BoxWhiskerTables& tables,
                                    const BoxWhiskerGroups& groups);

// BXW_NOTE: when box-whisker objects are wanted and the annotation colour (B_TEXT count) is above
// 0, the two annotation lines "BOX CONF INT = " (whiskers on) or "CONFDNCE LVL = " with 1 - alpha,
// and "# OF SAMPLES = " with the trial count, at the B_TEXT position (view coordinates, or plot
// coordinates with "#") or, without one, a third of the way across the plot and 5 character
// heights below its top.  Returns 0, -14, -43 (attributes), -44 (position outside the view
// region) or -45 (text refused).
[[nodiscard]] int BXW_NOTE(Pen& pen, const PlotView& view, util::SupportState& support);

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_BOX_WHISKER_H_
