// The plot driver's refusals of a request.  Whole runs of the driver are checked end to end in
// tests/e2e; its steps have tests of their own (traces_test.cc, box_whiskers_test.cc, ...).
#include "plot/driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace kor::plot {
namespace {

TEST(PlotDriver, RefusedRequestsAreReported) {
  struct Case {
    const char* what;
    int method, traces, rc;
    const char* out;
  };
  constexpr Case kCases[] = {
      {"METHOD 7", 7, 2, -4, " PLT_DRIV\n -04 = The plotting method is invalid\n"},
      {"25 traces", 1, 25, -8, " PLT_DRIV\n -08 = number of traces exceeds maximum allowed\n"},
  };
  for (const Case& c : kCases) {
    DriverRequest rq;
    rq.method = c.method;
    rq.trace_count = c.traces;
    util::TextUnit control(9);
    auto reader = std::make_unique<tracefile::ReaderState>();
    auto state = std::make_unique<DriverState>();
    std::ostringstream os;
    EXPECT_EQ(PLT_DRIV(rq, control, *reader, *state, os), c.rc) << c.what;
    EXPECT_EQ(os.str(), c.out) << c.what;
  }
}

}  // namespace
}  // namespace kor::plot
