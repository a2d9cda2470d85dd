// The probability lists behind probabilistic traces: the category probabilities of a PBS_ statistic
// type and the cumulative probability levels of a CRPS statistic type.  RDTD_FND calls
// load_trace_probabilities for every trace after the trace data are read.
//
// Both lists come from optional files in the working directory, "pbs_<set>.prob" and
// "crps_<depth>.prob": a heading line, then one probability per line as token 2 of at most three
// blank-separated tokens (first 72 characters of the line).  Lines with more tokens, a token 2 that
// is not a number or a number outside 0 to 1 are skipped.  Built-in defaults fill in when a file is
// absent or too short.  Every load reports what it used on the caller's stream.
#ifndef KOR_TRACEFILE_PROBABILITY_H_
#define KOR_TRACEFILE_PROBABILITY_H_

#include <iosfwd>
#include <string>
#include <string_view>

#include "tracefile/reader.h"

namespace kor::tracefile {

// The PBS set name of a statistic type: the text after "PBS_" up to the character before the first
// "/" or "(" (or to the end), in lower case.  Empty when the type has no "PBS_".
std::string pbs_set_name(std::string_view stat_type);

// Loads the PBS probabilities of plot-relative trace `trace` (statistic type with "PBS_") and the
// CRPS cumulative probabilities (statistic type with "CRPS").  Returns the code of the last load
// (0 when the trace needs none, or for a trace number outside 1..24).
[[nodiscard]] int load_trace_probabilities(ReaderState& state, int trace, std::ostream& os);

// PBS load for plot-relative trace `trace` (1..24) of data depth `depth`: n = depth / 2 categories.
// Returns 0; +3 when the file exists but cannot be read (defaults used); -41 for 15 or more
// categories; -53 when the file holds more than n values; -40 when defaults are needed for fewer
// than 3 categories (the default spacing 1 / (n - 2) has no value there) or the trace number is
// outside 1..24.  On an error the list keeps what was stored so far.
[[nodiscard]] int load_pbs_probabilities(ReaderState& state, std::string_view set, int trace,
                                         int depth, std::ostream& os);

// CRPS load for plot-relative trace `trace` of data depth `depth`: m = (depth - 6) / 2 levels (none
// for a depth below 8).  Returns 0; +3 as above; -64 for 12 or more levels; -65 when the file holds
// more than m values; -66 when fewer than m values are available and m has no default table (7, 9
// and 11 have one).  A trace number outside 1..24 gives -66.
[[nodiscard]] int load_crps_probabilities(ReaderState& state, int trace, int depth,
                                          std::ostream& os);

}  // namespace kor::tracefile

#endif  // KOR_TRACEFILE_PROBABILITY_H_
