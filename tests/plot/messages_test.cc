#include "plot/messages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace kor::plot {
namespace {

TEST(PlotMessages, CallerLineThenCodeLine) {
  struct Case {
    const char* name;
    int code;
    const char* caller;
    const char* output;
  };
  constexpr Case kCases[] = {
      {"normal return has three leading blanks", 0, " ", "   0 = normal return\n"},
      {"blank caller prints only the message", -25, "", " -25 = No user input for DEVICE.\n"},
      {"unknown code with blank caller prints nothing", 99, " ", ""},
      {"unknown code still prints the caller", -51, "PLT_DRIV", " PLT_DRIV\n"},
      {"keyword above the +04 warning", 4, "FOO",
       " FOO\n +04 = Warning:  Invalid graphics control file keyword\n"},
      {"caller keeps its trailing blanks", -10, " Cannot set view region         ",
       "  Cannot set view region         \n -10 = unable to set PANEL view region in graphics\n"},
      {"codes 12 to 14 carry no plus sign", 12, "WARNING",
       " WARNING\n 12 = No traces are plotted vs left-side Y axis.\n"},
      {"quote inside a message", -18, " ", " -18 = time series requires \"t\" label type\n"},
      {"longest message stays on one line", -33, " ",
       " -33 = The number of trace points in an attribute diagram trace must be even.\n"},
      {"crps reliability code", -47, " ",
       " -47 = Must have COMP CODE=2307 for CRPS reliability diagram, and vice-versa.\n"},
  };
  for (const Case& c : kCases) {
    std::ostringstream os;
    EXPECT_EQ(PLT_MSG(c.code, c.caller, os), 0) << c.name;
    EXPECT_EQ(os.str(), c.output) << c.name;
  }
}

TEST(PlotMessages, EveryCodeHasItsNumberedTextAndFitsOneLine) {
  for (int code = 14; code >= -50; --code) {
    const std::string text = plot_message(code);
    ASSERT_FALSE(text.empty()) << code;
    char expected[16];
    if (code == 0) {
      std::snprintf(expected, sizeof expected, "  0 = ");
    } else if (code >= 12) {
      std::snprintf(expected, sizeof expected, "%d = ", code);
    } else {
      std::snprintf(expected, sizeof expected, "%c%02d = ", code > 0 ? '+' : '-',
                    code > 0 ? code : -code);
    }
    EXPECT_EQ(text.rfind(expected, 0), 0u) << code << ": " << text;
    EXPECT_LE(text.size(), 79u) << code;
  }
  EXPECT_TRUE(plot_message(15).empty());
  EXPECT_TRUE(plot_message(-51).empty());
}

}  // namespace
}  // namespace kor::plot
