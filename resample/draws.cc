// The draws of the resampling trials: jump-ahead, interleaved streams and blocks of trials.
#include "resample/draws.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "resample/accumulate.h"  // kBlockTrials, avx512_supported

namespace kor::resample {

namespace {

// All ones when the top bit is 0 (the draw is below 0.5), else 0.
std::uint64_t below_half(std::uint64_t x) { return (x >> 63) - 1; }

#if defined(__x86_64__) || defined(__i386__)
// Lane j steps trial j's state; the sign bits of the new states, inverted, are the record's bits.
// Two interleaved streams, each two records apart, so that one multiply need not wait for the last.
__attribute__((target("avx512f,avx512dq"))) void draw_bits_avx512(const std::uint64_t* start,
                                                                  std::size_t count,
                                                                  std::uint8_t keep,
                                                                  std::uint8_t* bits) {
  constexpr LcgStep kStep{kDrawMultiplier, kDrawIncrement};
  constexpr LcgStep kTwo = lcg_jump(2);
  const __m512i mul1 = _mm512_set1_epi64(static_cast<long long>(kStep.mul));
  const __m512i add1 = _mm512_set1_epi64(static_cast<long long>(kStep.add));
  const __m512i mul2 = _mm512_set1_epi64(static_cast<long long>(kTwo.mul));
  const __m512i add2 = _mm512_set1_epi64(static_cast<long long>(kTwo.add));
  __m512i x0 = _mm512_loadu_si512(start);
  x0 = _mm512_add_epi64(_mm512_mullo_epi64(x0, mul1), add1);          // draw 0
  __m512i x1 = _mm512_add_epi64(_mm512_mullo_epi64(x0, mul1), add1);  // draw 1
  std::size_t r = 0;
  for (; r + 2 <= count; r += 2) {
    bits[r] = static_cast<std::uint8_t>(~_mm512_movepi64_mask(x0) & keep);
    bits[r + 1] = static_cast<std::uint8_t>(~_mm512_movepi64_mask(x1) & keep);
    x0 = _mm512_add_epi64(_mm512_mullo_epi64(x0, mul2), add2);
    x1 = _mm512_add_epi64(_mm512_mullo_epi64(x1, mul2), add2);
  }
  if (r < count) bits[r] = static_cast<std::uint8_t>(~_mm512_movepi64_mask(x0) & keep);
}
#endif

}  // namespace

void draw_choices(std::uint64_t& state, std::size_t count, std::uint64_t* choice) {
  constexpr LcgStep kStep{kDrawMultiplier, kDrawIncrement};
  std::size_t r = 0;
  if (count >= 4) {
    // Four streams, each four draws apart: stream j makes draws j, j + 4, j + 8, ...
    constexpr LcgStep kFour = lcg_jump(4);
    std::uint64_t x0 = kStep(state);
    std::uint64_t x1 = kStep(x0);
    std::uint64_t x2 = kStep(x1);
    std::uint64_t x3 = kStep(x2);
    for (;;) {
      choice[r] = below_half(x0);
      choice[r + 1] = below_half(x1);
      choice[r + 2] = below_half(x2);
      choice[r + 3] = below_half(x3);
      r += 4;
      state = x3;
      if (r + 4 > count) break;
      x0 = kFour(x0);
      x1 = kFour(x1);
      x2 = kFour(x2);
      x3 = kFour(x3);
    }
  }
  for (; r < count; ++r) {
    state = kStep(state);
    choice[r] = below_half(state);
  }
}

void draw_choice_bits(std::uint64_t state, std::size_t count, int trials, std::uint8_t* bits,
                      bool wide) {
  if (trials < 1 || trials > kBlockTrials) return;
  std::uint64_t start[kBlockTrials];
  const LcgStep jump = lcg_jump(count);
  start[0] = state;
  for (int j = 1; j < kBlockTrials; ++j) start[j] = jump(start[j - 1]);
#if defined(__x86_64__) || defined(__i386__)
  if (wide && avx512_supported()) {
    draw_bits_avx512(start, count, static_cast<std::uint8_t>((1u << trials) - 1), bits);
    return;
  }
#endif
  // The trials' streams side by side: eight independent multiply chains.
  constexpr LcgStep kStep{kDrawMultiplier, kDrawIncrement};
  for (std::size_t r = 0; r < count; ++r) {
    unsigned b = 0;
    for (int j = 0; j < trials; ++j) {
      start[j] = kStep(start[j]);
      b |= static_cast<unsigned>(below_half(start[j]) & 1) << j;
    }
    bits[r] = static_cast<std::uint8_t>(b);
  }
}

}  // namespace kor::resample
