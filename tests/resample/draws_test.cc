// The draws of the trials: jump-ahead against stepping, and the choices of the interleaved streams
// against one draw after another with Uniform.
#include "resample/draws.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resample/resample.h"

namespace kor::resample {
namespace {

TEST(Draws, JumpAheadEqualsSteppingOneDrawAtATime) {
  struct Case {
    const char* name;
    std::uint64_t n;
  };
  constexpr Case kCases[] = {{"no draw", 0},       {"one", 1},           {"two", 2},
                             {"three", 3},         {"four", 4},          {"sixty-three", 63},
                             {"power of two", 64}, {"trial block", 4321}};
  for (const Case& c : kCases) {
    for (std::uint64_t start : {Uniform::kStartingState, std::uint64_t{0}, ~std::uint64_t{0}}) {
      Uniform u;
      u.state = start;
      for (std::uint64_t i = 0; i < c.n; ++i) u.next();
      EXPECT_EQ(lcg_jump(c.n)(start), u.state) << c.name << " from " << start;
    }
  }
}

TEST(Draws, TheGeneratorHasTheStatedStep) {
  // One step by hand: 6364136223846793005 x + 1442695040888963407 (mod 2^64) at x = 1 and x = 2.
  EXPECT_EQ(lcg_jump(1)(1), 7806831264735756412ULL);
  EXPECT_EQ(lcg_jump(1)(2), 14170967488582549417ULL);
  // Two steps compose: (a^2, (a + 1) c).
  EXPECT_EQ(lcg_jump(2)(1), lcg_jump(1)(7806831264735756412ULL));
}

TEST(Draws, ChoicesAreTheDrawsBelowOneHalf) {
  // Counts around the four streams: none, fewer than four, whole groups and remainders.
  constexpr std::size_t kCounts[] = {0, 1, 3, 4, 5, 7, 8, 9, 1001};
  for (std::size_t count : kCounts) {
    Uniform u;
    u.state = 977;
    std::vector<std::uint64_t> expected(count);
    for (std::size_t r = 0; r < count; ++r) expected[r] = u.next() < 0.5 ? ~0ULL : 0ULL;
    std::uint64_t state = 977;
    std::vector<std::uint64_t> choice(count, 12345);
    draw_choices(state, count, choice.data());
    EXPECT_EQ(choice, expected) << count << " draws";
    EXPECT_EQ(state, u.state) << count << " draws";
  }
}

TEST(Draws, ABlockOfTrialsHasEachTrialsChoicesAsItsBit) {
  // Every block size, counts around the two interleaved streams of the wide path, and both paths.
  constexpr std::size_t kCounts[] = {0, 1, 2, 3, 1001};
  for (bool wide : {false, true}) {
    for (int trials = 1; trials <= 8; ++trials) {
      for (std::size_t count : kCounts) {
        std::vector<std::uint8_t> expected(count, 0);
        std::uint64_t state = 977;
        std::vector<std::uint64_t> choice(count);
        for (int j = 0; j < trials; ++j) {
          draw_choices(state, count, choice.data());
          for (std::size_t r = 0; r < count; ++r) {
            if (choice[r] != 0) expected[r] |= static_cast<std::uint8_t>(1u << j);
          }
        }
        std::vector<std::uint8_t> bits(count + 1, 0xA5);
        draw_choice_bits(977, count, trials, bits.data(), wide);
        const std::string where = std::string(wide ? "wide " : "narrow ") + std::to_string(trials) +
                                  " trials " + std::to_string(count) + " draws";
        EXPECT_EQ(std::vector<std::uint8_t>(bits.begin(), bits.end() - 1), expected) << where;
        EXPECT_EQ(bits.back(), 0xA5) << where;  // nothing past the block
      }
    }
    std::uint8_t untouched = 0xA5;
    draw_choice_bits(977, 1, 0, &untouched, wide);
    draw_choice_bits(977, 1, 9, &untouched, wide);
    EXPECT_EQ(untouched, 0xA5);
  }
}

TEST(Draws, ADrawOfExactlyOneHalfGoesToTheSecondMember) {
  // The state 2^63 is the draw 0.5 exactly; one below it the largest draw under 0.5.
  const std::uint64_t half = 1ULL << 63;
  const LcgStep back = lcg_jump(~std::uint64_t{0});  // 2^64 - 1 steps: one step back
  struct Case {
    const char* name;
    std::uint64_t after;  // the state the draw leaves
    std::uint64_t choice;
  };
  const Case kCases[] = {{"0.5", half, 0}, {"just below 0.5", half - 1, ~0ULL}, {"0", 0, ~0ULL}};
  for (const Case& c : kCases) {
    std::uint64_t state = back(c.after);
    std::uint64_t choice = 7;
    draw_choices(state, 1, &choice);
    EXPECT_EQ(state, c.after) << c.name;
    EXPECT_EQ(choice, c.choice) << c.name;
  }
}

}  // namespace
}  // namespace kor::resample
