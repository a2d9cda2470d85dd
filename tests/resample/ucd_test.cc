// Reading trace.ucd: the depth record, record framing, damaged files and the writer.
#include "resample/ucd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resample/resample.h"
#include "resample/ucd_writer.h"
#include "tracefile/format.h"
#include "util/missing.h"

namespace kor::resample {
namespace {

std::string data(const char* name) { return std::string(KOR_TEST_DATA) + "/resample/" + name; }

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ReadUcd, ReturnCodesAndRecordsKept) {
  struct Case {
    const char* file;
    int plot;
    int rc;
    int depth;
    int records;
    bool ended_early;
  };
  constexpr Case kCases[] = {
      {"good_depth4.ucd", 1, 0, 4, 4, false}, {"good_depth4.ucd", 2, 0, 4, 1, false},
      {"good_depth4.ucd", 3, 0, 4, 0, false}, {"no_such_file.ucd", 1, -1, 0, 0, false},
      {"empty.ucd", 1, -2, 0, 0, false},      {"depth0.ucd", 1, -2, 0, 0, false},
      {"depth29.ucd", 1, -2, 0, 0, false},    {"depth_truncated.ucd", 1, -2, 0, 0, false},
      {"depth_only.ucd", 1, 0, 4, 0, false},  {"truncated_record.ucd", 1, 0, 4, 2, true},
      {"bad_marker.ucd", 1, 0, 4, 1, true},   {"short_record.ucd", 1, 0, 4, 1, true},
      {"long_record.ucd", 1, 0, 2, 2, false},
  };
  for (const Case& c : kCases) {
    UcdRecords r;
    r.depth = -7;  // unchanged on an error
    ASSERT_EQ(read_ucd(data(c.file), c.plot, r), c.rc) << c.file;
    if (c.rc != 0) {
      EXPECT_EQ(r.depth, -7) << c.file;
      continue;
    }
    EXPECT_EQ(r.depth, c.depth) << c.file;
    EXPECT_EQ(static_cast<int>(r.size()), c.records) << c.file;
    EXPECT_EQ(r.values.size(), r.size() * c.depth) << c.file;
    EXPECT_EQ(r.ended_early, c.ended_early) << c.file;
  }
}

TEST(ReadUcd, ValuesInFileOrder) {
  UcdRecords r;
  ASSERT_EQ(read_ucd(data("good_depth4.ucd"), 1, r), 0);
  const std::vector<int> traces = {1, 2, 1, 2}, points = {1, 1, 2, 2};
  const std::vector<double> values = {10, 2, 1, 3, 10, 4, 2, 3, 20, 5, 3, 6, 20, 6, 2, 6};
  EXPECT_EQ(r.trace, traces);
  EXPECT_EQ(r.point, points);
  EXPECT_EQ(r.values, values);

  UcdRecords longer;
  ASSERT_EQ(read_ucd(data("long_record.ucd"), 1, longer), 0);
  EXPECT_EQ(longer.values, (std::vector<double>{10, 2, 20, 5}));
}

TEST(WriteUcd, WriterReproducesTheDataFile) {
  const std::vector<UcdRecord> records = {{1, 1, 1, {10, 2, 1, 3}},
                                          {1, 2, 1, {10, 4, 2, 3}},
                                          {2, 1, 1, {5, 1, 1, 1}},
                                          {1, 1, 2, {20, 5, 3, 6}},
                                          {1, 2, 2, {20, 6, 2, 6}}};
  const std::string path = "written.ucd";
  ASSERT_TRUE(write_ucd(path, 4, records));
  EXPECT_EQ(slurp(path), slurp(data("good_depth4.ucd")));
  // Framing by hand: marker 4, depth 4, marker 4.
  EXPECT_EQ(ucd_frame(ucd_depth_body(4)), std::string("\4\0\0\0\4\0\0\0\4\0\0\0", 12));
}

TEST(WriteUcd, NegativeAndMissingValuesRoundTrip) {
  const std::vector<UcdRecord> records = {{7, -3, 12, {1.5, -1.1e31, -0.0, 1e300}}};
  ASSERT_TRUE(write_ucd("roundtrip.ucd", 4, records));
  UcdRecords r;
  ASSERT_EQ(read_ucd("roundtrip.ucd", 7, r), 0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r.trace[0], -3);
  EXPECT_EQ(r.point[0], 12);
  EXPECT_EQ(r.values, records[0].values);
}

// The missing levels of the package, each with its own rule: the data tables (at or below
// -1.0e30), the uncombined records of resampling (at or below -1.1e30) and plotted values (within
// 0.1 of -9999).
TEST(MissingLevels, EachLevelHasItsRule) {
  struct Case {
    double v;
    bool table, record, plot;
  };
  const double nan = std::nan("");
  const Case kCases[] = {
      {-1.1e31, true, true, false},     // what the reader fills its tables with
      {-1.1e30, true, true, false},     //
      {-1.05e30, true, false, false},   // missing in a table, a value in a record
      {-1.0e30, true, false, false},    //
      {-0.99e30, false, false, false},  //
      {-9999.0, false, false, true},    //
      {-9998.95, false, false, true},   //
      {-9999.2, false, false, false},   //
      {0.0, false, false, false},       //
      {nan, true, true, false},         // no comparison holds for NaN
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(tracefile::is_table_missing(c.v), c.table) << c.v;
    EXPECT_EQ(is_record_missing(c.v), c.record) << c.v;
    EXPECT_EQ(util::IS_MISSING(c.v), c.plot) << c.v;
  }
  EXPECT_TRUE(tracefile::is_table_missing(tracefile::kMissingFill));
  EXPECT_TRUE(util::IS_MISSING(util::kPlotMissing));
}

}  // namespace
}  // namespace kor::resample
