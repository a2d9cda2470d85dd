// Adjustments of an FHO trace's sums, chosen by a prefix of the computational code, and the
// scratch copy of one trace's sums that they change.
//
// The bias adjustment (prefixes 101 to 104) replaces at every point the forecast count by the
// observed count and the hit count by the one the forecast would have at that count, by the dH/dF,
// odds-ratio, dH/dA or frequency-matching model.  The threshold-lag adjustment (lag 1 to 9, on a
// threshold axis) replaces each threshold's sample count by the number of cases forecast or
// observed L thresholds lower.  Both work on the engine's copy of the trace (TraceSums), so that
// the reader's table keeps the file's values for the next trace.
#ifndef KOR_STATS_ADJUST_H_
#define KOR_STATS_ADJUST_H_

#include <string>
#include <vector>

#include "tracefile/reader.h"

namespace kor::stats {

// One trace's sums in the metric library's layout: field k (1..28) of point p (1..points) at
// (k - 1) + 28 (p - 1) of `data`.  `depth` is the trace's data depth.
struct TraceSums {
  double* data = nullptr;
  int points = 0;
  int depth = 0;

  double& at(int field, int point) {
    return data[(field - 1) + static_cast<std::size_t>(tracefile::kMaxDepth) * (point - 1)];
  }
  double at(int field, int point) const {
    return data[(field - 1) + static_cast<std::size_t>(tracefile::kMaxDepth) * (point - 1)];
  }
};

// Copies every field of points 1..points (clamped to 0..2048) of plot-relative trace `trace`
// (1..24) from the reader's table into `store` (grown to 28 x 2048 when smaller) and returns the
// view of the copy, with the trace's depth.
TraceSums copy_trace_sums(const tracefile::ReaderState& reader, int trace, int points,
                          std::vector<double>& store);

// Bias adjustment of the copied sums.  `tag` becomes "DHDF", "ORBA", "DHDA" or "FRQM" for prefixes
// 101 to 104 and four blanks for any other prefix, which changes nothing.  Returns 0, or -46 when
// the data depth is below 4 (below 5 for FRQM); then nothing is changed.  Points with N, F, H or O
// missing or N = 0 are left alone, as are points a model cannot adjust.
[[nodiscard]] int bias_adjustment(TraceSums& sums, int prefix, std::string& tag);

// Threshold-lag adjustment of the copied sums by `lag` places.  `tag` becomes "TL=1" to "TL=9", or
// four blanks for lag 0 (nothing changes).  Returns 0, -48 for a lag outside 0 to 9, or -49 when
// the data depth is not exactly 4.
[[nodiscard]] int threshold_lag_adjustment(TraceSums& sums, int lag, std::string& tag);

}  // namespace kor::stats

#endif  // KOR_STATS_ADJUST_H_
