// Resampling of score differences between paired traces, point by point.
//
// At one abscissa point of a plot, `RSMP_TRC` pairs every trace with the plot's first trace (the
// benchmark) and builds the distribution of the difference of a verification metric under random
// exchange of the pair members, record by record, from the uncombined records of `trace.ucd`
// (resample/ucd.h).  It returns, per statistic line and pair, the confidence bounds at the test
// level, the median, the whisker lengths and a skew ratio.  `RSMP_MET` computes one pair member's
// metric in every trial from its trial sums, through the metric library.
//
// Return codes (texts in RSMP_ERR): 0; +2 no values at a point; -1 to -4 reading; -5 to -10 and
// -12 to -14 from the metric driver; -11 from RSMP_PCTL.
//
// The random draws come from one uniform generator kept in ResampleState.  It always begins from
// the same starting state and is never initialised by the user, so a run is repeatable, and
// successive calls continue its sequence.
#ifndef KOR_RESAMPLE_RESAMPLE_H_
#define KOR_RESAMPLE_RESAMPLE_H_

#include <array>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "metrics/metrics.h"
#include "resample/accumulate.h"
#include "resample/draws.h"
#include "resample/ucd.h"
#include "tracefile/format.h"
#include "util/missing.h"

namespace kor::resample {

// Capacities.
using tracefile::kMaxTraces;                // traces per plot (so at most 23 pairs)
inline constexpr int kMaxRecords = 132000;  // records per trace at one abscissa point
inline constexpr int kTrialSlots = 10008;   // trials a result array holds
inline constexpr int kMinTrials = 100;      // accepted trial counts (RSMP_NTRL)
inline constexpr int kMaxTrials = 10002;
inline constexpr int kDefaultTrials = 2000;
inline constexpr int kSumFields = metrics::kMaxFields;  // field dimension of the trial sums
inline constexpr int kPbsCount = tracefile::kMaxPbs;    // PBS category probabilities of a trace
inline constexpr int kCrpsCount = tracefile::kMaxCrps;  // CRPS calibration values of a trace

// The missing level of the uncombined records: a record value at or below kRecordMissing is
// missing (so is NaN).
inline constexpr double kRecordMissing = -1.1e30;
constexpr bool is_record_missing(double v) { return !(v > kRecordMissing); }

// Return codes.
inline constexpr int kNoValues = 2;
inline constexpr int kCannotOpen = -1;
inline constexpr int kBadDepthRecord = -2;
inline constexpr int kTooManyRecords = -3;
inline constexpr int kCountsDiffer = -4;
inline constexpr int kBiasNeedsFho = -5;
inline constexpr int kNotAllowed = -6;
inline constexpr int kBadCode = -7;
inline constexpr int kTooManyTrials = -8;
inline constexpr int kMetricFailed = -9;
inline constexpr int kBadField = -10;
inline constexpr int kAllMissing = -11;
inline constexpr int kDepthTooSmall = -12;
inline constexpr int kTrackError = -13;
inline constexpr int kMetricError = -14;

// The uniform generator of the draws: a 64-bit linear congruential generator
// x' = 6364136223846793005 x + 1442695040888963407 (mod 2^64) (resample/draws.h), whose top 53 bits
// divided by 2^53 give a value in [0, 1).  Every state begins at kStartingState.
struct Uniform {
  static constexpr std::uint64_t kStartingState = 0x2545f4914f6cdd1dULL;
  std::uint64_t state = kStartingState;
  double next() {
    state = state * kDrawMultiplier + kDrawIncrement;
    return static_cast<double>(state >> 11) * 0x1.0p-53;
  }
};

// The probability lists of one trace: PBS category probabilities and CRPS calibration values.
struct TraceLists {
  std::array<float, kPbsCount> pbs{};
  int pbs_count = 0;
  std::array<float, kCrpsCount> crps{};
  int crps_count = 0;
};

// What the metric driver needs from the trace reader's tables of the plot.
struct MetricContext {
  std::string stat_type;  // statistic type of the plot; "FHO" in it makes it a 2x2 type
  char label_type = ' ';  // 't' marks a time axis
  int ensemble_size = 0;  // for the ensemble spread codes 1116 and 1217
  TraceLists lists;       // lists of the benchmark trace; both pair members use them
};

// One plot's records in memory, read once per plot and kept while the file stays the same.
struct RecordCache {
  bool valid = false;
  std::string path;
  int plot = 0;
  std::uintmax_t size = 0;
  long long stamp = 0;  // last write time of the file, in its clock's ticks
  UcdRecords records;
  std::vector<int> by_point;  // record indices ordered by point, file order within a point
};

// The resampling state, owned by the caller.
struct ResampleState {
  int trials = kDefaultTrials;     // number of trials (RSMP_NTRL)
  bool serial_correlation = true;  // significance test switch ("SER")
  Uniform random;                  // the draws
  std::string ucd_path = "trace.ucd";
  RecordCache cache;
  int threads = 0;  // threads for the trials; 0: see trial_threads
  SumKernel kernel = SumKernel::kBest;
  // Working stores, grown to the data and reused between calls.
  RowStore rows;          // records of the point as rows (resample/accumulate.h), by trace position
  RowStore bench_copies;  // the benchmark's rows for pairs that miss fields the benchmark has
  std::vector<double> pair_sums;  // per pair: trial, member, row
  std::vector<double> work;       // metric work area (2, 28, trials)
  std::vector<double> values1, values2;
  std::vector<float> diffs, sort_work;
};

inline constexpr int kMaxTrialThreads = 256;

// The threads that share the trials of one abscissa point: `setting` when above 0, else the value
// of the environment variable KOR_THREADS when it is a whole number from 1 to 256 (1 runs every
// trial in the calling thread), else the number of hardware threads (at least 1).  Results do not
// depend on it.
int trial_threads(int setting);

// KOR_THREADS as a thread count: the number when `text` is a whole number from 1 to 256, else 0.
int trial_thread_setting(const char* text);

// Sets the trial count.  100..10002 is taken; below or above prints the matching message and
// " Number of resampling trials set to 2000.", and both `count` and the setting become 2000.
// Returns 0.
int RSMP_NTRL(int& count, ResampleState& state, std::ostream& os);

// The trial-count rule alone: `count` when it lies within 100..10002, else 2000 after the messages
// of RSMP_NTRL.  The control-file reader applies it to the BXW request.
int accepted_trial_count(int count, std::ostream& os);

// Prints `context` without trailing blanks as one line unless it is blank, then the message line
// of `code` (nothing for a code without one); sets `word` to 0.
void RSMP_ERR(int code, std::string_view context, int& word, std::ostream& os);

// The message text of a code, without the leading blank; empty when the code has none.
std::string_view rsmp_message(int code);

// Percentiles of `values` (those that differ from `missing` by more than 0.0005), sorted ascending
// into `work` (resized).  fractions[i] in: a fraction q; out: the percentile (with n' values and
// a = n' q in single precision, j = a truncated: j <= 1 gives the smallest, j + 1 >= n' the
// largest, else s(j) + (s(j+1) - s(j)) (a - j), s counted from 1).  Returns 0, or -11 when no
// value is left (every percentile becomes `missing`, min and max unchanged).
[[nodiscard]] int RSMP_PCTL(std::span<const float> values, float missing,
                            std::span<float> fractions, std::vector<float>& work, float& min,
                            float& max);

// One RSMP_TRC call.
struct TrcInput {
  int plot = 1;
  std::span<const int> traces;  // the plot's traces in plot order; position 1 is the benchmark
  std::span<int> codes;         // one computational code per statistic line (may be rewritten)
  int point = 1;                // abscissa point P, from 1
  float alpha = 0.05f;          // test level
  float missing = static_cast<float>(util::kPlotMissing);  // M
  int capacity = kMaxTraces;                               // results the caller's arrays hold
  const MetricContext* context = nullptr;                  // required
};

// Results k = (line - 1) (N - 1) + pair, 0-based here.
struct TrcOutput {
  std::vector<float> minus_lower;    // minus the lower bound
  std::vector<float> upper;          // the upper bound
  std::vector<float> upper_whisker;  // largest difference minus the upper bound
  std::vector<float> lower_whisker;  // lower bound minus the smallest difference
  std::vector<float> median;
  std::vector<float> skew;  // (U - Q) / (Q - B), or M
  int count = 0;            // L (N - 1)
};

// Resamples at one abscissa point; messages go to `os`.  Returns 0 or a code of the table; `out`
// is changed only on 0 (a result that cannot be formed is M there).  N outside 1..24, no statistic
// line, a null context or more results than `capacity` give -6 before anything is read.
// The records of a plot are read once and kept in state.cache while the file's size and time stay
// the same; trial sums are sized to the pairs, trials and data depth in use.  The trials are shared
// by trial_threads(state.threads) threads, each starting its draws by jump-ahead where the trials
// before it leave the generator; the results and the generator's state afterwards are the same for
// any thread count and any sum kernel.
[[nodiscard]] int RSMP_TRC(const TrcInput& in, ResampleState& state, TrcOutput& out,
                           std::ostream& os);

// ---------------------------------------------------------------------------------------------
// The resampled metric driver.  Trial sums of one pair: `sums` holds (2, 28, trials) doubles,
// member fastest (element (m, f, t) at sums[(m - 1) + 2 ((f - 1) + 28 t)]).
// ---------------------------------------------------------------------------------------------

// Computes member `member`'s metric for computational code `code` in every trial into
// results[0..trials) (the whole span is first set to M); min / max get the range.  A prefixed code
// is replaced by its absolute value.  Prints each refusal's line.  Returns 0, +2 when every trial
// is M, or -5..-10, -12..-14.
[[nodiscard]] int RSMP_MET(int member, int& code, double missing, int trials, int depth,
                           double* sums, const MetricContext& context, std::span<double> results,
                           float& min, float& max, std::ostream& os);

// Plain data field code: |code| = k; code 1 or negative gives the sum of field k, a code above 1
// gives field k / field 1.  k = 0 or k > depth: -10.
[[nodiscard]] int RSMP_FLD(int member, double missing, int code, int trials, int depth,
                           const double* sums, std::span<double> results, float& min, float& max);

// Track code (10000 q + s): the scalar statistic s of the track quantity q on a six-field record
// built per trial in `scratch`.  Unknown q or too small a depth: -13.
[[nodiscard]] int RSMP_TRK(int code, int member, double missing, std::vector<double>& scratch,
                           int trials, int depth, const double* sums, std::span<double> results,
                           float& min, float& max);

// Bias adjustment of the member's trial sums in place by prefix 101..104 (others: nothing).
// Depth below 4 (below 5 for 104): -5.
[[nodiscard]] int RSMP_BIAS(int member, int prefix, int trials, int depth, double* sums);

}  // namespace kor::resample

#endif  // KOR_RESAMPLE_RESAMPLE_H_
