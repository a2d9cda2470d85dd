// Axis ranges, label positions and the texts of abscissa labels.
//
// PLT_XLBS merges the abscissa lists of the traces.  The X, left-Y and right-Y axes take their
// range, label positions and frequencies from the XAX, YAX and RYA values (a blank value gives the
// defaults) and from the data range that the control-file reader left in the plot state.  The text
// routines build the time labels of a time series, the labels of skill-score and binned-data axes
// and the row of bin counts.  Nothing here draws.
#ifndef KOR_PLOT_AXES_H_
#define KOR_PLOT_AXES_H_

#include <string>
#include <string_view>
#include <vector>

#include "plot/layout.h"

namespace kor::plot {

// The merged abscissa list of a plot: positions, 24-character labels and an integer tag per entry,
// at most kMaxPoints entries.
struct MergedAxis {
  int count = 0;
  std::vector<double> position;
  std::vector<std::string> label;
  std::vector<int> tag;
};

// Merges one trace's abscissas into `merged`: an empty list takes the trace's list; otherwise the
// trace's leading points below the first merged position are put in front and its trailing points
// above the last merged position are appended (interior points are not merged).  Returns 0, or +1
// with `merged` unchanged when the result would hold more than `capacity` (at most kMaxPoints)
// entries or the trace's arrays are shorter than `points`.
[[nodiscard]] int PLT_XLBS(int capacity, int points, const std::vector<double>& x,
                           const std::vector<std::string>& labels, const std::vector<int>& tags,
                           MergedAxis& merged);

// X axis from the XAX value (start/stop/increments/frequencies).  Uses x.data_min/max as the data
// range and `times` (the abscissa labels and positions of a time series) for the
// "YYYYMMDDHH:YYYYMMDDHH" form.  Returns 0 or -19 (a date-time of that form that is not ten
// characters or cannot be placed on the time axis); the axis is left unchanged on failure.
[[nodiscard]] int x_axis_from_xax(XAxisState& x, std::string_view value, const MergedAxis& times,
                                  int final_type);

// Left Y axis from the YAX value (which may carry the "increment:n" form) and right Y axis from the
// RYA value, from the axis' own data range.  Return 0.
[[nodiscard]] int y_axis_from_yax(AxisState& y, std::string_view value, int final_type);
[[nodiscard]] int ry_axis_from_rya(AxisState& ry, std::string_view value, int final_type);

// The "nice" increment of a range split into `intervals` parts, normalised in steps of `base`
// (at most 28 steps each way).  0 for an empty or non-finite range.
double nice_increment(double range, int intervals, int base);

// Splits an XLA, YLA or YRL value "text/n" into the label (leading blanks removed, at most 80
// characters) and its line (a missing, zero or negative n gives 1).  Only a number or nothing
// after the last "/" is the line: "Bias (mg/kg)" is all label.  Returns true when the label was
// cut to 80 characters.
[[nodiscard]] bool parse_axis_label(std::string_view value, std::string& text, int& line);

// A logarithmic Y axis from the YAX or RYA value: the start and stop given (when positive), else
// the decades around the axis' positive data (data_min, or positive_min when the data reach 0 or
// below); labels at the decades, with 2 and 5 times them when two decades or fewer are shown,
// or at the positive positions given as two or more increments.  Label and grid frequencies as
// for a linear axis.
void log_axis(AxisState& axis, std::string_view value);

// Time labels of a time-series X axis.  `points` holds the points' abscissas (days) and their
// labels (date-time as YYYYMMDDHHMM).  Fills the label texts (already shortened), their positions
// and, for month and year axes, the minor tick positions.  Returns 0, +9 (month or year axis whose
// first point is not at 00:00; the caller reports it) or -19 (a point label that is not a valid
// date-time).
struct LabelTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
struct TimeLabels {
  std::vector<std::string> text;
  std::vector<double> position;
  std::vector<double> minor_ticks;
  std::vector<LabelTime> times;  // the date-time of each label
  bool with_minutes = false;     // the texts show the minutes
};
[[nodiscard]] int time_labels(const XAxisState& x, const MergedAxis& points, TimeLabels& out);

// The label texts "YYMMDD/HHNN" of `times` shortened against each other: a piece (year, month, day,
// hour, minutes) is written only when it changed, or while its run of repeats is below
// `frequency`.  With `with_minutes` false the minutes are left out.
std::vector<std::string> shorten_time_labels(const std::vector<LabelTime>& times, int frequency,
                                             bool with_minutes);

// X label texts of skill-score and binned-data plots (final types 3 and 4): XUD labels, the merged
// labels without blanks, or for label type 'r' each merged value written with as many decimals as
// the spacing of the values needs.  At most 255 labels.
std::vector<std::string> category_label_texts(const PlotSettings& settings, int final_type,
                                              char label_type, const MergedAxis& merged,
                                              const std::vector<double>& merged_values,
                                              int point_count);

// Text of one bin count of the count row above a skill-score or binned-data plot: "(I7)" of the
// nearest integer below 100000 (1000000 when `few` counts, at most 8, are shown), "MSSNG" for a
// negative result, "mmEee" for a larger count.
std::string bin_count_text(double count, bool few);

// Checks the count row against the X labels: -17 when the numbers differ, else 0.
[[nodiscard]] int check_bin_counts(int count_count, int label_count);

}  // namespace kor::plot

#endif  // KOR_PLOT_AXES_H_
