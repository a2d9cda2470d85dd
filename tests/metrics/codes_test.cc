// The code table: every code of the table computed on one small record of its record type, against
// values worked out by hand from the record's fields with the textbook form of each score (the
// 2x2 scores from the hits a, false alarms b, misses c and correct negatives d).  A row whose
// routine, option, label or perfect value is wrong fails here, as does a row that no case covers.
#include "metrics/codes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/metrics/metrics_testing.h"

namespace kor::metrics {
namespace {

using testing::kM;
constexpr std::optional<double> kNoPerfect = std::nullopt;
constexpr double kTight = 1e-12;  // double-precision routines
constexpr double kLoose = 2e-6;   // single-precision routines

// A 2x2 contingency table and the textbook scores over it.
struct Table {
  double a, b, c, d;  // hits, false alarms, misses, correct negatives
  double n() const { return a + b + c + d; }
  double bias() const { return (a + b) / (a + c); }
  double random_hits() const { return (a + b) * (a + c) / n(); }
  double ets() const { return (a - random_hits()) / (a + b + c - random_hits()); }
  double threat() const { return a / (a + b + c); }
  double far() const { return b / (a + b); }
  double pofd() const { return b / (b + d); }
  double post_agreement() const { return a / (a + b); }
  double pod() const { return a / (a + c); }
  double heidke() const { return 2 * (a * d - b * c) / ((a + c) * (c + d) + (a + b) * (b + d)); }
  double peirce() const { return (a * d - b * c) / ((a + c) * (b + d)); }
  double odds() const { return a * d / (b * c); }
  double log_odds_se() const { return std::sqrt(1 / a + 1 / b + 1 / c + 1 / d); }
  double orss() const { return (a * d - b * c) / (a * d + b * c); }
  double eds() const { return 2 * std::log((a + c) / n()) / std::log(a / n()) - 1; }
};

// Principal-branch Lambert W by Newton's method in double precision.
double lambert(double z) {
  double w = std::log1p(z);
  for (int i = 0; i < 60; ++i) w -= (w * std::exp(w) - z) / (std::exp(w) * (w + 1));
  return w;
}

struct Expect {
  int code;
  std::string label;
  std::optional<double> perfect;
  double value;
  double tolerance = kTight;
};

// One record (a single sample) and the codes computed on it.
struct Record {
  const char* type;
  std::vector<double> fields;  // fields 1..D
  std::vector<float> pbs;
  std::vector<float> crps;
  std::vector<Expect> codes;
};

void check_record(const Record& r) {
  const int depth = static_cast<int>(r.fields.size());
  const testing::SumsArray sums({r.fields});
  for (const Expect& x : r.codes) {
    const std::string what = std::string(r.type) + " code " + std::to_string(x.code);
    const CodeLookup found = find_code(x.code, depth);
    ASSERT_NE(found.entry, nullptr) << what;
    const CodeEntry& e = *found.entry;
    EXPECT_EQ(e.code, x.code) << what;
    EXPECT_EQ(std::string(e.label), x.label) << what;
    EXPECT_EQ(e.perfect, x.perfect) << what;
    double value = 4242.0;
    std::vector<double> scratch(1);
    CodeInputs inputs;
    inputs.depth = depth;
    inputs.pbs = r.pbs;
    inputs.crps = r.crps;
    inputs.ensemble = 4;
    inputs.scratch = scratch.data();
    Output out{&value};
    EXPECT_EQ(evaluate(e, sums.view(), kM, inputs, out), kOk) << what;
    testing::expect_value(value, x.value, x.tolerance, what);
  }
}

Record fho_record() {
  // N 100, F 30, H 20, O 40: a 20, b 10, c 20, d 50.
  const Table t{20, 10, 20, 50};
  const double n = 100, f = 30, h = 20, o = 40;
  const double ln_or = std::log(t.odds());
  const double roc_area =
      t.odds() / (t.odds() - 1) - t.odds() * ln_or / ((t.odds() - 1) * (t.odds() - 1));
  // Hits after the dH/dF and dH/dA bias adjustments (forecasts become O), then the threat scores
  // of the adjusted table.
  const double dhdf = o * (1 - std::pow((o - h) / o, o / f));
  const double q = o / (o - h);
  const double dhda = o - (f - h) / std::log(q) * lambert(std::log(q) * o / (f - h));
  auto adjusted_ts = [&](double hits) { return hits / (2 * o - hits); };
  auto adjusted_ets = [&](double hits) {
    const double r = o * o / n;
    return (hits - r) / (2 * o - hits - r);
  };
  const double pf = t.pofd(), ph = t.pod();
  // Benchmark forms over the base rate b, the hit rate h and the bias B.
  const double br = o / n, hr = h / o, bb = f / o;
  const double dhdf_bench = std::log(1 - hr) * (hr - 1);
  return {
      "FHO",
      {n, f, h, o},
      {},
      {},
      {
          {1001, "BIAS_SCORE", 1, t.bias()},
          {1002, "EQ_THT_SCR", 1, t.ets()},
          {1003, "CSI=THRTSC", 1, t.threat()},
          {1004, "FLS_ALRM_RATIO", 0, t.far()},
          {1005, "POSTAGREMT", 1, t.post_agreement()},
          {1006, "PREFIG=POD", 1, t.pod()},
          {1007, "PROB_OF_DET", 1, t.pod()},
          {1008, "CSI=THRTSC", 1, t.threat()},
          {1021, "FLS_ALRM_RATE", 0, t.pofd()},
          {1022, "COND_MSS_RATE", 0, t.c / (t.c + t.d)},
          {1023, "HEIDKE_SKL_SCR", 1, t.heidke()},
          {1024, "P-H-K_SKL_SCR", 1, t.peirce()},
          {1025, "ODDS_RATIO", kUnbounded, t.odds()},
          {1026, "LOG_ODDS_RATIO", kUnbounded, ln_or},
          {1027, "STDERR_LOG(OR)", kNoPerfect, t.log_odds_se()},
          {1028, "ODDS_RTO_SKL_SCR", 1, t.orss()},
          {1029, "ODDS_RTO_SKSC**3", 1, std::pow(t.orss(), 3)},
          {1030, "LN_OR/STDV_LN_OR", kNoPerfect, ln_or / t.log_odds_se()},
          {1031, "ROC_AREA-CHANCE", 0.5, roc_area - 0.5},
          {1033, "OPRA SCORE", 1, 2 * (roc_area - 0.5)},
          {1034, "ACCURACY_RATE", 1, (t.a + t.d) / t.n()},
          {1035, "EXTRM_DEPNDNCY_SCORE", 1, t.eds()},
          {1036, "CLAYTON_SKILL_SCORE", 1, t.a / (t.a + t.b) - t.c / (t.c + t.d), kLoose},
          {1037, "DHDF_THREAT_SCORE", 1, adjusted_ts(dhdf), kLoose},
          {1038, "DHDF_EQ_THREAT_SCORE", 1, adjusted_ets(dhdf), kLoose},
          {1039, "DHDA_THREAT_SCORE", 1, adjusted_ts(dhda), kLoose},
          {1040, "DHDA_EQ_THREAT_SCORE", 1, adjusted_ets(dhda), kLoose},
          {1041, "SYM_EXTRM_DEP_SCORE", 1,
           std::log((t.a + t.b) * (t.a + t.c) / (n * n)) / std::log(t.a / n) - 1},
          {1042, "EXTRML_DEPNDNC_INDEX", 1,
           (std::log(pf) - std::log(ph)) / (std::log(pf) + std::log(ph))},
          {1043, "SYM_EXTRML_DEP_INDEX", 1,
           (std::log(pf) - std::log(ph) - std::log(1 - pf) + std::log(1 - ph)) /
               (std::log(pf) + std::log(ph) + std::log(1 - pf) + std::log(1 - ph))},
          {1044, "2AFC_TEST_SCORE", 1, 0.5 * (1 + ph - pf), kLoose},
          {1051, "POD_CPR", kNoPerfect, 0, kLoose},
          {1052, "EDS_CPR", kNoPerfect, 0, kLoose},
          {1053, "TSS_CPR", kNoPerfect, br, kLoose},
          {1054, "PC_CPR", kNoPerfect, 0.5, kLoose},
          {1055, "POFD_CPR", kNoPerfect, 1, kLoose},
          {1056, "FAR_CPR", kNoPerfect, hr / bb, kLoose},
          {1057, "TS_CPR", kNoPerfect, hr / (bb + 1), kLoose},
          {1058, "ETS_CPR", kNoPerfect, (hr + br - 2 * br * hr) / (bb + 1 - 2 * br * bb), kLoose},
          {1059, "HSS_CPR", kNoPerfect, (hr + br - 2 * br * hr) / (bb + 1 - 2 * br * bb), kLoose},
          {1060, "CSS_CPR", kNoPerfect,
           (br * br * bb * bb + hr - 2 * br * hr * bb) / ((1 - br * bb) * bb), kLoose},
          {1061, "ORSS_CPR", kNoPerfect,
           (1 - br) * (1 - hr) * hr / (bb - hr * hr - br * bb * bb - br * bb + 2 * br * bb * hr),
           kLoose},
          {1062, "CMR_CPR", kNoPerfect, (1 - hr) * br / (1 - br * bb), kLoose},
          {1063, "PA_CPR", kNoPerfect, hr / bb, kLoose},
          {1064, "TSDHDF_CPR", kNoPerfect, dhdf_bench / bb, kLoose},
          {1065, "ETSDHDF_CPR", kNoPerfect, dhdf_bench / bb, kLoose},
          {1066, "TSDHDA_CPR", kNoPerfect, dhdf_bench / (dhdf_bench + bb - hr), kLoose},
          {1067, "ETSDHDA_CPR", kNoPerfect, dhdf_bench / (dhdf_bench + bb - hr), kLoose},
          {1068, "CPR_BNCHMRK_REFERNCE", -9999.0,
           (br * bb + hr - 2 * br * hr * bb) / (2 * bb * (1 - br * bb)), kLoose},
      }};
}

// The raw-sum codes 1009-1020 over two thresholds 1 and 4 with F 30 and 10, H 20 and 5, O 40 and
// 15, turned into their percentage forms.  Counts: (y1 - y2) / y1 and y2 / y1; below the
// threshold: (y1 - y2) / y1 and 100; volumes (y1 - y2) sqrt(1 x 4) and y2 sqrt(4 x (8 - 1)), and
// their running sum.
struct PercentCase {
  int code;
  const char* label;
  std::vector<double> want;
};

std::vector<PercentCase> percent_cases() {
  struct Series {
    double y1, y2;
  };
  const Series kF{30, 10}, kH{20, 5}, kO{40, 15};
  auto count = [](Series s) {
    return std::vector<double>{100 * (s.y1 - s.y2) / s.y1, 100 * s.y2 / s.y1};
  };
  auto below = [](Series s) { return std::vector<double>{100 * (s.y1 - s.y2) / s.y1, 100.0}; };
  auto volume = [](Series s) {
    const double v1 = (s.y1 - s.y2) * 2, v2 = s.y2 * std::sqrt(28.0);
    return std::vector<double>{100 * v1 / (v1 + v2), 100 * v2 / (v1 + v2)};
  };
  auto cumulative = [&](Series s) {
    const std::vector<double> v = volume(s);
    return std::vector<double>{v[0], v[0] + v[1]};
  };
  return {
      {1009, "FOR_CMLTV_%TOTVL", cumulative(kF)}, {1010, "VRF_CMLTV_%TOTVL", cumulative(kH)},
      {1011, "OBS_CMLTV_%TOTVL", cumulative(kO)}, {1012, "FOR_%TOTAL_VOL", volume(kF)},
      {1013, "VRF_%TOTAL_VOL", volume(kH)},       {1014, "OBS_%TOTAL_VOL", volume(kO)},
      {1015, "FOR_%TOTAL_CNT", count(kF)},        {1016, "VRF_%TOTAL_CNT", count(kH)},
      {1017, "OBS_%TOTAL_CNT", count(kO)},        {1018, "FOR_%TTL#<THLD", below(kF)},
      {1019, "VRF_%TTL#<THLD", below(kH)},        {1020, "OBS_%TTL#<THLD", below(kO)},
  };
}

Record scalar_record() {
  // N 2: f 3.5, o 1, fo 4.7, ff 16.25, oo 4; spread 0.5 (field 7), ensemble of 4.
  const double sf2 = 16.25 - 3.5 * 3.5, so2 = 4 - 1, cov = 4.7 - 3.5, mse = 16.25 + 4 - 2 * 4.7;
  const double err2 = sf2 + so2 - 2 * cov;
  return {"SL1L2",
          {2, 7, 2, 9.4, 32.5, 8, 1},
          {},
          {},
          {
              {1101, "SCALR_BIAS", 0, 2.5},
              {1102, "SCALR_RMSE", 0, std::sqrt(mse)},
              {1103, "SCALR_CORR", 1, cov / std::sqrt(sf2 * so2)},
              {1104, "SCLR_COVAR", kNoPerfect, cov},
              {1105, "SCLR_FRVAR", kNoPerfect, sf2},
              {1106, "SCLR_OBVAR", kNoPerfect, so2},
              {1107, "SCLR_FRSDV", kNoPerfect, std::sqrt(sf2)},
              {1108, "SCLR_OBSDV", kNoPerfect, std::sqrt(so2)},
              {1109, "SCLR_ERROR_SIG", 0, std::sqrt(err2)},
              {1110, "SCLR_BIAS+ERRSIG", kNoPerfect, 2.5 + std::sqrt(err2)},
              {1111, "SCLR_BIAS-ERRSIG", kNoPerfect, 2.5 - std::sqrt(err2)},
              {1112, "SCALR_BIAS**2", 0, 6.25},
              {1113, "-2*SCLR_COVAR", kNoPerfect, -2 * cov},
              {1114, "SCLR_ERROR_VAR", 0, err2},
              {1115, "SCALR_MSE", 0, mse},
              {1116, "SCALAR_ESCI", 1, mse * 4 / 5 / 0.5},
          }};
}

Record vector_record() {
  // N 1: uf 3, vf 4, uo 1, vo 1, fo 8.2, ff 30, oo 5; spread 0.5 (field 9), ensemble of 4.
  const double fvar = 30 - 25, ovar = 5 - 2, cov = 8.2 - 3 - 4, mse = 30 + 5 - 2 * 8.2;
  const double err2 = fvar + ovar - 2 * cov;
  return {"VL1L2",
          {1, 3, 4, 1, 1, 8.2, 30, 5, 0.5},
          {},
          {},
          {
              {1201, "VECTR_SPD_BIAS", 0, std::sqrt(30.0) - std::sqrt(5.0)},
              {1202, "VECTR_RMSE", 0, std::sqrt(mse)},
              {1203, "VECTR_CORR", 1, cov / std::sqrt(fvar * ovar)},
              {1204, "VCTR_COVAR", kNoPerfect, cov},
              {1205, "VCTR_FRVAR", kNoPerfect, fvar},
              {1206, "VCTR_OBVAR", kNoPerfect, ovar},
              {1207, "VCTR_FRSDV", kNoPerfect, std::sqrt(fvar)},
              {1208, "VCTR_OBSDV", kNoPerfect, std::sqrt(ovar)},
              {1209, "U-CMP_BIAS", 0, 2},
              {1210, "V-CMP_BIAS", 0, 3},
              {1211, "VECTR_BIAS_MAG", 0, std::sqrt(13.0)},
              {1212, "VCTR_ERROR_SIG", 0, std::sqrt(err2)},
              {1213, "VECTR_BIAS**2", 0, 13},
              {1214, "-2*VCTR_COVAR", kNoPerfect, -2 * cov},
              {1215, "VCTR_ERROR_VAR", 0, err2},
              {1216, "VECTR_MSE", 0, mse},
              {1217, "VECTOR_ESCI", 1, mse * 4 / 5 / 0.5},
          }};
}

Record probability_record() {
  // K = 4 categories of N 100: forecasts 40 (the rest), 30, 20, 10; events 4, 9, 10, 8;
  // probabilities .05, .25, .55, .85.  At risk threshold e the forecasts at or above it are those
  // of the categories above e.
  const double c[] = {40, 30, 20, 10}, ev[] = {4, 9, 10, 8};
  const std::vector<float> p = {0.05f, 0.25f, 0.55f, 0.85f};
  auto table_at = [&](int e) {
    double forecasts = 0, hits = 0;
    for (int j = e; j < 4; ++j) {
      forecasts += c[j];
      hits += ev[j];
    }
    const double events = 31;
    return Table{hits, forecasts - hits, events - hits, 100 - forecasts - events + hits};
  };
  double brier = 0, target = 0, reliability = 0, resolution = 0;
  const double climate = 0.31;
  for (int j = 0; j < 4; ++j) {
    // Every forecast of category j scored against its outcome.
    const double pj = p[j];
    brier += (ev[j] * (pj - 1) * (pj - 1) + (c[j] - ev[j]) * pj * pj) / 100;
    target += c[j] / 100 * (pj - pj * pj);
    const double oj = ev[j] / c[j];
    reliability += c[j] / 100 * (pj - oj) * (pj - oj);
    resolution += c[j] / 100 * (oj - climate) * (oj - climate);
  }
  const double uncertainty = climate * (1 - climate);
  Record r{"PBS_WWX",
           {100, 30, 20, 10, 4, 9, 10, 8},
           p,
           {},
           {
               {1301, "BRIER_SCORE", 0, brier, kLoose},
               {1302, "NO_RISK_PRB", kNoPerfect, 4.0 / 40},
               {1303, "LOW_RISK_PRB", kNoPerfect, 9.0 / 30},
               {1304, "MOD_RISK_PRB", kNoPerfect, 10.0 / 20},
               {1305, "HI_RISK_PRB", kNoPerfect, 8.0 / 10},
               {1306, "TARGET_BRIER_SCR", kNoPerfect, target, kLoose},
               {1331, "SUM_IN_RISK_AREA", kNoPerfect, 60},
               {1332, "SUM > THRESHOLD", kNoPerfect, 31},
               {1354, "SMPL_CLIMO_BSCR", 0, uncertainty},
               {1355, "BS_RELIABILITY", 0, reliability, kLoose},
               {1356, "BS_RESOLUTION", kNoPerfect, resolution, kLoose},
               {1357, "BS_UNCERTAINTY", kNoPerfect, uncertainty, kLoose},
               {1358, "BS_SKLL_VS_CLIMO", 1, (resolution - reliability) / uncertainty, kLoose},
               {1359, "SMPL_CLIMO_FREQ", kNoPerfect, climate},
               {1361, "FRCST_PROB_>_0_EDS", 1, table_at(1).eds()},
           }};
  static const char* const kPrefix[] = {"LOW+_", "MOD+_", "HIGH_"};
  for (int e = 1; e <= 3; ++e) {
    const Table t = table_at(e);
    const std::string pre = kPrefix[e - 1];
    const int a = 1307 + 8 * (e - 1), b = 1333 + 7 * (e - 1);
    const std::vector<Expect> scores = {
        {a, pre + "BIAS_SCORE", 1, t.bias()},
        {a + 1, pre + "EQ_THT_SCR", 1, t.ets()},
        {a + 2, pre + "FLS_ALR_RAT", 0, t.pofd()},
        {a + 3, pre + "FLS_ALR_RTO", 0, t.far()},
        {a + 4, pre + "POSTAGREMT", 1, t.post_agreement()},
        {a + 5, pre + "POD=PREFIG", 1, t.pod()},
        {a + 6, pre + "PROB_OF_DET", 1, t.pod()},
        {a + 7, pre + "CSI=THRTSC", 1, t.threat()},
        {b, pre + "HEIDKE_SKSC", 1, t.heidke()},
        {b + 1, pre + "P-H-K_SKSCR", 1, t.peirce()},
        {b + 2, pre + "ODDS_RATIO", kUnbounded, t.odds()},
        {b + 3, pre + "LN(ODS_RTO)", kUnbounded, std::log(t.odds())},
        {b + 4, pre + "STDERR_LNOR", kNoPerfect, t.log_odds_se()},
        {b + 5, pre + "ODSRTO_SKSC", 1, t.orss()},
        {b + 6, pre + "ODDS_RSS**3", 1, std::pow(t.orss(), 3)},
    };
    r.codes.insert(r.codes.end(), scores.begin(), scores.end());
  }
  return r;
}

Record phase_record() {
  // Prime fields; the weighted phase error is field i / field j (1407 their sum).
  return {"PHSE",
          {1, 2, 3, 5, 7, 11, 13, 17, 19, 23, 29},
          {},
          {},
          {
              {1401, "AC_FORVAR_WTD_PE", 0, 5.0 / 7},
              {1402, "AC_ANLVAR_WTD_PE", 0, 11.0 / 13},
              {1403, "FORVARFRC_WTD_PE", 0, 5.0 / 23},
              {1404, "ANLVARFRC_WTD_PE", 0, 11.0 / 29},
              {1405, "FOR_VARIANCE_FRC", kNoPerfect, 7.0 / 23},
              {1406, "ANL_VARIANCE_FRC", kNoPerfect, 13.0 / 29},
              {1407, "FORCST_AMPLITUDE", kNoPerfect, 3.0 + 19},
          }};
}

Record ranked_record() {
  // Nine ranked categories of N 100 (depth 27): triple t holds t, t^2 and the category count w_t
  // (the last count is what the others leave).
  const double w[] = {5, 7, 9, 11, 13, 15, 17, 10, 13};
  Record r{"RPS", std::vector<double>(27, 0.0), {}, {}, {}};
  r.fields[0] = 100;
  double rps = 0, climate = 0;
  for (int t = 1; t <= 9; ++t) {
    r.fields[3 * t - 2] = t;
    r.fields[3 * t - 1] = t * t;
    if (t < 9) r.fields[3 * t] = w[t - 1];
    rps += 0.5 * (t * t - 2.0 * t + w[t - 1]) / 100;
    climate += 0.5 * (w[t - 1] / 100) * (1 - w[t - 1] / 100);
  }
  r.codes = {{1500, "BRIER_SCORE", 0, rps}, {1590, "SMPL_CLIMO_BSCR", 0, climate}};
  for (int k = 1; k <= 9; ++k) {
    r.codes.push_back({1500 + k, "AVG_FR_PRB|OB_C" + std::to_string(k), kNoPerfect, k / w[k - 1]});
    r.codes.push_back(
        {1550 + k, "OBSVD_FREQ_CAT_" + std::to_string(k), kNoPerfect, w[k - 1] / 100});
  }
  return r;
}

Record interval_record() {
  // Analysis below (10), within (25 + 15 + 10 + 5) and above (35) the forecast intervals.
  return {"RHNT",
          {100, 10, 25, 15, 10, 5},
          {},
          {},
          {
              {1601, "PROB_ANLY_LOWER", 0, 0.10},
              {1602, "PROB_ANLY_WITHIN", 0, 0.55},
              {1603, "PROB_ANLY_HIGHER", 0, 0.35},
              {1604, "PROB_ANLY_OUTSID", 0, 0.45},
              {1606, "MSSNG_RATE_ERROR", 0, 0.45 - 2.0 / 6},
              {1700, "NO_SKILL_FRCTN", kNoPerfect, 1 - 25.0 / 100},
          }};
}

// Direction, S1 scores, objects, fractions skill and paired exceedance.
std::vector<Record> object_records() {
  return {
      // The components (1, -1) of the displacement point to 135 degrees.
      {"ST_MODE",
       {2, 0, 0, 0, 0, 0, 2, -2},
       {},
       {},
       {{1801, "DIR_OBS_TO_FRCST", 0, 135.0, kLoose}}},
      {"KVORN",
       {1, 0, 0, 0, 0, 0, 0, 3, 12, 5, 8},
       {},
       {},
       {
           {1901, "X-DIR_S1_SCORE", 0, 100 * 3.0 / 12},
           {1902, "Y-DIR_S1_SCORE", 0, 100 * 5.0 / 8},
           {1903, "S1_SCORE", 0, 100 * 8.0 / 20},
       }},
      // Intensities 10 and 4, areas 6 and 8, a 45 degree direction, intersection 4, union 5.
      {"ST_MODE",
       {2, 0, 0, 0, 0, 0, 0, 1, 1, 10, 4, 6, 8, 0, 4, 5, 0},
       {},
       {},
       {
           {2001, "MODE_INT_BIAS", 0, (10 - 4) / 2.0},
           {2002, "MODE_AREA_BIAS", 1, 6.0 / 8},
           {2003, "MODE_OBS->FOR_DRCTN", kNoPerfect, 45.0, kLoose},
           {2004, "MODE_POD", 1, 4.0 / 8},
           {2005, "MODE_THRT_SCORE", 1, 4.0 / 5},
       }},
      {"FSS", {1, 1, 2, 3}, {}, {}, {{2101, "FRCTNS_SKLL_SCR", 1, 1 - 1.0 / 5}}},
      {"PFR",
       {1, 0, 1, 4, 3, 6, 5, 8},
       {},
       {},
       {
           {2201, "PROB(F>O|O>=THRSHLD)", kNoPerfect, 1.0 / 4},
           {2202, "PROB(F>O|F>=THRSHLD)", kNoPerfect, 3.0 / 6},
           {2203, "PROB(F>T)/PROB(O>T)", 1, 6.0 / 4},
           {2204, "PROB(F>O|F&O>=THRSH)", kNoPerfect, 5.0 / 8},
       }},
  };
}

Record crps_record() {
  // Three bins (depth 10) with probabilities 0, .4, 1; the inner bin's weight and observed
  // frequency from fields 3 and 6, the outliers' from fields 8, 5 and 9, 4; uncertainty .25.
  const double g[] = {0.2, 0.6, 0.2}, o[] = {0.1, 1.0 / 3, 0.3}, p[] = {0, 0.4f, 1};
  double crps = 0, potential = 0, reliability = 0;
  for (int t = 0; t < 3; ++t) {
    crps += g[t] * (o[t] * (1 - p[t]) * (1 - p[t]) + (1 - o[t]) * p[t] * p[t]);
    potential += g[t] * o[t] * (1 - o[t]);
    reliability += g[t] * (o[t] - p[t]) * (o[t] - p[t]);
  }
  return {"CRPS",
          {10, 1, 4, 1.4, 0.2, 2, 1, 1, 3, 2.5},
          {},
          {0.4f, 0.7f},
          {
              {2301, "MEAN_CRPS", 0, crps, kLoose},
              {2302, "POTENTIAL_CRPS", 0, potential, kLoose},
              {2303, "CRPS_RELIABILITY", 0, reliability, kLoose},
              {2304, "CRPS_RESOLUTION", kNoPerfect, 0.25 - potential, kLoose},
              {2305, "CRPS_UNCERTAINTY", kNoPerfect, 0.25, kLoose},
              {2306, "CRPS_SKLL_VS_UNCRTNT", 1, (0.25 - crps) / 0.25, kLoose},
          }};
}

std::vector<Record> all_records() {
  std::vector<Record> all = {fho_record(),         scalar_record(), vector_record(),
                             probability_record(), phase_record(),  ranked_record(),
                             interval_record(),    crps_record()};
  for (Record& r : object_records()) all.push_back(std::move(r));
  return all;
}

// The special plots of the statistics engine: rows that compute nothing per sample.
constexpr int kDiagrams[] = {1032, 1360, 1362, 1363, 1600, 1605, 2307, 9002};
constexpr int kCountShare = 9001;

TEST(CodeTable, FhoScores) { check_record(fho_record()); }
TEST(CodeTable, ScalarPartialSums) { check_record(scalar_record()); }
TEST(CodeTable, VectorPartialSums) { check_record(vector_record()); }
TEST(CodeTable, ProbabilityCategories) { check_record(probability_record()); }
TEST(CodeTable, PhaseDecomposition) {
  check_record(phase_record());
  EXPECT_STREQ(find_code(1401, 11).entry->time_label, "TS_FORVAR_WTD_PE");
  EXPECT_STREQ(find_code(1402, 11).entry->time_label, "TS_ANLVAR_WTD_PE");
}
TEST(CodeTable, RankedCategories) { check_record(ranked_record()); }
TEST(CodeTable, ForecastIntervals) { check_record(interval_record()); }
TEST(CodeTable, ObjectsAndExceedance) {
  for (const Record& r : object_records()) check_record(r);
}
TEST(CodeTable, ContinuousRankedProbability) { check_record(crps_record()); }

// The combined scalar codes are missing where either part is: here the error deviation (its
// radicand 0 + 0 - 2 x 1 is negative) while the bias 1 - 0 is not.
TEST(CodeTable, CombinedScalarCodesNeedBothParts) {
  const testing::SumsArray sums({{1, 1, 0, 1, 1, 0}});
  for (int code : {1110, 1111}) {
    double value = 4242.0, scratch = 0.0;
    Output out{&value};
    CodeInputs inputs;
    inputs.depth = 6;
    inputs.scratch = &scratch;
    ASSERT_EQ(evaluate(*find_code(code, 6).entry, sums.view(), kM, inputs, out), kOk) << code;
    EXPECT_EQ(value, kM) << code;
    EXPECT_EQ(out.min, static_cast<float>(kM)) << code;  // no value left: both ends missing
  }
}

TEST(CodeTable, RawSumsAndTheirPercentages) {
  const std::vector<double> thresholds = {1, 4};
  const testing::SumsArray sums({{100, 30, 20, 40}, {100, 10, 5, 15}});
  for (const PercentCase& c : percent_cases()) {
    const std::string what = "code " + std::to_string(c.code);
    const CodeEntry* e = find_code(c.code, 4).entry;
    ASSERT_NE(e, nullptr) << what;
    EXPECT_STREQ(e->label, c.label) << what;
    EXPECT_EQ(e->perfect, kNoPerfect) << what;
    std::vector<double> values(2, 4242.0);
    Output out{values.data()};
    CodeInputs inputs;
    inputs.depth = 4;
    ASSERT_EQ(evaluate(*e, sums.view(), kM, inputs, out), kOk) << what;
    const std::optional<Percent> form = percent_form(*e);
    ASSERT_TRUE(form.has_value()) << what;
    ASSERT_EQ(percent_of_total(*form, thresholds.data(), 2, kM, out), kOk) << what;
    for (int i = 0; i < 2; ++i) testing::expect_value(values[i], c.want[i], kTight, what);
  }
}

TEST(CodeTable, CountShareOverTheSamples) {
  const CodeEntry* e = find_code(kCountShare, 4).entry;
  ASSERT_NE(e, nullptr);
  EXPECT_STREQ(e->label, "CNT_FRAC_TRC_TTL");
  EXPECT_EQ(e->perfect, kNoPerfect);
  const testing::SumsArray sums({{1, 0, 0, 0}, {3, 0, 0, 0}, {testing::kAbsent, 0, 0, 0}});
  std::vector<double> values(3);
  Output out{values.data()};
  CodeInputs inputs;
  inputs.depth = 4;
  ASSERT_EQ(evaluate(*e, sums.view(), kM, inputs, out), kOk);
  EXPECT_EQ(values, (std::vector<double>{0.25, 0.75, kM}));
}

TEST(CodeTable, EveryRowHasAWorkedCase) {
  std::set<int> cased(std::begin(kDiagrams), std::end(kDiagrams));
  cased.insert(kCountShare);
  for (const Record& r : all_records()) {
    for (const Expect& x : r.codes) EXPECT_TRUE(cased.insert(x.code).second) << x.code << " twice";
  }
  for (const PercentCase& c : percent_cases()) cased.insert(c.code);
  for (const CodeEntry& e : code_table()) {
    EXPECT_EQ(cased.count(e.code), 1u) << "no worked case for code " << e.code;
    const bool diagram =
        std::find(std::begin(kDiagrams), std::end(kDiagrams), e.code) != std::end(kDiagrams);
    EXPECT_EQ(e.routine == Routine::kDiagram, diagram) << e.code;
  }
  EXPECT_EQ(cased.size(), code_table().size());
  EXPECT_STREQ(find_code(1360, 8).entry->type_word, "PBS");
  EXPECT_STREQ(find_code(2307, 10).entry->type_word, "CRPS");
}

TEST(CodeGroups, RangesAndPreconditions) {
  struct Case {
    int code;
    int depth;
    CodeGroup group;
    bool row;
  };
  constexpr Case kCases[] = {
      {1001, 4, CodeGroup::kFho, true},
      {1045, 4, CodeGroup::kFho, false},  // inside the range, no statistic
      {1068, 4, CodeGroup::kFho, true},
      {1069, 4, CodeGroup::kNone, false},
      {1100, 6, CodeGroup::kNone, false},
      {1116, 6, CodeGroup::kScalar, true},
      {1217, 8, CodeGroup::kVector, true},
      {1306, 8, CodeGroup::kBrierRisk, true},
      {1307, 8, CodeGroup::kRiskScores, true},
      {1500, 9, CodeGroup::kRanked, true},
      {1503, 9, CodeGroup::kRanked, true},   // J = 3
      {1504, 9, CodeGroup::kRanked, false},  // beyond the categories, inside the group
      {1550, 9, CodeGroup::kRanked, false},
      {1553, 9, CodeGroup::kRanked, true},
      {1554, 9, CodeGroup::kNone, false},    // beyond 1550 + J
      {1559, 28, CodeGroup::kRanked, true},  // J = 9
      {1590, 4, CodeGroup::kClimatologyBrier, true},
      {1607, 6, CodeGroup::kNone, false},
      {2307, 10, CodeGroup::kCrps, true},
      {9002, 10, CodeGroup::kCountPlots, true},
      {101101, 23, CodeGroup::kTrack, false},
      {131115, 23, CodeGroup::kTrack, false},
      {101116, 23, CodeGroup::kNone, false},
      {141101, 23, CodeGroup::kNone, false},
      // Just outside each group.
      {1000, 4, CodeGroup::kPlainField, false},
      {1200, 8, CodeGroup::kNone, false},
      {1300, 8, CodeGroup::kNone, false},
      {1364, 8, CodeGroup::kNone, false},
      {1400, 11, CodeGroup::kNone, false},
      {1408, 11, CodeGroup::kNone, false},
      {1499, 9, CodeGroup::kNone, false},
      {1589, 9, CodeGroup::kNone, false},
      {1591, 9, CodeGroup::kNone, false},
      {1599, 6, CodeGroup::kNone, false},
      {1699, 6, CodeGroup::kNone, false},
      {1701, 6, CodeGroup::kNone, false},
      {1800, 8, CodeGroup::kNone, false},
      {1802, 8, CodeGroup::kNone, false},
      {1900, 11, CodeGroup::kNone, false},
      {1904, 11, CodeGroup::kNone, false},
      {2000, 17, CodeGroup::kNone, false},
      {2006, 17, CodeGroup::kNone, false},
      {2100, 4, CodeGroup::kNone, false},
      {2102, 4, CodeGroup::kNone, false},
      {2200, 8, CodeGroup::kNone, false},
      {2205, 8, CodeGroup::kNone, false},
      {2300, 10, CodeGroup::kNone, false},
      {2308, 10, CodeGroup::kNone, false},
      {9000, 4, CodeGroup::kNone, false},
      {9003, 4, CodeGroup::kNone, false},
      {-1, 4, CodeGroup::kWeight, false},
      {0, 4, CodeGroup::kPlainField, false},
      {-1001, 4, CodeGroup::kPlainField, false},
  };
  for (const Case& c : kCases) {
    const CodeLookup found = find_code(c.code, c.depth);
    EXPECT_EQ(found.group, c.group) << c.code << " depth " << c.depth;
    EXPECT_EQ(found.entry != nullptr, c.row) << c.code << " depth " << c.depth;
  }
  EXPECT_EQ(group_rule(CodeGroup::kFho).type_word, "FHO");
  EXPECT_EQ(group_rule(CodeGroup::kFho).min_depth, 4);
  EXPECT_EQ(group_rule(CodeGroup::kScalar).min_depth, 6);
  EXPECT_EQ(group_rule(CodeGroup::kVector).min_depth, 8);
  EXPECT_EQ(error_library(CodeGroup::kRiskScores), "CPB");
  EXPECT_EQ(error_library(CodeGroup::kObject), "STX");
  EXPECT_EQ(error_library(CodeGroup::kPhase), "CS");
}

TEST(CodePrefixes, Decoding) {
  struct Case {
    const char* name;
    int code;
    bool two_by_two, threshold_axis;
    DecodedCode want;
  };
  constexpr int kMin = std::numeric_limits<int>::min();
  const Case kCases[] = {
      {"dH/dF prefix", 1011001, true, false, {1011001, 1001, 101, 0}},
      {"negative prefixed code", -1021004, true, false, {1021004, -1004, 102, 0}},
      {"prefix 100 decodes", 1001002, true, false, {1001002, 1002, 100, 0}},
      {"prefix on a scalar type", 1011001, false, false, {1011001, 1011001, 0, 0}},
      {"prefix range ends at 1049999", 1050000, true, true, {1050000, 1050000, 0, 0}},
      {"threshold lag", 2031002, true, true, {2031002, 1002, 0, 3}},
      {"negative threshold lag", -2031002, true, true, {2031002, -1002, 0, 3}},
      {"lag off a threshold axis", 2031002, true, false, {2031002, 2031002, 0, 0}},
      {"lag above 99 wraps", 12031002, true, true, {12031002, 10001002, 0, 3}},
      {"2000000 itself", 2000000, true, true, {2000000, 2000000, 0, 0}},
      {"the smallest integer", kMin, true, true, {kMin, kMin, 0, 0}},
  };
  for (const Case& c : kCases) {
    const DecodedCode d = decode_code(c.code, c.two_by_two, c.threshold_axis);
    EXPECT_EQ(d.code, c.want.code) << c.name;
    EXPECT_EQ(d.statistic, c.want.statistic) << c.name;
    EXPECT_EQ(d.prefix, c.want.prefix) << c.name;
    EXPECT_EQ(d.lag, c.want.lag) << c.name;
  }
  std::ostringstream warned, quiet;
  write_prefix_warning(101, warned);
  write_prefix_warning(102, quiet);
  EXPECT_EQ(warned.str(), " \n  WARNING:  dH/dF bias adjustment is not recommended.\n \n");
  EXPECT_EQ(quiet.str(), "");
}

TEST(TrackCodes, QuantitiesLabelsAndValues) {
  // Depth 23, N 2: distance error sum 8 and its square sum 40; central pressure F 4, O 2, FO 10,
  // FF 18, OO 6 (per count f 2, o 1, fo 5, ff 9, oo 3); maximum wind and vorticity sums twice and
  // four times those.
  std::vector<double> f(23, 0.0);
  f[0] = 2;
  f[4] = 8;
  f[5] = 40;
  const double cp[] = {4, 2, 10, 18, 6};
  for (int k = 0; k < 5; ++k) {
    f[8 + k] = cp[k];
    f[13 + k] = 2 * cp[k];
    f[18 + k] = 4 * cp[k];
  }
  struct Case {
    int code;
    const char* label;
    std::optional<double> perfect;
    double value;
  };
  const Case kCases[] = {
      {101101, "DISTNC_SCALR_BIAS", 0, 4},                    // mean distance error
      {101102, "DISTNC_SCALR_RMSE", 0, std::sqrt(20.0)},      // root of the mean square
      {101107, "DISTNC_SCLR_FRSDV", kNoPerfect, 2},           // its spread, sqrt(20 - 16)
      {111101, "CENPRS_SCALR_BIAS", 0, 1},                    // f - o
      {111102, "CENPRS_SCALR_RMSE", 0, std::sqrt(2.0)},       // sqrt(9 + 3 - 10)
      {111103, "CENPRS_SCALR_CORR", 1, 3 / std::sqrt(10.0)},  // (5 - 2) / (sqrt 5 sqrt 2)
      {111104, "CENPRS_SCLR_COVAR", kNoPerfect, 3},
      {111105, "CENPRS_SCLR_FRVAR", kNoPerfect, 5},
      {111106, "CENPRS_SCLR_OBVAR", kNoPerfect, 2},
      {111108, "CENPRS_SCLR_OBSDV", kNoPerfect, std::sqrt(2.0)},
      {111109, "CENPRS_SCLR_ERR_SIG", 0, 1},  // sqrt(5 + 2 - 6)
      {111110, "CENPRS_SCLR_BIAS+SIG", kNoPerfect, 2},
      {111111, "CENPRS_SCLR_BIAS-SIG", kNoPerfect, 0},
      {111112, "CENPRS_SCALR_BIAS**2", 0, 1},
      {111113, "CENPRS_-2*SCLR_COVAR", kNoPerfect, -6},
      {111114, "CENPRS_SCLR_ERR_VAR", 0, 1},
      {111115, "CENPRS_SCALR_MSE", 0, 2},
      {121101, "MAXWND_SCALR_BIAS", 0, 2},
      {131115, "850VOR_SCALR_MSE", 0, 8},  // 36 + 12 - 2 x 20
  };
  const testing::SumsArray sums({f});
  for (const Case& c : kCases) {
    ASSERT_TRUE(is_track_code(c.code)) << c.code;
    const TrackQuantity* q = track_quantity(c.code);
    ASSERT_NE(q, nullptr) << c.code;
    const int s = track_statistic(c.code);
    const TrackName name = track_name(s);
    EXPECT_EQ(std::string(q->tag) + "_" + std::string(name.name), c.label) << c.code;
    EXPECT_EQ(name.perfect, c.perfect) << c.code;
    std::vector<double> work(6), scratch(1);
    track_sums(*q, sums.view(), work.data());
    CodeInputs inputs;
    inputs.depth = 6;
    inputs.scratch = scratch.data();
    double value = 4242.0;
    Output out{&value};
    ASSERT_EQ(evaluate(*find_code(s, 6).entry, SumsView{work.data(), 1, 6, 1, 0}, kM, inputs, out),
              kOk)
        << c.code;
    testing::expect_value(value, c.value, kTight, std::to_string(c.code));
  }
  constexpr int kDepths[] = {0, 13, 18, 23};
  for (int q = 10; q <= 13; ++q) {
    EXPECT_EQ(track_quantity(q * 10000 + 1101)->min_depth, kDepths[q - 10]) << q;
  }
  EXPECT_EQ(track_quantity(141101), nullptr);
}

}  // namespace
}  // namespace kor::metrics
