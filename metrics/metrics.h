// The metric library: verification scores computed from accumulated partial sums.
//
// Every routine turns one series of samples (the points of a trace, or the trials of one resampling
// pair member) into one score per sample, in a single pass and without allocating.  The routines
// know nothing of computational codes, labels, traces or files: the caller picks the routine and
// its option.  They fall into three groups by the name under which the resampled metric driver
// reports their error words: CS (2x2 categorical, scalar and vector partial sums, phase, direction,
// S1, paired exceedance), CPB (probability and multi-category, ranked probability, CRPS) and STX
// (object attributes and the fractions skill score).  Each routine's comment names its group.
//
// Sums layout.  A sums array holds 64-bit reals with three dimensions (L, fields, n), the first
// varying fastest: element (i, k, s) of the leading index i (0-based), field k (1-based, field 1
// first) and sample s (0-based) is data[i + L * ((k - 1) + fields * s)].  The statistics engine
// passes the trace sums (L = 24 traces, 28 fields, one sample per point); resampling passes its
// trial sums (L = 2 pair members, 28 fields, one sample per trial).  A SumsView names one leading
// index of such an array, so neither caller copies anything.
//
// Field 1 of a sample is its count N; every other field is an N-weighted sum, so field k / field 1
// is the mean of data value k.  A field is usable when it is greater than -1.0e30; a sample with an
// unusable input field gets the missing value M, as does a sample whose formula meets a zero
// denominator or a negative argument of a square root or logarithm (unless the routine says
// otherwise).
//
// Results.  Each routine writes n doubles to Output::values (M where no value) and the minimum and
// maximum of its non-missing results (single precision) to Output::min / Output::max, which start
// at 1.1e30 and -1.1e30; a result equal to M takes no part.  A few routines return a fixed range
// instead, as their comments say.  Routines marked "single" compute in single precision and widen
// the result; all others compute in double precision.  A result that overflows to a non-finite
// value is stored as M; a range end beyond single precision is pinned to +/-FLT_MAX.
//
// Error words.  The return value is 0 on success or one of kBadDepth (-1), kBadOption (-2),
// kBadCategory (-3), kBadCountOption (-99).  An error is found before any sample is looked at; the
// routine then sets every result to M and leaves the range at its start values.  A missing input
// never raises an error: it yields M for that sample.
#ifndef KOR_METRICS_METRICS_H_
#define KOR_METRICS_METRICS_H_

#include <cstddef>
#include <optional>
#include <string_view>

#include "tracefile/format.h"

namespace kor::metrics {

// -------------------------------------------------------------------------------------------------
// Constants
// -------------------------------------------------------------------------------------------------

// The field dimension of a sums array: a record's data depth limit.
inline constexpr int kMaxFields = tracefile::kMaxDepth;
inline constexpr float kMinStart = 1.1e30f;   // start value of Output::min
inline constexpr float kMaxStart = -1.1e30f;  // start value of Output::max

// Error words.
inline constexpr int kOk = 0;
inline constexpr int kBadDepth = -1;         // data depth unsuitable, or probability count mismatch
inline constexpr int kBadOption = -2;        // option or category out of range
inline constexpr int kBadCategory = -3;      // category beyond the record
inline constexpr int kBadCountOption = -99;  // option of count_fraction out of range

// True when a field value is usable: not missing by the rule of the data tables (greater than
// -1.0e30).
constexpr bool usable(double v) { return !tracefile::is_table_missing(v); }

// -------------------------------------------------------------------------------------------------
// Inputs and outputs
// -------------------------------------------------------------------------------------------------

// One leading index of a sums array of dimensions (lead, fields, n); see the layout above.
// Preconditions (checked by assert in debug builds): data is non-null when n > 0, lead >= 1,
// 0 <= index < lead, 1 <= fields, n >= 0.  A routine that needs fields beyond `fields` (or a data
// depth above it) returns kBadDepth.
struct SumsView {
  const double* data = nullptr;  // element (0, 1, 0) of the whole array
  int lead = 1;                  // L: 24 (traces) or 2 (pair members)
  int fields = kMaxFields;       // field dimension, normally 28
  int n = 0;                     // number of samples
  int index = 0;                 // 0-based leading index: trace t -> t - 1, member m -> m - 1

  // Field k (1-based) of sample s (0-based).
  double F(int k, int s) const {
    return data[index + static_cast<std::ptrdiff_t>(lead) *
                            ((k - 1) + static_cast<std::ptrdiff_t>(fields) * s)];
  }
};

// Where a routine writes: the caller's array of at least n doubles, and the range of the
// non-missing results (set by every routine, starting from kMinStart / kMaxStart).
struct Output {
  double* values = nullptr;
  float min = kMinStart;
  float max = kMaxStart;
};

// -------------------------------------------------------------------------------------------------
// 2x2 (FHO) metrics, CS group.  N = F1, F2 forecast events, F3 hits, F4 observed events; a sample
// needs F1..F4 usable unless stated.
// -------------------------------------------------------------------------------------------------

// Frequency bias F2 / F4 (F4 not 0).
[[nodiscard]] int frequency_bias(const SumsView& in, double missing, Output& out);

// Skill scores.  Option 0, equitable threat score: needs N not 0; r = F2 F4 / N,
// d = F2 + F4 - F3 - r, (F3 - r) / d.  Option 1, Heidke: u = N F3 - F2 F4,
// d = (F2 + F4) N - 2 F4 F2, 2u / d (computed also for N = 0).  Option 2, Peirce:
// u / ((N - F4) F4).  Zero denominators give M.  Other options: kBadOption.
[[nodiscard]] int skill_score(int option, const SumsView& in, double missing, Output& out);

// Threat score (critical success index) F3 / (F4 + F2 - F3).
[[nodiscard]] int threat_score(const SumsView& in, double missing, Output& out);

// False-alarm family.  Option 0, ratio: 1 - F3 / F2 (F2 not 0).  Option 1, rate:
// (F2 - F3) / (N - F4), needs N - F4 > 0.  Option 2, conditional miss rate: (F4 - F3) / (N - F2),
// needs N - F2 > 0.  Other options: kBadOption.
[[nodiscard]] int false_alarm(int option, const SumsView& in, double missing, Output& out);

// Post agreement F3 / F2.
[[nodiscard]] int post_agreement(const SumsView& in, double missing, Output& out);

// Probability of detection F3 / F4.
[[nodiscard]] int detection_probability(const SumsView& in, double missing, Output& out);

// Odds-ratio family, with a = F3, c = N - F2 - F4 + F3, w = (F2 - F3)(F4 - F3), OR = c a / w
// (w not 0).
//   0: OR.   1: (OR - 1) / (OR + 1).   2: ln OR (OR > 0).   4: cube of option 1.
//   3: standard error of ln OR, sqrt(1/c + 1/a + 1/(F2 - a) + 1/(F4 - a)), only when a > 5,
//      a < F4, F2 > a and N + a > F2 + F4.
//   5: ln OR / (option 3), under option 3's conditions, OR > 0 and w not 0.
//   6: ROC area from OR minus chance: OR/(OR - 1) (1 - ln OR/(OR - 1)) - 0.5 for OR > 0, OR not 1;
//      0 for OR = 1.   7: option 6 doubled.
// Other options: kBadOption.
[[nodiscard]] int odds_ratio(int option, const SumsView& in, double missing, Output& out);

// Accuracy (proportion correct) (2 F3 + N - (F2 + F4)) / N.
[[nodiscard]] int accuracy(const SumsView& in, double missing, Output& out);

// Extreme-dependency family; needs N, F3, F4 > 0 (options 2-4 also F2 > 0), with
// P = (F2 - F3) / (N - F4), H = F3 / F4.
//   1: EDS  2 ln(F4/N) / ln(F3/N) - 1.      2: SEDS  ln(F2 F4 / N^2) / ln(F3/N) - 1.
//   3: EDI  ln(P/H) / ln(P H), needs F2 not F3 and N not F4.
//   4: SEDI (ln(P/H) + ln((1 - H)/(1 - P))) / ln((1 - H) P H (1 - P)), needs as 3 and also
//      F2 - F3 not N - F4 and F3 not F4.
// Other options: kBadOption.
[[nodiscard]] int extreme_dependency(int option, const SumsView& in, double missing, Output& out);

// Clayton skill score, single: needs N > 0, F4 > 0; l = (F4/N)(F2/F4), d = (1 - l)(F2/F4),
// (F3/F4 - l) / d.
[[nodiscard]] int clayton_skill(const SumsView& in, double missing, Output& out);

// Threat scores with the bias removed by the dH/dF or dH/dA model, single.  B = F2/F4, h = F3/F4,
// q = (1 - h)^(1/B), s = 1 - F4/N (the ETS forms need N not 0).
//   1: TS   (1 - q) / (1 + q).     2: ETS  (s - q) / (q + s).      (both need B not 0)
//   3, 4 (need h < 1 and x > 0): x = -ln(1 - h) / (B - h), y = lambert_w(x), A = y / x;
//      3: TS (1 - A) / (1 + A).    4: ETS (s - A) / (A + s).
// Other options: kBadOption.
[[nodiscard]] int adjusted_threat_score(int option, const SumsView& in, double missing,
                                        Output& out);

// Two-alternative forced choice score, single: needs N > 0, F4 > 0; h = F3/F4, b = F4/N, and the
// four cells of the table as fractions of N: hits b h, false alarms f = (F2/F4 - h) b, misses
// u = (1 - h) b, correct negatives t = 1 - b - f; v = (f + t)(b h + u);
// (0.5 (b h f + u t) + b h t) / v, which is 0.5 (1 + POD - POFD); a random forecast scores 0.5.
[[nodiscard]] int two_afc(const SumsView& in, double missing, Output& out);

// Benchmark value of score k = 1..17, single; needs N > 0, F2 and F3 usable, F4 > 0; b = F4/N,
// h = F3/F4, B = F2/F4.  Sets *label (when label is not null) to the score's label, e.g. "POD_CPR"
// for k = 1 (see benchmark_label); an unknown k leaves *label alone.  Zero denominators give M.
// Other k: kBadOption.
//    1 POD 0        2 EDS 0        3 TSS b        4 PC 0.5        5 POFD 1
//    6 FAR h/B (B > 0)             7 TS h/(B + 1)
//    8 ETS, 9 HSS (h + b - 2bh) / (B + 1 - 2bB)
//   10 CSS (b^2 B^2 + h - 2bhB) / ((1 - bB) B)
//   11 ORSS (1 - b)(1 - h) h / (B - h^2 - bB^2 - bB + 2bBh)
//   12 CMR (1 - h) b / (1 - bB)    13 PA h/B (B > 0)
//   14 TSDHDF, 15 ETSDHDF ln(1 - h)(h - 1) / B (B > 0, h < 1)
//   16 TSDHDA, 17 ETSDHDA ln(1 - h)(h - 1) / (ln(1 - h)(h - 1) + B - h) (h < 1)
[[nodiscard]] int benchmark_value(int k, const SumsView& in, double missing, Output& out,
                                  std::string_view* label);

// Label of benchmark score k ("POD_CPR" ... "ETSDHDA_CPR"); empty for k outside 1..17.
std::string_view benchmark_label(int k);

// Benchmark reference value, single: needs N > 0, F4 > 0; b = F4/N, B = F2/F4, h = F3/F4,
// d = 2B (1 - bB); (bB + h - 2bhB) / d.
[[nodiscard]] int benchmark_reference(const SumsView& in, double missing, Output& out);

// -------------------------------------------------------------------------------------------------
// Plain fields and percentage transforms, CS group.  The raw-sum codes (forecast, hit or observed
// counts turned into volume and count percentages over a threshold axis) and the plain data-field
// codes use these.
// -------------------------------------------------------------------------------------------------

// Field k itself (the N-weighted sum), M when unusable.  k outside 1..fields: kBadDepth.
[[nodiscard]] int field_sum(int k, const SumsView& in, double missing, Output& out);

// Mean of data value k: field k / field 1, M when either is unusable or field 1 is 0.
// k outside 1..fields: kBadDepth.
[[nodiscard]] int field_mean(int k, const SumsView& in, double missing, Output& out);

enum class Percent {
  kCumulativeVolume,  // percent of total volume, then the running sum from the first point
  kVolume,            // percent of total volume
  kCount,             // percent of total count
  kCountBelow,        // percent of total count below the threshold
};

// Rewrites values[0..n) in place, a series of raw sums y over the points of a threshold axis (the
// highest threshold last), as percentages of their total.  thresholds[0..n) (the numeric thresholds
// t, used by the volume forms only; may be null otherwise).
//   kCount:  count(i) = y(i) - y(i+1), count(n) = y(n).
//   kVolume: vol(i) = (y(i) - y(i+1)) sqrt(t(i) t(i+1)), vol(n) = y(n) sqrt(t(n) (2 t(n) - t(n-1)))
//            (with a single point t(0) is taken as t(1), so vol(1) = y(1) |t(1)|); a negative
//            radicand makes the point missing.
//   kCountBelow: with f the first point whose value is present, value(i) = y(f) - y(i+1),
//            value(n) = y(f); the total is the sum of y(i) - y(i+1) plus y(n).
// Each value becomes 100 x value / total; kCumulativeVolume then replaces each by the running sum
// of the present ones from the first point.  A value is missing when it equals M or is not usable;
// a point is missing when y(i) or (for i < n) y(i+1) is missing, and such a point adds nothing to
// the total.  When the total is not positive every point is missing.  out.min / out.max are
// recomputed from the results.  Two passes over the values (the total comes first).  n < 0, an
// unknown kind, or thresholds null for a volume form: kBadOption, with the values left as they are
// and the range at its start values.
[[nodiscard]] int percent_of_total(Percent kind, const double* thresholds, int n, double missing,
                                   Output& out);

// -------------------------------------------------------------------------------------------------
// Scalar partial sums, CS group.  f = F2/N, o = F3/N, fo = F4/N, ff = F5/N, oo = F6/N; a sample
// needs N usable and not 0 and the fields its formula names usable.
// -------------------------------------------------------------------------------------------------

enum class Scalar {
  kMeanError,         // f - o
  kRmse,              // sqrt(ff + oo - 2 fo), M when negative
  kCorrelation,       // (fo - f o) / (sf so), sf = sqrt(ff - f^2), so = sqrt(oo - o^2), each 0 when
                      // its argument is negative; M when sf so = 0
  kCovariance,        // fo - f o
  kForecastVariance,  // ff - f^2
  kObservedVariance,  // oo - o^2
  kForecastSd,        // sqrt(ff - f^2), M when negative
  kObservedSd,        // sqrt(oo - o^2), M when negative
  kErrorSd,           // sqrt(ff - f^2 + oo - o^2 - 2 (fo - f o)), M when negative
};

// One scalar statistic.  The derived series (bias +/- error deviation, squares, -2 x covariance)
// are formed by the caller from these.  An enumerator outside the list: kBadOption.
[[nodiscard]] int scalar_partial(Scalar stat, const SumsView& in, double missing, Output& out);

// Ensemble spread consistency index: (ff + oo - 2 fo) m / (m + 1) / (F7/N), needs F7 usable and
// F7/N > 0; m = the ensemble size (m + 1 = 0 gives M).
[[nodiscard]] int scalar_esci(int m, const SumsView& in, double missing, Output& out);

// -------------------------------------------------------------------------------------------------
// Vector partial sums, CS group.  uf = F2/N, vf = F3/N, uo = F4/N, vo = F5/N, fo = F6/N, ff = F7/N,
// oo = F8/N; a sample needs N usable and not 0 and the fields its formula names usable.
// -------------------------------------------------------------------------------------------------

enum class Vector {
  kSpeedBias,         // sqrt(ff) - sqrt(oo)
  kRmse,              // sqrt(ff + oo - 2 fo)
  kCorrelation,       // (fo - uf uo - vf vo) / (sqrt(ff - uf^2 - vf^2) sqrt(oo - uo^2 - vo^2)),
                      // a negative argument counting as 0; M when the denominator is 0
  kCovariance,        // fo - uf uo - vf vo
  kForecastVariance,  // ff - uf^2 - vf^2
  kObservedVariance,  // oo - uo^2 - vo^2
  kForecastSd,        // sqrt(ff - uf^2 - vf^2)
  kObservedSd,        // sqrt(oo - uo^2 - vo^2)
  kUBias,             // uf - uo
  kVBias,             // vf - vo
  kBiasMagnitude,     // sqrt((uf - uo)^2 + (vf - vo)^2), needs N > 0
  kErrorSd,           // sqrt(ff - uf^2 - vf^2 + oo - uo^2 - vo^2 - 2 (fo - uf uo - vf vo))
};

// One vector statistic; square roots of negative arguments give M (except kCorrelation, above).
// An enumerator outside the list: kBadOption.
[[nodiscard]] int vector_partial(Vector stat, const SumsView& in, double missing, Output& out);

// Vector ensemble spread consistency index: (ff + oo - 2 fo) m / (m + 1) / (F9/N), needs F9 usable
// and F9/N > 0.
[[nodiscard]] int vector_esci(int m, const SumsView& in, double missing, Output& out);

// -------------------------------------------------------------------------------------------------
// Probability and multi-category metrics, CPB group.  depth D (2..fields; above fields: kBadDepth),
// K = D / 2 categories.  Category j's forecast count is c_j = Fj for j = 2..K and
// c_1 = N - (F2 + ... + FK); its event count is F(K + j).  A sample needs all D fields usable and
// N > 0.
// -------------------------------------------------------------------------------------------------

// Brier family over the category probabilities p[0..count) (p_j = p[j - 1]); count < K: kBadDepth.
//   0: Brier score, sum over c_j > 0 of (c_j/N)(p_j^2 - 2 p_j o_j + o_j), o_j = F(K+j)/c_j;
//      M when every c_j is 0.
//   1: target Brier score, sum over c_j/N > 0 of (c_j/N)(p_j - p_j^2); 0 when some category is
//      empty; M when all are.
// Other options: kBadOption.
[[nodiscard]] int brier(int option, const SumsView& in, int depth, const float* p, int count,
                        double missing, Output& out);

// Probability of risk category i = 1..4: F(K + i) / c_i (c_i not 0).  i outside 1..K: kBadOption.
[[nodiscard]] int risk_probability(int i, const SumsView& in, int depth, double missing,
                                   Output& out);

// Brier decomposition over p[0..count); count not K: kBadDepth.  With o_j = F(K+j)/c_j over the
// categories with c_j > 0, w_j = c_j/N and ō = sum w_j o_j:
//   1: reliability sum w_j (p_j - o_j)^2.   2: resolution sum w_j o_j^2 - ō^2.
//   3: uncertainty (1 - ō) ō.                4: (resolution - reliability) / uncertainty (U > 0).
// Other options: kBadOption.
[[nodiscard]] int brier_decomposition(int option, const SumsView& in, int depth, const float* p,
                                      int count, double missing, Output& out);

// Sample climatology with s = F(K+1) + ... + FD: option 1, frequency s/N; option 0, Brier score
// (s/N)(1 - s/N).  Other options: kBadOption.
[[nodiscard]] int climatology(int option, const SumsView& in, int depth, double missing,
                              Output& out);

// Sum of F2..FK (selector 1, forecasts in the risk area) or of F(K+1)..FD (selector 2, events).
// Other selectors: kBadOption.
[[nodiscard]] int category_sum(int selector, const SumsView& in, int depth, double missing,
                               Output& out);

// Scores of the 2x2 table at risk threshold e (clamped to 1..K-1; K < 2: kBadDepth):
// A = F(e+1) + ... + FK (forecasts at or above the threshold), B = F(K+e+1) + ... + FD (hits),
// C = F(K+1) + ... + FD (events).
enum class Threshold2x2 {
  kBias,                 // A / C
  kEquitableThreat,      // r = A C / N; (B - r) / (A + C - B - r)
  kFalseAlarmRate,       // (A - B) / (N - C), N - C > 0
  kFalseAlarmRatio,      // 1 - B / A
  kPostAgreement,        // B / A
  kDetection,            // B / C
  kThreat,               // B / (A + C - B)
  kHeidke,               // 2u / ((A + C) N - 2 A C), u = N B - A C
  kPeirce,               // u / ((N - C) C)
  kOddsRatio,            // OR = (N - A - C + B) B / ((C - B)(A - B))
  kLogOddsRatio,         // ln OR (OR > 0)
  kLogOddsStdErr,        // sqrt(1/(N - A - C + B) + 1/B + 1/(A - B) + 1/(C - B)), only when B > 5,
                         // A > B, B < C and N + B > A + C
  kOddsRatioSkill,       // (OR - 1) / (OR + 1)
  kOddsRatioSkillCubed,  // its cube
  kExtremeDependency,    // 2 ln(C/N) / ln(B/N) - 1 (B, C > 0)
};

// One threshold 2x2 score.  An enumerator outside the list: kBadOption.
[[nodiscard]] int threshold_score(Threshold2x2 score, int e, const SumsView& in, int depth,
                                  double missing, Output& out);

// -------------------------------------------------------------------------------------------------
// Ranked probability family, CPB group.  G = D / 3 category triples after N: triple t holds
// F(3t-1), F(3t), F(3t+1); w_t = F(3t+1) for t < G and N - (w_1 + ... + w_(G-1)) for t = G.
// A sample needs fields 1..D usable and N > 0.
// -------------------------------------------------------------------------------------------------

// Ranked probability (Panofsky-Brier) score: half the sum over t of
// (F(3t) - 2 F(3t-1) + w_t) / N.  G <= 1: kBadDepth.
[[nodiscard]] int ranked_probability(const SumsView& in, int depth, double missing, Output& out);

// Mean forecast probability of category k given the observation: F(3k-1) / m_k with m_k = F(3k+1),
// or N - F4 - F7 - ... - F(3k-2) when 3k + 1 > D; needs m_k > 0.
// G <= 1: kBadDepth; k < 1: kBadOption; k > G: kBadCategory.
[[nodiscard]] int category_forecast_probability(int k, const SumsView& in, int depth,
                                                double missing, Output& out);

// Observed frequency of category k: m_k / N (m_k as above); errors as above.
[[nodiscard]] int category_observed_frequency(int k, const SumsView& in, int depth, double missing,
                                              Output& out);

// Sample climatology ranked probability score: half the sum over t of (w_t/N)(1 - w_t/N).
// G <= 1: kBadDepth.
[[nodiscard]] int climatology_ranked_probability(const SumsView& in, int depth, double missing,
                                                 Output& out);

// Probability of the analysis relative to the forecast interval, h / N clamped to [0, 1], with
// h = F2 (option 1, lower), F3 + ... + FD (2, within), N - (F2 + ... + FD) (3, higher), that plus
// F2 (4, outside; 5, outside minus 2/D after the clamp).  A sample needs fields 1..D usable and
// N > 0; D below 2: kBadDepth.  The range is fixed
// at 0..1 for options 1-4; option 5 reports the range of its results.  Other options:
// kBadCountOption.
[[nodiscard]] int count_fraction(int option, const SumsView& in, int depth, double missing,
                                 Output& out);

// No-skill fraction 1 - F3/N clamped to [0, 1], needs F3 > 0 and N > 0; fixed range 0..1.
[[nodiscard]] int no_skill_fraction(const SumsView& in, double missing, Output& out);

// -------------------------------------------------------------------------------------------------
// Other families.
// -------------------------------------------------------------------------------------------------

// Weighted phase decomposition, CS group: with a = Fi/N and b = Fj/N (N not 0), a / b (b not 0)
// or, with sum = true, a + b.  i or j outside 1..fields: kBadDepth.
[[nodiscard]] int phase(int i, int j, bool sum, const SumsView& in, double missing, Output& out);

// Direction from observation to forecast, CS group: 57.29578 atan2(F7/N, F8/N) (N not 0), plus 360
// when not positive; 0 when F7 and F8 are both 0.
[[nodiscard]] int direction(const SumsView& in, double missing, Output& out);

// S1 scores, CS group; needs D > 10 (else kBadDepth) and N, F9, F11 > 0.
//   1: 100 F8/F9.   2: 100 F10/F11.   3: 100 (F8 + F10)/(F9 + F11).   (0 when the numerator is 0)
// Other options: kBadOption.
[[nodiscard]] int s1_score(int option, const SumsView& in, int depth, double missing, Output& out);

// Object (MODE) attributes, STX group; needs D < 18 (else kBadDepth) and positive denominators.
//   1: (F10 - F11) / N.   2: F12 / F13.   3: single, 57.29578 atan2(F8/N, F9/N) in [0, 360).
//   4: F15 / F13.         5: F15 / F16.
// Other options: kBadOption.
[[nodiscard]] int object_attribute(int option, const SumsView& in, int depth, double missing,
                                   Output& out);

// Fractions skill score, STX group; needs D > 3 (else kBadDepth) and F1..F4 > 0:
// 1 - F2 / (F3 + F4).
[[nodiscard]] int fractions_skill(const SumsView& in, int depth, double missing, Output& out);

// Paired-exceedance probabilities, CS group.  1: F3/F4.  2: F5/F6.  3: F6/F4.  4: F7/F8
// (denominator not 0).  Other options: kBadOption.
[[nodiscard]] int paired_exceedance(int option, const SumsView& in, double missing, Output& out);

// CRPS decomposition, CPB group; D = 2I + 4 fields for I bins (I >= 2, else kBadDepth), calibration
// values cal[0..count) with count >= I - 1 (else kBadDepth).  A sample needs all D fields usable
// and N > 0.  Computed in single precision.  Bin probabilities p_1 = 0, p_I = 1, p_t = cal[t - 2];
// inner bins t = 2..I-1: g_t = (F(t+1) + F(I+t+1)) / N, o_t = (F(I+t+1)/N) / g_t (0 when g_t <= 0);
// lower outlier o_1 = F(2I+2)/N, g_1 = (F(I+2)/N) / o_1 (both 0 unless o_1 > 0); upper outlier
// o_I = F(2I+3)/N, g_I = (F(I+1)/N) / (1 - o_I) (g_I = 0, o_I = 1 unless o_I < 1); U = F(2I+4)/N.
//   1: mean CRPS sum g_t (o_t (1 - p_t)^2 + (1 - o_t) p_t^2).   2: potential CRPS
//      sum g_t o_t (1 - o_t).   3: reliability sum g_t (o_t - p_t)^2.   4: U - option 2.   5: U.
//   6: (U - option 1) / U, M when U <= 0.
// Other options: kBadOption.
[[nodiscard]] int crps_decomposition(int option, const SumsView& in, int depth, const float* cal,
                                     int count, double missing, Output& out);

// -------------------------------------------------------------------------------------------------
// Bias-adjusted hit counts and the Lambert W function, shared by the statistics engine's in-place
// FHO adjustments and the resampling bias adjustment.  All take the forecast count F, the hit count
// H and the observed count O of one sample (and N where needed); the adjusted forecast count is O
// in every case.  An empty result means the sample is left unchanged.
// -------------------------------------------------------------------------------------------------

// Principal branch W(z) for z > 0, single precision, by the Fritsch-Shafer-Crowley method with one
// iteration.  Returns 0 for z <= 0 (outside the domain used here).
float lambert_w(float z);

// dH/dF model: needs O > 0 and F > 0; O (1 - ((O - H)/O)^(O/F)).  Empty also when (O - H)/O < 0.
std::optional<double> dhdf_hits(double f, double h, double o);

// Odds-ratio model: the hit count at forecast count O that keeps the odds ratio
// R = (N - F - O + H) H / ((F - H)(O - H)).  H not 0 and (F = H or H = O): O.  H = 0: 0.
// Otherwise only when O > H and F > H:
//   R > 1: g = 0.5 N/(R - 1) + O, g - sqrt(g^2 - R O^2/(R - 1));
//   R < 1: g = O - 0.5 N/(1 - R), sqrt(g^2 + R O^2/(1 - R)) + g;
//   R = 1: O^2 / N, the hit count of a forecast independent of the observations (the limit of
//          both branches; N = 0 gives empty).
// Empty when a square root argument is negative.
std::optional<double> orba_hits(double n, double f, double h, double o);

// dH/dA model, single: (F = H and H not 0) or H = O: O.  H = 0: 0.  Otherwise with
// Q = O/(O - H) and z = ln(Q) O/(F - H): O - (F - H)/ln(Q) W(z).  Empty when Q or z is not positive
// or O - H, F - H or ln Q is 0.
std::optional<float> dhda_hits(float f, float h, float o);

// The computational codes that select these routines and their options: metrics/codes.h.

}  // namespace kor::metrics

#endif  // KOR_METRICS_METRICS_H_
