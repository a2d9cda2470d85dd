// The code reference: docs/codes.md is what `kor --codes` writes, and every row of the code table
// has the statistic in words (and nothing else has).
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "driver/code_reference.h"
#include "metrics/code_descriptions.h"
#include "metrics/codes.h"

namespace kor::driver {
namespace {

TEST(CodeReference, CommittedFileIsWhatKorWrites) {
  std::ostringstream written;
  write_code_reference(written);
  std::ifstream in(std::string(KOR_SOURCE_DIR) + "/docs/codes.md", std::ios::binary);
  std::ostringstream committed;
  committed << in.rdbuf();
  EXPECT_EQ(committed.str(), written.str())
      << "docs/codes.md is out of date: build/bin/kor --codes > docs/codes.md";
}

TEST(CodeReference, EveryCodeHasItsStatisticInWords) {
  std::set<int> codes;
  for (const metrics::CodeEntry& e : metrics::code_table()) {
    codes.insert(e.code);
    EXPECT_FALSE(metrics::code_description(e.code).empty()) << e.code;
  }
  // Codes next to the table's rows have none.
  for (int code = 1000; code <= 9003; ++code) {
    if (codes.count(code) == 0) {
      EXPECT_TRUE(metrics::code_description(code).empty()) << code;
    }
  }
}

}  // namespace
}  // namespace kor::driver
