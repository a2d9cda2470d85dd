// RSMP_MET and its helpers: one pair member's metric in every resampling trial.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string_view>
#include <vector>

#include "metrics/codes.h"
#include "resample/resample.h"
#include "util/listout.h"

namespace kor::resample {
namespace {

namespace m = ::kor::metrics;
using util::list_write;

m::SumsView member_view(const double* sums, int member, int trials) {
  return m::SumsView{sums, 2, kSumFields, trials, member - 1};
}

double& at(double* sums, int member, int field, int trial) {
  return sums[(member - 1) + 2 * ((field - 1) + static_cast<std::ptrdiff_t>(kSumFields) * trial)];
}

// The line that refuses a code for which box-whisker objects make no sense; empty when allowed.
std::string_view refusal(int s, const m::CodeLookup& found, char label_type) {
  // The phase codes that a time axis weights over the whole trace.
  if (label_type == 't' && found.entry != nullptr && found.entry->time_label != nullptr) {
    return " Box-whisker objects are not supported in this context.";
  }
  switch (s) {
    case m::kOddsRatioRocCode:
      return " Box-whisker objects are not supported for time series parametric ROC curves.";
    case m::kAttributeDiagramCode:
      return " Box-whisker objects are not yet supported for attribute diagrams.";
    case m::kPbsRocRejectingCode:
      return " Box-whisker objects are not yet supported for ROC curves.";
    case m::kPbsRocCode:
      return " Box-whisker objects are not yet supported for parametric ROC curves.";
    case m::kRankHistogramCode:
      return " Box-whisker objects are not supported in this context (comp code 1600).";
    case m::kSummaryRankCode:
      return " Box-whisker objects are not supported in this context (comp code 1605).";
    case m::kCrpsReliabilityCode:
      return " Box-whisker objects are not supported for CRPS reliability diagrams.";
    case m::kCountShareCode:
      return " Box-whisker objects are not supported for the count fraction.";
    case m::kCrpsCumulativeCode:
      return " Box-whisker objects are not supported for Comp Code 9002.";
    case m::kWeightCode:
      return " Box-whisker objects are not supported for Comp Code -1.";
    default:
      break;
  }
  // A code in no group, or a ranked category beyond the record's categories.
  const bool none = found.group == m::CodeGroup::kNone;
  const bool unlisted_rank = found.group == m::CodeGroup::kRanked && found.entry == nullptr;
  return none || unlisted_rank ? " No box-whisker objects are possible." : std::string_view();
}

// The return code of a group whose precondition the record does not meet, or 0.
int precondition(m::CodeGroup group, bool two_by_two, int depth) {
  const m::GroupRule rule = m::group_rule(group);
  if (group == m::CodeGroup::kFho) return two_by_two && depth >= rule.min_depth ? 0 : kBadCode;
  return depth >= rule.min_depth ? 0 : kDepthTooSmall;
}

// The range of the results; both M when no trial has a value.
void result_range(std::span<const double> v, int n, double missing, float& lo, float& hi) {
  bool any = false;
  for (int t = 0; t < n && !any; ++t) any = v[t] != missing;
  if (!any) lo = hi = static_cast<float>(missing);
}

}  // namespace

int RSMP_FLD(int member, double missing, int code, int trials, int depth, const double* sums,
             std::span<double> results, float& min, float& max) {
  const long long k = std::llabs(static_cast<long long>(code));
  if (k == 0 || k > depth) return kBadField;
  m::Output out{results.data()};
  const int word = m::plain_field(code, member_view(sums, member, trials), missing, out);
  min = out.min;
  max = out.max;
  if (min == m::kMinStart && max == m::kMaxStart) {
    min = 1.1e31f;
    max = -1.1e31f;
  }
  return word == 0 ? 0 : kBadField;
}

int RSMP_TRK(int code, int member, double missing, std::vector<double>& scratch, int trials,
             int depth, const double* sums, std::span<double> results, float& min, float& max) {
  const m::TrackQuantity* quantity = m::track_quantity(std::abs(code));
  if (quantity == nullptr || depth < quantity->min_depth) return kTrackError;
  const int s = m::track_statistic(std::abs(code));
  if (s < 1101 || s > 1115) return kTrackError;

  // Six fields per trial, one trial after another (lead 1), then a second series for the codes
  // that combine two.
  constexpr int kFields = 6;
  scratch.assign(static_cast<std::size_t>(kFields + 1) * trials, 0.0);
  m::track_sums(*quantity, member_view(sums, member, trials), scratch.data());
  const m::SumsView in{scratch.data(), 1, kFields, trials, 0};
  m::CodeInputs inputs;
  inputs.depth = kFields;
  inputs.scratch = scratch.data() + static_cast<std::ptrdiff_t>(kFields) * trials;
  m::Output out{results.data()};
  const int word = m::evaluate(*m::find_code(s, kFields).entry, in, missing, inputs, out);
  min = out.min;
  max = out.max;
  result_range(results, trials, missing, min, max);
  return word == 0 ? 0 : kTrackError;
}

int RSMP_BIAS(int member, int prefix, int trials, int depth, double* sums) {
  if (m::bias_tag(prefix).empty()) return 0;
  if (!m::bias_depth_ok(prefix, depth)) return kBiasNeedsFho;
  for (int t = 0; t < trials; ++t) {
    m::FhoCounts counts;
    counts.n = at(sums, member, 1, t);
    counts.forecasts = at(sums, member, 2, t);
    counts.hits = at(sums, member, 3, t);
    counts.observed = at(sums, member, 4, t);
    if (prefix == m::kFrequencyPrefix) {
      counts.matched_hits = at(sums, member, 5, t);
      counts.matched_forecasts = depth < 6 ? counts.observed : at(sums, member, 6, t);
    }
    const auto adjusted = m::adjust_counts(prefix, counts);
    if (!adjusted) continue;
    at(sums, member, 2, t) = adjusted->forecasts;
    at(sums, member, 3, t) = adjusted->hits;
  }
  return 0;
}

int RSMP_MET(int member, int& code, double missing, int trials, int depth, double* sums,
             const MetricContext& context, std::span<double> results, float& min, float& max,
             std::ostream& os) {
  if (code == 0) return kBadCode;
  if (trials > kTrialSlots) return kTooManyTrials;
  if (trials < 0 || static_cast<std::size_t>(trials) > results.size() || member < 1 || member > 2 ||
      depth < 1 || depth > kSumFields) {
    return kBadCode;
  }
  for (double& r : results) r = missing;

  // The threshold-lag form is decoded whatever the axis, but the lag is not applied to trials.
  const bool two_by_two = context.stat_type.find("FHO") != std::string::npos;
  const m::DecodedCode decoded = m::decode_code(code, two_by_two, true);
  code = decoded.code;
  const int s = decoded.statistic;
  m::write_prefix_warning(decoded.prefix, os);
  if (const int rc = RSMP_BIAS(member, decoded.prefix, trials, depth, sums); rc != 0) return rc;

  min = 1e30f;
  max = -1e30f;
  const m::CodeLookup found = m::find_code(s, depth);
  if (found.group != m::CodeGroup::kNone && found.group != m::CodeGroup::kTrack &&
      found.group != m::CodeGroup::kWeight && found.group != m::CodeGroup::kPlainField) {
    if (const int rc = precondition(found.group, two_by_two, depth); rc != 0) return rc;
  }
  if (const std::string_view line = refusal(s, found, context.label_type); !line.empty()) {
    list_write(os, {line});
    return kNotAllowed;
  }
  int word = 0;
  if (found.group == m::CodeGroup::kTrack) {
    std::vector<double> scratch;
    const int rc = RSMP_TRK(s, member, missing, scratch, trials, depth, sums, results, min, max);
    if (rc < 0) return rc;
  } else if (found.group == m::CodeGroup::kPlainField) {
    const int rc = RSMP_FLD(member, missing, s, trials, depth, sums, results, min, max);
    if (rc < 0) return rc;
  } else if (found.entry != nullptr) {
    const m::CodeEntry& e = *found.entry;
    const m::SumsView in = member_view(sums, member, trials);
    std::vector<double> second;
    m::CodeInputs inputs;
    inputs.depth = depth;
    inputs.pbs = std::span<const float>(context.lists.pbs.data(),
                                        std::clamp(context.lists.pbs_count, 0, kPbsCount));
    inputs.crps = std::span<const float>(context.lists.crps.data(),
                                         std::clamp(context.lists.crps_count, 0, kCrpsCount));
    inputs.ensemble = context.ensemble_size;
    if (e.routine == m::Routine::kScalarBiasSpread) {
      second.resize(static_cast<std::size_t>(trials));
      inputs.scratch = second.data();
    }
    m::Output out{results.data()};
    word = m::evaluate(e, in, missing, inputs, out);
    // The raw sums of codes 1009-1020 become percentages across the trials in trial order.
    // Trials carry no threshold, so the volume forms see thresholds of 0 (as an unreadable
    // threshold label reads).
    if (const auto form = m::percent_form(e); form && word == 0) {
      const std::vector<double> zero(static_cast<std::size_t>(trials), 0.0);
      word = m::percent_of_total(*form, zero.data(), trials, missing, out);
    }
    min = out.min;
    max = out.max;
    result_range(results, trials, missing, min, max);
  }

  int rc = 0;
  int missing_trials = 0;
  for (int t = 0; t < trials; ++t) missing_trials += results[t] == missing;
  if (missing_trials == trials) rc = kNoValues;

  if (word != 0) {
    std::string_view library = m::error_library(found.group);
    if (library.empty()) library = "CS";
    list_write(os, {" Error code from ", library, " library = ", word});
    rc = kMetricError;
  }
  return rc;
}

}  // namespace kor::resample
