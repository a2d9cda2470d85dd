// The random draws of the resampling trials.
//
// The generator is the 64-bit linear congruential generator x' = a x + c (mod 2^64) of Uniform
// (resample/resample.h).  A draw is the new state's top 53 bits over 2^53, so a draw lies below 0.5
// exactly when the top bit of the new state is 0: the trials need only that bit.  Because every
// step is an affine map, n steps are one affine map too, found by squaring in O(log n); it lets
// several streams run interleaved (one multiply chain no longer waits for the last) and lets each
// thread start at its own trial's draws.
#ifndef KOR_RESAMPLE_DRAWS_H_
#define KOR_RESAMPLE_DRAWS_H_

#include <cstddef>
#include <cstdint>

namespace kor::resample {

inline constexpr std::uint64_t kDrawMultiplier = 6364136223846793005ULL;
inline constexpr std::uint64_t kDrawIncrement = 1442695040888963407ULL;

// An affine step of the state: x -> mul x + add (mod 2^64).
struct LcgStep {
  std::uint64_t mul = 1;
  std::uint64_t add = 0;
  std::uint64_t operator()(std::uint64_t x) const { return mul * x + add; }
};

// The step that advances the state by `n` draws (n = 0: the identity): the generator's step
// composed n times, by squaring.
constexpr LcgStep lcg_jump(std::uint64_t n) {
  LcgStep total;                                   // identity
  LcgStep power{kDrawMultiplier, kDrawIncrement};  // the step composed 2^k times
  while (n != 0) {
    if (n & 1) total = LcgStep{total.mul * power.mul, total.add * power.mul + power.add};
    power = LcgStep{power.mul * power.mul, (power.mul + 1) * power.add};
    n >>= 1;
  }
  return total;
}

// Makes `count` successive draws from `state` and leaves `state` where the last one left it.
// choice[r] is all ones when draw r is below 0.5 (the first pair member takes the benchmark's
// record), else 0.
void draw_choices(std::uint64_t& state, std::size_t count, std::uint64_t* choice);

// The choices of a block of `trials` (1..8) consecutive trials of `count` draws each, the first
// starting from `state`: trial j draws from lcg_jump(j * count)(state).  Bit j of bits[r] is set
// when trial j's draw r is below 0.5; bits from `trials` on are 0.  With `wide` and a processor
// with AVX-512 (F and DQ) the eight trials run as the lanes of one register, one multiply per
// record; the bits are the same either way.  Nothing is written when `trials` is out of range.
void draw_choice_bits(std::uint64_t state, std::size_t count, int trials, std::uint8_t* bits,
                      bool wide = true);

}  // namespace kor::resample

#endif  // KOR_RESAMPLE_DRAWS_H_
