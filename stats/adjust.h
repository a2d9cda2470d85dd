// In-place adjustments of an FHO trace's sums, chosen by a prefix of the computational code.
//
// The bias adjustment (prefixes 101 to 104) replaces at every point the forecast count by the
// observed count and the hit count by the one the forecast would have at that count, by the dH/dF,
// odds-ratio, dH/dA or frequency-matching model.  The threshold-lag adjustment (lag 1 to 9, on a
// threshold axis) replaces each threshold's sample count by the number of cases forecast or
// observed L thresholds lower.  Both set the reader's reload flag after changing the sums, so that
// the next trace starts again from the file's values.
#ifndef KOR_STATS_ADJUST_H_
#define KOR_STATS_ADJUST_H_

#include <string>

#include "tracefile/reader.h"

namespace kor::stats {

// Bias adjustment of plot-relative trace `trace` (1..24).  `tag` becomes "DHDF", "ORBA", "DHDA" or
// "FRQM" for prefixes 101 to 104 and four blanks for any other prefix, which changes nothing.
// Returns 0, or -46 when the data depth is below 4 (below 5 for FRQM); then nothing is changed.
// Points with N, F, H or O missing or N = 0 are left alone, as are points a model cannot adjust.
[[nodiscard]] int bias_adjustment(tracefile::ReaderState& reader, int trace, int prefix,
                                  std::string& tag);

// Threshold-lag adjustment by `lag` places.  `tag` becomes "TL=1" to "TL=9", or four blanks for
// lag 0 (nothing changes).  Returns 0, -48 for a lag outside 0 to 9, or -49 when the data depth is
// not exactly 4.
[[nodiscard]] int threshold_lag_adjustment(tracefile::ReaderState& reader, int trace, int lag,
                                           std::string& tag);

}  // namespace kor::stats

#endif  // KOR_STATS_ADJUST_H_
