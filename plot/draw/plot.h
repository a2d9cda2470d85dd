// A whole drawn plot: frame and legend, axes, then the drawing of its final plot type, and the end
// of graphics.  The plot driver calls these after the graphics device was set up.
#ifndef KOR_PLOT_DRAW_PLOT_H_
#define KOR_PLOT_DRAW_PLOT_H_

#include <functional>

#include "plot/draw/pen.h"
#include "plot/draw/view.h"
#include "util/support.h"

namespace kor::plot::draw {

// The box-whisker step of skill-score and binned-data plots (resampling, then drawing); returns
// its code.
using BoxWhiskerStep = std::function<int(Pen&)>;

// The graphics branch of METHODs 1 to 5: frame and legend, axes (a nonzero code of either is
// reported with "PLT_DRIV"; a negative one ends the plot), then by final type: 1 and 6 the traces;
// 2 the scatter plot (-5 unless there are exactly two traces); 3 and 4 the traces, the
// box-whisker objects of `box_whiskers` and, when they succeed, their annotation (a failure of
// either is reported and cleared); 5 the histogram (with its statistics box unless `rpf`); any
// other type -7.  When the code is not negative the reference polyline follows.  A nonzero code
// is reported with a blank caller text and returned.
[[nodiscard]] int draw_plot(Pen& pen, const PlotView& view, bool rpf,
                            const BoxWhiskerStep& box_whiskers, util::SupportState& support);

// The attribute diagram (final type 7) or CRPS reliability diagram (8): frame and legend, axes,
// the traces, then the attribute-diagram lines at the first trace's climatological frequency, or
// the reference polyline when nothing failed.  Returns 0 or the first failure (reported).
[[nodiscard]] int draw_diagram(Pen& pen, const PlotView& view);

// End of graphics: flush (207), end of frame (214), end of plotting with option 0 (102), which
// leaves the server running; on success the line " Warning:  MOBPLT subprocesses are still
// running.".  Returns 0 or -14 (reported).
[[nodiscard]] int end_graphics(Pen& pen);

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_PLOT_H_
