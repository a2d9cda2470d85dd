// The trial sums of both kernels against sums worked out by hand, on values whose sum depends on
// the order of the additions: 2^53 + 1 rounds back to 2^53, so adding in another order (pairwise,
// or the ones first) gives another result.
#include "resample/accumulate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace kor::resample {
namespace {

constexpr double k53 = 9007199254740992.0;  // 2^53

// Four records of one field: the benchmark's and the paired trace's values.
constexpr double kBench[4] = {k53, 1, 1, -k53};
constexpr double kPaired[4] = {1, k53, -k53, 1};

struct Case {
  const char* choices;  // '1': the first member takes the benchmark's value
  double first;
  double second;
};
// By hand, in record order:
//   1111  first  2^53 + 1 = 2^53, + 1 = 2^53, - 2^53 = 0
//         second 1 + 2^53 = 2^53 (the tie goes to the even 2^53), - 2^53 = 0, + 1 = 1
//   1010  first  2^53 + 2^53 = 2^54, + 1 = 2^54, + 1 = 2^54
//         second 1 + 1 = 2, - 2^53 = -(2^53 - 2), - 2^53 = -(2^54 - 2) (exact: even)
//   0110  first  1 + 1 = 2, + 1 = 3, + 1 = 4
//         second 2^53 + 2^53 = 2^54, - 2^53 = 2^53, - 2^53 = 0
constexpr Case kCases[] = {
    {"1111", 0.0, 1.0},
    {"0000", 1.0, 0.0},
    {"1010", 2 * k53, -(2 * k53 - 2)},
    {"0101", -(2 * k53 - 2), 2 * k53},
    {"0110", 4.0, 0.0},
};

std::vector<std::uint64_t> choices_of(const char* text) {
  std::vector<std::uint64_t> c;
  for (const char* p = text; *p; ++p) c.push_back(*p == '1' ? ~0ULL : 0ULL);
  return c;
}

std::vector<SumKernel> kernels() {
  std::vector<SumKernel> k = {SumKernel::kPortable};
  if (avx2_supported()) k.push_back(SumKernel::kAvx2);
  if (avx512_supported()) k.push_back(SumKernel::kAvx512);
  return k;
}

const char* name_of(SumKernel k) {
  return k == SumKernel::kAvx512 ? "avx512" : k == SumKernel::kAvx2 ? "avx2" : "portable";
}

// The four records of `pairs` pairs at data depth `depth`, pair after pair: field f of pair p
// holds the cases' values times 2^-(p + 3 f) (a power of two keeps every rounding as it is), the
// padding of each row 0.
struct Records {
  Records(int pairs, int depth)
      : width(row_width(depth)), bench(4 * width * pairs, 0.0), paired(4 * width * pairs, 0.0) {
    for (int p = 0; p < pairs; ++p) {
      for (int r = 0; r < 4; ++r) {
        for (int f = 0; f < depth; ++f) {
          const double scale = std::ldexp(1.0, -(p + 3 * f));
          bench[(p * 4 + r) * width + f] = kBench[r] * scale;
          paired[(p * 4 + r) * width + f] = kPaired[r] * scale;
        }
      }
    }
  }
  int width;
  RowStore bench, paired;
};

void check(int pairs, int depth, SumKernel kernel) {
  const int width = row_width(depth);
  for (const Case& c : kCases) {
    const std::vector<std::uint64_t> choice = choices_of(c.choices);
    Records records(pairs, depth);
    RowStore& bench = records.bench;
    RowStore& paired = records.paired;
    std::vector<double> first(width * pairs, -1.0), second(width * pairs, -1.0);
    std::vector<PairRows> rows;
    for (int p = 0; p < pairs; ++p) {
      rows.push_back({bench.data() + p * 4 * width, paired.data() + p * 4 * width,
                      first.data() + p * width, second.data() + p * width});
    }
    accumulate_trial(rows, width, 4, choice.data(), kernel);
    for (int p = 0; p < pairs; ++p) {
      for (int f = 0; f < width; ++f) {
        const double scale = f < depth ? std::ldexp(1.0, -(p + 3 * f)) : 0.0;
        const std::string where = std::string(name_of(kernel)) + " " + c.choices + " pairs " +
                                  std::to_string(pairs) + " depth " + std::to_string(depth) +
                                  " pair " + std::to_string(p) + " field " + std::to_string(f);
        EXPECT_EQ(first[p * width + f], c.first * scale) << where;
        EXPECT_EQ(second[p * width + f], c.second * scale) << where;
      }
    }
  }
}

TEST(TrialSums, EveryKernelAddsInRecordOrder) {
  struct Shape {
    int pairs;
    int depth;
  };
  // Depths that fill one, two and seven vectors of four; pair counts that leave 1, 2 and 3 units
  // over after the groups of four, and the most pairs a plot has.
  constexpr Shape kShapes[] = {{1, 4}, {1, 6}, {2, 6}, {3, 1}, {5, 8}, {23, 6}, {2, 28}, {23, 28}};
  for (SumKernel kernel : kernels()) {
    for (const Shape& s : kShapes) check(s.pairs, s.depth, kernel);
  }
}

// A block of `trials` trials, trial j taking the choices of case (j + shift) % 5, through
// accumulate_trials; each trial's sums must be the case's, every slot between the trials untouched.
void check_block(int pairs, int depth, int trials, SumKernel kernel) {
  constexpr int kCaseCount = sizeof kCases / sizeof kCases[0];
  const int width = row_width(depth);
  const std::size_t stride = 2 * width + 3;  // three spare slots after each trial's sums
  Records records(pairs, depth);
  RowStore& bench = records.bench;
  RowStore& paired = records.paired;
  std::vector<double> sums(stride * kBlockTrials * pairs, -1.0);
  std::vector<PairTrials> rows;
  for (int p = 0; p < pairs; ++p) {
    rows.push_back({bench.data() + p * 4 * width, paired.data() + p * 4 * width,
                    sums.data() + p * stride * kBlockTrials});
  }
  const int shift = depth % kCaseCount;
  std::uint8_t bits[4] = {};
  for (int j = 0; j < trials; ++j) {
    const char* choices = kCases[(j + shift) % kCaseCount].choices;
    for (int r = 0; r < 4; ++r) bits[r] |= (choices[r] == '1' ? 1 : 0) << j;
  }
  accumulate_trials(rows, {depth, width, stride, 4, trials}, bits, kernel);
  for (int p = 0; p < pairs; ++p) {
    for (int j = 0; j < kBlockTrials; ++j) {
      const Case& c = kCases[(j + shift) % kCaseCount];
      const double* s = rows[p].sums + stride * j;
      for (std::size_t f = 0; f < stride; ++f) {
        const std::string where = std::string(name_of(kernel)) + " trials " +
                                  std::to_string(trials) + " depth " + std::to_string(depth) +
                                  " pair " + std::to_string(p) + " trial " + std::to_string(j) +
                                  " slot " + std::to_string(f);
        const int field = static_cast<int>(f % width);
        const double scale = field < depth ? std::ldexp(1.0, -(p + 3 * field)) : 0.0;
        double expected = -1.0;  // untouched
        if (j < trials && f < static_cast<std::size_t>(width)) expected = c.first * scale;
        if (j < trials && f >= static_cast<std::size_t>(width) && f < 2u * width) {
          expected = c.second * scale;
        }
        EXPECT_EQ(s[f], expected) << where;
      }
    }
  }
}

TEST(TrialSums, EveryKernelSumsABlockOfTrialsInRecordOrder) {
  struct Shape {
    int pairs;
    int depth;
    int trials;
  };
  // A lone trial, part blocks and full blocks; depths whose last run of fields holds each of one
  // to eight fields (27 = 8 + 8 + 8 + 3, 15 = 8 + 7).
  constexpr Shape kShapes[] = {{2, 1, 5}, {1, 2, 8},  {1, 27, 8}, {2, 28, 8}, {3, 5, 1},
                               {3, 6, 8}, {23, 6, 3}, {1, 15, 8}, {3, 8, 7},  {1, 9, 8}};
  for (SumKernel kernel : kernels()) {
    for (const Shape& s : kShapes) check_block(s.pairs, s.depth, s.trials, kernel);
  }
}

TEST(TrialSums, ABlockOutOfShapeIsLeftAlone) {
  struct Case {
    const char* name;
    TrialBlock block;
  };
  const Case kBad[] = {{"no trial", {6, 8, 16, 1, 0}},
                       {"nine trials", {6, 8, 16, 1, 9}},
                       {"depth 0", {0, 0, 16, 1, 1}},
                       {"depth 29", {29, 32, 64, 1, 1}},
                       {"width not the depth's", {6, 4, 16, 1, 1}},
                       {"stride too short", {6, 8, 15, 1, 1}}};
  for (SumKernel kernel : kernels()) {
    for (const Case& c : kBad) {
      RowStore rows(32, 5.0);
      std::vector<double> sums(64 * 9, -1.0);
      const PairTrials pair{rows.data(), rows.data(), sums.data()};
      const std::uint8_t bits = 1;
      accumulate_trials({&pair, 1}, c.block, &bits, kernel);
      EXPECT_EQ(sums, std::vector<double>(64 * 9, -1.0)) << name_of(kernel) << " " << c.name;
    }
  }
}

TEST(TrialSums, AKernelThatTheProcessorLacksFallsBackToTheNextNarrower) {
  const SumKernel avx2 = avx2_supported() ? SumKernel::kAvx2 : SumKernel::kPortable;
  const SumKernel widest = avx512_supported() ? SumKernel::kAvx512 : avx2;
  struct Case {
    SumKernel asked;
    SumKernel runs;
  };
  const Case kCases[] = {{SumKernel::kBest, widest},
                         {SumKernel::kAvx512, widest},
                         {SumKernel::kAvx2, avx2},
                         {SumKernel::kPortable, SumKernel::kPortable}};
  for (const Case& c : kCases) {
    EXPECT_EQ(resolve_kernel(c.asked), c.runs) << name_of(c.asked);
  }
}

TEST(TrialSums, NoRecordsGiveZeroSums) {
  for (SumKernel kernel : kernels()) {
    RowStore rows(8, 5.0);
    std::vector<double> first(8, -1.0), second(8, -1.0);
    const PairRows pair{rows.data(), rows.data(), first.data(), second.data()};
    accumulate_trial({&pair, 1}, 8, 0, nullptr, kernel);
    EXPECT_EQ(first, std::vector<double>(8, 0.0)) << name_of(kernel);
    EXPECT_EQ(second, std::vector<double>(8, 0.0)) << name_of(kernel);
  }
}

TEST(TrialSums, RowsAreAlignedForTheVectorKernel) {
  struct Case {
    int depth;
    int width;
  };
  constexpr Case kWidths[] = {{1, 4}, {4, 4}, {5, 8}, {8, 8}, {27, 28}, {28, 28}};
  for (const Case& c : kWidths) EXPECT_EQ(row_width(c.depth), c.width) << c.depth;
  RowStore store(12);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(store.data()) % 64, 0u);
}

}  // namespace
}  // namespace kor::resample
