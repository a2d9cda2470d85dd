// Percentiles: missing values, truncation rules, interpolation, and the library sort against the
// exchange sort.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "resample/resample.h"
#include "tests/reference/resample_reference.h"

namespace kor::resample {
namespace {

constexpr float kM = -9999.0f;

TEST(Percentiles, InterpolationAndEnds) {
  struct Case {
    const char* name;
    std::array<float, 7> values;
    int n;
    float q;
    float expect;
  };
  // Sorted, the kept values of the first rows are 1 2 3 4 5 (n' = 5).
  constexpr Case kCases[] = {
      {"median interpolates s(2)..s(3)", {5, 1, 4, 2, 3}, 5, 0.5f, 2.5f},
      {"a = 3.5 interpolates s(3)..s(4)", {5, 1, 4, 2, 3}, 5, 0.7f, 3.5f},
      {"j = 1 gives the smallest", {5, 1, 4, 2, 3}, 5, 0.3f, 1.0f},
      {"j = 0 gives the smallest", {5, 1, 4, 2, 3}, 5, 0.025f, 1.0f},
      {"j + 1 = n' gives the largest", {5, 1, 4, 2, 3}, 5, 0.8f, 5.0f},
      {"j = n' gives the largest", {5, 1, 4, 2, 3}, 5, 0.975f, 5.0f},
      {"missing values are left out", {5, -9999, 1, 4, -9999.0004f, 2, 3}, 7, 0.5f, 2.5f},
      {"a value 0.001 from M is kept", {-9998.999f, 10, 20, 30}, 4, 0.5f, 10.0f},
  };
  for (const Case& c : kCases) {
    std::vector<float> work;
    float q[1] = {c.q};
    float lo = 0, hi = 0;
    ASSERT_EQ(RSMP_PCTL(std::span<const float>(c.values.data(), c.n), kM, q, work, lo, hi), 0)
        << c.name;
    EXPECT_FLOAT_EQ(q[0], c.expect) << c.name;
  }
  // Ten values 10..100, q = 0.75: a = 7.5, j = 7, 70 + (80 - 70) x 0.5.
  std::vector<float> v = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10}, work;
  float q[3] = {0.75f, 0.2f, 0.85f};
  float lo = 0, hi = 0;
  ASSERT_EQ(RSMP_PCTL(v, kM, q, work, lo, hi), 0);
  EXPECT_FLOAT_EQ(q[0], 75.0f);
  EXPECT_FLOAT_EQ(q[1], 20.0f);  // a = 2: s(2) + 0
  EXPECT_FLOAT_EQ(q[2], 85.0f);  // a = 8.5: s(8) + 5
  EXPECT_EQ(lo, 10.0f);
  EXPECT_EQ(hi, 100.0f);
}

TEST(Percentiles, AllMissing) {
  for (const std::vector<float>& v : {std::vector<float>{}, std::vector<float>{kM, kM + 0.0002f}}) {
    std::vector<float> work;
    float q[2] = {0.5f, 0.1f};
    float lo = 7, hi = 8;
    EXPECT_EQ(RSMP_PCTL(v, kM, q, work, lo, hi), -11) << v.size();
    EXPECT_EQ(q[0], kM);
    EXPECT_EQ(q[1], kM);
    EXPECT_EQ(lo, 7);
    EXPECT_EQ(hi, 8);
  }
}

TEST(Percentiles, LibrarySortMatchesExchangeSort) {
  Uniform u;
  for (int n : {1, 2, 3, 10, 101, 2000}) {
    std::vector<float> v;
    for (int i = 0; i < n; ++i) {
      // Many ties and a few missing values.
      const double x = u.next();
      v.push_back(x < 0.05 ? kM : static_cast<float>(static_cast<int>(x * 50) - 20) / 4);
    }
    std::vector<float> w1, w2;
    float a[4] = {0.975f, 0.025f, 0.5f, 0.1f}, b[4] = {0.975f, 0.025f, 0.5f, 0.1f};
    float lo1 = 0, hi1 = 0, lo2 = 0, hi2 = 0;
    const int r1 = RSMP_PCTL(v, kM, a, w1, lo1, hi1);
    const int r2 = reference::pctl_exchange_sort(v, kM, b, w2, lo2, hi2);
    ASSERT_EQ(r1, r2) << n;
    EXPECT_EQ(w1, w2) << n;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a[i], b[i]) << n << " fraction " << i;
    EXPECT_EQ(lo1, lo2);
    EXPECT_EQ(hi1, hi2);
  }
}

}  // namespace
}  // namespace kor::resample
