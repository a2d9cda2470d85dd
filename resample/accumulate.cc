// The portable kernel of the trial sums and the choice of kernel.
#include "resample/accumulate.h"

#include <algorithm>

#include "resample/ucd.h"

namespace kor::resample {

// The AVX2 kernel (accumulate_avx2.cc); only on x86.
void accumulate_trial_avx2(std::span<const PairRows> pairs, int width, std::size_t count,
                           const std::uint64_t* choice);

namespace {

void accumulate_trial_portable(std::span<const PairRows> pairs, int width, std::size_t count,
                               const std::uint64_t* choice) {
  constexpr int kMaxWidth = row_width(kMaxDepth);
  const int w = std::clamp(width, 0, kMaxWidth);
  for (const PairRows& p : pairs) {
    double s1[kMaxWidth] = {};
    double s2[kMaxWidth] = {};
    const double* a = p.bench;
    const double* b = p.paired;
    for (std::size_t r = 0; r < count; ++r, a += width, b += width) {
      const bool bench_first = choice[r] != 0;
      const double* u = bench_first ? a : b;
      const double* v = bench_first ? b : a;
      for (int f = 0; f < w; ++f) {
        s1[f] += u[f];
        s2[f] += v[f];
      }
    }
    std::copy(s1, s1 + w, p.first);
    std::copy(s2, s2 + w, p.second);
  }
}

}  // namespace

bool avx2_supported() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

SumKernel resolve_kernel(SumKernel kernel) {
  if (kernel == SumKernel::kPortable) return kernel;
  return avx2_supported() ? SumKernel::kAvx2 : SumKernel::kPortable;
}

void accumulate_trial(std::span<const PairRows> pairs, int width, std::size_t count,
                      const std::uint64_t* choice, SumKernel kernel) {
#if defined(__x86_64__) || defined(__i386__)
  if (resolve_kernel(kernel) == SumKernel::kAvx2 && width % 4 == 0 &&
      width <= row_width(kMaxDepth)) {
    accumulate_trial_avx2(pairs, width, count, choice);
    return;
  }
#endif
  accumulate_trial_portable(pairs, width, count, choice);
}

}  // namespace kor::resample
