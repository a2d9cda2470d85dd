// The AVX-512 kernel of the trial sums: a block of up to eight trials with the trials in the lanes.
// The functions carry the AVX-512 target themselves and are called only when the processor has it;
// built without contraction of multiplies and additions, like the other kernels.
//
// For one pair and a run of at most kChunk fields it keeps two running sums per field, one per
// member, each a register of eight trials.  Per record it turns the record's choice byte into a
// lane mask, and per field broadcasts the benchmark's and the paired value, blends them into the
// first and the second member's values of every trial and adds each to its member's sum.  Lane j
// thus adds trial j's values in record order, one addition per record from 0, as the one-trial
// kernels do.  The rows are read once per block and pair instead of once per trial.
#include <immintrin.h>

#include <algorithm>

#include "resample/accumulate.h"

#if defined(__x86_64__) || defined(__i386__)

namespace kor::resample {

namespace {

constexpr int kChunk = 8;  // fields summed in one pass over the records: 16 running sums

// Sums of fields 0..F-1 of rows a and b (stride `width`) over `count` records, into out1/out2
// (F registers of eight trials each).
template <int F>
__attribute__((target("avx512f,avx512dq"))) void run_fields(const double* a, const double* b,
                                                            std::size_t width, std::size_t count,
                                                            const std::uint8_t* bits,
                                                            double (*out1)[kBlockTrials],
                                                            double (*out2)[kBlockTrials]) {
  __m512d s1[F], s2[F];
#pragma GCC unroll 8
  for (int f = 0; f < F; ++f) {
    s1[f] = _mm512_setzero_pd();
    s2[f] = _mm512_setzero_pd();
  }
  for (std::size_t r = 0; r < count; ++r, a += width, b += width) {
    const __mmask8 m = static_cast<__mmask8>(bits[r]);
#pragma GCC unroll 8
    for (int f = 0; f < F; ++f) {
      const __m512d x = _mm512_set1_pd(a[f]);
      const __m512d y = _mm512_set1_pd(b[f]);
      s1[f] = _mm512_add_pd(s1[f], _mm512_mask_blend_pd(m, y, x));
      s2[f] = _mm512_add_pd(s2[f], _mm512_mask_blend_pd(m, x, y));
    }
  }
#pragma GCC unroll 8
  for (int f = 0; f < F; ++f) {
    _mm512_storeu_pd(out1[f], s1[f]);
    _mm512_storeu_pd(out2[f], s2[f]);
  }
}

using RunFields = void (*)(const double*, const double*, std::size_t, std::size_t,
                           const std::uint8_t*, double (*)[kBlockTrials], double (*)[kBlockTrials]);

constexpr RunFields kRunFields[kChunk] = {run_fields<1>, run_fields<2>, run_fields<3>,
                                          run_fields<4>, run_fields<5>, run_fields<6>,
                                          run_fields<7>, run_fields<8>};

}  // namespace

__attribute__((target("avx512f,avx512dq"))) void accumulate_trials_avx512(
    std::span<const PairTrials> pairs, const TrialBlock& block, const std::uint8_t* bits) {
  const std::size_t w = static_cast<std::size_t>(block.width);
  double first[kChunk][kBlockTrials], second[kChunk][kBlockTrials];
  for (const PairTrials& p : pairs) {
    for (int f0 = 0; f0 < block.depth; f0 += kChunk) {
      const int n = std::min(kChunk, block.depth - f0);
      kRunFields[n - 1](p.bench + f0, p.paired + f0, w, block.count, bits, first, second);
      for (int j = 0; j < block.trials; ++j) {
        double* s = p.sums + block.stride * j + f0;
        for (int f = 0; f < n; ++f) {
          s[f] = first[f][j];
          s[w + f] = second[f][j];
        }
      }
    }
    // The padding fields hold zeros, so their sums are 0.
    for (int j = 0; j < block.trials; ++j) {
      double* s = p.sums + block.stride * j;
      std::fill(s + block.depth, s + w, 0.0);
      std::fill(s + w + block.depth, s + 2 * w, 0.0);
    }
  }
}

}  // namespace kor::resample

#endif
