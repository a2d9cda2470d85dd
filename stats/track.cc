// Track statistics: one storm-track quantity turned into scalar partial sums (F, O, F x O, F x F,
// O x O) and the scalar statistics computed on them.
#include <string>

#include "metrics/codes.h"
#include "stats/internal.h"

namespace kor::stats::detail {

int track_statistic(Call& c, int code) {
  c.perfect = c.missing;
  c.label.clear();
  const metrics::TrackQuantity* quantity = metrics::track_quantity(code);
  if (quantity == nullptr) return -55;
  // Too shallow a trace for the central pressure, maximum wind or vorticity quantity.
  static constexpr int kShallow[] = {0, -56, -57, -58};
  if (c.depth < quantity->min_depth) return kShallow[quantity->number - 10];

  // Work sums of six fields per point in the engine's work store, built from the call's copy of
  // the trace's sums.
  constexpr int kFields = 6;
  double* work = c.engine.work_sums.data();
  metrics::track_sums(*quantity, c.sums, work);
  const int s = metrics::track_statistic(code);
  const metrics::CodeEntry* entry = metrics::find_code(s, kFields).entry;
  if (entry == nullptr) return 0;
  const metrics::SumsView sums{work, 1, kFields, c.points, 0};
  metrics::CodeInputs inputs;
  inputs.depth = kFields;
  inputs.scratch = c.values2;
  metrics::Output out{c.values};
  const int rc = metrics::evaluate(*entry, sums, c.missing, inputs, out);
  c.ymin = out.min;
  c.ymax = out.max;
  const metrics::TrackName name = metrics::track_name(s);
  c.label = std::string(quantity->tag) + "_" + std::string(name.name);
  c.perfect = name.perfect.value_or(c.missing);
  return rc;
}

}  // namespace kor::stats::detail
