// Trial sums of the resampling pairs.
//
// In one trial every pair of a point (the benchmark trace and one other trace) adds up its records
// twice, once per member: where the trial's draw for a record is below 0.5 the first member takes
// the benchmark's values and the second the paired trace's, otherwise the other way round.  Each
// sum is built record by record in file order, one addition per record starting from 0, so that
// every kernel (and every way of splitting the trials) gives the same bits as adding the values one
// at a time; no kernel fuses or reorders additions.
//
// A record's values are held as a row of row_width(D) doubles: the D values, then zeros.  The rows
// of one trace position follow one another in a store aligned to 64 bytes, so every row starts on a
// 32-byte boundary and the vector kernel loads whole rows.
//
// Two shapes of kernel exist.  The portable and the AVX2 kernels sum one trial at a time with the
// fields of a row in the lanes.  The AVX-512 kernel sums a block of up to eight trials at once with
// the trials in the lanes: per record and field it broadcasts the benchmark's and the paired value
// and blends them under the record's eight choice bits (one bit per trial), so a row is read once
// per block instead of once per trial and no lane holds padding.  Each lane still adds its trial's
// values record by record in file order.
#ifndef KOR_RESAMPLE_ACCUMULATE_H_
#define KOR_RESAMPLE_ACCUMULATE_H_

#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <vector>

namespace kor::resample {

inline constexpr std::size_t kRowAlignment = 64;  // bytes

// Doubles per record row: the data depth rounded up to a multiple of 4.
constexpr int row_width(int depth) { return (depth + 3) / 4 * 4; }

// Storage aligned to kRowAlignment bytes.
template <class T>
struct AlignedAllocator {
  using value_type = T;
  AlignedAllocator() = default;
  template <class U>
  AlignedAllocator(const AlignedAllocator<U>&) {}
  T* allocate(std::size_t n) {
    return static_cast<T*>(::operator new (n * sizeof(T), std::align_val_t{kRowAlignment}));
  }
  void deallocate(T* p, std::size_t) { ::operator delete (p, std::align_val_t{kRowAlignment}); }
  template <class U>
  bool operator==(const AlignedAllocator<U>&) const {
    return true;
  }
};
using RowStore = std::vector<double, AlignedAllocator<double>>;

// One pair in one trial: its records as rows, and where its members' sums go.
struct PairRows {
  const double* bench = nullptr;   // the benchmark's rows as this pair uses them
  const double* paired = nullptr;  // the paired trace's rows
  double* first = nullptr;         // row_width sums of the first member (out)
  double* second = nullptr;        // row_width sums of the second member (out)
};

// How the sums are formed.  kBest takes the widest kernel the processor runs: AVX-512, else AVX2,
// else the portable one.
enum class SumKernel { kBest, kPortable, kAvx2, kAvx512 };

// True when the processor runs the AVX2 kernel.
bool avx2_supported();

// True when the processor runs the AVX-512 kernel (AVX-512 F and DQ).
bool avx512_supported();

// The kernel that a request runs on this processor (never kBest): kBest the widest there is; a
// kernel the processor lacks falls back to the next narrower one.
SumKernel resolve_kernel(SumKernel kernel);

// The most trials of one block (accumulate_trials): one bit each in a record's choice byte.
inline constexpr int kBlockTrials = 8;

// One pair in a block of trials.  The sums of the block's trial j go to sums + j * stride: the
// first member's row_width values, then the second member's.
struct PairTrials {
  const double* bench = nullptr;
  const double* paired = nullptr;
  double* sums = nullptr;
};

// The layout of a block of trials.
struct TrialBlock {
  int depth = 0;           // D: fields summed; fields D..width-1 of every row are 0
  int width = 0;           // row_width(D)
  std::size_t stride = 0;  // doubles from one trial's sums to the next (at least 2 width)
  std::size_t count = 0;   // records
  int trials = 0;          // trials of the block, 1..kBlockTrials
};

// Sums of a block of trials: bit j of bits[r] set means that in trial j the first member takes the
// benchmark's record r (choice all ones in accumulate_trial).  Every kernel gives each trial the
// sums accumulate_trial gives it, bit for bit, padding fields included (0).  A block with depth or
// trials outside their ranges, or a width that is not row_width(depth), is left untouched.
void accumulate_trials(std::span<const PairTrials> pairs, const TrialBlock& block,
                       const std::uint8_t* bits, SumKernel kernel);

// Sums of one trial: for each pair, first[f] is the sum over records r = 0..count-1, in that order,
// of field f of the benchmark's row when choice[r] is all ones and of the paired row when it is 0;
// second[f] the sum of the other rows.  `width` is row_width(D), `choice` holds `count` words.
// kAvx2 on a processor without it runs the portable kernel.
void accumulate_trial(std::span<const PairRows> pairs, int width, std::size_t count,
                      const std::uint64_t* choice, SumKernel kernel);

}  // namespace kor::resample

#endif  // KOR_RESAMPLE_ACCUMULATE_H_
