// The plot-level missing value of the package.
//
// A plotted value, a statistic, a list item that was not given and a value that cannot be formed
// hold -9999; a value within 0.1 of it counts as missing.  The two other levels belong to their
// tables: the reader's data tables (tracefile/format.h, at or below -1.0e30) and the uncombined
// records of resampling (resample/resample.h, at or below -1.1e30).
#ifndef KOR_UTIL_MISSING_H_
#define KOR_UTIL_MISSING_H_

#include <cmath>

namespace kor::util {

inline constexpr double kPlotMissing = -9999.0;
inline constexpr double kPlotMissingTolerance = 0.1;

// True when `v` lies within 0.1 of -9999 (strictly; false for NaN).
inline bool IS_MISSING(double v) { return std::fabs(v - kPlotMissing) < kPlotMissingTolerance; }

}  // namespace kor::util

#endif  // KOR_UTIL_MISSING_H_
