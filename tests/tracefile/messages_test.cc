#include "tracefile/messages.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kor::tracefile {
namespace {

TEST(ReaderMessages, RoutineLineThenCodeLine) {
  struct Case {
    int code;
    const char* routine;
    const char* output;
  };
  constexpr Case kCases[] = {
      {-11, "RDTD_FND", " RDTD_FND\n"},
      {0, "", "   0 = normal return\n"},
      {0, "        ", "   0 = normal return\n"},
      {-4, "RDTD_INI  ", " RDTD_INI\n -04 = No EOCF record in trace data file\n"},
      {6, "", " +06 = Warning:  Traces have different label types.\n"},
      {-34, "X", " X\n -34 = invalid  number of temp conds in RDTD_SDV\n"},
      {-65, "", " -65 = Too many CRPS cumulative probabilities  in user file.\n"},
      {-59, "", " -59 = The number of trace points in an attribute diagram trace must be even.\n"},
      {-22, "", ""},
      {-68, "", ""},
      {7, "RDTD_TRC", " RDTD_TRC\n"},
  };
  for (const Case& c : kCases) {
    std::ostringstream os;
    EXPECT_EQ(RDTD_MSG(c.code, c.routine, os), 0);
    EXPECT_EQ(os.str(), c.output) << "code " << c.code;
  }
}

TEST(ReaderMessages, EveryCodeFromPlus6ToMinus67HasItsText) {
  for (int code = 6; code >= -67; --code) {
    const std::string text = reader_message(code);
    if (code == -11 || code == -22) {
      EXPECT_TRUE(text.empty()) << code;
      continue;
    }
    ASSERT_GE(text.size(), 6u) << code;
    // Each text starts with its signed two-digit code, "  0" for the normal return.
    char expected[16];
    if (code == 0) {
      std::snprintf(expected, sizeof expected, "  0 = ");
    } else {
      std::snprintf(expected, sizeof expected, "%c%02d = ", code > 0 ? '+' : '-',
                    code > 0 ? code : -code);
    }
    EXPECT_EQ(text.substr(0, 6), expected) << code;
  }
}

}  // namespace
}  // namespace kor::tracefile
