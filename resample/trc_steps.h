// The steps of one RSMP_TRC call around its trial sums: the checks of the call, the plot's records,
// the messages, and the metrics and percentiles of every pair.  RSMP_TRC strings them together
// with its own kernel; the reference kernels of the tests and benchmarks string them together with
// theirs, so that every kernel is measured and checked under the same surroundings.
#ifndef KOR_RESAMPLE_TRC_STEPS_H_
#define KOR_RESAMPLE_TRC_STEPS_H_

#include <functional>
#include <iosfwd>
#include <span>
#include <vector>

#include "resample/resample.h"

namespace kor::resample::trc_steps {

// False when the call cannot be made: no context, N outside 1..24, no line, or more results than
// the caller's arrays hold.
bool call_is_sound(const TrcInput& in);

// Resets a trial count outside 100..10004 to 2000 with its warning line.
void check_trial_count(ResampleState& state, std::ostream& os);

// Keeps plot `plot`'s records in state.cache, reading the file only when it is not the one read
// before (path, plot, size or time changed).  Returns 0, -1 or -2.
[[nodiscard]] int load_plot(ResampleState& state, int plot);

// The empty line and " Resampling at abscissa point # P with T trials.".
void announce(const TrcInput& in, const ResampleState& state, std::ostream& os);

// The warning for 27 records or fewer at the point.
void warn_few(int count, int point, std::ostream& os);

// Trace position (0-based) of the first `traces` entry equal to `trace`, or -1.
int position_of(std::span<const int> traces, int trace);

// The cached plot's records of abscissa point `in.point`, in file order (indices into the cache),
// with the trace position of each (-1: not a listed trace) and the record count of the benchmark.
struct PointRecords {
  std::vector<int> index;
  std::vector<int> position;
  int count = 0;
};

// Finds the point's records.  Returns 0, -3 (a position holds more than 132000 records) or -4 (a
// position's count differs from the benchmark's).
[[nodiscard]] int find_point(const TrcInput& in, const RecordCache& cache, PointRecords& out);

// The values of `values` that differ from `missing` by more than 0.0005, into `work`; when none is
// left, every fraction becomes `missing` and the result is -11, else 0.
[[nodiscard]] int pctl_gather(std::span<const float> values, float missing,
                              std::span<float> fractions, std::vector<float>& work);

// The percentiles of the ascending values `s` (not empty) at `fractions` (replaced by them), and
// the smallest and largest value, as RSMP_PCTL states.
void pctl_interpolate(const std::vector<float>& s, std::span<float> fractions, float& min,
                      float& max);

// Steps 1 to 7 of RSMP_TRC on the cached plot: the checks of the call and of the trial count, the
// plot's records, the announcement, the point's records and the warning for few of them.  Returns
// 0, -6 (call_is_sound fails), -1 or -2 (load_plot), -3 or -4 (find_point).
[[nodiscard]] int open_point(const TrcInput& in, ResampleState& state, PointRecords& point,
                             std::ostream& os);

// A percentile routine with the contract of RSMP_PCTL.
using Percentiles = int (*)(std::span<const float>, float, std::span<float>, std::vector<float>&,
                            float&, float&);

// Fills the (2, 28, trials) metric work area with pair p's trial sums (fields beyond the depth are
// left as they are: zero).
using CopyPair = std::function<void(int pair, double* work)>;

// Step 9 of RSMP_TRC: for every line and pair the members' metrics, their differences and the
// percentiles.  no_data[p] marks a pair without any value.  Returns 0 (out holds the results) or
// the metric driver's error code (out unchanged).
[[nodiscard]] int summarise(const TrcInput& in, ResampleState& state, int depth,
                            std::span<const unsigned char> no_data, Percentiles percentiles,
                            const CopyPair& copy_pair, TrcOutput& out, std::ostream& os);

}  // namespace kor::resample::trc_steps

#endif  // KOR_RESAMPLE_TRC_STEPS_H_
