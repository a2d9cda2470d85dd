// The plot methods that draw their own picture of the traces: the histogram of the first trace's
// values (final type 5) and the scatter plot of two traces with its regression line (final type
// 2), each with a box of statistics in the room left above the plot's upper left corner.
#ifndef KOR_PLOT_DRAW_METHODS_H_
#define KOR_PLOT_DRAW_METHODS_H_

#include <span>
#include <vector>

#include "plot/draw/pen.h"
#include "plot/draw/view.h"

namespace kor::plot::draw {

// The bins of a histogram over the X label positions p1..pn: the first left edge is
// p1 - (p2 - p1)/2, bin i ends halfway to the next position (the last one as far beyond pn as the
// previous half spacing), and each bin starts where the previous one ends.  `frequency` is the
// share of the non-missing values v with left <= v < right (the last bin also taking v = right).
struct HistogramBin {
  double left = 0, right = 0, frequency = 0;
};
std::vector<HistogramBin> histogram_bins(std::span<const double> positions,
                                         std::span<const float> values);

// Count, mean, standard deviation sqrt(sum v^2/n - mean^2), maximum and minimum of the
// non-missing values.
struct ValueStatistics {
  int count = 0;
  double mean = 0, std_dev = 0, max = 0, min = 0;
};
ValueStatistics value_statistics(std::span<const float> values);

// Histogram of trace 1 (final type 5): each non-empty bin a rectangle from the Y start to its
// frequency, filled in the next line colour (the colours cycle over the line definitions, bin by
// bin) and outlined in the border colour; with `statistics_box` the COUNT, AVG, STD box at the
// upper left and the MAX, MIN box at the middle of the top edge; then a flush (207).  Reversed
// axes print a line and draw nothing.  Returns 0 or -14.
[[nodiscard]] int draw_histogram(Pen& pen, const PlotView& view, bool statistics_box);

// Pairs of a scatter plot: trace 1 and trace 2 matched by equal abscissa (within 1.0E-5), walking
// both lists in increasing order; x from trace 1, y from trace 2.
struct ScatterPairs {
  std::vector<float> x, y;
};
ScatterPairs scatter_pairs(std::span<const float> x1, std::span<const float> y1,
                           std::span<const float> x2, std::span<const float> y2);

// The regression of y on x over the pairs with both values present: correlation (1 when its root
// is 0), and either the slope and intercept or, when the x values do not vary, a vertical line at
// their mean.
struct Regression {
  int n = 0;
  double correlation = 1, slope = 0, intercept = 0, x_mean = 0, y_mean = 0;
  bool vertical = false;
};
Regression regression(std::span<const float> x, std::span<const float> y);

// Scatter plot (final type 2): the pairs with marker definition 1, the diagonal with line
// definition 1, the regression line with line definition 2 (its slope and intercept printed) and
// the CORR, XAV, YAV box.  Reversed axes print a line and draw nothing.  Returns 0, -14, -15 or
// -16.
[[nodiscard]] int draw_scatter(Pen& pen, const PlotView& view);

// Texts of a statistics box above the plot's upper left corner (or from the middle of its top
// edge with `middle`), one per line, in L_TEXT attributes.  Returns 0, -12 or -14.
[[nodiscard]] int draw_text_box(Pen& pen, const PlotView& view,
                                const std::vector<std::string>& lines, bool middle);

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_METHODS_H_
