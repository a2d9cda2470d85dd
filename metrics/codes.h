// The computational codes: one table of every code that the statistics engine and the resampled
// metric driver compute, the decoding of a code's bias-adjustment and threshold-lag prefixes, the
// bias adjustment of one sample's FHO counts, and the track quantities.
//
// A code (the op code given per trace) names a statistic.  Codes fall into groups, each with a
// precondition on the trace (record type, data depth); inside a group the table names the metric
// routine that computes the code, its option, the statistic label shown on the Y axis and the
// perfect score.  The statistics engine computes a code over the points of a trace, the resampled
// metric driver over the trials of a resampling pair member; both look the code up here and call
// evaluate(), so a code means the same in both.  What each caller does around the values (placing
// them on an axis, refusing diagrams for resampling, its own return codes) stays with the caller.
#ifndef KOR_METRICS_CODES_H_
#define KOR_METRICS_CODES_H_

#include <iosfwd>
#include <optional>
#include <span>
#include <string_view>

#include "metrics/metrics.h"

namespace kor::metrics {

inline constexpr double kUnbounded = 1.0e29;  // perfect value of an unbounded score

// Codes that the callers single out.
enum SpecialCode : int {
  kWeightCode = -1,              // the weight of each data record
  kSampleCountCode = 1,          // plain data field 1, the sample count N
  kOddsRatioRocCode = 1032,      // ROC curve from the odds ratio
  kAttributeDiagramCode = 1360,  // attribute diagram of PBS_ traces (display 6)
  kPbsRocRejectingCode = 1362,   // ROC curve from PBS_ data, bad points rejected
  kPbsRocCode = 1363,            // ROC curve from PBS_ data
  kRankHistogramCode = 1600,     // rank histogram of the analysis in the forecast intervals
  kSummaryRankCode = 1605,       // the summary rank plot of the same
  kCrpsReliabilityCode = 2307,   // CRPS reliability diagram (display 7)
  kCountShareCode = 9001,        // each point's count as a fraction of the trace total
  kCrpsCumulativeCode = 9002,    // cumulative probabilities of a CRPS trace
};

// The code groups, tested in this order (the first that holds the code wins).
enum class CodeGroup {
  kNone,              // no group: an invalid code
  kFho,               // 1001-1068 categorical scores; "FHO" record type, data depth >= 4
  kScalar,            // 1101-1116 scalar partial sums (SL1L2 family); data depth >= 6
  kVector,            // 1201-1217 vector partial sums (VL1L2 family); data depth >= 8
  kBrierRisk,         // 1301-1306 Panofsky-Brier score and risk-category probabilities (PBS_)
  kRiskScores,        // 1307-1363 risk-category 2x2 scores, Brier decomposition, diagrams
  kPhase,             // 1401-1407 phase and variance decomposition (PHSE)
  kRanked,            // 1500 to 1550 + J ranked probability categories, J = data depth / 3
  kClimatologyBrier,  // 1590 sample climatology ranked probability score
  kAnalysisInterval,  // 1600-1606 analysis within the forecast intervals (RHNT family)
  kNoSkill,           // 1700
  kDirection,         // 1801
  kS1,                // 1901-1903 (KVORN)
  kObject,            // 2001-2005 object (MODE) attributes
  kFractionsSkill,    // 2101 (FSS)
  kPairedExceedance,  // 2201-2204 (PFR)
  kCrps,              // 2301-2307 continuous ranked probability score
  kCountPlots,        // 9001, 9002
  kTrack,             // 101101-101115, 111101-111115, 121101-121115, 131101-131115 (TRK)
  kWeight,            // -1, the per-point weight of the data records
  kPlainField,        // any other code below 1001: data field |code|
};

// The precondition of a group: a word the statistic type must contain and a smallest data depth.
struct GroupRule {
  std::string_view type_word;  // empty: any record type
  int min_depth = 0;
};
GroupRule group_rule(CodeGroup group);

// The name under which a group's metric routines report an error word ("CS", "CPB" or "STX"); empty
// for the groups that call no metric routine of their own.
std::string_view error_library(CodeGroup group);

// What computes a code.  The option fields of the table say which variant (see CodeEntry).
enum class Routine {
  kFrequencyBias,
  kSkillScore,  // option: 0 ETS, 1 Heidke, 2 Peirce
  kThreatScore,
  kFalseAlarm,  // option: 0 ratio, 1 rate, 2 conditional miss rate
  kPostAgreement,
  kDetection,
  kRawSum,     // field_sum(option); the caller turns the series into percent_form()
  kOddsRatio,  // option of odds_ratio
  kAccuracy,
  kExtremeDependency,  // option 1-4
  kClaytonSkill,
  kAdjustedThreat,  // option 1-4
  kTwoAfc,
  kBenchmarkValue,  // option: benchmark score 1-17
  kBenchmarkReference,
  kScalar,            // option: Scalar enumerator
  kScalarBiasSpread,  // bias + option x error deviation (option +1 or -1)
  kScalarSquare,      // the square of Scalar enumerator `option`; option2 1: range over squares
  kScalarMinusTwice,  // -2 x Scalar enumerator `option`
  kScalarEsci,
  kVector,            // option: Vector enumerator
  kVectorSquare,      // the square of Vector enumerator `option`
  kVectorMinusTwice,  // -2 x Vector enumerator `option`
  kVectorEsci,
  kBrier,               // option 0 Brier score, 1 target Brier score
  kRiskProbability,     // option: risk category 1-4
  kThresholdScore,      // option: Threshold2x2 enumerator, option2: risk category 1-3
  kCategorySum,         // option 1, 2
  kClimatology,         // option 0, 1
  kBrierDecomposition,  // option 1-4
  kPhase,               // phase(option, option2, false)
  kPhaseSum,            // phase(option, option2, true)
  kRankedProbability,
  kCategoryForecastProbability,  // option: category k
  kCategoryObservedFrequency,    // option: category k
  kClimatologyRankedProbability,
  kCountFraction,  // option 1-5
  kNoSkillFraction,
  kDirection,
  kS1Score,          // option 1-3
  kObjectAttribute,  // option 1-5
  kFractionsSkill,
  kPairedExceedance,   // option 1-4
  kCrpsDecomposition,  // option 1-6
  kCountShare,         // each sample's count as a fraction of the total count
  kDiagram,            // a whole special plot of the statistics engine; no values per sample
};

// One row of the code table.
struct CodeEntry {
  int code = 0;
  CodeGroup group = CodeGroup::kNone;
  Routine routine = Routine::kDiagram;
  int option = 0;
  int option2 = 0;
  const char* label = "";            // statistic label; "" when the engine's routine sets it
  std::optional<double> perfect;     // perfect score; none: the caller's missing value
  const char* type_word = nullptr;   // a word the statistic type must contain, or none
  const char* time_label = nullptr;  // the label on a time axis, when it differs
};

// The whole table, in code order (track codes, the weight and the plain fields are rules, not
// rows).
std::span<const CodeEntry> code_table();

// A code looked up: its group and, when the group lists a statistic for it, its row.  A code inside
// a group's range that lists no statistic has a group and no row: every value stays missing.
struct CodeLookup {
  CodeGroup group = CodeGroup::kNone;
  const CodeEntry* entry = nullptr;
};
// `depth` is the record's data depth (it bounds the ranked probability categories).
CodeLookup find_code(int statistic_code, int depth);

// The percentage form (Percent) that the raw-sum codes 1009-1020 take; none for other rows.
std::optional<Percent> percent_form(const CodeEntry& entry);

// What a code may need besides its sums.
struct CodeInputs {
  int depth = 0;                // data depth of the record
  std::span<const float> pbs;   // PBS category probabilities of the trace
  std::span<const float> crps;  // CRPS calibration values of the trace
  int ensemble = -1;            // ensemble size n; below 0 none, and the spread codes compute
                                // nothing
  double* scratch = nullptr;    // room for a second series of in.n values (codes 1110, 1111)
};

// Computes `entry` for every sample of `in` into `out`, exactly as the statistics engine does:
//   - the derived scalar codes 1110 to 1115 range over their combined or squared values (1112),
//     over the squared ends of the base range (1114, 1115) or the exchanged ends times -2 (1113),
//     and both ends become `missing` when no value is left;
//   - the derived vector codes square the ends (1213, 1215, 1216) or exchange them times -2 (1214)
//     only when a value is left, else keep the base range;
//   - kRawSum leaves the raw sums (the caller applies percent_form() over its axis);
//   - kDiagram computes nothing.
// `out.values` must hold in.n doubles; every value starts missing.  Returns the routine's error
// word (0, kBadDepth, kBadOption, kBadCategory or kBadCountOption).
[[nodiscard]] int evaluate(const CodeEntry& entry, const SumsView& in, double missing,
                           const CodeInputs& inputs, Output& out);

// Plain data field |code| (a code below 1001 other than -1): the N-weighted sum itself for code 1
// (the count) and for negative codes, the mean field |code| / field 1 for the others.  |code|
// outside 1..in.fields: kBadDepth.
[[nodiscard]] int plain_field(int code, const SumsView& in, double missing, Output& out);

// ------------------------------------------------------------------------------------------------
// Prefixes.  An FHO code may carry a bias-adjustment prefix (1010000 + c to 1040000 + c; 1000000 +
// c decodes but adjusts nothing) or, on a threshold axis, a threshold-lag prefix (2000000 + 10000 x
// lag + c).
// ------------------------------------------------------------------------------------------------

inline constexpr int kDhdfPrefix = 101;         // dH/dF model
inline constexpr int kOrbaPrefix = 102;         // odds-ratio model
inline constexpr int kDhdaPrefix = 103;         // dH/dA model
inline constexpr int kFrequencyPrefix = 104;    // frequency matching
inline constexpr int kThresholdAxisField = 11;  // field ID of a threshold axis ("THRSH")

struct DecodedCode {
  int code = 0;       // the caller's code, replaced by its absolute value when a prefix was read
  int statistic = 0;  // the statistic code
  int prefix = 0;     // 0, or 100 to 104
  int lag = 0;        // threshold lag, 0 to 99
};

// Decodes `code`.  Prefixes are read only for a 2x2 (FHO) record type; the threshold-lag form only
// on a threshold axis.  With |code| in 1000001..1049999: prefix = |code| / 10000, statistic =
// sign x (|code| - 10000 prefix).  Else with |code| above 2000000: lag = (|code| / 10000) mod 100,
// statistic = sign x (|code| - 10000 lag - 2000000).  Otherwise the statistic is the code.
DecodedCode decode_code(int code, bool two_by_two, bool threshold_axis);

// Writes the warning of the dH/dF prefix (an empty line, the warning, an empty line) when `prefix`
// is kDhdfPrefix; nothing otherwise.
void write_prefix_warning(int prefix, std::ostream& os);

// The 4-character tag of a bias prefix ("DHDF", "ORBA", "DHDA", "FRQM"); empty for any other.
std::string_view bias_tag(int prefix);

// True when a record of `depth` fields can take the bias adjustment of `prefix` (depth 4, 5 for
// frequency matching).
bool bias_depth_ok(int prefix, int depth);

// One sample's FHO counts, N-weighted.  `matched_hits` and `matched_forecasts` are the sums with
// the bias removed (field 5, and field 6 or else field 4) that frequency matching takes.
struct FhoCounts {
  double n = 0, forecasts = 0, hits = 0, observed = 0;
  double matched_hits = 0, matched_forecasts = 0;
};
struct AdjustedCounts {
  double forecasts = 0, hits = 0;
};
// The forecast and hit counts of the bias model `prefix` (101 to 104); none when the sample is
// left as it is (a count missing or N = 0, a model that cannot adjust it, another prefix).
std::optional<AdjustedCounts> adjust_counts(int prefix, const FhoCounts& counts);

// ------------------------------------------------------------------------------------------------
// Track codes: 10000 Q + S with the quantity Q (10 to 13) and the scalar statistic S (1101 to
// 1115).
// ------------------------------------------------------------------------------------------------

struct TrackQuantity {
  int number;       // Q
  const char* tag;  // label prefix
  int first_field;  // fields first..first+4 hold F, O, FxO, FxF, OxO; 0: the distance error
  int min_depth;    // smallest data depth
};
bool is_track_code(int code);
// The quantity of a track code (none for a Q outside 10 to 13) and its statistic code.
const TrackQuantity* track_quantity(int code);
int track_statistic(int code);
// The label and perfect value of track statistic S (1101 to 1115) of `quantity`: the quantity's
// tag, "_" and the statistic's name.
struct TrackName {
  std::string_view name;
  std::optional<double> perfect;
};
TrackName track_name(int statistic);
// The six-field scalar record of every sample of `in` for `quantity` (count, F, O, FxO, FxF, OxO)
// into `work` (6 in.n doubles), read as SumsView{work, 1, 6, in.n, 0}.
void track_sums(const TrackQuantity& quantity, const SumsView& in, double* work);

}  // namespace kor::metrics

#endif  // KOR_METRICS_CODES_H_
