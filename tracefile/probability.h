// The probability lists behind probabilistic traces: the category probabilities of a PBS_ statistic
// type and the cumulative probability levels of a CRPS statistic type.  RDTD_FND calls
// load_trace_probabilities for every trace after the trace data are read.
#ifndef KOR_TRACEFILE_PROBABILITY_H_
#define KOR_TRACEFILE_PROBABILITY_H_

#include <string>
#include <string_view>

#include "tracefile/reader.h"

namespace kor::tracefile {

// The PBS set name of a statistic type: the text after "PBS_" up to the character before the first
// "/" or "(" (or to the end), in lower case.  Empty when the type has no "PBS_".
std::string pbs_set_name(std::string_view stat_type);

// Loads the PBS probabilities of plot-relative trace `trace` (statistic type with "PBS_") and the
// CRPS cumulative probabilities (statistic type with "CRPS").  Returns the code of the last load
// (0 when the trace needs none).
[[nodiscard]] int load_trace_probabilities(ReaderState& state, int trace);

}  // namespace kor::tracefile

#endif  // KOR_TRACEFILE_PROBABILITY_H_
