// Text outputs of the plotting subsystem: the statistics page (display 0), the text dump of the
// text device (PLT_TEXT), the long-text writer both use, the box-whisker object lines of the
// box-whisker text file and the lines of the colour listing.  Every layout is fixed-column and goes
// through the edit-descriptor formatter.
#ifndef KOR_PLOT_TEXT_OUTPUT_H_
#define KOR_PLOT_TEXT_OUTPUT_H_

#include <array>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "plot/axes.h"
#include "plot/state.h"

namespace kor::plot {

// Writes `text` in lines of at most `width` characters (width capped at 128), each broken after the
// last blank that fits (a piece without a blank is cut at the width).  A piece starts after
// `indent` blanks, or is centred within the width when `indent` is negative; trailing blanks are
// not written.  An all-blank text writes nothing.  Returns 0, or -23 when a write fails.
[[nodiscard]] int write_long_text(std::ostream& os, int width, int indent, std::string_view text);

// One trace's points for the statistics page and the text dump.
struct TraceData {
  std::vector<double> x;  // abscissas
  std::vector<double> y;  // ordinates; -9999 (within 0.1) is missing
  int points = 0;         // used entries (checked against the vectors' sizes)
};

// Moments, extremes, median and mode of one trace's non-missing values (statistics page).
struct TraceStats {
  long long n = 0;
  double max = 0, min = 0, median = 0, mode = 0, skew_mode = 0;
  double mean = 0, std_dev = 0, variance = 0, skewness = 0, kurtosis = 0;
  int bins = 0;  // histogram bins used for the median and mode
};
TraceStats trace_stats(const TraceData& trace);

// The statistics page: for each of `traces`, the layout's title, the trace header and label and
// the two tables, every line written to `out` and then to the file `path` (created or
// overwritten; the driver names "kor_statspage.txt").  Returns 0 (the page does not check its
// writes).
int write_stats_page(const PlotLayout& layout, const std::string& path,
                     const std::vector<TraceData>& traces, std::ostream& out);

// Replaces the score tokens of a label by the trace's summary values written with 4 decimals:
// final type 7 "$BSC", "$BSK", "$REL", "$RES", "$UNC"; final type 8 "$RPS", "$RSK", "$REL",
// "$RES", "$UNC", "$POT".  A missing value leaves its token in place.
std::string substitute_score_tokens(std::string_view label, int final_type,
                                    const std::array<double, kSummaryValues>& summary);

// The merged abscissa positions in ascending order, to find the merged entry of a point by binary
// search instead of a pass over the whole list per point.  A point takes the entry of the lowest
// index whose position differs from it by less than 1.0E-5, as a pass in index order would.  The
// positions must outlive the index.
class MergedIndex {
 public:
  MergedIndex(const std::vector<double>& position, int count);

  // The lowest index j below the count with |position[j] - x| < 1.0E-5, or -1 (also for a NaN).
  int find(double x) const;

 private:
  const std::vector<double>& position_;
  std::vector<int> order_;
};

// PLT_TEXT: the text dump of the plot with the layout's title, trace labels and axis titles, on
// the text device's dump file (or `os`).  `merged_values` holds the merged values written for
// label type 'r'; the summary values replace the score tokens of attribute and CRPS reliability
// labels.  Returns 0, -22 (the dump file is not open) or -23 (a write failed).
struct TextDumpInput {
  std::vector<TraceData> traces;
  char label_type = ' ';
  const MergedAxis* merged = nullptr;
  std::vector<double> merged_values;
  int final_type = 1;
  std::array<std::array<double, kSummaryValues>, kMaxTraces> summary{};
  // The summary diagrams and intervals: a performance or Taylor diagram writes its table in place
  // of the points; with intervals asked for, a ROC trace is followed by its area and a reliability
  // trace by its bins.
  const DiagramResults* diagrams = nullptr;
};
[[nodiscard]] int PLT_TEXT(const PlotLayout& layout, const TextDumpInput& input, TextDevice& text);
[[nodiscard]] int PLT_TEXT(const PlotLayout& layout, const TextDumpInput& input, std::ostream& os);

// The points of a trace that its arrays hold, and the entries of a merged axis that its arrays
// hold: the counts, within the sizes of the arrays.
int used_points(const TraceData& t);
int used_merged_count(const MergedAxis& merged);
// The label of trace `p` (from 1) as the text dump and the picture show it: an attribute or CRPS
// reliability diagram's scores, or a ROC trace's area, in place of their tokens.
std::string shown_trace_label(std::string_view label, const TextDumpInput& input, int p);

// The lines of the box-whisker text: the line of a result without objects, and the line of point
// `number` (from 1) with its six values.
std::string bxw_zero_colour_line();
std::string bxw_point_line(int number, const std::array<double, 6>& values);

// The six values of a box-whisker object line at one point: the central value, the ordinate, the
// lower whisker end, the box's lower and upper ends and the upper whisker end, every one -9999
// unless the central value, the ordinate and the box half-widths at table entry `at` are all
// present (the half-widths and whisker extensions scaled by `scale`; the whisker ends only with
// the BXW print flag and both extensions present).
std::array<double, 6> bxw_point_values(const PlotSettings& settings, double central,
                                       double ordinate, const BoxWhiskerTables& tables,
                                       std::size_t at, double scale);

// The box-whisker object lines of result `object` (1-based) on `os`: the zero-colour line when
// the result has no request, else one line per point (at most 64, and no more than `central` and
// `ordinates` hold) with the central value, the ordinate and the four box and whisker ends of the
// result's entries in `tables`, scaled by `scale` (the whisker ends with the BXW print flag).
// Returns 0, or -42 when a write fails.
[[nodiscard]] int write_bxw_objects(std::ostream& os, const PlotSettings& settings, int object,
                                    int points, const std::vector<double>& central,
                                    const std::vector<double>& ordinates,
                                    const BoxWhiskerTables& tables, double scale);

// Colour listing: the header line and one colour's line (a blank name is shown as "redefined").
std::string colour_listing_header();
std::string colour_listing_line(int number, std::string_view name, int red, int green, int blue,
                                std::string_view device_name);

}  // namespace kor::plot

#endif  // KOR_PLOT_TEXT_OUTPUT_H_
