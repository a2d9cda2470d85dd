// The table of computational codes and the routines that read it.
#include "metrics/codes.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <ostream>

#include "util/listout.h"
#include "util/missing.h"

namespace kor::metrics {
namespace {

using R = Routine;
using G = CodeGroup;
constexpr std::optional<double> kNone = std::nullopt;
// The perfect value given for the benchmark reference: the plot-level missing value.
constexpr double kReferenceScore = util::kPlotMissing;

using S = Scalar;
using V = Vector;
using T = Threshold2x2;
// The option of a row that names an enumerator of the library.
template <typename E>
constexpr int option(E e) {
  return static_cast<int>(e);
}

constexpr CodeEntry kTable[] = {
    // Categorical scores from FHO data.
    {1001, G::kFho, R::kFrequencyBias, 0, 0, "BIAS_SCORE", 1},
    {1002, G::kFho, R::kSkillScore, 0, 0, "EQ_THT_SCR", 1},
    {1003, G::kFho, R::kThreatScore, 0, 0, "CSI=THRTSC", 1},
    {1004, G::kFho, R::kFalseAlarm, 0, 0, "FLS_ALRM_RATIO", 0},
    {1005, G::kFho, R::kPostAgreement, 0, 0, "POSTAGREMT", 1},
    {1006, G::kFho, R::kDetection, 0, 0, "PREFIG=POD", 1},
    {1007, G::kFho, R::kDetection, 0, 0, "PROB_OF_DET", 1},
    {1008, G::kFho, R::kThreatScore, 0, 0, "CSI=THRTSC", 1},
    // The raw forecast (field 2), hit (3) and observed (4) sums, as volume and count percentages.
    {1009, G::kFho, R::kRawSum, 2, 0, "FOR_CMLTV_%TOTVL", kNone},
    {1010, G::kFho, R::kRawSum, 3, 0, "VRF_CMLTV_%TOTVL", kNone},
    {1011, G::kFho, R::kRawSum, 4, 0, "OBS_CMLTV_%TOTVL", kNone},
    {1012, G::kFho, R::kRawSum, 2, 1, "FOR_%TOTAL_VOL", kNone},
    {1013, G::kFho, R::kRawSum, 3, 1, "VRF_%TOTAL_VOL", kNone},
    {1014, G::kFho, R::kRawSum, 4, 1, "OBS_%TOTAL_VOL", kNone},
    {1015, G::kFho, R::kRawSum, 2, 2, "FOR_%TOTAL_CNT", kNone},
    {1016, G::kFho, R::kRawSum, 3, 2, "VRF_%TOTAL_CNT", kNone},
    {1017, G::kFho, R::kRawSum, 4, 2, "OBS_%TOTAL_CNT", kNone},
    {1018, G::kFho, R::kRawSum, 2, 3, "FOR_%TTL#<THLD", kNone},
    {1019, G::kFho, R::kRawSum, 3, 3, "VRF_%TTL#<THLD", kNone},
    {1020, G::kFho, R::kRawSum, 4, 3, "OBS_%TTL#<THLD", kNone},
    {1021, G::kFho, R::kFalseAlarm, 1, 0, "FLS_ALRM_RATE", 0},
    {1022, G::kFho, R::kFalseAlarm, 2, 0, "COND_MSS_RATE", 0},
    {1023, G::kFho, R::kSkillScore, 1, 0, "HEIDKE_SKL_SCR", 1},
    {1024, G::kFho, R::kSkillScore, 2, 0, "P-H-K_SKL_SCR", 1},
    {1025, G::kFho, R::kOddsRatio, 0, 0, "ODDS_RATIO", kUnbounded},
    {1026, G::kFho, R::kOddsRatio, 2, 0, "LOG_ODDS_RATIO", kUnbounded},
    {1027, G::kFho, R::kOddsRatio, 3, 0, "STDERR_LOG(OR)", kNone},
    {1028, G::kFho, R::kOddsRatio, 1, 0, "ODDS_RTO_SKL_SCR", 1},
    {1029, G::kFho, R::kOddsRatio, 4, 0, "ODDS_RTO_SKSC**3", 1},
    {1030, G::kFho, R::kOddsRatio, 5, 0, "LN_OR/STDV_LN_OR", kNone},
    {1031, G::kFho, R::kOddsRatio, 6, 0, "ROC_AREA-CHANCE", 0.5},
    {1032, G::kFho, R::kDiagram, 0, 0, "", kNone},  // ROC curve from the odds ratio
    {1033, G::kFho, R::kOddsRatio, 7, 0, "OPRA SCORE", 1},
    {1034, G::kFho, R::kAccuracy, 0, 0, "ACCURACY_RATE", 1},
    {1035, G::kFho, R::kExtremeDependency, 1, 0, "EXTRM_DEPNDNCY_SCORE", 1},
    {1036, G::kFho, R::kClaytonSkill, 0, 0, "CLAYTON_SKILL_SCORE", 1},
    {1037, G::kFho, R::kAdjustedThreat, 1, 0, "DHDF_THREAT_SCORE", 1},
    {1038, G::kFho, R::kAdjustedThreat, 2, 0, "DHDF_EQ_THREAT_SCORE", 1},
    {1039, G::kFho, R::kAdjustedThreat, 3, 0, "DHDA_THREAT_SCORE", 1},
    {1040, G::kFho, R::kAdjustedThreat, 4, 0, "DHDA_EQ_THREAT_SCORE", 1},
    {1041, G::kFho, R::kExtremeDependency, 2, 0, "SYM_EXTRM_DEP_SCORE", 1},
    {1042, G::kFho, R::kExtremeDependency, 3, 0, "EXTRML_DEPNDNC_INDEX", 1},
    {1043, G::kFho, R::kExtremeDependency, 4, 0, "SYM_EXTRML_DEP_INDEX", 1},
    {1044, G::kFho, R::kTwoAfc, 0, 0, "2AFC_TEST_SCORE", 1},
    // Scores against the benchmark reference.
    {1051, G::kFho, R::kBenchmarkValue, 1, 0, "POD_CPR", kNone},
    {1052, G::kFho, R::kBenchmarkValue, 2, 0, "EDS_CPR", kNone},
    {1053, G::kFho, R::kBenchmarkValue, 3, 0, "TSS_CPR", kNone},
    {1054, G::kFho, R::kBenchmarkValue, 4, 0, "PC_CPR", kNone},
    {1055, G::kFho, R::kBenchmarkValue, 5, 0, "POFD_CPR", kNone},
    {1056, G::kFho, R::kBenchmarkValue, 6, 0, "FAR_CPR", kNone},
    {1057, G::kFho, R::kBenchmarkValue, 7, 0, "TS_CPR", kNone},
    {1058, G::kFho, R::kBenchmarkValue, 8, 0, "ETS_CPR", kNone},
    {1059, G::kFho, R::kBenchmarkValue, 9, 0, "HSS_CPR", kNone},
    {1060, G::kFho, R::kBenchmarkValue, 10, 0, "CSS_CPR", kNone},
    {1061, G::kFho, R::kBenchmarkValue, 11, 0, "ORSS_CPR", kNone},
    {1062, G::kFho, R::kBenchmarkValue, 12, 0, "CMR_CPR", kNone},
    {1063, G::kFho, R::kBenchmarkValue, 13, 0, "PA_CPR", kNone},
    {1064, G::kFho, R::kBenchmarkValue, 14, 0, "TSDHDF_CPR", kNone},
    {1065, G::kFho, R::kBenchmarkValue, 15, 0, "ETSDHDF_CPR", kNone},
    {1066, G::kFho, R::kBenchmarkValue, 16, 0, "TSDHDA_CPR", kNone},
    {1067, G::kFho, R::kBenchmarkValue, 17, 0, "ETSDHDA_CPR", kNone},
    {1068, G::kFho, R::kBenchmarkReference, 0, 0, "CPR_BNCHMRK_REFERNCE", kReferenceScore},

    // Scalar partial sums.
    {1101, G::kScalar, R::kScalar, option(S::kMeanError), 0, "SCALR_BIAS", 0},
    {1102, G::kScalar, R::kScalar, option(S::kRmse), 0, "SCALR_RMSE", 0},
    {1103, G::kScalar, R::kScalar, option(S::kCorrelation), 0, "SCALR_CORR", 1},
    {1104, G::kScalar, R::kScalar, option(S::kCovariance), 0, "SCLR_COVAR", kNone},
    {1105, G::kScalar, R::kScalar, option(S::kForecastVariance), 0, "SCLR_FRVAR", kNone},
    {1106, G::kScalar, R::kScalar, option(S::kObservedVariance), 0, "SCLR_OBVAR", kNone},
    {1107, G::kScalar, R::kScalar, option(S::kForecastSd), 0, "SCLR_FRSDV", kNone},
    {1108, G::kScalar, R::kScalar, option(S::kObservedSd), 0, "SCLR_OBSDV", kNone},
    {1109, G::kScalar, R::kScalar, option(S::kErrorSd), 0, "SCLR_ERROR_SIG", 0},
    {1110, G::kScalar, R::kScalarBiasSpread, 1, 0, "SCLR_BIAS+ERRSIG", kNone},
    {1111, G::kScalar, R::kScalarBiasSpread, -1, 0, "SCLR_BIAS-ERRSIG", kNone},
    {1112, G::kScalar, R::kScalarSquare, option(S::kMeanError), 1, "SCALR_BIAS**2", 0},
    {1113, G::kScalar, R::kScalarMinusTwice, option(S::kCovariance), 0, "-2*SCLR_COVAR", kNone},
    {1114, G::kScalar, R::kScalarSquare, option(S::kErrorSd), 0, "SCLR_ERROR_VAR", 0},
    {1115, G::kScalar, R::kScalarSquare, option(S::kRmse), 0, "SCALR_MSE", 0},
    {1116, G::kScalar, R::kScalarEsci, 0, 0, "SCALAR_ESCI", 1},

    // Vector partial sums.
    {1201, G::kVector, R::kVector, option(V::kSpeedBias), 0, "VECTR_SPD_BIAS", 0},
    {1202, G::kVector, R::kVector, option(V::kRmse), 0, "VECTR_RMSE", 0},
    {1203, G::kVector, R::kVector, option(V::kCorrelation), 0, "VECTR_CORR", 1},
    {1204, G::kVector, R::kVector, option(V::kCovariance), 0, "VCTR_COVAR", kNone},
    {1205, G::kVector, R::kVector, option(V::kForecastVariance), 0, "VCTR_FRVAR", kNone},
    {1206, G::kVector, R::kVector, option(V::kObservedVariance), 0, "VCTR_OBVAR", kNone},
    {1207, G::kVector, R::kVector, option(V::kForecastSd), 0, "VCTR_FRSDV", kNone},
    {1208, G::kVector, R::kVector, option(V::kObservedSd), 0, "VCTR_OBSDV", kNone},
    {1209, G::kVector, R::kVector, option(V::kUBias), 0, "U-CMP_BIAS", 0},
    {1210, G::kVector, R::kVector, option(V::kVBias), 0, "V-CMP_BIAS", 0},
    {1211, G::kVector, R::kVector, option(V::kBiasMagnitude), 0, "VECTR_BIAS_MAG", 0},
    {1212, G::kVector, R::kVector, option(V::kErrorSd), 0, "VCTR_ERROR_SIG", 0},
    {1213, G::kVector, R::kVectorSquare, option(V::kBiasMagnitude), 0, "VECTR_BIAS**2", 0},
    {1214, G::kVector, R::kVectorMinusTwice, option(V::kCovariance), 0, "-2*VCTR_COVAR", kNone},
    {1215, G::kVector, R::kVectorSquare, option(V::kErrorSd), 0, "VCTR_ERROR_VAR", 0},
    {1216, G::kVector, R::kVectorSquare, option(V::kRmse), 0, "VECTR_MSE", 0},
    {1217, G::kVector, R::kVectorEsci, 0, 0, "VECTOR_ESCI", 1},

    // Panofsky-Brier score and the risk-category probabilities.
    {1301, G::kBrierRisk, R::kBrier, 0, 0, "BRIER_SCORE", 0},
    {1302, G::kBrierRisk, R::kRiskProbability, 1, 0, "NO_RISK_PRB", kNone},
    {1303, G::kBrierRisk, R::kRiskProbability, 2, 0, "LOW_RISK_PRB", kNone},
    {1304, G::kBrierRisk, R::kRiskProbability, 3, 0, "MOD_RISK_PRB", kNone},
    {1305, G::kBrierRisk, R::kRiskProbability, 4, 0, "HI_RISK_PRB", kNone},
    {1306, G::kBrierRisk, R::kBrier, 1, 0, "TARGET_BRIER_SCR", kNone},
    // Risk-category 2x2 scores at the low, moderate and high category, the Brier decomposition.
    {1307, G::kRiskScores, R::kThresholdScore, option(T::kBias), 1, "LOW+_BIAS_SCORE", 1},
    {1308, G::kRiskScores, R::kThresholdScore, option(T::kEquitableThreat), 1, "LOW+_EQ_THT_SCR",
     1},
    {1309, G::kRiskScores, R::kThresholdScore, option(T::kFalseAlarmRate), 1, "LOW+_FLS_ALR_RAT",
     0},
    {1310, G::kRiskScores, R::kThresholdScore, option(T::kFalseAlarmRatio), 1, "LOW+_FLS_ALR_RTO",
     0},
    {1311, G::kRiskScores, R::kThresholdScore, option(T::kPostAgreement), 1, "LOW+_POSTAGREMT", 1},
    {1312, G::kRiskScores, R::kThresholdScore, option(T::kDetection), 1, "LOW+_POD=PREFIG", 1},
    {1313, G::kRiskScores, R::kThresholdScore, option(T::kDetection), 1, "LOW+_PROB_OF_DET", 1},
    {1314, G::kRiskScores, R::kThresholdScore, option(T::kThreat), 1, "LOW+_CSI=THRTSC", 1},
    {1315, G::kRiskScores, R::kThresholdScore, option(T::kBias), 2, "MOD+_BIAS_SCORE", 1},
    {1316, G::kRiskScores, R::kThresholdScore, option(T::kEquitableThreat), 2, "MOD+_EQ_THT_SCR",
     1},
    {1317, G::kRiskScores, R::kThresholdScore, option(T::kFalseAlarmRate), 2, "MOD+_FLS_ALR_RAT",
     0},
    {1318, G::kRiskScores, R::kThresholdScore, option(T::kFalseAlarmRatio), 2, "MOD+_FLS_ALR_RTO",
     0},
    {1319, G::kRiskScores, R::kThresholdScore, option(T::kPostAgreement), 2, "MOD+_POSTAGREMT", 1},
    {1320, G::kRiskScores, R::kThresholdScore, option(T::kDetection), 2, "MOD+_POD=PREFIG", 1},
    {1321, G::kRiskScores, R::kThresholdScore, option(T::kDetection), 2, "MOD+_PROB_OF_DET", 1},
    {1322, G::kRiskScores, R::kThresholdScore, option(T::kThreat), 2, "MOD+_CSI=THRTSC", 1},
    {1323, G::kRiskScores, R::kThresholdScore, option(T::kBias), 3, "HIGH_BIAS_SCORE", 1},
    {1324, G::kRiskScores, R::kThresholdScore, option(T::kEquitableThreat), 3, "HIGH_EQ_THT_SCR",
     1},
    {1325, G::kRiskScores, R::kThresholdScore, option(T::kFalseAlarmRate), 3, "HIGH_FLS_ALR_RAT",
     0},
    {1326, G::kRiskScores, R::kThresholdScore, option(T::kFalseAlarmRatio), 3, "HIGH_FLS_ALR_RTO",
     0},
    {1327, G::kRiskScores, R::kThresholdScore, option(T::kPostAgreement), 3, "HIGH_POSTAGREMT", 1},
    {1328, G::kRiskScores, R::kThresholdScore, option(T::kDetection), 3, "HIGH_POD=PREFIG", 1},
    {1329, G::kRiskScores, R::kThresholdScore, option(T::kDetection), 3, "HIGH_PROB_OF_DET", 1},
    {1330, G::kRiskScores, R::kThresholdScore, option(T::kThreat), 3, "HIGH_CSI=THRTSC", 1},
    {1331, G::kRiskScores, R::kCategorySum, 1, 0, "SUM_IN_RISK_AREA", kNone},
    {1332, G::kRiskScores, R::kCategorySum, 2, 0, "SUM > THRESHOLD", kNone},
    {1333, G::kRiskScores, R::kThresholdScore, option(T::kHeidke), 1, "LOW+_HEIDKE_SKSC", 1},
    {1334, G::kRiskScores, R::kThresholdScore, option(T::kPeirce), 1, "LOW+_P-H-K_SKSCR", 1},
    {1335, G::kRiskScores, R::kThresholdScore, option(T::kOddsRatio), 1, "LOW+_ODDS_RATIO",
     kUnbounded},
    {1336, G::kRiskScores, R::kThresholdScore, option(T::kLogOddsRatio), 1, "LOW+_LN(ODS_RTO)",
     kUnbounded},
    {1337, G::kRiskScores, R::kThresholdScore, option(T::kLogOddsStdErr), 1, "LOW+_STDERR_LNOR",
     kNone},
    {1338, G::kRiskScores, R::kThresholdScore, option(T::kOddsRatioSkill), 1, "LOW+_ODSRTO_SKSC",
     1},
    {1339, G::kRiskScores, R::kThresholdScore, option(T::kOddsRatioSkillCubed), 1,
     "LOW+_ODDS_RSS**3", 1},
    {1340, G::kRiskScores, R::kThresholdScore, option(T::kHeidke), 2, "MOD+_HEIDKE_SKSC", 1},
    {1341, G::kRiskScores, R::kThresholdScore, option(T::kPeirce), 2, "MOD+_P-H-K_SKSCR", 1},
    {1342, G::kRiskScores, R::kThresholdScore, option(T::kOddsRatio), 2, "MOD+_ODDS_RATIO",
     kUnbounded},
    {1343, G::kRiskScores, R::kThresholdScore, option(T::kLogOddsRatio), 2, "MOD+_LN(ODS_RTO)",
     kUnbounded},
    {1344, G::kRiskScores, R::kThresholdScore, option(T::kLogOddsStdErr), 2, "MOD+_STDERR_LNOR",
     kNone},
    {1345, G::kRiskScores, R::kThresholdScore, option(T::kOddsRatioSkill), 2, "MOD+_ODSRTO_SKSC",
     1},
    {1346, G::kRiskScores, R::kThresholdScore, option(T::kOddsRatioSkillCubed), 2,
     "MOD+_ODDS_RSS**3", 1},
    {1347, G::kRiskScores, R::kThresholdScore, option(T::kHeidke), 3, "HIGH_HEIDKE_SKSC", 1},
    {1348, G::kRiskScores, R::kThresholdScore, option(T::kPeirce), 3, "HIGH_P-H-K_SKSCR", 1},
    {1349, G::kRiskScores, R::kThresholdScore, option(T::kOddsRatio), 3, "HIGH_ODDS_RATIO",
     kUnbounded},
    {1350, G::kRiskScores, R::kThresholdScore, option(T::kLogOddsRatio), 3, "HIGH_LN(ODS_RTO)",
     kUnbounded},
    {1351, G::kRiskScores, R::kThresholdScore, option(T::kLogOddsStdErr), 3, "HIGH_STDERR_LNOR",
     kNone},
    {1352, G::kRiskScores, R::kThresholdScore, option(T::kOddsRatioSkill), 3, "HIGH_ODSRTO_SKSC",
     1},
    {1353, G::kRiskScores, R::kThresholdScore, option(T::kOddsRatioSkillCubed), 3,
     "HIGH_ODDS_RSS**3", 1},
    {1354, G::kRiskScores, R::kClimatology, 0, 0, "SMPL_CLIMO_BSCR", 0},
    {1355, G::kRiskScores, R::kBrierDecomposition, 1, 0, "BS_RELIABILITY", 0},
    {1356, G::kRiskScores, R::kBrierDecomposition, 2, 0, "BS_RESOLUTION", kNone},
    {1357, G::kRiskScores, R::kBrierDecomposition, 3, 0, "BS_UNCERTAINTY", kNone},
    {1358, G::kRiskScores, R::kBrierDecomposition, 4, 0, "BS_SKLL_VS_CLIMO", 1},
    {1359, G::kRiskScores, R::kClimatology, 1, 0, "SMPL_CLIMO_FREQ", kNone},
    {1360, G::kRiskScores, R::kDiagram, 0, 0, "", kNone, "PBS"},  // attribute diagram
    {1361, G::kRiskScores, R::kThresholdScore, option(T::kExtremeDependency), 1,
     "FRCST_PROB_>_0_EDS", 1},
    {1362, G::kRiskScores, R::kDiagram, 0, 0, "", kNone},  // ROC curve, bad points rejected
    {1363, G::kRiskScores, R::kDiagram, 0, 0, "", kNone},  // ROC curve

    // Phase and variance decomposition: the fields i and j of the weighted phase error.
    {1401, G::kPhase, R::kPhase, 4, 5, "AC_FORVAR_WTD_PE", 0, nullptr, "TS_FORVAR_WTD_PE"},
    {1402, G::kPhase, R::kPhase, 6, 7, "AC_ANLVAR_WTD_PE", 0, nullptr, "TS_ANLVAR_WTD_PE"},
    {1403, G::kPhase, R::kPhase, 4, 10, "FORVARFRC_WTD_PE", 0},
    {1404, G::kPhase, R::kPhase, 6, 11, "ANLVARFRC_WTD_PE", 0},
    {1405, G::kPhase, R::kPhase, 5, 10, "FOR_VARIANCE_FRC", kNone},
    {1406, G::kPhase, R::kPhase, 7, 11, "ANL_VARIANCE_FRC", kNone},
    {1407, G::kPhase, R::kPhaseSum, 3, 9, "FORCST_AMPLITUDE", kNone},

    // Ranked probability categories (only those up to data depth / 3 are computed).
    {1500, G::kRanked, R::kRankedProbability, 0, 0, "BRIER_SCORE", 0},
    {1501, G::kRanked, R::kCategoryForecastProbability, 1, 0, "AVG_FR_PRB|OB_C1", kNone},
    {1502, G::kRanked, R::kCategoryForecastProbability, 2, 0, "AVG_FR_PRB|OB_C2", kNone},
    {1503, G::kRanked, R::kCategoryForecastProbability, 3, 0, "AVG_FR_PRB|OB_C3", kNone},
    {1504, G::kRanked, R::kCategoryForecastProbability, 4, 0, "AVG_FR_PRB|OB_C4", kNone},
    {1505, G::kRanked, R::kCategoryForecastProbability, 5, 0, "AVG_FR_PRB|OB_C5", kNone},
    {1506, G::kRanked, R::kCategoryForecastProbability, 6, 0, "AVG_FR_PRB|OB_C6", kNone},
    {1507, G::kRanked, R::kCategoryForecastProbability, 7, 0, "AVG_FR_PRB|OB_C7", kNone},
    {1508, G::kRanked, R::kCategoryForecastProbability, 8, 0, "AVG_FR_PRB|OB_C8", kNone},
    {1509, G::kRanked, R::kCategoryForecastProbability, 9, 0, "AVG_FR_PRB|OB_C9", kNone},
    {1551, G::kRanked, R::kCategoryObservedFrequency, 1, 0, "OBSVD_FREQ_CAT_1", kNone},
    {1552, G::kRanked, R::kCategoryObservedFrequency, 2, 0, "OBSVD_FREQ_CAT_2", kNone},
    {1553, G::kRanked, R::kCategoryObservedFrequency, 3, 0, "OBSVD_FREQ_CAT_3", kNone},
    {1554, G::kRanked, R::kCategoryObservedFrequency, 4, 0, "OBSVD_FREQ_CAT_4", kNone},
    {1555, G::kRanked, R::kCategoryObservedFrequency, 5, 0, "OBSVD_FREQ_CAT_5", kNone},
    {1556, G::kRanked, R::kCategoryObservedFrequency, 6, 0, "OBSVD_FREQ_CAT_6", kNone},
    {1557, G::kRanked, R::kCategoryObservedFrequency, 7, 0, "OBSVD_FREQ_CAT_7", kNone},
    {1558, G::kRanked, R::kCategoryObservedFrequency, 8, 0, "OBSVD_FREQ_CAT_8", kNone},
    {1559, G::kRanked, R::kCategoryObservedFrequency, 9, 0, "OBSVD_FREQ_CAT_9", kNone},
    {1590, G::kClimatologyBrier, R::kClimatologyRankedProbability, 0, 0, "SMPL_CLIMO_BSCR", 0},

    // Analysis within the forecast intervals.
    {1600, G::kAnalysisInterval, R::kDiagram, 0, 0, "", kNone},  // rank histogram
    {1601, G::kAnalysisInterval, R::kCountFraction, 1, 0, "PROB_ANLY_LOWER", 0},
    {1602, G::kAnalysisInterval, R::kCountFraction, 2, 0, "PROB_ANLY_WITHIN", 0},
    {1603, G::kAnalysisInterval, R::kCountFraction, 3, 0, "PROB_ANLY_HIGHER", 0},
    {1604, G::kAnalysisInterval, R::kCountFraction, 4, 0, "PROB_ANLY_OUTSID", 0},
    {1605, G::kAnalysisInterval, R::kDiagram, 0, 0, "", kNone},  // summary rank plot
    {1606, G::kAnalysisInterval, R::kCountFraction, 5, 0, "MSSNG_RATE_ERROR", 0},

    {1700, G::kNoSkill, R::kNoSkillFraction, 0, 0, "NO_SKILL_FRCTN", kNone},
    {1801, G::kDirection, R::kDirection, 0, 0, "DIR_OBS_TO_FRCST", 0},
    {1901, G::kS1, R::kS1Score, 1, 0, "X-DIR_S1_SCORE", 0},
    {1902, G::kS1, R::kS1Score, 2, 0, "Y-DIR_S1_SCORE", 0},
    {1903, G::kS1, R::kS1Score, 3, 0, "S1_SCORE", 0},
    {2001, G::kObject, R::kObjectAttribute, 1, 0, "MODE_INT_BIAS", 0},
    {2002, G::kObject, R::kObjectAttribute, 2, 0, "MODE_AREA_BIAS", 1},
    {2003, G::kObject, R::kObjectAttribute, 3, 0, "MODE_OBS->FOR_DRCTN", kNone},
    {2004, G::kObject, R::kObjectAttribute, 4, 0, "MODE_POD", 1},
    {2005, G::kObject, R::kObjectAttribute, 5, 0, "MODE_THRT_SCORE", 1},
    {2101, G::kFractionsSkill, R::kFractionsSkill, 0, 0, "FRCTNS_SKLL_SCR", 1},
    {2201, G::kPairedExceedance, R::kPairedExceedance, 1, 0, "PROB(F>O|O>=THRSHLD)", kNone},
    {2202, G::kPairedExceedance, R::kPairedExceedance, 2, 0, "PROB(F>O|F>=THRSHLD)", kNone},
    {2203, G::kPairedExceedance, R::kPairedExceedance, 3, 0, "PROB(F>T)/PROB(O>T)", 1},
    {2204, G::kPairedExceedance, R::kPairedExceedance, 4, 0, "PROB(F>O|F&O>=THRSH)", kNone},
    {2301, G::kCrps, R::kCrpsDecomposition, 1, 0, "MEAN_CRPS", 0},
    {2302, G::kCrps, R::kCrpsDecomposition, 2, 0, "POTENTIAL_CRPS", 0},
    {2303, G::kCrps, R::kCrpsDecomposition, 3, 0, "CRPS_RELIABILITY", 0},
    {2304, G::kCrps, R::kCrpsDecomposition, 4, 0, "CRPS_RESOLUTION", kNone},
    {2305, G::kCrps, R::kCrpsDecomposition, 5, 0, "CRPS_UNCERTAINTY", kNone},
    {2306, G::kCrps, R::kCrpsDecomposition, 6, 0, "CRPS_SKLL_VS_UNCRTNT", 1},
    {2307, G::kCrps, R::kDiagram, 0, 0, "", kNone, "CRPS"},  // CRPS reliability diagram
    {9001, G::kCountPlots, R::kCountShare, 0, 0, "CNT_FRAC_TRC_TTL", kNone},
    {9002, G::kCountPlots, R::kDiagram, 0, 0, "", kNone},  // cumulative probabilities of CRPS
};

constexpr bool in_order() {
  for (std::size_t i = 1; i < std::size(kTable); ++i) {
    if (kTable[i].code <= kTable[i - 1].code) return false;
  }
  return true;
}
static_assert(in_order(), "the code table is searched by code and must stay in code order");

constexpr TrackQuantity kTrackQuantities[] = {
    {10, "DISTNC", 0, 0}, {11, "CENPRS", 9, 13}, {12, "MAXWND", 14, 18}, {13, "850VOR", 19, 23}};

constexpr TrackName kTrackNames[] = {
    {"SCALR_BIAS", 0},        {"SCALR_RMSE", 0},        {"SCALR_CORR", 1},
    {"SCLR_COVAR", kNone},    {"SCLR_FRVAR", kNone},    {"SCLR_OBVAR", kNone},
    {"SCLR_FRSDV", kNone},    {"SCLR_OBSDV", kNone},    {"SCLR_ERR_SIG", 0},
    {"SCLR_BIAS+SIG", kNone}, {"SCLR_BIAS-SIG", kNone}, {"SCALR_BIAS**2", 0},
    {"-2*SCLR_COVAR", kNone}, {"SCLR_ERR_VAR", 0},      {"SCALR_MSE", 0}};

const CodeEntry* row_of(int code) {
  const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), code,
                                   [](const CodeEntry& e, int c) { return e.code < c; });
  return it != std::end(kTable) && it->code == code ? &*it : nullptr;
}

bool between(int code, int low, int high) { return code >= low && code <= high; }

bool any_present(const double* v, int n, double missing) {
  for (int i = 0; i < n; ++i) {
    if (v[i] != missing) return true;
  }
  return false;
}

// The range of the values that are not `missing`, from the library's start values.
void range_of(const double* v, int n, double missing, Output& out) {
  out.min = kMinStart;
  out.max = kMaxStart;
  for (int i = 0; i < n; ++i) {
    if (v[i] == missing) continue;
    out.min = std::min(out.min, static_cast<float>(v[i]));
    out.max = std::max(out.max, static_cast<float>(v[i]));
  }
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

void exchange_times_minus_two(Output& out) {
  const float low = out.min;
  out.min = -2.0f * out.max;
  out.max = -2.0f * low;
}

// The derived scalar codes 1110 to 1115: without a value left both ends are `missing`.
int scalar_derived(const CodeEntry& e, const SumsView& in, double missing, double* scratch,
                   Output& out) {
  const int n = in.n;
  int rc = 0;
  switch (e.routine) {
    case R::kScalarBiasSpread: {
      rc = scalar_partial(Scalar::kMeanError, in, missing, out);
      if (rc != 0) return rc;
      Output sigma{scratch};
      rc = scalar_partial(Scalar::kErrorSd, in, missing, sigma);
      if (rc != 0) return rc;
      for (int i = 0; i < n; ++i) {
        out.values[i] = out.values[i] != missing && scratch[i] != missing
                            ? out.values[i] + e.option * scratch[i]
                            : missing;
      }
      range_of(out.values, n, missing, out);
      break;
    }
    case R::kScalarSquare:
      rc = scalar_partial(static_cast<Scalar>(e.option), in, missing, out);
      if (rc != 0) return rc;
      square(out.values, n, missing);
      if (e.option2 == 1) {
        range_of(out.values, n, missing, out);
      } else {
        out.min *= out.min;
        out.max *= out.max;
      }
      break;
    default:  // kScalarMinusTwice
      rc = scalar_partial(static_cast<Scalar>(e.option), in, missing, out);
      if (rc != 0) return rc;
      times_minus_two(out.values, n, missing);
      exchange_times_minus_two(out);
      break;
  }
  if (!any_present(out.values, n, missing)) out.min = out.max = static_cast<float>(missing);
  return rc;
}

// The derived vector codes 1213 to 1216: without a value left the base range stays.
int vector_derived(const CodeEntry& e, const SumsView& in, double missing, Output& out) {
  const int rc = vector_partial(static_cast<Vector>(e.option), in, missing, out);
  const bool left = any_present(out.values, in.n, missing);
  if (e.routine == R::kVectorMinusTwice) {
    times_minus_two(out.values, in.n, missing);
    if (left) exchange_times_minus_two(out);
  } else {
    square(out.values, in.n, missing);
    if (left) {
      out.min *= out.min;
      out.max *= out.max;
    }
  }
  return rc;
}

// Each sample's count as a fraction of the total of the usable counts.
int count_share(const SumsView& in, double missing, Output& out) {
  double total = 0.0;
  for (int s = 0; s < in.n; ++s) {
    if (usable(in.F(1, s))) total += in.F(1, s);
  }
  for (int s = 0; s < in.n; ++s) {
    if (usable(in.F(1, s)) && total > 0.0) out.values[s] = in.F(1, s) / total;
  }
  range_of(out.values, in.n, missing, out);
  return kOk;
}

}  // namespace

GroupRule group_rule(CodeGroup group) {
  switch (group) {
    case G::kFho:
      return {"FHO", 4};
    case G::kScalar:
      return {"", 6};
    case G::kVector:
      return {"", 8};
    default:
      return {};
  }
}

std::string_view error_library(CodeGroup group) {
  switch (group) {
    case G::kFho:
    case G::kScalar:
    case G::kVector:
    case G::kPhase:
    case G::kDirection:
    case G::kS1:
    case G::kPairedExceedance:
      return "CS";
    case G::kBrierRisk:
    case G::kRiskScores:
    case G::kRanked:
    case G::kClimatologyBrier:
    case G::kAnalysisInterval:
    case G::kNoSkill:
    case G::kCrps:
      return "CPB";
    case G::kObject:
    case G::kFractionsSkill:
      return "STX";
    default:
      return {};
  }
}

std::span<const CodeEntry> code_table() { return kTable; }

CodeLookup find_code(int code, int depth) {
  const int j = std::clamp(depth, 0, kMaxFields) / 3;
  G group = G::kNone;
  if (between(code, 1001, 1068)) {
    group = G::kFho;
  } else if (between(code, 1101, 1116)) {
    group = G::kScalar;
  } else if (between(code, 1201, 1217)) {
    group = G::kVector;
  } else if (between(code, 1301, 1306)) {
    group = G::kBrierRisk;
  } else if (between(code, 1307, 1363)) {
    group = G::kRiskScores;
  } else if (between(code, 1401, 1407)) {
    group = G::kPhase;
  } else if (between(code, 1500, 1550 + j)) {
    // Categories beyond J (1501 + J to 1550) lie inside the group but compute nothing.
    const bool listed = code <= 1500 + j || code >= 1551;
    return {G::kRanked, listed ? row_of(code) : nullptr};
  } else if (code == 1590) {
    group = G::kClimatologyBrier;
  } else if (between(code, 1600, 1606)) {
    group = G::kAnalysisInterval;
  } else if (code == 1700) {
    group = G::kNoSkill;
  } else if (code == 1801) {
    group = G::kDirection;
  } else if (between(code, 1901, 1903)) {
    group = G::kS1;
  } else if (between(code, 2001, 2005)) {
    group = G::kObject;
  } else if (code == 2101) {
    group = G::kFractionsSkill;
  } else if (between(code, 2201, 2204)) {
    group = G::kPairedExceedance;
  } else if (between(code, 2301, 2307)) {
    group = G::kCrps;
  } else if (code == 9001 || code == 9002) {
    group = G::kCountPlots;
  } else if (is_track_code(code)) {
    return {G::kTrack, nullptr};
  } else if (code == -1) {
    return {G::kWeight, nullptr};
  } else if (code < 1001) {
    return {G::kPlainField, nullptr};
  } else {
    return {};
  }
  return {group, row_of(code)};
}

std::optional<Percent> percent_form(const CodeEntry& entry) {
  if (entry.routine != R::kRawSum) return std::nullopt;
  return static_cast<Percent>(entry.option2);
}

int evaluate(const CodeEntry& e, const SumsView& in, double missing, const CodeInputs& inputs,
             Output& out) {
  std::fill_n(out.values, in.n, missing);
  out.min = kMinStart;
  out.max = kMaxStart;
  const int d = inputs.depth;
  const float* pbs = inputs.pbs.data();
  const int pbs_count = static_cast<int>(inputs.pbs.size());
  switch (e.routine) {
    case R::kFrequencyBias:
      return frequency_bias(in, missing, out);
    case R::kSkillScore:
      return skill_score(e.option, in, missing, out);
    case R::kThreatScore:
      return threat_score(in, missing, out);
    case R::kFalseAlarm:
      return false_alarm(e.option, in, missing, out);
    case R::kPostAgreement:
      return post_agreement(in, missing, out);
    case R::kDetection:
      return detection_probability(in, missing, out);
    case R::kRawSum:
      return field_sum(e.option, in, missing, out);
    case R::kOddsRatio:
      return odds_ratio(e.option, in, missing, out);
    case R::kAccuracy:
      return accuracy(in, missing, out);
    case R::kExtremeDependency:
      return extreme_dependency(e.option, in, missing, out);
    case R::kClaytonSkill:
      return clayton_skill(in, missing, out);
    case R::kAdjustedThreat:
      return adjusted_threat_score(e.option, in, missing, out);
    case R::kTwoAfc:
      return two_afc(in, missing, out);
    case R::kBenchmarkValue:
      return benchmark_value(e.option, in, missing, out, nullptr);
    case R::kBenchmarkReference:
      return benchmark_reference(in, missing, out);
    case R::kScalar:
      return scalar_partial(static_cast<Scalar>(e.option), in, missing, out);
    case R::kScalarBiasSpread:
    case R::kScalarSquare:
    case R::kScalarMinusTwice:
      return scalar_derived(e, in, missing, inputs.scratch, out);
    case R::kScalarEsci:
      return inputs.ensemble >= 0 ? scalar_esci(inputs.ensemble, in, missing, out) : kOk;
    case R::kVector:
      return vector_partial(static_cast<Vector>(e.option), in, missing, out);
    case R::kVectorSquare:
    case R::kVectorMinusTwice:
      return vector_derived(e, in, missing, out);
    case R::kVectorEsci:
      return inputs.ensemble >= 0 ? vector_esci(inputs.ensemble, in, missing, out) : kOk;
    case R::kBrier:
      return brier(e.option, in, d, pbs, pbs_count, missing, out);
    case R::kRiskProbability:
      return risk_probability(e.option, in, d, missing, out);
    case R::kThresholdScore:
      return threshold_score(static_cast<Threshold2x2>(e.option), e.option2, in, d, missing, out);
    case R::kCategorySum:
      return category_sum(e.option, in, d, missing, out);
    case R::kClimatology:
      return climatology(e.option, in, d, missing, out);
    case R::kBrierDecomposition:
      return brier_decomposition(e.option, in, d, pbs, pbs_count, missing, out);
    case R::kPhase:
    case R::kPhaseSum:
      return phase(e.option, e.option2, e.routine == R::kPhaseSum, in, missing, out);
    case R::kRankedProbability:
      return ranked_probability(in, d, missing, out);
    case R::kCategoryForecastProbability:
      return category_forecast_probability(e.option, in, d, missing, out);
    case R::kCategoryObservedFrequency:
      return category_observed_frequency(e.option, in, d, missing, out);
    case R::kClimatologyRankedProbability:
      return climatology_ranked_probability(in, d, missing, out);
    case R::kCountFraction:
      return count_fraction(e.option, in, d, missing, out);
    case R::kNoSkillFraction:
      return no_skill_fraction(in, missing, out);
    case R::kDirection:
      return direction(in, missing, out);
    case R::kS1Score:
      return s1_score(e.option, in, d, missing, out);
    case R::kObjectAttribute:
      return object_attribute(e.option, in, d, missing, out);
    case R::kFractionsSkill:
      return fractions_skill(in, d, missing, out);
    case R::kPairedExceedance:
      return paired_exceedance(e.option, in, missing, out);
    case R::kCrpsDecomposition:
      return crps_decomposition(e.option, in, d, inputs.crps.data(),
                                static_cast<int>(inputs.crps.size()), missing, out);
    case R::kCountShare:
      return count_share(in, missing, out);
    case R::kDiagram:
      return kOk;
  }
  return kOk;
}

int plain_field(int code, const SumsView& in, double missing, Output& out) {
  const long long k =
      std::min(std::llabs(static_cast<long long>(code)), static_cast<long long>(in.fields) + 1);
  const int field = static_cast<int>(k);
  return code == 1 || code < 0 ? field_sum(field, in, missing, out)
                               : field_mean(field, in, missing, out);
}

DecodedCode decode_code(int code, bool two_by_two, bool threshold_axis) {
  DecodedCode d;
  d.code = code;
  d.statistic = code;
  const long long magnitude = std::llabs(static_cast<long long>(code));
  const long long sign = code < 0 ? -1 : 1;
  if (!two_by_two || magnitude > std::numeric_limits<int>::max()) return d;
  if (magnitude > 1000000 && magnitude <= 1049999) {
    d.code = static_cast<int>(magnitude);
    d.prefix = static_cast<int>(magnitude / 10000);
    d.statistic = static_cast<int>(sign * (magnitude - 10000LL * d.prefix));
  } else if (threshold_axis && magnitude > 2000000) {
    d.code = static_cast<int>(magnitude);
    d.lag = static_cast<int>((magnitude / 10000) % 100);
    d.statistic = static_cast<int>(sign * (magnitude - 10000LL * d.lag - 2000000));
  }
  return d;
}

void write_prefix_warning(int prefix, std::ostream& os) {
  if (prefix != kDhdfPrefix) return;
  util::list_write(os, {});
  util::list_write(os, {" WARNING:  dH/dF bias adjustment is not recommended."});
  util::list_write(os, {});
}

std::string_view bias_tag(int prefix) {
  static constexpr std::string_view kTags[] = {"DHDF", "ORBA", "DHDA", "FRQM"};
  if (prefix < kDhdfPrefix || prefix > kFrequencyPrefix) return {};
  return kTags[prefix - kDhdfPrefix];
}

bool bias_depth_ok(int prefix, int depth) { return depth >= (prefix == kFrequencyPrefix ? 5 : 4); }

std::optional<AdjustedCounts> adjust_counts(int prefix, const FhoCounts& c) {
  if (!usable(c.n) || !usable(c.forecasts) || !usable(c.hits) || !usable(c.observed) ||
      c.n == 0.0) {
    return std::nullopt;
  }
  std::optional<double> hits;
  switch (prefix) {
    case kDhdfPrefix:
      hits = dhdf_hits(c.forecasts, c.hits, c.observed);
      break;
    case kOrbaPrefix:
      hits = orba_hits(c.n, c.forecasts, c.hits, c.observed);
      break;
    case kDhdaPrefix:
      // The dH/dA model works in single precision.
      if (const auto h = dhda_hits(static_cast<float>(c.forecasts), static_cast<float>(c.hits),
                                   static_cast<float>(c.observed))) {
        hits = *h;
      }
      break;
    case kFrequencyPrefix:
      // Frequency matching takes the bias-removed sums; a sample without them stays.
      if (!usable(c.matched_hits) || !usable(c.matched_forecasts)) return std::nullopt;
      return AdjustedCounts{c.matched_forecasts, c.matched_hits};
    default:
      return std::nullopt;
  }
  if (!hits) return std::nullopt;
  return AdjustedCounts{c.observed, *hits};
}

bool is_track_code(int code) {
  for (const TrackQuantity& q : kTrackQuantities) {
    const int base = 10000 * q.number + 1101;
    if (code >= base && code <= base + 14) return true;
  }
  return false;
}

const TrackQuantity* track_quantity(int code) {
  const int q = code / 10000;
  for (const TrackQuantity& quantity : kTrackQuantities) {
    if (quantity.number == q) return &quantity;
  }
  return nullptr;
}

int track_statistic(int code) {
  const int q = code / 10000;
  return q > 0 ? code % (1000 * q) : code;
}

TrackName track_name(int statistic) {
  if (statistic < 1101 || statistic > 1115) return {};
  return kTrackNames[statistic - 1101];
}

void track_sums(const TrackQuantity& quantity, const SumsView& in, double* work) {
  for (int s = 0; s < in.n; ++s) {
    double* row = work + 6 * static_cast<std::ptrdiff_t>(s);
    row[0] = in.F(1, s);
    if (quantity.first_field == 0) {
      // The distance error and its square stand as forecast and forecast squared.
      row[1] = in.F(5, s);
      row[2] = 0.0;
      row[3] = 0.0;
      row[4] = in.F(6, s);
      row[5] = 0.0;
    } else {
      for (int k = 0; k < 5; ++k) row[k + 1] = in.F(quantity.first_field + k, s);
    }
  }
}

}  // namespace kor::metrics
