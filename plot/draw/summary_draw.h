// The summary diagrams on graphics devices and the confidence intervals of the attribute diagram.
//
// The performance diagram (final type 9) plots the probability of detection against the success
// ratio on square axes from 0 to 1: under the traces the contours of the critical success index
// (solid, labelled inside the plot near its right edge) and the lines of equal frequency bias
// (dashed, labelled outside the top and right edges); each trace joins its points in abscissa
// order with the point labels beside the markers, and on a time series a larger filled marker
// labelled "ALL" stands for all its points summed.
//
// The Taylor diagram (final type 10) places each trace at the radius of its normalised standard
// deviation and at the angle whose cosine is its correlation, on a quarter circle (a half circle
// when a correlation is negative): correlation rays and the labelled correlation scale on the outer
// arc, dotted arcs of equal standard deviation (the arc through the reference dashed), dashed
// circles of equal centred RMS difference around the reference point (1, 0), labelled, the
// reference point itself ("REF") and a numbered marker per trace.
//
// Everything is composed of polylines, polygons, markers and texts in graph coordinates ('M');
// arcs and circles are polylines cut exactly where they leave the diagram.  Labels inside the plot
// stand on patches of the background colour so that the lines under them do not cross them, and a
// point label that would cover another label is moved to the other side of its marker or left out.
#ifndef KOR_PLOT_DRAW_SUMMARY_DRAW_H_
#define KOR_PLOT_DRAW_SUMMARY_DRAW_H_

#include <functional>
#include <string>
#include <vector>

#include "plot/draw/pen.h"
#include "plot/draw/view.h"

namespace kor::plot::draw {

// The frame of a Taylor diagram: the outer radius (a whole number of steps, at least 1.1 times the
// largest normalised standard deviation and 1.1 times the reference), the step of the standard
// deviation scale and of the RMS-difference circles (0.25 up to a radius of 2, then 0.5, 1, or a
// round step), and whether the half circle is needed.
struct TaylorFrame {
  double radius = 1.25, step = 0.25;
  bool half = false;
};
TaylorFrame taylor_frame(const DiagramResults& results);

// The axes of a Taylor diagram in the layout: the standard deviation scale from 0 (from -radius on
// the half circle) to the radius at every step, with room outside the arc for the correlation
// scale.  The plot aspect ratio the diagram needs (height over width: 1, or 1/2 for the half
// circle) is returned.
double taylor_layout(const TaylorFrame& frame, PlotLayout& layout);

// The correlations marked on the outer arc, in falling order: 1, 0.99, 0.95, 0.9 to 0.1 by 0.1 and
// 0 (and their negatives to -1 on the half circle).
std::vector<double> taylor_correlations(bool half);

// The frequency biases of the dashed lines of a performance diagram.
std::vector<double> performance_biases();

// A point in graph coordinates.
struct XY {
  double x = 0, y = 0;
};

// The runs of a polyline that lie inside a region: each run starts and ends where the line crosses
// the region's edge (found by bisection of the crossing segment), so a curve cut by the region ends
// exactly on its edge.  Runs of one point are dropped.
std::vector<std::vector<XY>> clip_runs(const std::vector<XY>& points,
                                       const std::function<bool(const XY&)>& inside);

// The background entries of the legend of a final type: the CSI contours and the frequency-bias
// lines of a performance diagram, the RMS-difference circles and the standard-deviation arcs of a
// Taylor diagram; none for other types.
std::vector<LegendKey> summary_keys(int final_type);

// A performance or Taylor diagram: frame and legend, the background, the traces and their labels,
// then the reference polyline (REF) of a performance diagram.  Returns 0 or the first failure
// (reported).
[[nodiscard]] int draw_summary_diagram(Pen& pen, const PlotView& view);

// The Wilson intervals of the observed frequencies of the first `traces` traces of an attribute
// diagram (each drawn as what its legend says, the reliability curve): a vertical bar with short
// caps at every probability bin, in the trace's line colour and width, the bars of neighbouring
// traces set a little apart.  Nothing without intervals.  Returns 0 or -14.
[[nodiscard]] int draw_reliability_intervals(Pen& pen, const PlotView& view, int traces);

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_SUMMARY_DRAW_H_
