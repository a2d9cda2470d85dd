// The plot layout: what is derived from the settings and the data before anything is drawn or
// written: the axes (value ranges, label positions and frequencies), the widths of histogram bars
// and box-whisker objects, and the titles and labels (the given ones, blank ones built from the
// plot's conditions).  The drawing and text outputs take the settings and the layout as inputs.
#ifndef KOR_PLOT_LAYOUT_H_
#define KOR_PLOT_LAYOUT_H_

#include <array>
#include <string>

#include "plot/settings.h"

namespace kor::plot {

// One axis: its range, label positions and frequencies.
struct AxisState {
  double start = 0.0, stop = 0.0;
  int label_count = 0;
  std::array<double, kMaxAxisLabels> labels{};
  int label_freq = 1, grid_freq = 0, tick_freq = 1;
  // Data range before the axis keywords (from the traces, scaled by FAC, widened for resampling
  // and for histogram bars), and for the Y axes the largest differences between two traces' maxima
  // and between two traces' minima.
  double data_min = 0.0, data_max = 0.0;
  double max_diff = 0.0, min_diff = 0.0;
  // The smallest positive value on the axis (a logarithmic axis cannot show the others); 0 when
  // none is known.
  double positive_min = 0.0;
};

// The X axis adds the time increment of a time-series axis.
struct XAxisState : AxisState {
  char time_unit = 'D';  // 'Y', 'M' or 'D'
  int time_inc = 1;
  int minor_period = 0;  // minor-tick period of month and year axes; 0 none
};

struct PlotLayout {
  XAxisState x;
  AxisState y, ry;
  double bar_width = 0.0;    // one histogram bar, in X units
  double bxw_spacing = 0.0;  // one box-whisker object, in X units

  // Titles and labels as drawn and written.
  std::string title;
  std::array<std::string, kMaxTraces> trace_labels;
  std::string x_title, y_title, ry_title;
};

}  // namespace kor::plot

#endif  // KOR_PLOT_LAYOUT_H_
