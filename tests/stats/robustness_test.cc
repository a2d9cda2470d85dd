// Full-size traces (2048 points, data depth 28) and every kind of code, good and bad: RDTD_TRC must
// stay inside its tables (the sanitizer build checks every access) and answer with a return code.
#include <cstdio>
#include <set>
#include <sstream>

#include "trace_fixture.h"
#include "tracefile/format.h"

namespace kor::stats {
namespace {

using RobustnessTest = TraceTest;

constexpr const char* kTypes[] = {"FHO", "PBS_ABC", "CRPS", "TRK", "ESL1L2/3", "RHNT", "EVL1L2"};
constexpr int kTypeCount = 7;

// A value of field k at point p: counts from 10 up, other fields small positive numbers, and every
// 13th point of field 3 missing.
double value(int t, int k, int p) {
  if (k == 1) return 10.0 + (p + t) % 7;
  if (k == 3 && p % 13 == 0) return -1.1e31;
  return 0.5 + ((p * 7 + k * 3 + t) % 11) * 0.25;
}

std::string packed(double v) { return " " + *tracefile::pack_value(v); }

std::string big_file() {
  std::ostringstream os;
  for (int t = 1; t <= kTypeCount; ++t) {
    os << t << " 11 1 0 1 1 4\n1 1 0 0 0\n";
    os << t << " 10 0 0 1 1 4\n10 0 0 " << kTypes[t - 1] << " 0\n";
  }
  os << "8 5 1 0 1 2 1\n0 0 0 0 0\n8 10 0 0 1 2 1\n10 0 0 FHO 0\n";
  os << "EOCF\n";
  char label[32];
  for (int t = 1; t <= kTypeCount; ++t) {
    os << t << " 28 2048 r T\n";
    for (int p = 1; p <= 2048; ++p) {
      std::snprintf(label, sizeof label, "%24.7E", static_cast<double>(p));
      os << label;
      for (int k = 1; k <= 28; ++k) os << packed(value(t, k, p));
      os << '\n';
    }
  }
  // Hourly time series with a five-hour gap every 100 points: more fill-in points than room.
  os << "8 4 2048 c T\n";
  long long minutes = 0;
  for (int p = 1; p <= 2048; ++p) {
    tracefile::DateTime at;
    (void)tracefile::add_minutes(tracefile::DateTime{2016, 1, 1, 0, 0}, minutes, at);
    std::snprintf(label, sizeof label, "%04d%02d%02d%02d%02d", at.year, at.month, at.day, at.hour,
                  at.minute);
    os << (std::string(label) + std::string(24, ' ')).substr(0, 24);
    for (int k = 1; k <= 4; ++k) os << packed(value(1, k, p));
    os << '\n';
    minutes += p % 100 == 0 ? 300 : 60;
  }
  return os.str();
}

std::vector<int> all_codes() {
  std::vector<int> codes;
  for (int c = -31; c <= 31; ++c) codes.push_back(c);
  for (int c = 1000; c <= 1070; ++c) codes.push_back(c);
  for (int c = 1100; c <= 1118; ++c) codes.push_back(c);
  for (int c = 1200; c <= 1218; ++c) codes.push_back(c);
  for (int c = 1300; c <= 1409; ++c) codes.push_back(c);
  for (int c = 1499; c <= 1607; ++c) codes.push_back(c);
  for (int c : {1700,
                1801,
                1901,
                1902,
                1903,
                2001,
                2002,
                2003,
                2004,
                2005,
                2101,
                2201,
                2202,
                2203,
                2204,
                2301,
                2302,
                2303,
                2304,
                2305,
                2306,
                2307,
                9001,
                9002,
                9003,
                101101,
                101115,
                111101,
                111115,
                121101,
                121110,
                131101,
                131115,
                141101,
                101120,
                1011001,
                1021003,
                1031025,
                1041001,
                1051001,
                -1021003,
                2011001,
                2091004,
                2101004,
                2999999,
                2147483647,
                -2147483647 - 1,
                1049999,
                1050000})
    codes.push_back(c);
  return codes;
}

TEST_F(RobustnessTest, EveryCodeOnFullTraces) {
  write("big.trc", big_file());
  ASSERT_EQ(load_path((dir_ / "big.trc").string(), 1), 0) << load_output_;
  const std::set<int> known = {0,   2,   5,   -1,  -2,  -3,  -26, -29, -30, -31, -32,
                               -36, -42, -43, -45, -46, -47, -48, -49, -52, -55, -56,
                               -57, -58, -59, -60, -61, -62, -63, -67, -99};
  const std::vector<int> codes = all_codes();
  for (int t = 1; t <= kTypeCount; ++t) {
    for (int code : codes) {
      // A lag (and a prefix) makes the next call read the whole file again: lags on a few codes.
      const int lag = code % 97 == 0 ? 3 : code % 89 == 0 ? -5 : 0;
      const int rc = run(t, code, lag);
      EXPECT_TRUE(known.count(rc) == 1) << "trace " << t << " code " << code << " rc " << rc;
      EXPECT_LE(result_.points, kMaxPoints) << code;
      EXPECT_GE(result_.points, 0) << code;
    }
  }
}

TEST_F(RobustnessTest, LongLagsAndSmallCapacities) {
  write("big.trc", big_file());
  ASSERT_EQ(load_path((dir_ / "big.trc").string(), 1), 0);
  for (int lag : {2048, 5000, -2048, -5000, 2147483647, -2147483647 - 1}) {
    EXPECT_EQ(run(1, 1, lag), 0) << lag;
  }
  for (int capacity : {-5, 0, 1, 2047}) {
    for (int code : {1001, 1032, 1360, 1600, 1605, 9002, 2307, 1362, 1363}) {
      const int rc = run(2, code, 0, capacity);
      EXPECT_EQ(rc, -31) << capacity << " " << code;
    }
  }
}

TEST_F(RobustnessTest, FillInBeyondTheCapacity) {
  write("big.trc", big_file());
  ASSERT_EQ(load_path((dir_ / "big.trc").string(), 2), 0);
  EXPECT_EQ(run(1, 1001), -38);
  EXPECT_LE(result_.points, kMaxPoints);
  EXPECT_EQ(run(1, 1001, 0, 100), -31);
}

}  // namespace
}  // namespace kor::stats
