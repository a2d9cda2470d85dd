// RSMP_MET and its helpers: one pair member's metric in every resampling trial.
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string_view>
#include <vector>

#include "resample/metrics/metrics.h"
#include "resample/resample.h"
#include "util/listout.h"

namespace kor::resample {
namespace {

namespace m = ::kor::metrics;
using util::list_write;

// The library whose routine ran, for the error report.
enum class Group { kNone, kCs, kCpb, kStx };

m::SumsView member_view(const double* sums, int member, int trials) {
  return m::SumsView{sums, 2, kSumFields, trials, member - 1};
}

double& at(double* sums, int member, int field, int trial) {
  return sums[(member - 1) + 2 * ((field - 1) + static_cast<std::ptrdiff_t>(kSumFields) * trial)];
}

bool has_value(double v, double missing) { return v != missing; }

// Range of the non-missing results; both M when there is none.
void range_of(std::span<const double> v, int n, double missing, float& lo, float& hi) {
  bool any = false;
  lo = m::kMinStart;
  hi = m::kMaxStart;
  for (int t = 0; t < n; ++t) {
    if (!has_value(v[t], missing)) continue;
    any = true;
    const float f = static_cast<float>(v[t]);
    if (f < lo) lo = f;
    if (f > hi) hi = f;
  }
  if (!any) lo = hi = static_cast<float>(missing);
}

// The square of every value, the range's ends squared (M when nothing is left).
void square_all(std::span<double> v, int n, double missing, float& lo, float& hi) {
  bool any = false;
  for (int t = 0; t < n; ++t) {
    if (!has_value(v[t], missing)) continue;
    v[t] *= v[t];
    any = true;
  }
  if (!any) {
    lo = hi = static_cast<float>(missing);
    return;
  }
  lo *= lo;
  hi *= hi;
}

// -2 times every value, the ends of the range exchanged.
void minus_twice(std::span<double> v, int n, double missing, float& lo, float& hi) {
  bool any = false;
  for (int t = 0; t < n; ++t) {
    if (!has_value(v[t], missing)) continue;
    v[t] *= -2;
    any = true;
  }
  if (!any) {
    lo = hi = static_cast<float>(missing);
    return;
  }
  const float old_lo = lo;
  lo = -2 * hi;
  hi = -2 * old_lo;
}

// Scalar codes 1101-1116 (the derived ones included) on `in`.
int scalar_series(int s, const m::SumsView& in, int ensemble, double missing,
                  std::span<double> results, float& lo, float& hi) {
  m::Output out{results.data()};
  int word = 0;
  const int n = in.n;
  if (s >= 1101 && s <= 1109) {
    word = m::scalar_partial(static_cast<m::Scalar>(s - 1101), in, missing, out);
  } else if (s == 1110 || s == 1111) {
    std::vector<double> sigma(static_cast<std::size_t>(n));
    m::Output side{sigma.data()};
    word = m::scalar_partial(m::Scalar::kMeanError, in, missing, out);
    if (word == 0) word = m::scalar_partial(m::Scalar::kErrorSd, in, missing, side);
    if (word == 0) {
      const double sign = s == 1110 ? 1.0 : -1.0;
      for (int t = 0; t < n; ++t) {
        results[t] = has_value(results[t], missing) && has_value(sigma[t], missing)
                         ? results[t] + sign * sigma[t]
                         : missing;
      }
      range_of(results, n, missing, out.min, out.max);
    }
  } else if (s == 1112 || s == 1114 || s == 1115) {
    const m::Scalar base = s == 1112   ? m::Scalar::kMeanError
                           : s == 1114 ? m::Scalar::kErrorSd
                                       : m::Scalar::kRmse;
    word = m::scalar_partial(base, in, missing, out);
    if (word == 0) square_all(results, n, missing, out.min, out.max);
  } else if (s == 1113) {
    word = m::scalar_partial(m::Scalar::kCovariance, in, missing, out);
    if (word == 0) minus_twice(results, n, missing, out.min, out.max);
  } else if (s == 1116) {
    word = m::scalar_esci(ensemble, in, missing, out);
  }
  lo = out.min;
  hi = out.max;
  return word;
}

// Vector codes 1201-1217.
int vector_series(int s, const m::SumsView& in, int ensemble, double missing,
                  std::span<double> results, float& lo, float& hi) {
  m::Output out{results.data()};
  int word = 0;
  const int n = in.n;
  if (s >= 1201 && s <= 1212) {
    word = m::vector_partial(static_cast<m::Vector>(s - 1201), in, missing, out);
  } else if (s == 1213 || s == 1215 || s == 1216) {
    const m::Vector base = s == 1213   ? m::Vector::kBiasMagnitude
                           : s == 1215 ? m::Vector::kErrorSd
                                       : m::Vector::kRmse;
    word = m::vector_partial(base, in, missing, out);
    if (word == 0) square_all(results, n, missing, out.min, out.max);
  } else if (s == 1214) {
    word = m::vector_partial(m::Vector::kCovariance, in, missing, out);
    if (word == 0) minus_twice(results, n, missing, out.min, out.max);
  } else if (s == 1217) {
    word = m::vector_esci(ensemble, in, missing, out);
  }
  lo = out.min;
  hi = out.max;
  return word;
}

bool is_track_code(int s) {
  for (int base : {101101, 111101, 121101, 131101}) {
    if (s >= base && s <= base + 14) return true;
  }
  return false;
}

// The refusal lines of codes for which box-whisker objects make no sense; empty when allowed.
std::string_view refusal(int s) {
  switch (s) {
    case 1600:
      return "in this context (comp code 1600).";
    case 1605:
      return "in this context (comp code 1605).";
    case 2307:
      return "for CRPS reliability diagrams.";
    case 9001:
      return "for the count fraction.";
    case 9002:
      return "for Comp Code 9002.";
    case -1:
      return "for Comp Code -1.";
    default:
      return {};
  }
}

// Codes 1001-1068 on a 2x2 record.
int fho_series(int s, const m::SumsView& in, double missing, std::span<double> results,
               m::Output& out) {
  static constexpr int kOddsOption[] = {0, 2, 3, 1, 4, 5, 6};  // 1025-1031
  switch (s) {
    case 1001:
      return m::frequency_bias(in, missing, out);
    case 1002:
      return m::skill_score(0, in, missing, out);
    case 1023:
      return m::skill_score(1, in, missing, out);
    case 1024:
      return m::skill_score(2, in, missing, out);
    case 1003:
    case 1008:
      return m::threat_score(in, missing, out);
    case 1004:
      return m::false_alarm(0, in, missing, out);
    case 1021:
      return m::false_alarm(1, in, missing, out);
    case 1022:
      return m::false_alarm(2, in, missing, out);
    case 1005:
      return m::post_agreement(in, missing, out);
    case 1006:
    case 1007:
      return m::detection_probability(in, missing, out);
    case 1033:
      return m::odds_ratio(7, in, missing, out);
    case 1034:
      return m::accuracy(in, missing, out);
    case 1035:
      return m::extreme_dependency(1, in, missing, out);
    case 1036:
      return m::clayton_skill(in, missing, out);
    case 1044:
      return m::two_afc(in, missing, out);
    case 1068:
      return m::benchmark_reference(in, missing, out);
    default:
      break;
  }
  if (s >= 1009 && s <= 1020) {
    // The raw sums of each trial, then the percentage forms across the trials in trial order.
    // Trials carry no threshold, so the volume forms see thresholds of 0 (as an unreadable
    // threshold label reads).
    const int field = 2 + (s - 1009) % 3;
    const int word = m::field_sum(field, in, missing, out);
    if (word != 0) return word;
    static constexpr m::Percent kKind[] = {m::Percent::kCumulativeVolume, m::Percent::kVolume,
                                           m::Percent::kCount, m::Percent::kCountBelow};
    const std::vector<double> zero(static_cast<std::size_t>(in.n), 0.0);
    return m::percent_of_total(kKind[(s - 1009) / 3], zero.data(), in.n, missing, out);
  }
  if (s >= 1025 && s <= 1031) return m::odds_ratio(kOddsOption[s - 1025], in, missing, out);
  if (s >= 1037 && s <= 1040) return m::adjusted_threat_score(s - 1036, in, missing, out);
  if (s >= 1041 && s <= 1043) return m::extreme_dependency(s - 1039, in, missing, out);
  if (s >= 1051 && s <= 1067) return m::benchmark_value(s - 1050, in, missing, out, nullptr);
  // Inside the range but no statistic: nothing is computed.
  (void)results;
  return 0;
}

// Codes 1301-1361 (the refused diagram codes excluded) on a probability record.
int probability_series(int s, const m::SumsView& in, int depth, const TraceLists& lists,
                       double missing, m::Output& out) {
  using T = m::Threshold2x2;
  static constexpr T kBlockA[] = {
      T::kBias,          T::kEquitableThreat, T::kFalseAlarmRate, T::kFalseAlarmRatio,
      T::kPostAgreement, T::kDetection,       T::kDetection,      T::kThreat};
  static constexpr T kBlockB[] = {
      T::kHeidke,        T::kPeirce,         T::kOddsRatio,          T::kLogOddsRatio,
      T::kLogOddsStdErr, T::kOddsRatioSkill, T::kOddsRatioSkillCubed};
  const float* p = lists.pbs.data();
  const int count = lists.pbs_count;
  if (s == 1301) return m::brier(0, in, depth, p, count, missing, out);
  if (s == 1306) return m::brier(1, in, depth, p, count, missing, out);
  if (s >= 1302 && s <= 1305) return m::risk_probability(s - 1301, in, depth, missing, out);
  if (s >= 1307 && s <= 1330) {
    return m::threshold_score(kBlockA[(s - 1307) % 8], (s - 1307) / 8 + 1, in, depth, missing, out);
  }
  if (s == 1331 || s == 1332) return m::category_sum(s - 1330, in, depth, missing, out);
  if (s >= 1333 && s <= 1353) {
    return m::threshold_score(kBlockB[(s - 1333) % 7], (s - 1333) / 7 + 1, in, depth, missing, out);
  }
  if (s == 1354) return m::climatology(0, in, depth, missing, out);
  if (s >= 1355 && s <= 1358) {
    return m::brier_decomposition(s - 1354, in, depth, p, count, missing, out);
  }
  if (s == 1359) return m::climatology(1, in, depth, missing, out);
  return m::threshold_score(T::kExtremeDependency, 1, in, depth, missing, out);  // 1361
}

}  // namespace

int RSMP_FLD(int member, double missing, int code, int trials, int depth, const double* sums,
             std::span<double> results, float& min, float& max) {
  const int k = std::abs(code);
  if (k == 0 || k > depth) return kBadField;
  const m::SumsView in = member_view(sums, member, trials);
  m::Output out{results.data()};
  const int word = code < 0 || code == 1 ? m::field_sum(k, in, missing, out)
                                         : m::field_mean(k, in, missing, out);
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
  const int a = std::abs(code);
  const int q = a / 10000;
  if (q < 10 || q > 13) return kTrackError;
  const int s = a % (1000 * q);
  static constexpr int kNeed[] = {0, 13, 18, 23};
  if (depth < kNeed[q - 10]) return kTrackError;
  if (s < 1101 || s > 1115) return kTrackError;

  // Six fields per trial, one trial after another (lead 1).
  scratch.assign(static_cast<std::size_t>(6) * trials, 0.0);
  const m::SumsView src = member_view(sums, member, trials);
  for (int t = 0; t < trials; ++t) {
    double* r = scratch.data() + 6 * static_cast<std::ptrdiff_t>(t);
    r[0] = src.F(1, t);
    if (q == 10) {
      r[1] = src.F(5, t);
      r[4] = src.F(6, t);
    } else {
      const int c = 9 + 5 * (q - 11);
      for (int i = 0; i < 5; ++i) r[1 + i] = src.F(c + i, t);
    }
  }
  const m::SumsView in{scratch.data(), 1, 6, trials, 0};
  const int word = scalar_series(s, in, 0, missing, results, min, max);
  return word == 0 ? 0 : kTrackError;
}

int RSMP_BIAS(int member, int prefix, int trials, int depth, double* sums) {
  if (prefix < 101 || prefix > 104) return 0;
  if (depth < (prefix == 104 ? 5 : 4)) return kBiasNeedsFho;
  for (int t = 0; t < trials; ++t) {
    double& f2 = at(sums, member, 2, t);
    double& f3 = at(sums, member, 3, t);
    const double n = at(sums, member, 1, t);
    const double f4 = at(sums, member, 4, t);
    if (!(m::usable(n) && m::usable(f2) && m::usable(f3) && m::usable(f4)) || n == 0) continue;
    switch (prefix) {
      case 101:
        if (f4 > 0 && f2 > 0) {
          if (const auto h = m::dhdf_hits(f2, f3, f4)) {
            f3 = *h;
            f2 = f4;
          }
        }
        break;
      case 102:
        // Odds-ratio model; with an odds ratio of exactly 1 the hits are those of independence,
        // F4 x F4 / N.
        if (const auto h = m::orba_hits(n, f2, f3, f4)) {
          f3 = *h;
          f2 = f4;
        }
        break;
      case 103:
        if (const auto h = m::dhda_hits(static_cast<float>(f2), static_cast<float>(f3),
                                        static_cast<float>(f4))) {
          f3 = *h;
          f2 = f4;
        }
        break;
      default:  // 104, frequency matching
        f2 = depth < 6 ? f4 : at(sums, member, 6, t);
        f3 = at(sums, member, 5, t);
        break;
    }
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

  const bool two_by_two = context.stat_type.find("FHO") != std::string::npos;
  const int c = code;
  const int a = std::abs(c);
  const int sign = c < 0 ? -1 : 1;
  int prefix = 0;
  int s = c;
  if (two_by_two && a > 1000000 && a <= 1049999) {
    code = a;
    prefix = a / 10000;
    s = sign * (a - 10000 * prefix);
  } else if (two_by_two && a > 2000000) {
    // Threshold-lag form: the lag is decoded away but not applied to resampled sums.
    code = a;
    const int k = a / 1000000;
    const int lag = a / 10000 - 100 * k;
    s = sign * (a - 10000 * lag - 2000000);
  }

  if (prefix == 101) {
    list_write(os, {});
    list_write(os, {" WARNING:  dH/dF bias adjustment is not recommended."});
    list_write(os, {});
  }
  if (const int rc = RSMP_BIAS(member, prefix, trials, depth, sums); rc != 0) return rc;

  min = 1e30f;
  max = -1e30f;
  const m::SumsView in = member_view(sums, member, trials);
  m::Output out{results.data()};
  const float* cal = context.lists.crps.data();
  const int cal_count = context.lists.crps_count;
  Group group = Group::kNone;
  int word = 0;
  bool ranged = false;  // min / max already set by a series helper

  const auto refuse = [&](std::string_view tail) {
    list_write(os, {" Box-whisker objects are not supported ", tail});
    return kNotAllowed;
  };

  if (s >= 1001 && s <= 1068) {
    if (!two_by_two || depth < 4) return kBadCode;
    if (s == 1032) {
      list_write(os, {" Box-whisker objects are not ", "supported for time series parametric ",
                      "ROC curves."});
      return kNotAllowed;
    }
    group = Group::kCs;
    word = fho_series(s, in, missing, results, out);
  } else if (s >= 1101 && s <= 1116) {
    if (depth <= 5) return kDepthTooSmall;
    group = Group::kCs;
    word = scalar_series(s, in, context.ensemble_size, missing, results, min, max);
    ranged = true;
  } else if (s >= 1201 && s <= 1217) {
    if (depth <= 7) return kDepthTooSmall;
    group = Group::kCs;
    word = vector_series(s, in, context.ensemble_size, missing, results, min, max);
    ranged = true;
  } else if (s >= 1301 && s <= 1363) {
    if (s == 1360 || s == 1362 || s == 1363) {
      const std::string_view tail = s == 1360   ? "supported for attribute diagrams."
                                    : s == 1362 ? "supported for ROC curves."
                                                : "supported for parametric ROC curves.";
      list_write(os, {" Box-whisker objects are not yet ", tail});
      return kNotAllowed;
    }
    group = Group::kCpb;
    word = probability_series(s, in, depth, context.lists, missing, out);
  } else if (s >= 1401 && s <= 1407) {
    if (context.label_type == 't' && (s == 1401 || s == 1402)) {
      list_write(os, {" Box-whisker objects are not supported in this context."});
      return kNotAllowed;
    }
    static constexpr int kI[] = {4, 6, 4, 6, 5, 7, 3}, kJ[] = {5, 7, 10, 11, 10, 11, 9};
    group = Group::kCs;
    word = m::phase(kI[s - 1401], kJ[s - 1401], s == 1407, in, missing, out);
  } else if ((s >= 1500 && s <= 1500 + depth / 3) || (s >= 1551 && s <= 1550 + depth / 3)) {
    group = Group::kCpb;
    if (s == 1500) {
      word = m::ranked_probability(in, depth, missing, out);
    } else if (s <= 1550) {
      word = m::category_forecast_probability(s - 1500, in, depth, missing, out);
    } else {
      word = m::category_observed_frequency(s - 1550, in, depth, missing, out);
    }
  } else if (s == 1590) {
    group = Group::kCpb;
    word = m::climatology_ranked_probability(in, depth, missing, out);
  } else if ((s >= 1601 && s <= 1604) || s == 1606) {
    group = Group::kCpb;
    word = m::count_fraction(s == 1606 ? 5 : s - 1600, in, depth, missing, out);
  } else if (s == 1700) {
    group = Group::kCpb;
    word = m::no_skill_fraction(in, missing, out);
  } else if (s == 1801) {
    group = Group::kCs;
    word = m::direction(in, missing, out);
  } else if (s >= 1901 && s <= 1903) {
    group = Group::kCs;
    word = m::s1_score(s - 1900, in, depth, missing, out);
  } else if (s >= 2001 && s <= 2005) {
    group = Group::kStx;
    word = m::object_attribute(s - 2000, in, depth, missing, out);
  } else if (s == 2101) {
    group = Group::kStx;
    word = m::fractions_skill(in, depth, missing, out);
  } else if (s >= 2201 && s <= 2204) {
    group = Group::kCs;
    word = m::paired_exceedance(s - 2200, in, missing, out);
  } else if (s >= 2301 && s <= 2306) {
    group = Group::kCpb;
    word = m::crps_decomposition(s - 2300, in, depth, cal, cal_count, missing, out);
  } else if (!refusal(s).empty()) {
    return refuse(refusal(s));
  } else if (is_track_code(s)) {
    std::vector<double> scratch;
    const int rc = RSMP_TRK(s, member, missing, scratch, trials, depth, sums, results, min, max);
    if (rc < 0) return rc;
    ranged = true;
  } else if (s > 1000) {
    list_write(os, {" No box-whisker objects are possible."});
    return kNotAllowed;
  } else {
    const int rc = RSMP_FLD(member, missing, s, trials, depth, sums, results, min, max);
    if (rc < 0) return rc;
    ranged = true;
  }
  if (!ranged && group != Group::kNone) {
    min = out.min;
    max = out.max;
  }

  int rc = 0;
  int missing_trials = 0;
  for (int t = 0; t < trials; ++t) missing_trials += results[t] == missing;
  if (missing_trials == trials) rc = kNoValues;

  if (word != 0) {
    const char* text = group == Group::kCpb   ? " Error code from CPB library = "
                       : group == Group::kStx ? " Error code from STX library = "
                                              : " Error code from CS library = ";
    list_write(os, {text, word});
    rc = kMetricError;
  }
  return rc;
}

}  // namespace kor::resample
