// The computational codes over the points of a trace: the group preconditions and return codes of
// the statistics engine around the code table of the metric library, the special plots, the
// per-point weight and the plain data fields.
#include "metrics/codes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "stats/internal.h"

namespace kor::stats::detail {
namespace {

using metrics::CodeEntry;
using metrics::CodeGroup;
using metrics::Output;
using metrics::Routine;

// Return codes of the group preconditions.
constexpr int kBadField = -30;       // a data field beyond the trace's depth
constexpr int kInvalidCode = -32;    // a code in no group
constexpr int kNoTimeWeights = -45;  // phase codes on a time axis without weight values
constexpr int kNeedsPbs = -60;       // 1360 without "PBS" in the statistic type
constexpr int kNeedsCrps = -67;      // 2307 without "CRPS" in the statistic type
constexpr int kBrierShift = -41;     // Panofsky-Brier routine codes c are returned as c - 41

// Range of the non-missing values, from the metric library's start values.
void range_of(const double* v, int n, double missing, float& lo, float& hi) {
  lo = metrics::kMinStart;
  hi = metrics::kMaxStart;
  for (int i = 0; i < n; ++i) {
    if (v[i] == missing) continue;
    lo = std::min(lo, static_cast<float>(v[i]));
    hi = std::max(hi, static_cast<float>(v[i]));
  }
}

// A special plot fills call.result itself.
int special_plot(Call& c, int code) {
  switch (code) {
    case metrics::kOddsRatioRocCode:
      return roc_from_odds_ratio(c);
    case metrics::kAttributeDiagramCode:
      return reliability_diagram(c, false);
    case metrics::kPbsRocRejectingCode:
    case metrics::kPbsRocCode:
      return roc_from_pbs(c, code == metrics::kPbsRocRejectingCode);
    case metrics::kRankHistogramCode:
      return rank_histogram(c);
    case metrics::kSummaryRankCode:
      return summary_rank_plot(c);
    case metrics::kCrpsReliabilityCode:
      return reliability_diagram(c, true);
    default:  // kCrpsCumulativeCode
      return cumulative_frequencies(c);
  }
}

// Phase codes 1401 and 1402 on a time axis: the phase error (field a / N) weighted by the mean of
// field b / N over the points, (a, b) being the row's two fields.
int time_weighted_phase(Call& c, const CodeEntry& e) {
  const int a = e.option, b = e.option2;
  double total = 0.0;
  int used = 0;
  for (int p = 1; p <= c.points; ++p) {
    const double n = c.F(1, p), fa = c.F(a, p), fb = c.F(b, p);
    if (!metrics::usable(n) || !metrics::usable(fa) || n == 0.0) continue;
    c.values[p - 1] = fa / n;
    if (!metrics::usable(fb)) continue;
    total += fb / n;
    ++used;
  }
  if (used == 0) return kNoTimeWeights;
  const double w = total / used;
  for (int p = 0; p < c.points; ++p) {
    if (c.values[p] == c.missing) continue;
    c.values[p] = w != 0.0 ? c.values[p] / w : c.missing;
  }
  range_of(c.values, c.points, c.missing, c.ymin, c.ymax);
  return 0;
}

// Code -1: the weight of each point's data record, missing where the record carried none.
int weight_values(Call& c) {
  for (int p = 1; p <= c.points; ++p) {
    const double w = c.reader.weight(c.trace, p);
    c.values[p - 1] = w >= 0.0 ? w : c.missing;
  }
  range_of(c.values, c.points, c.missing, c.ymin, c.ymax);
  return 0;
}

// Codes below 1001 other than -1: data field |code|.
int plain_code(Call& c, int code) {
  const long long k = code < 0 ? -static_cast<long long>(code) : code;
  if (k == 0 || k > c.depth) return kBadField;
  Output out{c.values};
  const int rc = metrics::plain_field(code, c.sums, c.missing, out);
  c.ymin = out.min;
  c.ymax = out.max;
  return rc;
}

// The probability lists of the call's trace, in single precision.
struct Lists {
  std::array<float, tracefile::kMaxPbs> pbs{};
  int pbs_count = 0;
  std::array<float, tracefile::kMaxCrps> crps{};
  int crps_count = 0;
};

Lists lists_of(const Call& c) {
  Lists out;
  const tracefile::TraceInfo& info = c.reader.traces[c.trace - 1];
  out.pbs_count = std::clamp(info.pbs_count, 0, tracefile::kMaxPbs);
  for (int i = 0; i < out.pbs_count; ++i) out.pbs[i] = static_cast<float>(info.pbs[i]);
  out.crps_count = std::clamp(info.crps_count, 0, tracefile::kMaxCrps);
  for (int i = 0; i < out.crps_count; ++i) out.crps[i] = static_cast<float>(info.crps[i]);
  return out;
}

// The return code of a group whose precondition the trace does not meet, or 0.
int precondition(const Call& c, CodeGroup group) {
  const metrics::GroupRule rule = metrics::group_rule(group);
  if (group == CodeGroup::kFho) {
    return c.contains(rule.type_word) && c.depth >= rule.min_depth ? 0 : kNotFho;
  }
  return c.depth >= rule.min_depth ? 0 : kShallow;
}

}  // namespace

int compute_code(Call& c, int code, bool& special) {
  special = false;
  const metrics::CodeLookup found = metrics::find_code(code, c.depth);
  switch (found.group) {
    case CodeGroup::kNone:
      return kInvalidCode;
    case CodeGroup::kTrack:
      return track_statistic(c, code);
    case CodeGroup::kWeight:
      return weight_values(c);
    case CodeGroup::kPlainField:
      return plain_code(c, code);
    default:
      break;
  }
  if (const int rc = precondition(c, found.group); rc != 0) return rc;
  // Inside the group's range but no statistic: every point stays missing.
  if (found.entry == nullptr) return 0;
  const CodeEntry& e = *found.entry;
  if (e.type_word != nullptr && !c.contains(e.type_word)) {
    return code == metrics::kAttributeDiagramCode ? kNeedsPbs : kNeedsCrps;
  }
  if (e.routine == Routine::kDiagram) {
    special = true;
    return special_plot(c, code);
  }
  const bool time = c.reader.label_type == 't';
  c.label = time && e.time_label != nullptr ? e.time_label : e.label;
  c.perfect = e.perfect.value_or(c.missing);
  if (e.routine == Routine::kPhase || e.routine == Routine::kPhaseSum) {
    if (e.option > c.depth || e.option2 > c.depth) return kBadField;
    if (time && e.time_label != nullptr) return time_weighted_phase(c, e);
  }
  const Lists lists = lists_of(c);
  metrics::CodeInputs inputs;
  inputs.depth = c.depth;
  inputs.pbs = std::span<const float>(lists.pbs.data(), lists.pbs_count);
  inputs.crps = std::span<const float>(lists.crps.data(), lists.crps_count);
  inputs.ensemble = c.has_ensemble ? c.ensemble : -1;
  inputs.scratch = c.values2;
  Output out{c.values};
  int rc = metrics::evaluate(e, c.sums, c.missing, inputs, out);
  if (found.group == CodeGroup::kBrierRisk && rc != 0) rc += kBrierShift;
  c.ymin = out.min;
  c.ymax = out.max;
  return rc;
}

}  // namespace kor::stats::detail
