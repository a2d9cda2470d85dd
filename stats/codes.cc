// The computational codes: which metric routine each code calls, with its label and perfect value.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "stats/internal.h"
#include "util/format.h"
#include "util/text.h"

namespace kor::stats::detail {
namespace {

using metrics::Output;
using metrics::SumsView;

struct Named {
  const char* label;
  double perfect;  // kNone: the missing value
};
constexpr double kNone = -1.0e35;  // stands for "the caller's missing value" in the tables below

double perfect_of(const Call& c, double p) { return p == kNone ? c.missing : p; }

// Finishes an ordinary code: range, label and perfect value.
int finish(Call& c, int rc, const Output& out, std::string_view label, double perfect) {
  c.ymin = out.min;
  c.ymax = out.max;
  c.label = std::string(label);
  c.perfect = perfect_of(c, perfect);
  return rc;
}

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

bool any_present(const double* v, int n, double missing) {
  for (int i = 0; i < n; ++i) {
    if (v[i] != missing) return true;
  }
  return false;
}

void square(double* v, int n, double missing) {
  for (int i = 0; i < n; ++i) {
    if (v[i] != missing) v[i] *= v[i];
  }
}

void times_minus_two(double* v, int n, double missing) {
  for (int i = 0; i < n; ++i) {
    if (v[i] != missing) v[i] *= -2.0;
  }
}

// --- FHO categorical scores, 1001 to 1068 ------------------------------------------------------

int fho_code(Call& c, int code, bool& special) {
  if (!c.fho || c.depth < 4) return -29;
  const SumsView& s = c.sums;
  const double m = c.missing;
  Output out{c.values};
  using namespace metrics;
  switch (code) {
    case 1001:
      return finish(c, frequency_bias(s, m, out), out, "BIAS_SCORE", 1);
    case 1002:
      return finish(c, skill_score(0, s, m, out), out, "EQ_THT_SCR", 1);
    case 1003:
    case 1008:
      return finish(c, threat_score(s, m, out), out, "CSI=THRTSC", 1);
    case 1004:
      return finish(c, false_alarm(0, s, m, out), out, "FLS_ALRM_RATIO", 0);
    case 1005:
      return finish(c, post_agreement(s, m, out), out, "POSTAGREMT", 1);
    case 1006:
      return finish(c, detection_probability(s, m, out), out, "PREFIG=POD", 1);
    case 1007:
      return finish(c, detection_probability(s, m, out), out, "PROB_OF_DET", 1);
    case 1021:
      return finish(c, false_alarm(1, s, m, out), out, "FLS_ALRM_RATE", 0);
    case 1022:
      return finish(c, false_alarm(2, s, m, out), out, "COND_MSS_RATE", 0);
    case 1023:
      return finish(c, skill_score(1, s, m, out), out, "HEIDKE_SKL_SCR", 1);
    case 1024:
      return finish(c, skill_score(2, s, m, out), out, "P-H-K_SKL_SCR", 1);
    case 1025:
      return finish(c, odds_ratio(0, s, m, out), out, "ODDS_RATIO", kUnbounded);
    case 1026:
      return finish(c, odds_ratio(2, s, m, out), out, "LOG_ODDS_RATIO", kUnbounded);
    case 1027:
      return finish(c, odds_ratio(3, s, m, out), out, "STDERR_LOG(OR)", kNone);
    case 1028:
      return finish(c, odds_ratio(1, s, m, out), out, "ODDS_RTO_SKL_SCR", 1);
    case 1029:
      return finish(c, odds_ratio(4, s, m, out), out, "ODDS_RTO_SKSC**3", 1);
    case 1030:
      return finish(c, odds_ratio(5, s, m, out), out, "LN_OR/STDV_LN_OR", kNone);
    case 1031:
      return finish(c, odds_ratio(6, s, m, out), out, "ROC_AREA-CHANCE", 0.5);
    case 1032:
      special = true;
      return roc_from_odds_ratio(c);
    case 1033:
      return finish(c, odds_ratio(7, s, m, out), out, "OPRA SCORE", 1);
    case 1034:
      return finish(c, accuracy(s, m, out), out, "ACCURACY_RATE", 1);
    case 1035:
      return finish(c, extreme_dependency(1, s, m, out), out, "EXTRM_DEPNDNCY_SCORE", 1);
    case 1036:
      return finish(c, clayton_skill(s, m, out), out, "CLAYTON_SKILL_SCORE", 1);
    case 1037:
      return finish(c, adjusted_threat_score(1, s, m, out), out, "DHDF_THREAT_SCORE", 1);
    case 1038:
      return finish(c, adjusted_threat_score(2, s, m, out), out, "DHDF_EQ_THREAT_SCORE", 1);
    case 1039:
      return finish(c, adjusted_threat_score(3, s, m, out), out, "DHDA_THREAT_SCORE", 1);
    case 1040:
      return finish(c, adjusted_threat_score(4, s, m, out), out, "DHDA_EQ_THREAT_SCORE", 1);
    case 1041:
      return finish(c, extreme_dependency(2, s, m, out), out, "SYM_EXTRM_DEP_SCORE", 1);
    case 1042:
      return finish(c, extreme_dependency(3, s, m, out), out, "EXTRML_DEPNDNC_INDEX", 1);
    case 1043:
      return finish(c, extreme_dependency(4, s, m, out), out, "SYM_EXTRML_DEP_INDEX", 1);
    case 1044:
      return finish(c, two_afc(s, m, out), out, "2AFC_TEST_SCORE", 1);
    case 1068:
      return finish(c, benchmark_reference(s, m, out), out, "CPR_BNCHMRK_REFERNCE", -9999.0);
    default:
      break;
  }
  if (code >= 1009 && code <= 1020) {
    static constexpr const char* kLabels[] = {
        "FOR_CMLTV_%TOTVL", "VRF_CMLTV_%TOTVL", "OBS_CMLTV_%TOTVL", "FOR_%TOTAL_VOL",
        "VRF_%TOTAL_VOL",   "OBS_%TOTAL_VOL",   "FOR_%TOTAL_CNT",   "VRF_%TOTAL_CNT",
        "OBS_%TOTAL_CNT",   "FOR_%TTL#<THLD",   "VRF_%TTL#<THLD",   "OBS_%TTL#<THLD"};
    const int field = 2 + (code - 1009) % 3;
    return finish(c, field_sum(field, s, m, out), out, kLabels[code - 1009], kNone);
  }
  if (code >= 1051 && code <= 1067) {
    std::string_view label;
    const int rc = benchmark_value(code - 1050, s, m, out, &label);
    return finish(c, rc, out, label, kNone);
  }
  return 0;  // inside the group's range but no statistic: every point stays missing
}

// --- scalar and vector partial sums -----------------------------------------------------------

int vector_statistic(Call& c, int code) {
  const SumsView& s = c.sums;
  const double m = c.missing;
  const int n = c.points;
  Output out{c.values};
  using metrics::Vector;
  static constexpr Named kNames[] = {
      {"VECTR_SPD_BIAS", 0}, {"VECTR_RMSE", 0},        {"VECTR_CORR", 1},     {"VCTR_COVAR", kNone},
      {"VCTR_FRVAR", kNone}, {"VCTR_OBVAR", kNone},    {"VCTR_FRSDV", kNone}, {"VCTR_OBSDV", kNone},
      {"U-CMP_BIAS", 0},     {"V-CMP_BIAS", 0},        {"VECTR_BIAS_MAG", 0}, {"VCTR_ERROR_SIG", 0},
      {"VECTR_BIAS**2", 0},  {"-2*VCTR_COVAR", kNone}, {"VCTR_ERROR_VAR", 0}, {"VECTR_MSE", 0},
      {"VECTOR_ESCI", 1}};
  const Named& name = kNames[code - 1201];
  int rc = 0;
  if (code <= 1212) {
    rc = metrics::vector_partial(static_cast<Vector>(code - 1201), s, m, out);
  } else if (code == 1217) {
    if (c.has_ensemble) {
      rc = metrics::vector_esci(c.ensemble, s, m, out);
    }
  } else {
    // Squares of 1211, 1212 and 1202 and -2 times 1204: without a point left the base range stays.
    const Vector base = code == 1213   ? Vector::kBiasMagnitude
                        : code == 1214 ? Vector::kCovariance
                        : code == 1215 ? Vector::kErrorSd
                                       : Vector::kRmse;
    rc = metrics::vector_partial(base, s, m, out);
    const bool left = any_present(c.values, n, m);
    if (code == 1214) {
      times_minus_two(c.values, n, m);
      if (left) {
        const float lo = out.min;
        out.min = -2.0f * out.max;
        out.max = -2.0f * lo;
      }
    } else {
      square(c.values, n, m);
      if (left) {
        out.min *= out.min;
        out.max *= out.max;
      }
    }
  }
  return finish(c, rc, out, name.label, name.perfect);
}

// --- PBS_ and risk categories, 1301 to 1363 ----------------------------------------------------

struct Probabilities {
  std::array<float, tracefile::kMaxPbs> p{};
  int count = 0;
};

Probabilities pbs_list(const Call& c) {
  Probabilities out;
  const tracefile::TraceInfo& info = c.reader.traces[c.trace - 1];
  out.count = std::clamp(info.pbs_count, 0, tracefile::kMaxPbs);
  for (int i = 0; i < out.count; ++i) out.p[i] = static_cast<float>(info.pbs[i]);
  return out;
}

int risk_code(Call& c, int code, bool& special) {
  const SumsView& s = c.sums;
  const double m = c.missing;
  const int d = c.depth;
  Output out{c.values};
  using metrics::Threshold2x2;
  if (code <= 1306) {
    const Probabilities p = pbs_list(c);
    int rc = 0;
    std::string_view label;
    double perfect = kNone;
    switch (code) {
      case 1301:
        rc = metrics::brier(0, s, d, p.p.data(), p.count, m, out);
        label = "BRIER_SCORE";
        perfect = 0;
        break;
      case 1306:
        rc = metrics::brier(1, s, d, p.p.data(), p.count, m, out);
        label = "TARGET_BRIER_SCR";
        break;
      default: {
        static constexpr const char* kRisk[] = {"NO_RISK_PRB", "LOW_RISK_PRB", "MOD_RISK_PRB",
                                                "HI_RISK_PRB"};
        rc = metrics::risk_probability(code - 1301, s, d, m, out);
        label = kRisk[code - 1302];
      }
    }
    return finish(c, rc == 0 ? 0 : rc - 41, out, label, perfect);
  }
  const bool block_a = code <= 1330;                  // 1307-1330, eight scores per category
  const bool block_b = code >= 1333 && code <= 1353;  // 1333-1353, seven per category
  if (block_a || block_b) {
    static constexpr const char* kPrefix[] = {"LOW+_", "MOD+_", "HIGH_"};
    struct Score {
      Threshold2x2 score;
      Named name;
    };
    static constexpr Score kA[] = {{Threshold2x2::kBias, {"BIAS_SCORE", 1}},
                                   {Threshold2x2::kEquitableThreat, {"EQ_THT_SCR", 1}},
                                   {Threshold2x2::kFalseAlarmRate, {"FLS_ALR_RAT", 0}},
                                   {Threshold2x2::kFalseAlarmRatio, {"FLS_ALR_RTO", 0}},
                                   {Threshold2x2::kPostAgreement, {"POSTAGREMT", 1}},
                                   {Threshold2x2::kDetection, {"POD=PREFIG", 1}},
                                   {Threshold2x2::kDetection, {"PROB_OF_DET", 1}},
                                   {Threshold2x2::kThreat, {"CSI=THRTSC", 1}}};
    static constexpr Score kB[] = {{Threshold2x2::kHeidke, {"HEIDKE_SKSC", 1}},
                                   {Threshold2x2::kPeirce, {"P-H-K_SKSCR", 1}},
                                   {Threshold2x2::kOddsRatio, {"ODDS_RATIO", kUnbounded}},
                                   {Threshold2x2::kLogOddsRatio, {"LN(ODS_RTO)", kUnbounded}},
                                   {Threshold2x2::kLogOddsStdErr, {"STDERR_LNOR", kNone}},
                                   {Threshold2x2::kOddsRatioSkill, {"ODSRTO_SKSC", 1}},
                                   {Threshold2x2::kOddsRatioSkillCubed, {"ODDS_RSS**3", 1}}};
    const int offset = block_a ? code - 1307 : code - 1333;
    const int per = block_a ? 8 : 7;
    const int category = offset / per;
    const Score& score = block_a ? kA[offset % per] : kB[offset % per];
    const int rc = metrics::threshold_score(score.score, category + 1, s, d, m, out);
    return finish(c, rc, out, std::string(kPrefix[category]) + score.name.label,
                  score.name.perfect);
  }
  switch (code) {
    case 1331:
      return finish(c, metrics::category_sum(1, s, d, m, out), out, "SUM_IN_RISK_AREA", kNone);
    case 1332:
      return finish(c, metrics::category_sum(2, s, d, m, out), out, "SUM > THRESHOLD", kNone);
    case 1354:
      return finish(c, metrics::climatology(0, s, d, m, out), out, "SMPL_CLIMO_BSCR", 0);
    case 1359:
      return finish(c, metrics::climatology(1, s, d, m, out), out, "SMPL_CLIMO_FREQ", kNone);
    case 1360:
      if (!c.contains("PBS")) return -60;
      special = true;
      return reliability_diagram(c, false);
    case 1361:
      return finish(c, metrics::threshold_score(Threshold2x2::kExtremeDependency, 1, s, d, m, out),
                    out, "FRCST_PROB_>_0_EDS", 1);
    case 1362:
    case 1363:
      special = true;
      return roc_from_pbs(c, code == 1362);
    default:
      break;
  }
  // 1355 to 1358: the Brier decomposition.
  static constexpr Named kDecomposition[] = {{"BS_RELIABILITY", 0},
                                             {"BS_RESOLUTION", kNone},
                                             {"BS_UNCERTAINTY", kNone},
                                             {"BS_SKLL_VS_CLIMO", 1}};
  const Probabilities p = pbs_list(c);
  const int option = code - 1354;
  const int rc = metrics::brier_decomposition(option, s, d, p.p.data(), p.count, m, out);
  return finish(c, rc, out, kDecomposition[option - 1].label, kDecomposition[option - 1].perfect);
}

// --- phase decomposition, 1401 to 1407 ---------------------------------------------------------

int phase_code(Call& c, int code) {
  struct Row {
    const char* label;
    const char* time_label;
    int op, i, j;
    double perfect;
  };
  static constexpr Row kRows[] = {{"AC_FORVAR_WTD_PE", "TS_FORVAR_WTD_PE", 4, 4, 5, 0},
                                  {"AC_ANLVAR_WTD_PE", "TS_ANLVAR_WTD_PE", 4, 6, 7, 0},
                                  {"FORVARFRC_WTD_PE", "FORVARFRC_WTD_PE", 4, 4, 10, 0},
                                  {"ANLVARFRC_WTD_PE", "ANLVARFRC_WTD_PE", 4, 6, 11, 0},
                                  {"FOR_VARIANCE_FRC", "FOR_VARIANCE_FRC", 4, 5, 10, kNone},
                                  {"ANL_VARIANCE_FRC", "ANL_VARIANCE_FRC", 4, 7, 11, kNone},
                                  {"FORCST_AMPLITUDE", "FORCST_AMPLITUDE", 1, 3, 9, kNone}};
  const Row& row = kRows[code - 1401];
  if (row.i > c.depth || row.j > c.depth) return -30;
  Output out{c.values};
  const bool time = c.reader.label_type == 't';
  if (time && code <= 1402) {
    // On a time axis the phase error is weighted by the mean of field b / N over the points.
    const int a = code == 1401 ? 4 : 6;
    const int b = code == 1401 ? 5 : 7;
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
    if (used == 0) return -45;
    const double w = total / used;
    for (int p = 0; p < c.points; ++p) {
      if (c.values[p] == c.missing) continue;
      c.values[p] = w != 0.0 ? c.values[p] / w : c.missing;
    }
    range_of(c.values, c.points, c.missing, out.min, out.max);
    return finish(c, 0, out, row.time_label, row.perfect);
  }
  const int rc = metrics::phase(row.i, row.j, row.op == 1, c.sums, c.missing, out);
  return finish(c, rc, out, time ? row.time_label : row.label, row.perfect);
}

// --- the other groups -------------------------------------------------------------------------

std::string with_digit(const char* text, int k) { return text + util::format("(I1)", {k}); }

int ranked_code(Call& c, int code) {
  const SumsView& s = c.sums;
  const double m = c.missing;
  const int d = c.depth;
  const int j = d / 3;
  Output out{c.values};
  if (code == 1500)
    return finish(c, metrics::ranked_probability(s, d, m, out), out, "BRIER_SCORE", 0);
  if (code <= 1500 + j) {
    const int k = code - 1500;
    return finish(c, metrics::category_forecast_probability(k, s, d, m, out), out,
                  with_digit("AVG_FR_PRB|OB_C", k), kNone);
  }
  if (code >= 1551 && code <= 1550 + j) {
    const int k = code - 1550;
    return finish(c, metrics::category_observed_frequency(k, s, d, m, out), out,
                  with_digit("OBSVD_FREQ_CAT_", k), kNone);
  }
  return 0;  // 1501 + J to 1550: no statistic
}

int other_code(Call& c, int code, bool& special) {
  const SumsView& s = c.sums;
  const double m = c.missing;
  const int d = c.depth;
  Output out{c.values};
  switch (code) {
    case 1590:
      return finish(c, metrics::climatology_ranked_probability(s, d, m, out), out,
                    "SMPL_CLIMO_BSCR", 0);
    case 1600:
      special = true;
      return rank_histogram(c);
    case 1601:
      return finish(c, metrics::count_fraction(1, s, d, m, out), out, "PROB_ANLY_LOWER", 0);
    case 1602:
      return finish(c, metrics::count_fraction(2, s, d, m, out), out, "PROB_ANLY_WITHIN", 0);
    case 1603:
      return finish(c, metrics::count_fraction(3, s, d, m, out), out, "PROB_ANLY_HIGHER", 0);
    case 1604:
      return finish(c, metrics::count_fraction(4, s, d, m, out), out, "PROB_ANLY_OUTSID", 0);
    case 1605:
      special = true;
      return summary_rank_plot(c);
    case 1606:
      return finish(c, metrics::count_fraction(5, s, d, m, out), out, "MSSNG_RATE_ERROR", 0);
    case 1700:
      return finish(c, metrics::no_skill_fraction(s, m, out), out, "NO_SKILL_FRCTN", kNone);
    case 1801:
      return finish(c, metrics::direction(s, m, out), out, "DIR_OBS_TO_FRCST", 0);
    case 1901:
      return finish(c, metrics::s1_score(1, s, d, m, out), out, "X-DIR_S1_SCORE", 0);
    case 1902:
      return finish(c, metrics::s1_score(2, s, d, m, out), out, "Y-DIR_S1_SCORE", 0);
    case 1903:
      return finish(c, metrics::s1_score(3, s, d, m, out), out, "S1_SCORE", 0);
    case 2001:
      return finish(c, metrics::object_attribute(1, s, d, m, out), out, "MODE_INT_BIAS", 0);
    case 2002:
      return finish(c, metrics::object_attribute(2, s, d, m, out), out, "MODE_AREA_BIAS", 1);
    case 2003:
      return finish(c, metrics::object_attribute(3, s, d, m, out), out, "MODE_OBS->FOR_DRCTN",
                    kNone);
    case 2004:
      return finish(c, metrics::object_attribute(4, s, d, m, out), out, "MODE_POD", 1);
    case 2005:
      return finish(c, metrics::object_attribute(5, s, d, m, out), out, "MODE_THRT_SCORE", 1);
    case 2101:
      return finish(c, metrics::fractions_skill(s, d, m, out), out, "FRCTNS_SKLL_SCR", 1);
    case 2201:
      return finish(c, metrics::paired_exceedance(1, s, m, out), out, "PROB(F>O|O>=THRSHLD)",
                    kNone);
    case 2202:
      return finish(c, metrics::paired_exceedance(2, s, m, out), out, "PROB(F>O|F>=THRSHLD)",
                    kNone);
    case 2203:
      return finish(c, metrics::paired_exceedance(3, s, m, out), out, "PROB(F>T)/PROB(O>T)", 1);
    case 2204:
      return finish(c, metrics::paired_exceedance(4, s, m, out), out, "PROB(F>O|F&O>=THRSH)",
                    kNone);
    case 2307:
      if (!c.contains("CRPS")) return -67;
      special = true;
      return reliability_diagram(c, true);
    case 9001: {
      // Each point's count as a fraction of the trace's total count.
      double total = 0.0;
      for (int p = 1; p <= c.points; ++p) {
        if (metrics::usable(c.F(1, p))) total += c.F(1, p);
      }
      for (int p = 1; p <= c.points; ++p) {
        if (metrics::usable(c.F(1, p)) && total > 0.0) c.values[p - 1] = c.F(1, p) / total;
      }
      range_of(c.values, c.points, m, out.min, out.max);
      return finish(c, 0, out, "CNT_FRAC_TRC_TTL", kNone);
    }
    case 9002:
      special = true;
      return cumulative_frequencies(c);
    default:
      break;
  }
  if (code >= 2301 && code <= 2306) {
    static constexpr Named kCrps[] = {
        {"MEAN_CRPS", 0},           {"POTENTIAL_CRPS", 0},       {"CRPS_RELIABILITY", 0},
        {"CRPS_RESOLUTION", kNone}, {"CRPS_UNCERTAINTY", kNone}, {"CRPS_SKLL_VS_UNCRTNT", 1}};
    const tracefile::TraceInfo& info = c.reader.traces[c.trace - 1];
    std::array<float, tracefile::kMaxCrps> cal{};
    const int count = std::clamp(info.crps_count, 0, tracefile::kMaxCrps);
    for (int i = 0; i < count; ++i) cal[i] = static_cast<float>(info.crps[i]);
    const int option = code - 2300;
    const int rc = metrics::crps_decomposition(option, s, d, cal.data(), count, m, out);
    return finish(c, rc, out, kCrps[option - 1].label, kCrps[option - 1].perfect);
  }
  return 0;  // 2206, 2102, ...: inside no listed row (callers only pass listed ranges)
}

// Codes below 1001: the weight (-1) or a plain data field.
int plain_code(Call& c, int code) {
  Output out{c.values};
  if (code == -1) {
    for (int p = 1; p <= c.points; ++p) {
      const double w = c.reader.weight(c.trace, p);
      c.values[p - 1] = w >= 0.0 ? w : c.missing;
    }
    range_of(c.values, c.points, c.missing, out.min, out.max);
    c.ymin = out.min;
    c.ymax = out.max;
    return 0;
  }
  const long long k = code < 0 ? -static_cast<long long>(code) : code;
  if (k == 0 || k > c.depth) return -30;
  const int field = static_cast<int>(k);
  const int rc = code == 1 || code < 0 ? metrics::field_sum(field, c.sums, c.missing, out)
                                       : metrics::field_mean(field, c.sums, c.missing, out);
  c.ymin = out.min;
  c.ymax = out.max;
  return rc;
}

bool is_track_code(int code) {
  for (int base : {101101, 111101, 121101, 131101}) {
    if (code >= base && code <= base + 14) return true;
  }
  return false;
}

}  // namespace

int scalar_statistic(int s, const SumsView& sums, double missing, int ensemble, double* values,
                     double* values2, float& ymin, float& ymax) {
  using metrics::Scalar;
  const int n = sums.n;
  Output out{values};
  int rc = 0;
  if (s <= 1109) {
    rc = metrics::scalar_partial(static_cast<Scalar>(s - 1101), sums, missing, out);
    ymin = out.min;
    ymax = out.max;
    return rc;
  }
  if (s == 1116) {
    if (ensemble >= 0) rc = metrics::scalar_esci(ensemble, sums, missing, out);
    ymin = out.min;
    ymax = out.max;
    return rc;
  }
  if (s == 1110 || s == 1111) {
    rc = metrics::scalar_partial(Scalar::kMeanError, sums, missing, out);
    if (rc != 0) return rc;
    Output sigma{values2};
    rc = metrics::scalar_partial(Scalar::kErrorSd, sums, missing, sigma);
    if (rc != 0) return rc;
    const double sign = s == 1110 ? 1.0 : -1.0;
    for (int i = 0; i < n; ++i) {
      values[i] =
          values[i] != missing && values2[i] != missing ? values[i] + sign * values2[i] : missing;
    }
    range_of(values, n, missing, out.min, out.max);
  } else {
    const Scalar base = s == 1112   ? Scalar::kMeanError
                        : s == 1113 ? Scalar::kCovariance
                        : s == 1114 ? Scalar::kErrorSd
                                    : Scalar::kRmse;
    rc = metrics::scalar_partial(base, sums, missing, out);
    if (rc != 0) return rc;
    if (s == 1113) {
      times_minus_two(values, n, missing);
      const float lo = out.min;
      out.min = -2.0f * out.max;
      out.max = -2.0f * lo;
    } else {
      square(values, n, missing);
      if (s == 1112) {
        range_of(values, n, missing, out.min, out.max);
      } else {
        out.min *= out.min;
        out.max *= out.max;
      }
    }
  }
  if (!any_present(values, n, missing)) {
    ymin = ymax = static_cast<float>(missing);
  } else {
    ymin = out.min;
    ymax = out.max;
  }
  return rc;
}

int compute_code(Call& c, int code, bool& special) {
  special = false;
  if (code >= 1001 && code <= 1068) return fho_code(c, code, special);
  if (code >= 1101 && code <= 1116) {
    if (c.depth < 6) return -36;
    static constexpr Named kNames[] = {
        {"SCALR_BIAS", 0},           {"SCALR_RMSE", 0},           {"SCALR_CORR", 1},
        {"SCLR_COVAR", kNone},       {"SCLR_FRVAR", kNone},       {"SCLR_OBVAR", kNone},
        {"SCLR_FRSDV", kNone},       {"SCLR_OBSDV", kNone},       {"SCLR_ERROR_SIG", 0},
        {"SCLR_BIAS+ERRSIG", kNone}, {"SCLR_BIAS-ERRSIG", kNone}, {"SCALR_BIAS**2", 0},
        {"-2*SCLR_COVAR", kNone},    {"SCLR_ERROR_VAR", 0},       {"SCALR_MSE", 0},
        {"SCALAR_ESCI", 1}};
    const int rc = scalar_statistic(code, c.sums, c.missing, c.has_ensemble ? c.ensemble : -1,
                                    c.values, c.values2, c.ymin, c.ymax);
    c.label = kNames[code - 1101].label;
    c.perfect = perfect_of(c, kNames[code - 1101].perfect);
    return rc;
  }
  if (code >= 1201 && code <= 1217) {
    if (c.depth < 8) return -36;
    return vector_statistic(c, code);
  }
  if (code >= 1301 && code <= 1363) return risk_code(c, code, special);
  if (code >= 1401 && code <= 1407) return phase_code(c, code);
  const int j = c.depth / 3;
  if ((code >= 1500 && code <= 1500 + j) || (code >= 1501 + j && code <= 1550 + j)) {
    return ranked_code(c, code);
  }
  if (code == 1590 || (code >= 1600 && code <= 1606) || code == 1700 || code == 1801 ||
      (code >= 1901 && code <= 1903) || (code >= 2001 && code <= 2005) || code == 2101 ||
      (code >= 2201 && code <= 2204) || (code >= 2301 && code <= 2307) || code == 9001 ||
      code == 9002) {
    return other_code(c, code, special);
  }
  if (is_track_code(code)) {
    const int rc = track_statistic(c, code);
    return rc;
  }
  if (code < 1001) return plain_code(c, code);
  return -32;
}

}  // namespace kor::stats::detail
