// The layout derivation, the step of a plot run between reading the graphics control file and
// starting the device: the value ranges of the axes from the traces' extremes (scaled by FAC,
// widened for resampling and for bars), the bar width and box-whisker spacing, and the three axes
// from the XAX, YAX and RYA values.  The titles are left blank (build_titles fills them).
#ifndef KOR_PLOT_LAYOUT_DERIVATION_H_
#define KOR_PLOT_LAYOUT_DERIVATION_H_

#include <array>
#include <iosfwd>

#include "plot/axes.h"
#include "plot/layout.h"
#include "plot/state.h"

namespace kor::plot {

// What the control-file steps need from the plot driver: the trace count and final plot type
// (parser), the abscissas and the traces' extremes (layout).
struct ControlInput {
  int trace_count = 0;
  int final_type = 1;
  const MergedAxis* labels = nullptr;  // abscissa labels and positions (label count N)
  std::array<double, kMaxTraces> xmin{}, xmax{}, ymin{}, ymax{};
  // The smallest positive ordinate of each trace (0: none), for logarithmic axes.
  std::array<double, kMaxTraces> ypositive{};
};

// The value ranges of the axes from the traces' extremes, before the keywords.
void initial_ranges(PlotLayout& layout, const PlotSettings& settings, const ControlInput& input);

// Scales the value ranges by every FAC line of the settings, in file order.
void scale_ranges(PlotLayout& layout, const PlotSettings& settings, int final_type);

// Widens the X range for histogram bars (or box-whisker objects) of `c` bars beside each other at
// each of `labels` abscissas and returns the width of one bar (0 when there is no room).
double widen_for_bars(XAxisState& x, int c, int labels);

// The layout of the settings and the traces: value ranges (scaled, widened for resampling and for
// bars), bar width and box-whisker spacing, and the three axes.  Returns 0 or the axis code (-19,
// reported).
[[nodiscard]] int derive_layout(PlotLayout& layout, const PlotSettings& settings,
                                const BoxWhiskerBook& book, const ControlInput& input,
                                std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_LAYOUT_DERIVATION_H_
