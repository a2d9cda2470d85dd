// The trace data file: capacities, field-ID names, data record layouts, packed values and the
// date-time of time-series point labels.
//
// A trace data file is a header section of condition groups, an "EOCF" record and a data section of
// data groups, one record per trace point.  The reader keeps its tables at the capacities below and
// rejects input that would pass them.
#ifndef KOR_TRACEFILE_FORMAT_H_
#define KOR_TRACEFILE_FORMAT_H_

#include <optional>
#include <string>
#include <string_view>

namespace kor::tracefile {

inline constexpr int kMaxTraces = 24;         // traces per plot
inline constexpr int kMaxPoints = 2048;       // data records per trace
inline constexpr int kMaxDepth = 28;          // data values per record
inline constexpr int kMaxColumns = 29;        // data values with the weight
inline constexpr int kMaxDepValues = 32;      // condition records of a dependent-variable group
inline constexpr int kMaxCells = 64;          // cells of an independent-variable group
inline constexpr int kMaxIndGroups = 8;       // independent-variable groups per plot
inline constexpr int kMaxGeneralSets = 16;    // general condition sets per plot
inline constexpr int kMaxSpecific = 16;       // specific conditions per trace
inline constexpr int kMaxMerged = 2048;       // merged x-axis labels of a plot
inline constexpr int kMaxPbs = 14;            // PBS category probabilities per trace
inline constexpr int kMaxCrps = 11;           // CRPS cumulative probabilities per trace
inline constexpr int kLabelWidth = 24;        // point labels, condition values in the tables
inline constexpr int kTokenWidth = 32;        // condition record tokens
inline constexpr int kHeaderTokenWidth = 16;  // data header tokens
inline constexpr int kGroupRecordWidth = 80;  // group header and condition records
inline constexpr int kDataHeaderWidth = 512;  // data header records
inline constexpr int kPlainValueWidth = 20;   // "D20.12" values
inline constexpr int kPackedValueWidth = 8;   // one blank and seven packed characters

// The plot types of a trace data file (field 7 of a group header).
enum PlotType : int {
  kTimeSeriesPlot = 1,  // x positions are times
  kScatterPlot = 2,     // x positions are times too
  kSkillScorePlot = 3,  // a common x axis of thresholds or other values
  kBinnedDataPlot = 4,  // a common x axis of bins
};
// Plot types 1 and 2 place their points on a time axis.
constexpr bool is_time_plot(int plot_type) {
  return plot_type == kTimeSeriesPlot || plot_type == kScatterPlot;
}

// The missing level of the data tables: they are filled with kMissingFill before reading, and a
// value at or below kMissingLimit is missing (so is NaN).  Every sums array handed to the metric
// library follows the same rule.
inline constexpr double kMissingFill = -1.1e31;
inline constexpr double kMissingLimit = -1.0e30;
constexpr bool is_table_missing(double v) { return !(v > kMissingLimit); }

// Name of a field ID: 1-24 from the name table, 101 "COUNT", 102-109 "DV_01".."DV_08", and for
// further data columns 110-200 "DV_09".."DV_99" and above 200 "DV_**".  IDs below 1 and from 25 to
// 100 have no name (nullopt).
std::optional<std::string> field_name(int id);

// Decodes one packed value of seven characters.  Returns nullopt when a character pair lies outside
// 0 to 99, which makes the record unreadable.
std::optional<double> unpack_value(std::string_view seven);

// Packs a value into seven characters, the inverse of unpack_value (the writer of test and example
// files); the mantissa is rounded to 12 digits and the exponent must lie within -99 to 99.
std::optional<std::string> pack_value(double v);

// A date-time of a time-series label.
struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// Reads the first twelve columns of a label under "(I4,4I2)".  The year is not normalised here.
std::optional<DateTime> read_label_time(std::string_view label);

// The two-digit year rule: 0-20 means 2000-2020, 21-99 means 1921-1999, 1000 and above stand as
// they are; negative years and 100-999 are invalid.
std::optional<int> normalise_year(int year);

// Minutes from `b` to `a` (a - b), or nullopt when either date-time is invalid (year, month 1-12,
// day within its month, hour 0-23, minute 0-59).
std::optional<long long> minutes_between(const DateTime& a, const DateTime& b);

// The calendar date-time `minutes` (>= 0) after `ref`.  Returns the same failure as the calendar
// arithmetic of the fill-in points: -7 invalid reference year, -8 month outside 1-12, -9 day
// outside its month (or a negative count of minutes); 0 on success.
[[nodiscard]] int add_minutes(const DateTime& ref, long long minutes, DateTime& out);

bool is_leap_year(int year);
int days_in_month(int year, int month);

}  // namespace kor::tracefile

#endif  // KOR_TRACEFILE_FORMAT_H_
