// The draws of the resampling trials: jump-ahead and interleaved streams.
#include "resample/draws.h"

namespace kor::resample {

namespace {

// All ones when the top bit is 0 (the draw is below 0.5), else 0.
std::uint64_t below_half(std::uint64_t x) { return (x >> 63) - 1; }

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

}  // namespace kor::resample
