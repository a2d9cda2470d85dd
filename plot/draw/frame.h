// Frame and legend: the plot area inside the view region, the title lines above it, the legend
// of the traces, the observation-counts line of FHO skill-score and binned-data plots, and the
// axis titles.  Called before the axes.
//
// The layout is worked out first, as a function of the plot and of the character sizes of the
// four text attribute sets (L_TEXT for axis labels, T_TEXT items 1 to 3 for title, legend and axis
// titles), in device units of the view region; then it is drawn in view-region coordinates ('V')
// and the plot area is set with request 602 in L_TEXT character units.
//
// From the top of the view region down: the top margin, the title lines (1.5 character heights
// each, the first line on top), the legend (1.4 legend character heights a line; in two columns
// with TWO; when that would take more than a third of the view region, in up to four columns and
// a smaller text, whole lines before wrapped entries, the least tall layout of its kind; left out
// with a message when it would leave the plot less than 30 % of the view region's height), the
// observation-counts line with room for the bin-count row, a gap of 3.2 character heights for
// the statistics boxes of scatter plots and histograms (and above ROC diagrams), then the plot.
// Below and beside the plot the margins hold the tick labels and the axis titles, widened when
// the labels need more room than the margins give.
#ifndef KOR_PLOT_DRAW_FRAME_H_
#define KOR_PLOT_DRAW_FRAME_H_

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "plot/draw/axis_draw.h"
#include "plot/draw/pen.h"
#include "plot/draw/view.h"

namespace kor::plot::draw {

// Character width and height in device units.
struct TextSize {
  double cw = 0, ch = 0;
};

// What the layout needs of the device: the view region's size in device units and the character
// sizes of the text attribute sets.
struct FrameMeasures {
  double view_width = 700, view_height = 700;
  TextSize label, title, legend, axis;  // L_TEXT, T_TEXT items 1, 2, 3
};

// A text and its anchor in view-region coordinates.
struct PlacedText {
  std::string text;
  double x = 0, y = 0;
};

// One legend entry: the trace position (0-based), or the background key (index into the view's
// keys, -1 for a trace), its label lines, where its sample goes (the left end and the vertical
// middle of its first line) and where its lines begin.
struct LegendEntry {
  int trace = 0;
  int key = -1;
  std::vector<PlacedText> lines;
  double sample_x = 0, sample_y = 0;
};

struct FrameLayout {
  std::array<double, 4> margins{};  // left, bottom, right, top in L_TEXT character units
  double left = 0, bottom = 0, right = 1, top = 1;  // the plot area in 'V'
  std::vector<PlacedText> title, counts;
  std::vector<LegendEntry> legend;
  double sample_width = 0, sample_height = 0;  // the legend sample, in 'V'
  double legend_scale = 1;                     // the legend text's size, relative to T_TEXT's
  bool legend_dropped = false;                 // the legend did not fit and is left out
  PlacedText x_title, y_title, ry_title;       // blank text: not drawn
};

// The size of every text of a plot drawn in the panel view region `panel` (x1, y1, x2, y2),
// relative to a full page: the square root of the panel's share of the page, at least one half.
double panel_text_scale(const std::array<double, 4>& panel);

// The lines of a title: split at "\", and each line wider than `width` characters broken after
// the last blank or "-" that fits (at the width when there is none).  Blank lines are dropped.
std::vector<std::string> title_lines(std::string_view title, int width);

// A legend label broken at blanks into lines of at most `width` characters (a word longer than
// that is cut).
std::vector<std::string> wrap_words(std::string_view text, int width);

// The legend text of trace position `trace` (0-based): its label with the weighted mean of a
// "+" trace, or the scores of an attribute diagram ($BSC $BSK $REL $RES $UNC, four decimals) or
// of a CRPS reliability diagram ($RPS $RSK $REL $RES $UNC $POT), or the ROC area of a ROC diagram
// ($AUC, with its interval when one was asked for) in place of their tokens.  A missing value
// leaves its token.  A Taylor diagram's entries begin with the trace's number, which stands beside
// its marker.
std::string legend_text(const PlotView& view, int trace);

// True when the plot has a legend: several traces (not on a scatter plot or histogram), a
// difference, a "+" trace, or background keys.
bool has_legend(const PlotView& view);

// The text of the observation-counts line, or "" when the plot has none.
std::string counts_line(const PlotView& view);

// The layout of the frame (see above) for the labels of `plan`.
FrameLayout layout_frame(const PlotView& view, const AxisPlan& plan, const FrameMeasures& m);

// Frame and legend: measures the character sizes, fits the axis labels of `plan` to the plot
// area, lays the frame out and draws it, and sets the plot area.  Prints +10 when the axis titles
// are hardware text.  Returns 0, -12 (text attributes) or -14 (reported).
[[nodiscard]] int frame_and_legend(Pen& pen, const PlotView& view, AxisPlan& plan);

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_FRAME_H_
