// The axis routine of a drawn plot: the label texts of every axis (time labels of a time series,
// category labels of skill-score and binned-data plots, numbers elsewhere, the bin-count row of
// FHO plots), how they fit along their axis, and the axes, labels and frame themselves.
//
// The label texts are planned before anything is drawn, because the frame needs their sizes to
// leave room for them; draw_axes then sends the axes through requests 601, 603 and 604.
#ifndef KOR_PLOT_DRAW_AXIS_DRAW_H_
#define KOR_PLOT_DRAW_AXIS_DRAW_H_

#include <string>
#include <vector>

#include "plot/draw/pen.h"
#include "plot/draw/view.h"

namespace kor::plot::draw {

// The labels of one axis.
struct AxisLabels {
  std::vector<float> positions;    // graph coordinates along the axis
  std::vector<std::string> texts;  // one per position
  std::vector<float> minor;        // a second pass of short ticks (month and year axes)
  int every = 1;                   // every k-th label is written
  int tick_every = 1, grid = 0;    // tick and grid frequencies
  bool turned = false;             // labels turned 90 degrees, reading upwards
  // The date-times of the labels of a time axis, and how they are shortened (label frequency,
  // minutes shown): once the labels are thinned, each written label is shortened against the
  // written label before it, so that a new month or year is never hidden.
  std::vector<LabelTime> times;
  int time_frequency = 1;
  bool with_minutes = false;
  // Characters of the longest label.
  int widest() const;
};

struct AxisPlan {
  AxisLabels x, y, ry;  // abscissa, left and right ordinate (before any exchange of REV)
  AxisLabels counts;    // the bin-count row along the top edge
  bool right = false;   // right axis drawn
  bool counts_row = false;
  int warning = 0;  // +9 from the time labels (printed by draw_axes)
};

// Texts of numeric axis labels: as many decimals as the spacing of the values needs (at most six;
// an exponent form for very large or very small values), 0 written as "0".
std::vector<std::string> number_labels(const std::vector<float>& values);

// Plans the labels of every axis.  Returns 0, -17 (bin counts and labels differ in number), -18
// (a time series whose labels are not date-times) or -19 (a time label that is not a date-time).
[[nodiscard]] int plan_axes(const PlotView& view, AxisPlan& plan);

// Fits labels along an axis of `length` device units from `start` to `stop` (logarithmic with
// `log`) by writing every
// k-th label, k the smallest multiple of the label frequency that keeps neighbours apart: by one
// character width for horizontal labels along a horizontal axis, by 1.2 character heights for
// turned labels and along a vertical axis.  Along a horizontal axis the labels are turned only
// when that shows more than twice as many of them.  `cw` and `ch` are the character width and
// height in device units.
void fit_labels(AxisLabels& labels, bool horizontal_axis, double length, double start, double stop,
                bool log, double cw, double ch);

// Graph coordinates (request 601) of the main pair, or of the alternate pair with the right axis
// range; with reversed axes X and Y are exchanged.
graphics::GraphCoordinates graph_coordinates(const PlotView& view, bool alternate);

// The labels of a time axis after thinning: each written label (every `every`-th from the first)
// shortened against the written label before it.  Other axes are left as they are.
void shorten_written_times(AxisLabels& labels);

// The minor ticks of a logarithmic axis from `start` to `stop`: 2 to 9 times each decade.
std::vector<float> log_minor_ticks(double start, double stop);

// The axis routine: graph coordinates, the L_TEXT attributes and the border style, the abscissa
// and ordinate axes with their labels, the bin-count row, and the frame around the plot area.
// The +9 warning of the time labels is printed here.  Returns 0, -12, or -14 (reported).
[[nodiscard]] int draw_axes(Pen& pen, const PlotView& view, const AxisPlan& plan);

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_AXIS_DRAW_H_
