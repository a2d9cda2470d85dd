// The points of a trace as the plot methods read them: a value is present unless it is missing
// (within 0.1 of -9999) or not finite; the abscissas and ordinates of a trace as spans over its
// point count.
#ifndef KOR_PLOT_DRAW_POINTS_H_
#define KOR_PLOT_DRAW_POINTS_H_

#include <algorithm>
#include <cmath>
#include <span>

#include "plot/draw/view.h"
#include "util/missing.h"

namespace kor::plot::draw {

inline bool present(double v) { return !util::IS_MISSING(v) && std::isfinite(v); }

// Abscissas and ordinates of trace position `t` (0-based).
inline std::span<const float> trace_x(const PlotView& view, int t) {
  return {&view.traces.x[static_cast<std::size_t>(t) * view.traces.leading],
          static_cast<std::size_t>(std::clamp(view.traces.count[t], 0, view.traces.leading))};
}
inline std::span<const float> trace_y(const PlotView& view, int t) {
  return {&view.traces.y[static_cast<std::size_t>(t) * view.traces.leading],
          static_cast<std::size_t>(std::clamp(view.traces.count[t], 0, view.traces.leading))};
}

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_POINTS_H_
