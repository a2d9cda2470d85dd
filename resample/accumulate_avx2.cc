// The AVX2 kernel of the trial sums.  The functions carry the AVX2 target themselves, so the rest
// of the program stays runnable on any x86 processor; the kernel is called only when the processor
// has AVX2.  Built without contraction of multiplies and additions (there are only additions, but
// the option keeps it so).
//
// The kernel works on units of four fields of one pair, four units at a time: per record it
// broadcasts the record's choice as a lane mask, loads the four fields of the benchmark's and the
// paired row, blends them into the first and the second member's values and adds each to its own
// running sum.  The additions per sum are those of the portable kernel, in the same order.
#include <immintrin.h>

#include "resample/accumulate.h"

#if defined(__x86_64__) || defined(__i386__)

namespace kor::resample {

namespace {

struct Unit {
  const double* bench;
  const double* paired;
  double* first;
  double* second;
};

constexpr int kGroup = 4;  // units summed in one pass over the records: 8 running sums

template <int G>
__attribute__((target("avx2"))) void run_units(const Unit* u, std::size_t width, std::size_t count,
                                               const std::uint64_t* choice) {
  __m256d s1[G], s2[G];
  const double* a[G];
  const double* b[G];
#pragma GCC unroll 4
  for (int g = 0; g < G; ++g) {
    s1[g] = _mm256_setzero_pd();
    s2[g] = _mm256_setzero_pd();
    a[g] = u[g].bench;
    b[g] = u[g].paired;
  }
  for (std::size_t r = 0, off = 0; r < count; ++r, off += width) {
    const __m256d m = _mm256_castsi256_pd(_mm256_set1_epi64x(static_cast<long long>(choice[r])));
#pragma GCC unroll 4
    for (int g = 0; g < G; ++g) {
      const __m256d x = _mm256_load_pd(a[g] + off);
      const __m256d y = _mm256_load_pd(b[g] + off);
      s1[g] = _mm256_add_pd(s1[g], _mm256_blendv_pd(y, x, m));
      s2[g] = _mm256_add_pd(s2[g], _mm256_blendv_pd(x, y, m));
    }
  }
#pragma GCC unroll 4
  for (int g = 0; g < G; ++g) {
    _mm256_storeu_pd(u[g].first, s1[g]);
    _mm256_storeu_pd(u[g].second, s2[g]);
  }
}

__attribute__((target("avx2"))) void run_group(const Unit* u, int n, std::size_t width,
                                               std::size_t count, const std::uint64_t* choice) {
  switch (n) {
    case 1:
      return run_units<1>(u, width, count, choice);
    case 2:
      return run_units<2>(u, width, count, choice);
    case 3:
      return run_units<3>(u, width, count, choice);
    default:
      return run_units<4>(u, width, count, choice);
  }
}

}  // namespace

__attribute__((target("avx2"))) void accumulate_trial_avx2(std::span<const PairRows> pairs,
                                                           int width, std::size_t count,
                                                           const std::uint64_t* choice) {
  Unit group[kGroup];
  int n = 0;
  const std::size_t w = static_cast<std::size_t>(width);
  for (const PairRows& p : pairs) {
    for (int f = 0; f < width; f += 4) {
      group[n++] = Unit{p.bench + f, p.paired + f, p.first + f, p.second + f};
      if (n == kGroup) {
        run_group(group, n, w, count, choice);
        n = 0;
      }
    }
  }
  if (n > 0) run_group(group, n, w, count, choice);
}

}  // namespace kor::resample

#endif
