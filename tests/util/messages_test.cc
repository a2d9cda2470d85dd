#include "util/messages.h"

#include <gtest/gtest.h>

#include <sstream>

#include "scratch.h"
#include "tests/support/text_shape.h"

namespace kor::util {
namespace {

using kor::testing::EnvGuard;
using kor::testing::ScratchDir;

TEST(MsgSetup, ClampsLevelAndMode) {
  struct Case {
    int level, mode, setting;
    int want_level, want_mode;
  };
  constexpr Case kCases[] = {
      {-5, 0, 0, 0, 0}, {0, 1, 0, 0, 1}, {2, -1, 7, 2, -1},
      {3, 0, 0, 3, 0},  {4, 2, 0, 4, 0}, {9, -2, 1, 4, 0},
  };
  for (const Case& c : kCases) {
    SupportState state;
    MSG_SETUP(state, c.level, c.mode, c.setting);
    EXPECT_EQ(state.messages.level, c.want_level) << c.level << "," << c.mode;
    EXPECT_EQ(state.messages.mode, c.want_mode) << c.level << "," << c.mode;
    EXPECT_EQ(state.messages.setting, c.setting) << c.level << "," << c.mode;
  }
}

class MsgWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    env_.set("MOBERR", dir_.path());
    dir_.write("FL.ERR",
               "! Messages of the file routines\n"
               "!\n"
               "   -1 ! Table file !AS cannot be found.\n"
               "  -21!No free unit for !AS  \n"
               "   -4 ! First line!/second line, insert !AS!/third.\n"
               "   -5 ! Two inserts !AS and !AS.\n"
               "    3 ! A warning ! with a second mark.\n");
  }
  std::string write(int level, const char* group, int number, const char* insert) {
    std::ostringstream out;
    MSG_WRITE(state_, level, group, number, insert, out);
    return out.str();
  }
  ScratchDir dir_;
  EnvGuard env_;
  SupportState state_;
};

TEST_F(MsgWriteTest, ComposesLinesFromTheMessageFile) {
  struct Case {
    const char* group;
    int number;
    const char* insert;
    const char* line;
  };
  constexpr Case kCases[] = {
      {"FL", -1, "fontsz.tbl   ", " [FL -1]  Table file fontsz.tbl cannot be found.\n"},
      {"fl", -21, "x", " [FL -21] No free unit for x\n"},
      {"FL", -4, "ins", " [FL -4]  First line\r\nsecond line, insert ins\r\nthird.\n"},
      {"FL", -5, "a", " [FL -5]  Two inserts a and !AS.\n"},
      {"FL", 3, "", " [FL 3]  A warning ! with a second mark.\n"},
      {"FL", 99, "no such line", " [FL 99] no such line\n"},
      {"GR", -3, "no file  ", " [GR -3] no file\n"},
      {"", 7, "blank group", " [MOBPAK 7] blank group\n"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(write(0, c.group, c.number, c.insert), c.line) << c.group << c.number;
  }
  EXPECT_EQ(state_.units.in_use(), 0);  // every message file was closed again
}

TEST_F(MsgWriteTest, WritesNothingWhenFiltered) {
  MSG_SETUP(state_, 2, 0, 0);
  EXPECT_EQ(write(0, "FL", 0, "x"), "");   // number 0
  EXPECT_EQ(write(3, "FL", -1, "x"), "");  // level above the current level
  EXPECT_NE(write(2, "FL", -1, "x"), "");  // level equal to it
  MSG_SETUP(state_, 4, -1, 0);
  EXPECT_EQ(write(0, "FL", -1, "x"), "");  // mode -1
}

TEST_F(MsgWriteTest, TimeStampLeadsTheLine) {
  MSG_SETUP(state_, 0, 0, 1);
  const std::string line = write(0, "FL", -1, "t.tbl");
  EXPECT_TRUE(
      testing_support::has_shape(line, " ######/#### [FL -1]  Table file t.tbl cannot be found.\n"))
      << line;
}

TEST_F(MsgWriteTest, ModeOneKeepsTheLastHundredTexts) {
  MSG_SETUP(state_, 0, 1, 0);
  for (int i = 1; i <= 101; ++i) {
    EXPECT_EQ(write(0, "GR", i, "h"), "") << i;
  }
  ASSERT_EQ(state_.messages.history.size(), 100u);
  EXPECT_EQ(state_.messages.history.front(), "[GR 2] h");
  EXPECT_EQ(state_.messages.history.back(), "[GR 101] h");
  GR_RESET(state_);
  EXPECT_TRUE(state_.messages.history.empty());
  EXPECT_EQ(state_.messages.mode, 0);
}

TEST_F(MsgWriteTest, HistoryTextsAreCutTo511Characters) {
  MSG_SETUP(state_, 0, 1, 0);
  const std::string insert(600, 'x');
  std::ostringstream os;  // the truncation warning
  MSG_WRITE(state_, 0, "GR", 5, insert, os);
  const std::string warning = os.str();
  ASSERT_EQ(state_.messages.history.size(), 1u);
  const std::string& kept = state_.messages.history.front();
  ASSERT_EQ(kept.size(), 511u);
  EXPECT_EQ(kept.substr(0, 8), "[GR 5] x");
  EXPECT_EQ(kept.substr(7), std::string(504, 'x'));
  EXPECT_NE(warning.find("ST_NULL"), std::string::npos) << warning;
}

}  // namespace
}  // namespace kor::util
