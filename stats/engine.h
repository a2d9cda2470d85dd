// The statistics engine: RDTD_TRC turns one trace of the current plot into the points the plot
// driver draws.
//
// For every point of the trace's x axis it computes one value of the statistic chosen by the
// trace's computational code from the reader's trace sums (field 1 the sample count N, fields 2 to
// the data depth the N-weighted sums), places the values on the plot's time axis or common x axis,
// and returns x, y, x labels, the statistic label and its perfect value.  A code may carry a
// bias-adjustment prefix (1010000 + code ... 1040000 + code) or, on a threshold axis, a
// threshold-lag prefix (2000000 + 10000 x lag + code); both rewrite the engine's copy of the
// trace's sums, as does a nonzero lag accumulation, and the reader's table keeps the values of the
// file for every call (a call after such a change writes the messages of the plot's reading again,
// where a reading of the plot afresh would write them).  A few codes build a whole special plot
// (ROC curves, attribute and CRPS reliability diagrams, rank histograms) and return its points
// instead.
//
// Return codes are the reader's (texts in RDTD_MSG): 0, +2 all points missing, +5 ensemble size
// unreadable; -26, -29 ... -67 as the routines below document.  An error ends the computation and
// leaves in the outputs what was already written.
#ifndef KOR_STATS_ENGINE_H_
#define KOR_STATS_ENGINE_H_

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "metrics/codes.h"
#include "tracefile/reader.h"
#include "util/missing.h"

namespace kor::stats {

inline constexpr int kMaxPoints = tracefile::kMaxPoints;  // points per trace and per returned plot
inline constexpr int kLabelWidth = 20;                    // statistic label kept by the plot driver
using metrics::kUnbounded;                                // perfect value of an unbounded score

// Plot types that the special plots return in place of the reader's (besides binned data).
inline constexpr int kRankHistogramPlot = 14;  // rank histograms of codes 1600 and 1605
inline constexpr int kFieldDiagramPlot = 24;   // a diagram over the data fields of the trace

// Return codes of a code's group precondition, which a caller explains in words.
inline constexpr int kNotFho = -29;   // FHO codes on a trace without "FHO" or of depth below 4
inline constexpr int kShallow = -36;  // scalar or vector codes on too small a depth

// What RDTD_TRC keeps between calls.  Owned by the caller (one per run), never initialised from a
// file: a fresh engine has no ensemble size and no last statistic type.
struct TraceEngine {
  TraceEngine();

  int ensemble_size = 0;  // n of the last ensemble statistic type ("ESL1L2/20" -> 20)
  bool has_ensemble_size = false;
  std::string last_stat_type;  // 24 characters, the statistic type of the last call
  // The last call changed its copy of the sums (a lag or a prefix's adjustment): the next one
  // starts with the reader's read_messages, as the reading of the plot afresh would write them.
  bool repeat_read_messages = false;

  // Work stores of one call: the copy of the trace's sums that the lag and the prefixes change,
  // a second store of sums for the track statistics (both in the metric library's layout, 28
  // fields by 2048 points) and one value per point.
  std::vector<double> trace_sums;
  std::vector<double> work_sums;
  std::vector<double> values;
};

// The inputs of one call.
struct TraceRequest {
  int trace = 1;                        // plot-relative trace number, 1..trace count
  int code = 0;                         // computational code, possibly with a prefix
  int lag = 0;                          // lag accumulation over neighbouring points (0 none)
  double missing = util::kPlotMissing;  // the value of a missing point
  int capacity = kMaxPoints;      // points the caller can take (the arrays of TraceResult hold at
                                  // least this many; the smaller of the two is used)
  int label_width = kLabelWidth;  // the label is cut or blank-padded to this width
};

// What a special plot tells of the sample behind it; missing where the code does not set it.  The
// attribute and CRPS reliability diagrams (1360, 2307) give their total sample count S; the ROC
// curves (1032, 1362, 1363) the observed events and non-events of the points they sum and the
// area under the curve (the closed form of the constant-odds-ratio curve, the trapezoid rule
// through the empirical points).
struct SampleSummary {
  double count = util::kPlotMissing;
  double events = util::kPlotMissing, non_events = util::kPlotMissing;
  double roc_area = util::kPlotMissing;
};

// The outputs of one call.  The four arrays are the caller's (the plot driver passes its arrays of
// 2048 points); RDTD_TRC never writes past their ends.  TraceArrays below owns a set of them.
struct TraceResult {
  std::span<float> x;               // x coordinate of each returned point
  std::span<double> y;              // value of each returned point (missing where none); the
                                    // first 2048 entries are set to missing on entry
  std::span<std::string> x_labels;  // 24-character label of each returned point
  std::span<float> x_values;        // numeric x of each returned point, or missing

  int code = 0;    // the computational code; a prefixed code is replaced by its absolute value
  int points = 0;  // number of points returned (unchanged by -31)
  float xmin = 0.0f, xmax = 0.0f;  // range of the returned x coordinates
  float ymin = 0.0f, ymax = 0.0f;  // range of the non-missing values (ymin > ymax when none)
  char label_type = ' ';           // 'r', 'c' or 't': the reader's, or what a special plot sets
  int plot_type = 0;               // the reader's plot type; special plots return 4, 14 or 24
  std::string label;               // statistic label, label_width characters
  double perfect = 0.0;            // perfect score; missing for none, kUnbounded for unbounded
  int count_code = -4;             // code that yields the trace's counts: 1 for ST_MODE, else -4
  std::string stat_type;           // 24 characters, the statistic type in force
  SampleSummary sample;            // set by the special plots that say it
};

// Arrays of `size` points that a TraceResult can point at.
struct TraceArrays {
  explicit TraceArrays(int size = kMaxPoints);
  void attach(TraceResult& result);

  std::vector<float> x;
  std::vector<double> y;
  std::vector<std::string> x_labels;
  std::vector<float> x_values;
};

// Computes trace `request.trace` with computational code `request.code`.  Besides the codes of the
// statistics themselves (documented with each code group in codes.cc) it returns:
//   -31  the trace has more points than the capacity (result.points unchanged)
//   -32  the code belongs to no group, or the trace's header value is negative
//   -37  the trace number lies outside 1 to the plot's trace count
//   -38  the fill-in points of a time series would pass the capacity
//   -26  a point lies on no position of the common x axis
//   -7, -8, -9  the reference date of a time series cannot carry fill-in dates
// Code 0 returns 0 at once with nothing written but the initial outputs.  Warnings (the dH/dF
// prefix, rejected ROC points) are written to `os`.  The reader's tables are only read.
[[nodiscard]] int RDTD_TRC(const tracefile::ReaderState& reader, TraceEngine& engine,
                           const TraceRequest& request, TraceResult& result, std::ostream& os);

}  // namespace kor::stats

#endif  // KOR_STATS_ENGINE_H_
