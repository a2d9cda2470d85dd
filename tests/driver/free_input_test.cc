#include "driver/free_input.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <vector>

namespace kor::driver {
namespace {

TEST(FreeInput, ReadsIntegersAcrossLinesAndDropsTheRestOfTheLine) {
  struct Case {
    const char* what;
    const char* input;
    int count;
    bool ok;
    std::vector<int> values;  // expected values, starting from 7s
    const char* next_line;    // what a following line read returns
  };
  const Case kCases[] = {
      {"blanks", "1 2 3 4\nnext", 4, true, {1, 2, 3, 4}, "next"},
      {"commas", "1,2, 3 ,4\nnext", 4, true, {1, 2, 3, 4}, "next"},
      {"across lines", "1 2\n\n3\n4 5\nnext", 4, true, {1, 2, 3, 4}, "next"},
      {"extra values dropped", "1 2 3\nnext", 2, true, {1, 2}, "next"},
      {"empty value keeps the old one", "1,,3\nnext", 3, true, {1, 7, 3}, "next"},
      {"slash ends the read", "1 / 5\nnext", 3, true, {1, 7, 7}, "next"},
      {"signs", "-9999 +4\nnext", 2, true, {-9999, 4}, "next"},
      {"a word", "1 x 3\nnext", 3, false, {1, 7, 7}, "next"},
      {"a real number", "1.5 2\nnext", 2, false, {7, 7}, "next"},
      {"a lone sign", "+ 2\nnext", 2, false, {7, 7}, "next"},
      {"end of input", "1\n", 2, false, {1, 7}, nullptr},
      {"too large", "99999999999 1\nnext", 2, false, {7, 7}, "next"},
  };
  for (const Case& c : kCases) {
    std::istringstream in(c.input);
    FreeInput input(in);
    std::vector<int> values(c.count, 7);
    EXPECT_EQ(input.read_ints(values), c.ok) << c.what;
    EXPECT_EQ(values, c.values) << c.what;
    std::string line;
    if (c.next_line == nullptr) {
      EXPECT_FALSE(input.read_line(line, 4)) << c.what;
    } else {
      ASSERT_TRUE(input.read_line(line, 4)) << c.what;
      EXPECT_EQ(line, c.next_line) << c.what;
    }
  }
}

TEST(FreeInput, LinesAreCutAndPadded) {
  std::istringstream in("abcdef\r\nxy\n");
  FreeInput input(in);
  std::string line;
  ASSERT_TRUE(input.read_line(line, 4));
  EXPECT_EQ(line, "abcd");
  ASSERT_TRUE(input.read_line(line, 4));
  EXPECT_EQ(line, "xy  ");
  EXPECT_FALSE(input.read_line(line, 4));
}

}  // namespace
}  // namespace kor::driver
