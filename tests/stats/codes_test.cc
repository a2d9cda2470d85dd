#include <cmath>

#include "stats/internal.h"
#include "trace_fixture.h"

namespace kor::stats {
namespace {

using CodesTest = TraceTest;

struct Expect {
  int code;
  const char* label;
  double perfect;
  std::vector<double> values;
};

// --- FHO categorical scores -------------------------------------------------------------------

TEST_F(CodesTest, FhoScoresOnTheThresholdPlot) {
  // Trace 2: N = 100, F = 40 30 20 10 5, H = 20 15 10 5 2, O = 30 20 12 6 3.
  const double n = 100, f[] = {40, 30, 20, 10, 5}, h[] = {20, 15, 10, 5, 2},
               o[] = {30, 20, 12, 6, 3};
  auto series = [&](auto formula) {
    std::vector<double> v;
    for (int i = 0; i < 5; ++i) v.push_back(formula(f[i], h[i], o[i]));
    return v;
  };
  const std::vector<Expect> kCases = {
      {1001, "BIAS_SCORE", 1, series([](double F, double, double O) { return F / O; })},
      {1003, "CSI=THRTSC", 1, series([](double F, double H, double O) { return H / (F + O - H); })},
      {1008, "CSI=THRTSC", 1, series([](double F, double H, double O) { return H / (F + O - H); })},
      {1005, "POSTAGREMT", 1, series([](double F, double H, double) { return H / F; })},
      {1006, "PREFIG=POD", 1, series([](double, double H, double O) { return H / O; })},
      {1007, "PROB_OF_DET", 1, series([](double, double H, double O) { return H / O; })},
      {1021, "FLS_ALRM_RATE", 0,
       series([&](double F, double H, double O) { return (F - H) / (n - O); })},
      {1022, "COND_MSS_RATE", 0,
       series([&](double F, double H, double O) { return (O - H) / (n - F); })},
      {1002, "EQ_THT_SCR", 1, series([&](double F, double H, double O) {
         const double r = F * O / n;
         return (H - r) / (F + O - H - r);
       })},
      {1025, "ODDS_RATIO", kUnbounded, series([&](double F, double H, double O) {
         return (n - F - O + H) * H / ((F - H) * (O - H));
       })},
      {1034, "ACCURACY_RATE", 1,
       series([&](double F, double H, double O) { return (2 * H + n - F - O) / n; })},
      {1024, "P-H-K_SKL_SCR", 1,
       series([&](double F, double H, double O) { return (n * H - F * O) / ((n - O) * O); })},
  };
  ASSERT_EQ(load("fho.trc", 1), 0);
  for (const Expect& c : kCases) {
    EXPECT_EQ(run(2, c.code), 0) << c.code;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.code;
    expect_series(values(), c.values, std::to_string(c.code), 1e-6);
  }
  // Labels and perfect values of the rest of the group, values from the metric library.
  struct Named {
    int code;
    const char* label;
    double perfect;
  };
  constexpr Named kNamed[] = {
      {1004, "FLS_ALRM_RATIO", 0},
      {1023, "HEIDKE_SKL_SCR", 1},
      {1026, "LOG_ODDS_RATIO", 1e29},
      {1027, "STDERR_LOG(OR)", M},
      {1028, "ODDS_RTO_SKL_SCR", 1},
      {1029, "ODDS_RTO_SKSC**3", 1},
      {1030, "LN_OR/STDV_LN_OR", M},
      {1031, "ROC_AREA-CHANCE", 0.5},
      {1033, "OPRA SCORE", 1},
      {1035, "EXTRM_DEPNDNCY_SCORE", 1},
      {1036, "CLAYTON_SKILL_SCORE", 1},
      {1037, "DHDF_THREAT_SCORE", 1},
      {1038, "DHDF_EQ_THREAT_SCORE", 1},
      {1039, "DHDA_THREAT_SCORE", 1},
      {1040, "DHDA_EQ_THREAT_SCORE", 1},
      {1041, "SYM_EXTRM_DEP_SCORE", 1},
      {1042, "EXTRML_DEPNDNC_INDEX", 1},
      {1043, "SYM_EXTRML_DEP_INDEX", 1},
      {1044, "2AFC_TEST_SCORE", 1},
      {1051, "POD_CPR", M},
      {1057, "TS_CPR", M},
      {1067, "ETSDHDA_CPR", M},
      {1068, "CPR_BNCHMRK_REFERNCE", -9999.0},
  };
  for (const Named& c : kNamed) {
    EXPECT_EQ(run(2, c.code), 0) << c.code;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.code;
  }
  // The benchmark of the threat score, h / (B + 1) with h = H/O and B = F/O.
  ASSERT_EQ(run(2, 1057), 0);
  expect_series(values(),
                series([](double F, double H, double O) { return (H / O) / (F / O + 1); }),
                "TS_CPR", 1e-6);
}

TEST_F(CodesTest, VolumeAndCountPercentages) {
  // Forecast events 40 30 20 10 5 and observed events 30 20 12 6 3 at thresholds 1 to 5.
  const double y[] = {40, 30, 20, 10, 5};
  double vol[5], total = 0;
  for (int i = 0; i < 4; ++i) vol[i] = (y[i] - y[i + 1]) * std::sqrt((i + 1.0) * (i + 2.0));
  vol[4] = y[4] * std::sqrt(5.0 * (2 * 5.0 - 4.0));
  for (double v : vol) total += v;
  std::vector<double> volume, cumulative;
  double run_sum = 0;
  for (double v : vol) {
    volume.push_back(100 * v / total);
    run_sum += 100 * v / total;
    cumulative.push_back(run_sum);
  }
  struct Case {
    int code;
    const char* label;
    std::vector<double> want;
  };
  const Case kCases[] = {
      {1015, "FOR_%TOTAL_CNT", {25, 25, 25, 12.5, 12.5}},
      {1018, "FOR_%TTL#<THLD", {25, 50, 75, 87.5, 100}},
      {1020, "OBS_%TTL#<THLD", {100.0 / 3, 60, 80, 90, 100}},
      {1017, "OBS_%TOTAL_CNT", {100.0 / 3, 80.0 / 3, 20, 10, 10}},
      {1012, "FOR_%TOTAL_VOL", volume},
      {1009, "FOR_CMLTV_%TOTVL", cumulative},
  };
  ASSERT_EQ(load("fho.trc", 1), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(run(2, c.code), 0) << c.code;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, M) << c.code;
    expect_series(values(), c.want, c.label, 1e-9);
    const auto [lo, hi] = std::minmax_element(c.want.begin(), c.want.end());
    EXPECT_NEAR(result_.ymin, *lo, 1e-4) << c.code;
    EXPECT_NEAR(result_.ymax, *hi, 1e-4) << c.code;
  }
}

TEST_F(CodesTest, GroupPreconditions) {
  struct Case {
    const char* name;
    const char* file;
    int plot, trace, code, rc;
  };
  constexpr Case kCases[] = {
      {"scalar code on depth 4", "fho.trc", 1, 1, 1101, -36},
      {"vector code on depth 6", "partial.trc", 1, 1, 1201, -36},
      {"FHO code on SL1L2", "fho.trc", 3, 4, 1001, -29},
      {"field 30", "fho.trc", 1, 1, 30, -30},
      {"field -5 on depth 4", "fho.trc", 1, 1, -5, -30},
      {"field 5 on depth 4", "fho.trc", 1, 1, 5, -30},
      {"FHO code beyond the group", "fho.trc", 1, 1, 1069, -32},
      {"scalar code beyond the group", "partial.trc", 1, 1, 1117, -32},
      {"phase field beyond the depth", "partial.trc", 1, 1, 1403, -30},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(load(c.file, c.plot), 0) << c.name;
    EXPECT_EQ(run(c.trace, c.code), c.rc) << c.name;
  }
}

// --- scalar and vector partial sums -----------------------------------------------------------

TEST_F(CodesTest, ScalarPartialSums) {
  // Point means (f, o, fo, ff, oo): bias f - o, rmse sqrt(ff + oo - 2 fo), covariance fo - f o,
  // error deviation sqrt(ff - f^2 + oo - o^2 - 2 (fo - f o)).
  const double s3 = std::sqrt(3.0), s2 = std::sqrt(2.0), s75 = std::sqrt(0.75);
  struct Case {
    int code;
    const char* label;
    double perfect;
    std::vector<double> want;
    float ymin, ymax;
  };
  const Case kCases[] = {
      {1101, "SCALR_BIAS", 0, {0.5, 1, -1, 0, -1}, -1, 1},
      {1102, "SCALR_RMSE", 0, {1, s2, s3, 0, s2}, 0, static_cast<float>(s3)},
      {1104, "SCLR_COVAR", M, {0.5, 0.5, 0.5, 0, 0}, 0, 0.5},
      {1109, "SCLR_ERROR_SIG", 0, {s75, 1, s2, 0, 1}, 0, static_cast<float>(s2)},
      {1110, "SCLR_BIAS+ERRSIG", M, {0.5 + s75, 2, s2 - 1, 0, 0}, 0, 2},
      {1111, "SCLR_BIAS-ERRSIG", M, {0.5 - s75, 0, -1 - s2, 0, -2}, static_cast<float>(-1 - s2), 0},
      {1112, "SCALR_BIAS**2", 0, {0.25, 1, 1, 0, 1}, 0, 1},
      {1113, "-2*SCLR_COVAR", M, {-1, -1, -1, 0, 0}, -1, 0},
      {1114, "SCLR_ERROR_VAR", 0, {0.75, 1, 2, 0, 1}, 0, 2},
      {1115, "SCALR_MSE", 0, {1, 2, 3, 0, 2}, 0, 3},
      {1105, "SCLR_FRVAR", M, {1, 1, 1, 0, 0.5}, 0, 1},
      {1108, "SCLR_OBSDV", M, {s75, 1, s2, 0, std::sqrt(0.5)}, 0, static_cast<float>(s2)},
  };
  ASSERT_EQ(load("partial.trc", 1), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(run(1, c.code), 0) << c.code;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.code;
    expect_series(values(), c.want, c.label, 1e-6);
    EXPECT_NEAR(result_.ymin, c.ymin, 1e-5) << c.code;
    EXPECT_NEAR(result_.ymax, c.ymax, 1e-5) << c.code;
  }
  EXPECT_EQ(run(1, 1103), 0);
  EXPECT_NEAR(arrays_.y[0], 0.5 / (1.0 * s75), 1e-9);  // (fo - f o) / (sf so)
}

TEST_F(CodesTest, DerivedCodesWithoutPointsGiveMissingRanges) {
  ASSERT_EQ(load("partial.trc", 3), 0);
  for (int t = 1; t <= 4; ++t) reader_->sum(t, 1, 1) = 0.0;  // N = 0: nothing computable
  for (int code : {1110, 1111, 1112, 1113, 1114, 1115}) {
    EXPECT_EQ(run(4, code), 2) << code;
    EXPECT_EQ(result_.ymin, static_cast<float>(M)) << code;
    EXPECT_EQ(result_.ymax, static_cast<float>(M)) << code;
  }
  ASSERT_EQ(load("partial.trc", 3), 0);
  reader_->sum(3, 1, 1) = 0.0;
  EXPECT_EQ(run(3, 1213), 2);
  EXPECT_GT(result_.ymin, result_.ymax);  // the vector codes keep the base range
}

TEST_F(CodesTest, VectorPartialSums) {
  // Means (uf, vf, uo, vo, fo, ff, oo): (1, 2, .5, 1.5, 4, 6, 3), (0, 1, 1, 0, .5, 2, 1.5),
  // (2, 2, 2, 2, 8, 8, 8).
  struct Case {
    int code;
    const char* label;
    double perfect;
    std::vector<double> want;
    float ymin, ymax;
  };
  const Case kCases[] = {
      {1201,
       "VECTR_SPD_BIAS",
       0,
       {std::sqrt(6.0) - std::sqrt(3.0), std::sqrt(2.0) - std::sqrt(1.5), 0},
       0,
       static_cast<float>(std::sqrt(6.0) - std::sqrt(3.0))},
      {1209, "U-CMP_BIAS", 0, {0.5, -1, 0}, -1, 0.5},
      {1210, "V-CMP_BIAS", 0, {0.5, 1, 0}, 0, 1},
      {1211,
       "VECTR_BIAS_MAG",
       0,
       {std::sqrt(0.5), std::sqrt(2.0), 0},
       0,
       static_cast<float>(std::sqrt(2.0))},
      {1213, "VECTR_BIAS**2", 0, {0.5, 2, 0}, 0, 2},
      {1204, "VCTR_COVAR", M, {0.5, 0.5, 0}, 0, 0.5},
      {1214, "-2*VCTR_COVAR", M, {-1, -1, 0}, -1, 0},
      {1202, "VECTR_RMSE", 0, {1, std::sqrt(2.5), 0}, 0, static_cast<float>(std::sqrt(2.5))},
      {1216, "VECTR_MSE", 0, {1, 2.5, 0}, 0, 2.5},
  };
  ASSERT_EQ(load("partial.trc", 2), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(run(1, c.code), 0) << c.code;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.code;
    expect_series(values(), c.want, c.label, 1e-6);
    EXPECT_NEAR(result_.ymin, c.ymin, 1e-5) << c.code;
    EXPECT_NEAR(result_.ymax, c.ymax, 1e-5) << c.code;
  }
}

// --- plain fields, weights and their labels ----------------------------------------------------

TEST_F(CodesTest, PlainFieldsAndWeights) {
  struct Case {
    int code;
    const char* label;
    std::vector<double> want;
  };
  const Case kCases[] = {
      {1, "DATA_COUNT", {1, 2, 4, 8, 16}}, {3, "O_MEAN", {0.5, 1, 1, 3, 2}},
      {-3, "O_MEAN", {0.5, 2, 4, 24, 32}}, {6, "O2_MEAN", {1, 2, 3, 9, 4.5}},
      {-1, "TMP", {0.5, M, 2, 3, 4}},
  };
  ASSERT_EQ(load("partial.trc", 1), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(run(1, c.code), 0) << c.code;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, M) << c.code;
    expect_series(values(), c.want, c.label);
  }
  EXPECT_FLOAT_EQ(result_.ymin, 0.5f);
  EXPECT_FLOAT_EQ(result_.ymax, 4.0f);
}

TEST_F(CodesTest, BuiltInLabelsOfPlainFields) {
  struct Case {
    int trace, code;
    const char* label;
    double perfect;
  };
  // Traces: 1 ESL1L2/10, 2 SL1L2, 3 RHNT, 4 GBS, 5 FHO, 6 NOTHING, 7 RPS, 8 PBS_WWX, 9 TEMP_ERR.
  constexpr Case kCases[] = {
      {1, 5, "F2_MEAN", M},           {1, 8, "S_VER_OUTLR_FRCT", 0},
      {2, 8, "X_|DF-DA|_MEAN", M},    {3, 4, "BIN_#_03_PROB", M},
      {3, 2, "BIN_#_01_PROB", M},     {4, 6, "MN(FR_PRB**2)_C2", M},
      {4, 10, "FRACTION_OBSD_C3", M}, {5, 7, "PRM", M},
      {5, 1, "DATA_COUNT", M},        {6, 2, "UNDEFINED_PARM", M},
      {7, 2, "RANKED_PROB_SCR", 0},   {7, 9, "PRM", 0},
      {8, 2, "EVNT_FRC_LO_RISK", M},  {9, 2, "UNDEFINED_PARM", M},
  };
  ASSERT_EQ(load("labels.trc", 1), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(run(c.trace, c.code), 0) << c.trace << " " << c.code;
    EXPECT_EQ(label(), c.label) << c.trace << " " << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.trace << " " << c.code;
    EXPECT_EQ(arrays_.y[0], c.code == 1 ? 4.0 : 2.0) << c.trace << " " << c.code;
  }
}

TEST_F(CodesTest, LabelListFiles) {
  write("TEMPERR.lst",
        "TEMP_ERR 0.0\n"
        "SECOND\n"
        "THIRD 2.5x\n"
        "VERY_LONG_LABEL_NAME_OVER_24CHARS 1.0\n"
        "   \n");
  write("D1D2XY.lst", "LBL 1.5 extra words\n");
  struct Case {
    int trace, code;
    const char* label;
    double perfect;
  };
  constexpr Case kCases[] = {
      {9, 2, "TEMP_ERR", 0.0},           {9, 3, "SECOND", M},         {9, 4, "THIRD", M},
      {9, 5, "VERY_LONG_LABEL_NAME", M}, {9, 6, "UNDEFINED_PARM", M}, {9, 7, "UNDEFINED_PARM", M},
      {9, 1, "DATA_COUNT", M},           {10, 2, "LBL", 1.5},         {9, -2, "TEMP_ERR", 0.0},
  };
  ASSERT_EQ(load("labels.trc", 1), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(run(c.trace, c.code), 0) << c.trace << " " << c.code;
    EXPECT_EQ(label(), c.label) << c.trace << " " << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.trace << " " << c.code;
  }
  // A directory in place of the file counts as no file.
  std::filesystem::remove("TEMPERR.lst");
  std::filesystem::create_directory("TEMPERR.lst");
  EXPECT_EQ(run(9, 2), 0);
  EXPECT_EQ(label(), "UNDEFINED_PARM");
}

TEST(LabelListName, FromTheStatisticType) {
  struct Case {
    const char* type;
    const char* name;
  };
  constexpr Case kCases[] = {
      {"FHO", "FHO.lst"},
      {"TEMP_ERR", "TEMPERR.lst"},
      {"D1_D2_X/Y", "D1D2XY.lst"},
      {"ESL1L2/20", "ESL1L220.lst"},
      {"A_B_C_D_E", "ABCD.lst"},
      {"", ""},
      {"X_", ""},
      {"AAAAAAAAAAAAAAAA_BBBBBBBBBBBBBBBBBBBB", "AAAAAAAAAAAAAAAABBBBBBBBBBBBBBBB"},
  };
  for (const Case& c : kCases) EXPECT_EQ(detail::label_list_name(c.type), c.name) << c.type;
}

// --- probability, phase, object and other groups ----------------------------------------------

TEST_F(CodesTest, PanofskyBrierAndRiskCategories) {
  // Point 1: N = 100, category forecasts 40 30 20 10, events 5 8 12 9; probabilities 0, .25,
  // .75, 1.
  const double p[] = {0, 0.25, 0.75, 1}, c1[] = {40, 30, 20, 10}, e1[] = {5, 8, 12, 9};
  double brier = 0;
  for (int j = 0; j < 4; ++j) {
    const double o = e1[j] / c1[j];
    brier += c1[j] / 100 * (p[j] * p[j] - 2 * p[j] * o + o);
  }
  ASSERT_EQ(load("prob.trc", 1), 0);
  ASSERT_EQ(run(1, 1301), 0);
  EXPECT_EQ(label(), "BRIER_SCORE");
  EXPECT_EQ(result_.perfect, 0.0);
  EXPECT_NEAR(arrays_.y[0], brier, 1e-6);
  EXPECT_NEAR(brier, 0.17125, 1e-12);  // the sum worked by hand
  struct Case {
    int code;
    const char* label;
    double perfect;
    double first;  // value at point 1, M when not checked
  };
  const Case kCases[] = {
      {1303, "LOW_RISK_PRB", M, 8.0 / 30},
      {1306, "TARGET_BRIER_SCR", M, 0.3 * 0.1875 + 0.2 * 0.1875},
      {1307, "LOW+_BIAS_SCORE", 1, 60.0 / 34},  // A = 60 forecasts, C = 34 events
      {1312, "LOW+_POD=PREFIG", 1, 29.0 / 34},  // B = 29 hits
      {1320, "MOD+_POD=PREFIG", 1, 21.0 / 34},
      {1330, "HIGH_CSI=THRTSC", 1, 9.0 / (10 + 34 - 9)},
      {1335, "LOW+_ODDS_RATIO", kUnbounded, (100.0 - 60 - 34 + 29) * 29 / ((34 - 29) * (60 - 29))},
      {1349, "HIGH_ODDS_RATIO", kUnbounded, M},
      {1343, "MOD+_LN(ODS_RTO)", kUnbounded, M},
      {1351, "HIGH_STDERR_LNOR", M, M},
      {1331, "SUM_IN_RISK_AREA", M, 60},
      {1332, "SUM > THRESHOLD", M, 34},
      {1359, "SMPL_CLIMO_FREQ", M, 0.34},
      {1354, "SMPL_CLIMO_BSCR", 0, 0.34 * 0.66},
      {1355, "BS_RELIABILITY", 0, M},
      {1358, "BS_SKLL_VS_CLIMO", 1, M},
      {1361, "FRCST_PROB_>_0_EDS", 1, 2 * std::log(0.34) / std::log(0.29) - 1},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(run(1, c.code), 0) << c.code;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.code;
    if (c.first != M) {
      EXPECT_NEAR(arrays_.y[0], c.first, 1e-5) << c.code;
    }
  }
  // The routines' own failures shift by -41.
  ASSERT_EQ(load("prob.trc", 4), 0);
  EXPECT_EQ(run(3, 1301), -42);  // FHO trace: no probabilities for its categories
  EXPECT_EQ(run(3, 1305), -43);  // category 4 of two
}

TEST_F(CodesTest, RankedProbabilityCategories) {
  ASSERT_EQ(load("prob.trc", 4), 0);  // trace 1: depth 9, J = 3
  struct Case {
    int code, rc;
    const char* label;
    double perfect;
  };
  constexpr Case kCases[] = {
      {1500, 0, "BRIER_SCORE", 0},      {1502, 0, "AVG_FR_PRB|OB_C2", M},
      {1503, 0, "AVG_FR_PRB|OB_C3", M}, {1553, 0, "OBSVD_FREQ_CAT_3", M},
      {1551, 0, "OBSVD_FREQ_CAT_1", M}, {1590, 0, "SMPL_CLIMO_BSCR", 0},
      {1520, 2, "PBS_ABC", M},          {1554, -32, "", M},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(run(1, c.code), c.rc) << c.code;
    if (c.rc < 0) continue;
    if (c.rc == 2) continue;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.code;
  }
  // Fields 90, 10 20 30, 40 5 6, 7 8: category 2 is F5 / F7 = 40 / 6, frequency of 3 is
  // (90 - 30 - 6) / 90.
  ASSERT_EQ(run(1, 1502), 0);
  EXPECT_NEAR(arrays_.y[0], 40.0 / 6, 1e-12);
  ASSERT_EQ(run(1, 1553), 0);
  EXPECT_NEAR(arrays_.y[0], (90.0 - 30 - 6) / 90, 1e-12);
}

TEST_F(CodesTest, OtherGroupsLabelsAndPerfectValues) {
  struct Case {
    int code;
    const char* label;
    double perfect;
  };
  constexpr Case kCases[] = {
      {1601, "PROB_ANLY_LOWER", 0},      {1602, "PROB_ANLY_WITHIN", 0},
      {1603, "PROB_ANLY_HIGHER", 0},     {1604, "PROB_ANLY_OUTSID", 0},
      {1606, "MSSNG_RATE_ERROR", 0},     {1700, "NO_SKILL_FRCTN", M},
      {1801, "DIR_OBS_TO_FRCST", 0},     {2001, "MODE_INT_BIAS", 0},
      {2002, "MODE_AREA_BIAS", 1},       {2003, "MODE_OBS->FOR_DRCTN", M},
      {2005, "MODE_THRT_SCORE", 1},      {2101, "FRCTNS_SKLL_SCR", 1},
      {2201, "PROB(F>O|O>=THRSHLD)", M}, {2203, "PROB(F>T)/PROB(O>T)", 1},
      {2204, "PROB(F>O|F&O>=THRSH)", M}, {9001, "CNT_FRAC_TRC_TTL", M},
      {1403, "FORVARFRC_WTD_PE", 0},     {1407, "FORCST_AMPLITUDE", M},
      {1401, "AC_FORVAR_WTD_PE", 0},
  };
  ASSERT_EQ(load("labels.trc", 1), 0);  // depth 10, N = 4 and every sum 8
  for (const Case& c : kCases) {
    const int rc = run(2, c.code);
    EXPECT_TRUE(rc == 0 || rc == 2) << c.code << " " << rc;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.code;
  }
  ASSERT_EQ(run(2, 9001), 0);
  expect_series(values(), {1.0}, "one point is all of the count");
  EXPECT_EQ(run(2, 1901), -1);  // the S1 routine needs a depth above 10: its code is passed on
  ASSERT_EQ(run(2, 1601), 0);
  expect_series(values(), {1.0}, "F2 / N clamped to 1");
  ASSERT_EQ(run(2, 2101), 0);
  expect_series(values(), {0.5}, "1 - F2 / (F3 + F4)");
}

TEST_F(CodesTest, PhaseOnATimeAxisIsWeighted) {
  // Time series of FHO-like records: fields 4 = O and 5 absent (depth 4): weighting needs field 5.
  ASSERT_EQ(load("timeseries.trc", 1), 0);
  EXPECT_EQ(run(1, 1401), -30);
  // Give the trace a fifth field: (F4 / N) / mean(F5 / N).
  for (int p = 1; p <= 7; ++p) reader_->sum(1, 5, p) = 50.0 * p;
  reader_->traces[0].depth = 5;
  ASSERT_EQ(run(1, 1401), 0);
  EXPECT_EQ(label(), "TS_FORVAR_WTD_PE");
  const double w = (0.5 + 1.0 + 1.5 + 2.0 + 2.5 + 3.0 + 3.5) / 7;
  EXPECT_NEAR(arrays_.y[0], 0.1 / w, 1e-12);
  for (int p = 1; p <= 7; ++p) reader_->sum(1, 5, p) = -1.1e31;
  EXPECT_EQ(run(1, 1401), -45);
}

TEST_F(CodesTest, CrpsScores) {
  ASSERT_EQ(load("prob.trc", 2), 0);
  ASSERT_EQ(run(1, 2305), 0);
  EXPECT_EQ(label(), "CRPS_UNCERTAINTY");
  EXPECT_EQ(result_.perfect, M);
  expect_series(values(), {0.25}, "U = F20 / N", 1e-6);
  ASSERT_EQ(run(1, 2301), 0);
  EXPECT_EQ(label(), "MEAN_CRPS");
  EXPECT_EQ(result_.perfect, 0.0);
}

// --- track statistics --------------------------------------------------------------------------

TEST_F(CodesTest, TrackStatistics) {
  struct Case {
    int trace, code, rc;
    const char* label;
    double perfect;
    std::vector<double> want;
  };
  const Case kCases[] = {
      {1, 101101, 0, "DISTNC_SCALR_BIAS", 0, {50, 100}},
      {1, 101102, 0, "DISTNC_SCALR_RMSE", 0, {std::sqrt(3000.0), std::sqrt(12500.0)}},
      {1, 101107, 0, "DISTNC_SCLR_FRSDV", M, {std::sqrt(500.0), 50}},
      {1, 101109, 0, "DISTNC_SCLR_ERR_SIG", 0, {std::sqrt(500.0), 50}},
      {1, 111102, 0, "CENPRS_SCALR_RMSE", 0, {10, 20}},
      {1, 111101, 0, "CENPRS_SCALR_BIAS", 0, {-10, -20}},
      {1, 111110, 0, "CENPRS_SCLR_BIAS+SIG", M, {-10, -20}},
      {2, 111102, -56, "", M, {}},
      {1, 121101, -57, "", M, {}},
      {1, 131101, -58, "", M, {}},
      {3, 121102, 0, "MAXWND_SCALR_RMSE", 0, {5, 5}},
      {3, 131115, 0, "850VOR_SCALR_MSE", 0, {1, 1}},
      {3, 131114, 0, "850VOR_SCLR_ERR_VAR", 0, {0, 0}},
      {1, 141101, -32, "", M, {}},
      {1, 101120, -32, "", M, {}},
  };
  ASSERT_EQ(load("track.trc", 1), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(run(c.trace, c.code), c.rc) << c.code;
    if (c.rc != 0) continue;
    EXPECT_EQ(label(), c.label) << c.code;
    EXPECT_EQ(result_.perfect, c.perfect) << c.code;
    expect_series(values(), c.want, c.label, 1e-6);
  }
}

}  // namespace
}  // namespace kor::stats
