// The plot state: every plotting parameter that the graphics control file sets, the axis ranges and
// label positions derived from it, the text output files of the text device and the box-whisker
// bookkeeping of the plot driver.  One PlotState is owned by the caller for the run and passed by
// reference to the control-file reader, the axis and label builders and the text writers.
#ifndef KOR_PLOT_STATE_H_
#define KOR_PLOT_STATE_H_

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "resample/resample.h"
#include "stats/engine.h"
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
inline constexpr int kTitleWidth = 256;
inline constexpr int kTraceLabelWidth = 80;
inline constexpr int kAxisTitleWidth = 80;
inline constexpr int kXLabelWidth = tracefile::kLabelWidth;  // abscissa labels
inline constexpr int kStatLabelWidth = stats::kLabelWidth;   // statistic labels kept by the driver
inline constexpr int kDeviceWidth = 80;
inline constexpr int kColourSpecWidth = 128;
inline constexpr int kAttrWidth = 80;  // text attribute specifications
using resample::kDefaultTrials;
using util::kPlotMissing;

inline constexpr char kDefaultTextAttr[] = "1/1/1/SW";

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
};

// The X axis adds the time increment of a time-series axis.
struct XAxisState : AxisState {
  char time_unit = 'D';  // 'Y', 'M' or 'D'
  int time_inc = 1;
  int minor_period = 0;  // minor-tick period of month and year axes; 0 none
};

// Horizontal reference lines of one Y axis (WIT, RWT).
struct RefLines {
  int count = 0;
  std::array<int, kMaxTraces> colour{}, type{}, width{};
  std::array<double, kMaxTraces> ordinate{};
};

// The two text output files of the text device (units 51 and 52).
struct TextDevice {
  std::string dump_name;  // text dump file
  std::string bxw_name;   // box-whisker text file
  std::ofstream dump;
  std::ofstream bxw;
  bool is_open() const { return dump.is_open(); }
  void close() {
    if (dump.is_open()) dump.close();
    if (bxw.is_open()) bxw.close();
  }
};

struct PlotState {
  // Title and labels.
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

  // Scale factors.
  double left_factor = 1.0, right_factor = 1.0;

  // Lines and markers per trace.
  std::array<int, kMaxTraces> line_colour{}, line_type{}, line_width{}, marker_interval{};
  int line_defs = 0;
  std::array<int, kMaxTraces> marker_colour{}, marker_type{}, marker_width{};
  std::array<double, kMaxTraces> marker_size{};
  int marker_defs = 0;

  // Layout.
  std::array<double, 4> panel{0.0, 0.0, 1.0, 1.0};  // x1, y1, x2, y2
  int left_axis_type = 1, right_axis_type = 1;      // 1 linear, 2 logarithmic
  double aspect = 0.0;
  std::array<double, 4> margins{};  // left, bottom, right, top; 0: default
  std::array<int, 4> adl_colour{}, adl_type{}, adl_width{};
  int label_level = 1;
  std::string l_text = kDefaultTextAttr;
  std::array<std::string, 3> t_text{kDefaultTextAttr, kDefaultTextAttr, kDefaultTextAttr};

  // Reference lines and polyline.
  RefLines left_refs, right_refs;
  int ref_count = 0;
  std::array<double, kMaxRefPoints> ref_x{}, ref_y{};
  int ref_colour = 1, ref_type = 1, ref_width = 1;

  // Axes.
  XAxisState x;
  AxisState y, ry;
  std::array<std::string, kMaxUserLabels> user_xlabels;  // XUD, 20 characters at most
  int user_xlabel_count = 0;
  bool reversed = false;
  bool right_axis = false;  // right Y axis in use
  bool right_only = false;  // every trace on the right axis
  std::array<bool, kMaxTraces> right_trace{};
  int first_right = 1, first_left = 1;

  // Histogram bars.
  std::array<int, kMaxTraces> bar_colour{};
  int hst_count = 0;
  double bar_width = 0.0;

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
  double bxw_spacing = 0.0;
  bool sig_test = true;

  // Plot level, set by the plot driver.
  int final_type = 1;
  int plot_number = 1;
  int trace_count = 0;
  bool rank_hist = false, depth_flag = false, rpf_flag = false;
  std::string attr_param_label;  // 32 characters at most
  std::array<std::array<double, kSummaryValues>, kMaxTraces> summary{};
  std::array<double, kMaxTraces> clim_freq{};

  // Box-whisker bookkeeping of the plot driver.
  std::vector<int> group_opcodes;       // distinct op codes in trace order, one per group
  std::vector<int> first_group_traces;  // file trace numbers of the first group
  bool group_size_fixed = false;
  int group_size = 0;
  int group_start = 1;
  std::array<int, kMaxTraces> bxw_flag{};  // -1: the trace cannot take part
  std::array<int, kMaxBxwErrors> bxw_errors{};
  int bxw_error_count = 0;  // errors recorded, also those beyond the 32 stored
  int pairs_per_group = 0;

  // Text device files and where output files are written ("" = the working directory).
  TextDevice text;
  std::string output_dir;
  bool graphics_started = false;

  // Path of an output file named `name` in the output directory.
  std::string output_path(const std::string& name) const;
  // Records a box-whisker request error (codes beyond 32 are counted, not stored).
  void add_bxw_error(int code);
};

// Sets every default of the plot state for `trace_count` traces (line and marker definitions
// 1..trace_count; the count is clamped to 0..24).  With `full` it also sets the resampling
// defaults (2000 trials, resampling off, level 0.05, no box-whisker requests), clears the
// box-whisker bookkeeping and its error list, the per-trace summary values and climate frequencies
// and the plot-level flags, and sets the plot number to 1.  The text files are left as they are.
void reset_plot_state(PlotState& state, int trace_count, bool full);

}  // namespace kor::plot

#endif  // KOR_PLOT_STATE_H_
