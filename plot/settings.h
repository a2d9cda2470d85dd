// The plot settings: every value the graphics control file sets, in effect for the plot at hand.
//
// The control-file reader (plot/control.h) parses the file into a PlotSettings; it opens no file
// and starts no device.  Besides what each keyword says, the settings carry the rules of the final
// plot type that decide where traces are drawn: a scatter plot and a histogram have no right axis,
// and the frequency companions of an attribute diagram take over the histogram bars on the right
// axis.  Everything derived from the settings and the data (axis ranges and labels, titles, bar
// widths) is the layout (plot/layout.h).
#ifndef KOR_PLOT_SETTINGS_H_
#define KOR_PLOT_SETTINGS_H_

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tracefile/format.h"
#include "util/missing.h"

namespace kor::plot {

using tracefile::kMaxPoints;                    // points per trace, merged abscissas
using tracefile::kMaxTraces;                    // traces per plot
inline constexpr int kMaxAxisLabels = 256;      // label positions per axis
inline constexpr int kMaxAxisLabelsMade = 255;  // labels an increment may generate
inline constexpr int kMaxUserLabels = 64;       // XUD labels
inline constexpr int kUserLabelWidth = 20;
inline constexpr int kMaxRefPoints = 64;  // reference polyline points
inline constexpr int kMaxBxwErrors = 32;  // stored box-whisker request errors
inline constexpr int kBxwPoints = 64;     // abscissa points of the box-whisker results
inline constexpr int kSummaryValues = 6;  // per-trace legend summary values
inline constexpr int kMeanSummary = 5;    // the summary slot of the count-weighted mean
inline constexpr int kTitleWidth = 256;
inline constexpr int kTraceLabelWidth = 80;
inline constexpr int kAxisTitleWidth = 80;
inline constexpr int kXLabelWidth = tracefile::kLabelWidth;  // abscissa labels
inline constexpr int kStatLabelWidth = 20;  // statistic labels kept by the driver (the engine's)
inline constexpr int kDeviceWidth = 256;  // the whole line: a file name is never cut
inline constexpr int kColourSpecWidth = 128;
inline constexpr int kAttrWidth = 80;        // text attributes
inline constexpr int kDefaultTrials = 2000;  // resampling trials without NSM (resampling's own)
using util::kPlotMissing;

inline constexpr char kDefaultTextAttr[] = "1/1/1/SW";

// Horizontal reference lines of one Y axis (WIT, RWT).
struct RefLines {
  int count = 0;
  std::array<int, kMaxTraces> colour{}, type{}, width{};
  std::array<double, kMaxTraces> ordinate{};
};

// A FAC line that scaled the value ranges: its left factor, and its right factor when the right
// axis was in use and the line gave one.  The ranges are scaled by every such line in file order.
struct ScaleLine {
  double left = 1.0;
  std::optional<double> right;
};

// Every slot of a per-trace table set to `value`, or numbered 1, 2, ... for the line and marker
// types.
template <typename T>
constexpr std::array<T, kMaxTraces> per_trace(T value) {
  std::array<T, kMaxTraces> a{};
  for (T& v : a) v = value;
  return a;
}
constexpr std::array<int, kMaxTraces> numbered_per_trace() {
  std::array<int, kMaxTraces> a{};
  for (int i = 0; i < kMaxTraces; ++i) a[i] = i + 1;
  return a;
}

// The member initialisers are the defaults of a plot of 24 traces: a file without keywords leaves
// every value as it is here.
struct PlotSettings {
  // Title and labels as given; a blank one is built from the plot's conditions (plot/labels.h).
  std::string title;                                 // 256 characters at most
  std::array<std::string, kMaxTraces> trace_labels;  // 80 characters at most
  std::array<bool, kMaxTraces> label_given{};
  std::array<bool, kMaxTraces> weighted_mean{};  // trailing "+" of a TRACE label
  std::string x_title, y_title, ry_title;        // 80 characters at most
  int x_title_line = 1, y_title_line = 1, ry_title_line = 1;
  bool two_column = false;

  // Border, device, colours.
  int border_colour = 1, border_type = 1, border_width = 1;
  bool clear = true;          // CLE: clear the device, rewrite the text files
  std::string device = "TX";  // DEV value, 80 characters at most
  std::string colours;        // COL value, 128 characters at most
  bool dev_given = false;     // a DEV line was read

  // Scale factors of the values, and the lines that scaled the value ranges.
  double left_factor = 1.0, right_factor = 1.0;
  std::vector<ScaleLine> scale_lines;

  // Lines and markers per trace, and the number of traces they are defined for.
  std::array<int, kMaxTraces> line_colour = per_trace(1), line_type = numbered_per_trace(),
                              line_width = per_trace(1), marker_interval = per_trace(1);
  int line_defs = kMaxTraces;
  std::array<int, kMaxTraces> marker_colour = per_trace(1), marker_type = numbered_per_trace(),
                              marker_width = per_trace(1);
  std::array<double, kMaxTraces> marker_size = per_trace(1.0);
  int marker_defs = kMaxTraces;

  // Layout keywords.
  std::array<double, 4> panel{0.0, 0.0, 1.0, 1.0};  // x1, y1, x2, y2
  int left_axis_type = 1, right_axis_type = 1;      // 1 linear, 2 logarithmic
  double aspect = 0.0;
  std::array<double, 4> margins{};  // left, bottom, right, top; 0: default
  std::array<int, 4> adl_colour{1, 1, 1, 1}, adl_type{2, 2, 2, 2}, adl_width{1, 1, 1, 1};
  int label_level = 1;
  std::string l_text = kDefaultTextAttr;
  std::array<std::string, 3> t_text{kDefaultTextAttr, kDefaultTextAttr, kDefaultTextAttr};

  // Reference lines and polyline.
  RefLines left_refs, right_refs;
  int ref_count = 0;
  std::array<double, kMaxRefPoints> ref_x{}, ref_y{};
  int ref_colour = 1, ref_type = 1, ref_width = 1;

  // Axis values (XAX, YAX, RYA: the last line of each), turned into axes by the layout.
  std::string xax, yax, rya;
  bool yax_given = false, rya_given = false;
  std::array<std::string, kMaxUserLabels> user_xlabels;  // XUD, 20 characters at most
  int user_xlabel_count = 0;
  bool reversed = false;

  // Which axis each trace is drawn against.
  bool right_axis = false;  // right Y axis in use
  bool right_only = false;  // every trace on the right axis
  std::array<bool, kMaxTraces> right_trace{};
  int first_right = 1, first_left = 1;

  // Histogram bars (HST): a colour per trace, and the number of traces the file gave a bar
  // colour (before an attribute diagram's companions take them over).
  std::array<int, kMaxTraces> bar_colour{};
  int hst_count = 0;
  int bar_traces = 0;

  // Box-whisker annotation text (B_TEXT).  The count is the annotation's colour number.
  int btext_count = 0;
  double btext_x = kPlotMissing, btext_y = kPlotMissing;
  bool btext_hash = false;  // the position is in plot coordinates
  std::string btext_attr;
  bool btext_box = true;

  // Resampling request (NSM, BXW) and significance test (SER).
  int trials = kDefaultTrials;
  bool resample = false;
  double test_level = 0.05;
  bool bxw_print = false, bxw_second = false;
  std::array<int, kMaxTraces> bxw_request{}, bxw_colour{};
  bool sig_test = true;

  // Confidence intervals of the reliability and ROC diagrams (CIL): their level, 0 for none.
  double ci_level = 0.0;
};

// Sets `settings` to PlotSettings{} with the line and marker definitions of `trace_count` traces
// (clamped to 0..24).  With `full` the resampling request (NSM, BXW: trials, resampling, level,
// the box-whisker requests) gets its defaults too; without, it is kept, as the control-file reader
// wants it.
void reset_settings(PlotSettings& settings, int trace_count, bool full);

// True when box-whisker objects are wanted: some request has a colour above 0.
bool box_whiskers_wanted(const PlotSettings& settings);

}  // namespace kor::plot

#endif  // KOR_PLOT_SETTINGS_H_
