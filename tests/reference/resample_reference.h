// Reference kernels of the resampling, for the tests and the benchmarks only.
//
// rsmp_trc_per_call does what one resampling call literally describes: it reads the whole file at
// every call, clears every trial sum slot (10008 trials x 28 fields x 24 pairs x 2 members, about
// 108 MB), makes one draw per record and trial with Uniform::next, adds the fields one at a time
// and sorts the differences by exchange.  rsmp_trc_serial is the single-thread kernel that
// RSMP_TRC replaced: records cached per plot, each pair's records copied with missing fields set to
// 0, one pair summed at a time with a scalar draw per record.  Both give RSMP_TRC's results, draw
// for draw.
#ifndef KOR_TESTS_REFERENCE_RESAMPLE_REFERENCE_H_
#define KOR_TESTS_REFERENCE_RESAMPLE_REFERENCE_H_

#include <iosfwd>
#include <span>
#include <vector>

#include "resample/resample.h"

namespace kor::resample::reference {

// RSMP_PCTL with the exchange sort: every position compared with every later one, swapping when
// the earlier value is greater.
[[nodiscard]] int pctl_exchange_sort(std::span<const float> values, float missing,
                                     std::span<float> fractions, std::vector<float>& work,
                                     float& min, float& max);

[[nodiscard]] int rsmp_trc_per_call(const TrcInput& in, ResampleState& state, TrcOutput& out,
                                    std::ostream& os);

[[nodiscard]] int rsmp_trc_serial(const TrcInput& in, ResampleState& state, TrcOutput& out,
                                  std::ostream& os);

}  // namespace kor::resample::reference

#endif  // KOR_TESTS_REFERENCE_RESAMPLE_REFERENCE_H_
