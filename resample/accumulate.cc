// The portable kernel of the trial sums and the choice of kernel.
#include "resample/accumulate.h"

#include <algorithm>
#include <vector>

#include "resample/ucd.h"

namespace kor::resample {

// The AVX2 kernel (accumulate_avx2.cc); only on x86.
void accumulate_trial_avx2(std::span<const PairRows> pairs, int width, std::size_t count,
                           const std::uint64_t* choice);

// The AVX-512 kernel (accumulate_avx512.cc); only on x86.
void accumulate_trials_avx512(std::span<const PairTrials> pairs, const TrialBlock& block,
                              const std::uint8_t* bits);

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

bool avx512_supported() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
#else
  return false;
#endif
}

SumKernel resolve_kernel(SumKernel kernel) {
  if (kernel == SumKernel::kPortable) return kernel;
  if ((kernel == SumKernel::kAvx512 || kernel == SumKernel::kBest) && avx512_supported()) {
    return SumKernel::kAvx512;
  }
  return avx2_supported() ? SumKernel::kAvx2 : SumKernel::kPortable;
}

void accumulate_trial(std::span<const PairRows> pairs, int width, std::size_t count,
                      const std::uint64_t* choice, SumKernel kernel) {
#if defined(__x86_64__) || defined(__i386__)
  // The AVX-512 kernel works on blocks of trials; one trial alone goes to the AVX2 kernel.
  if (resolve_kernel(kernel) != SumKernel::kPortable && avx2_supported() && width % 4 == 0 &&
      width <= row_width(kMaxDepth)) {
    accumulate_trial_avx2(pairs, width, count, choice);
    return;
  }
#endif
  accumulate_trial_portable(pairs, width, count, choice);
}

void accumulate_trials(std::span<const PairTrials> pairs, const TrialBlock& block,
                       const std::uint8_t* bits, SumKernel kernel) {
  if (block.depth < 1 || block.depth > kMaxDepth || block.width != row_width(block.depth) ||
      block.trials < 1 || block.trials > kBlockTrials ||
      block.stride < static_cast<std::size_t>(2) * block.width) {
    return;
  }
  kernel = resolve_kernel(kernel);
#if defined(__x86_64__) || defined(__i386__)
  if (kernel == SumKernel::kAvx512) {
    accumulate_trials_avx512(pairs, block, bits);
    return;
  }
#endif
  // One trial after another, each with its choices spelt out as words.
  std::vector<std::uint64_t> choice(block.count);
  std::vector<PairRows> rows(pairs.size());
  for (int j = 0; j < block.trials; ++j) {
    for (std::size_t r = 0; r < block.count; ++r) {
      choice[r] = (bits[r] >> j & 1) != 0 ? ~std::uint64_t{0} : 0;
    }
    for (std::size_t p = 0; p < pairs.size(); ++p) {
      double* s = pairs[p].sums + block.stride * j;
      rows[p] = PairRows{pairs[p].bench, pairs[p].paired, s, s + block.width};
    }
    accumulate_trial(rows, block.width, block.count, choice.data(), kernel);
  }
}

}  // namespace kor::resample
