#include "tracefile/messages.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tracefile/reader.h"

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

TEST(ReaderMessages, PlaceLineAfterTheCodeLine) {
  struct Case {
    const char* what;
    bool known;
    const char* file;
    std::size_t line;
    bool at_end;
    const char* output;
  };
  const std::string long_name = "a folder with blanks/" + std::string(80, 'n') + ".trc";
  const Case kCases[] = {
      {"a record", true, "x.trc", 81, false, " in file x.trc, line 81\n"},
      {"the end of the file", true, "x.trc", 78, true,
       " in file x.trc, at its end after line 78\n"},
      {"an empty file", true, "e.trc", 0, true, " in file e.trc, which is empty\n"},
      {"the plot as a whole", true, "x.trc", 0, false, " in file x.trc\n"},
      {"a long name stays on one line", true, long_name.c_str(), 3, false, nullptr},
      {"no place", false, "x.trc", 5, false, ""},
  };
  for (const Case& c : kCases) {
    ErrorPlace place;
    place.known = c.known;
    place.file = c.file;
    place.line = c.line;
    place.at_end = c.at_end;
    std::ostringstream os;
    write_error_place(place, os);
    const std::string expected =
        c.output ? c.output : " in file " + std::string(c.file) + ", line 3\n";
    EXPECT_EQ(os.str(), expected) << c.what;
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
