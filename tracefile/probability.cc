#include "tracefile/probability.h"

#include "util/text.h"

namespace kor::tracefile {

std::string pbs_set_name(std::string_view stat_type) {
  const std::string_view type = util::rtrim(stat_type);
  const std::size_t at = type.find("PBS_");
  if (at == std::string_view::npos) return {};
  std::string_view rest = type.substr(at + 4);
  const std::size_t end = rest.find_first_of("/(");
  if (end != std::string_view::npos) rest = rest.substr(0, end);
  return util::ST_LOWR(rest);
}

// The loads of the PBS and CRPS probability files are the next piece of work on the statistics
// engine; until they land, probabilistic traces keep empty probability lists.
int load_trace_probabilities(ReaderState& state, int trace) {
  (void)state;
  (void)trace;
  return 0;
}

}  // namespace kor::tracefile
