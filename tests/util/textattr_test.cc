#include "util/textattr.h"

#include <gtest/gtest.h>

#include <sstream>

#include "scratch.h"
#include "util/messages.h"
#include "util/text.h"

namespace kor::util {
namespace {

using kor::testing::EnvGuard;
using kor::testing::ScratchDir;

// One table line in the layout "(A12,1X,F7.3,10X,I2)".
std::string font_line(const std::string& name, const std::string& size7, const std::string& i2) {
  return pad(name, 12) + " " + size7 + std::string(10, ' ') + i2 + "\n";
}

class FontTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(desk_.path().empty());
    env_.unset("QXSITE");
    env_.unset("MOBTBL");
    env_.unset("MOBERR");
    env_.set("QXDESK", desk_.path());
    desk_.write("config/fontsz.tbl",
                "! Font sizes\n" + font_line("SMALL", "  0.800", " 1") +
                    "! MEDIUM is commented out\n" + font_line("!MEDIUM", "  9.000", " 2") +
                    font_line("Medium", "   1250", " 2") + font_line("LARGE", "  bad  ", " 3") +
                    font_line("LARGE2", "  2.000", " 3") + font_line("SMALLER", "  0.500", " 4"));
  }
  ScratchDir desk_;
  EnvGuard env_;
  SupportState state_;
};

TEST_F(FontTableTest, MatchesOnTheFirstCharacter) {
  struct Case {
    const char* font;
    int rc;
    double size;
  };
  constexpr Case kCases[] = {
      {"small", 0, 0.8},                   // capitals; first line starting with S
      {"SMALLER", 0, 0.8},                 // only the first character counts: SMALL comes first
      {"Mx", 0, 1.25},                     // no decimal point: three implied decimals
      {"LARGE", 0, 2.0},                   // a size field that is no number skips its line
      {"tiny", 4, 0.0},    {"!", 4, 0.0},  // comment lines never match
  };
  for (const Case& c : kCases) {
    double size = -1.0;
    std::ostringstream os;
    EXPECT_EQ(TBL_FONTSZ(state_, c.font, size, os), c.rc) << c.font;
    EXPECT_EQ(os.str(), "") << c.font;
    EXPECT_DOUBLE_EQ(size, c.size) << c.font;
  }
  EXPECT_EQ(state_.units.in_use(), 0);
}

TEST_F(FontTableTest, MissingTableWritesAFileMessage) {
  env_.unset("QXDESK");
  MSG_SETUP(state_, 0, 1, 0);  // into the history, where the test can read it
  double size = -1.0;
  std::ostringstream os;
  EXPECT_EQ(TBL_FONTSZ(state_, "SMALL", size, os), -1);
  EXPECT_EQ(os.str(), "");  // the message went to the history
  EXPECT_EQ(size, 0.0);
  ASSERT_EQ(state_.messages.history.size(), 1u);
  EXPECT_EQ(state_.messages.history.front(), "[FL -1] fontsz.tbl");
}

TEST_F(FontTableTest, ParsesTextAttributeStrings) {
  struct Case {
    const char* attributes;
    int rc;
    TextAttr want;
  };
  const Case kCases[] = {
      {"1.2/2/3/1/N/C", 0, {1.2, 2, 3, 1, 2, 2, 0}},
      {"1.5/1/2/HW", 0, {1.5, 1, 2, 0, 0, 0, 2}},
      {"0.8/1/1/sw", 0, {0.8, 1, 1, 0, 0, 0, 1}},
      {"1.0/1/2/HW/SW", 0, {1.0, 1, 2, 0, 0, 0, 2}},
      {"1.0/1/-3/-1/s/r", 0, {1.0, 1, 0, 0, 1, 3, 0}},
      {"1.0/4/1/2/north/left", 0, {1.0, 4, 1, 2, 2, 1, 0}},
      {"HW 1.1 / 3", 0, {1.1, 3, 0, 0, 0, 0, 2}},  // no "/HW": the bare "HW" goes
      {"2//x/", 0, {2.0, 0, 0, 0, 0, 0, 0}},
      {"small/2", 0, {0.8, 2, 0, 0, 0, 0, 0}},  // a font name gives the table's size
      {"tiny/2", -1, {0.0, 2, 0, 0, 0, 0, 0}},
      {"0/1", -1, {0.0, 1, 0, 0, 0, 0, 0}},
      {"-1.5/1", -1, {-1.5, 1, 0, 0, 0, 0, 0}},
      {"/5", -1, {0.0, 5, 0, 0, 0, 0, 0}},
      {"", -1, {0.0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : kCases) {
    TextAttr a;
    std::ostringstream os;
    EXPECT_EQ(TXT_ATTR(state_, c.attributes, a, os), c.rc) << c.attributes;
    EXPECT_DOUBLE_EQ(a.size, c.want.size) << c.attributes;
    EXPECT_EQ(a.font, c.want.font) << c.attributes;
    EXPECT_EQ(a.width, c.want.width) << c.attributes;
    EXPECT_EQ(a.border, c.want.border) << c.attributes;
    EXPECT_EQ(a.rotation, c.want.rotation) << c.attributes;
    EXPECT_EQ(a.justification, c.want.justification) << c.attributes;
    EXPECT_EQ(a.hardware, c.want.hardware) << c.attributes;
  }
}

}  // namespace
}  // namespace kor::util
