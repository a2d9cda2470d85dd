#include "driver/dialogue.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kor::driver {
namespace {

const std::string kFiles =
    std::string(KOR_EXAMPLES) + "/example.ctl\n" + std::string(KOR_EXAMPLES) + "/example.trc\n";

struct DialogueRun {
  DialogueResult result;
  std::string out;
};

DialogueRun run(const std::string& input) {
  std::istringstream in(input);
  util::TextUnit control(kControlUnit), trace(kTraceUnit);
  auto reader = std::make_unique<tracefile::ReaderState>();
  testing::internal::CaptureStdout();
  DialogueRun r{run_dialogue(in, control, trace, *reader), ""};
  r.out = testing::internal::GetCapturedStdout();
  return r;
}

std::vector<int> first(const std::array<int, tracefile::kMaxTraces>& a, int n) {
  return std::vector<int>(a.begin(), a.begin() + n);
}

// What the dialogue hands to the plot driver for each METHOD.
TEST(Dialogue, RequestsHandedToThePlotDriver) {
  struct Case {
    const char* what;
    std::string input;
    std::vector<int> traces, opcodes, lags;
    int smooth1, smooth2;
    const char* out;
  };
  const Case kCases[] = {
      {"METHOD 1 takes every trace of the plot",
       "1 1 1 3\n0\n1001\n2 5\n",
       {1, 2},
       {1001},
       {3, 3},
       2,
       5,
       ""},
      {"METHOD 1 ignores a failed discarded read",
       "1 1 1 0\nx\n1002\n0 0\n",
       {1, 2},
       {1002},
       {0, 0},
       0,
       0,
       ""},
      {"METHOD 2 with one lag for all",
       "2 2 1 -2\n2 1\n1001 1004\n0 0\n",
       {2, 1},
       {1001, 1004},
       {-2, -2},
       0,
       0,
       ""},
      {"METHOD 2 with a lag per trace",
       "1 2 1 -9999\n1 2\n1001 1001\n1 1\n4 -3\n",
       {1, 2},
       {1001, 1001},
       {4, -3},
       1,
       1,
       ""},
      {"METHOD 3 reads one op code", "3 3 1 0\n1 2\n1101\n0 0\n", {1, 2}, {1101}, {0, 0}, 0, 0, ""},
      {"METHOD 5 with different traces duplicates the op code",
       "1 5 1 1\n1, 2\n1001\n0 0\n",
       {1, 2},
       {1001, 1001},
       {1, 1},
       0,
       0,
       ""},
      {"METHOD 5 with the same trace reads two op codes",
       "1 5 1 0\n2 2\n1001 1004\n0 0\n",
       {2, 2},
       {1001, 1004},
       {0, 0},
       0,
       0,
       ""},
      {"METHOD 6 with the same trace accepts equal op codes",
       "1 6 1 0\n1 1\n1001 1001\n0 0\n",
       {1, 1},
       {1001, 1001},
       {0, 0},
       0,
       0,
       ""},
      {"METHOD 4 with the same trace reads one op code",
       "1 4 1 0\n1 1\n1001\n0 0\n",
       {1, 1},
       {1001},
       {0, 0},
       0,
       0,
       ""},
      {"smoothing line with text",
       "1 1 1 0\n0\n1001\nthree 0\n",
       {1, 2},
       {1001},
       {0, 0},
       0,
       0,
       "  Smoothing input failed -- no smoothing done.\n"},
      {"smoothing missing at the end of input",
       "1 3 1 0\n1 2\n1001\n",
       {1, 2},
       {1001},
       {0, 0},
       0,
       0,
       "  Smoothing input failed -- no smoothing done.\n"},
  };
  for (const Case& c : kCases) {
    const DialogueRun r = run(kFiles + c.input);
    ASSERT_EQ(r.result.stop_code, 0) << c.what << "\n" << r.out;
    ASSERT_TRUE(r.result.plot) << c.what;
    const PlotRequest& req = r.result.request;
    EXPECT_EQ(req.trace_count, static_cast<int>(c.traces.size())) << c.what;
    EXPECT_EQ(first(req.traces, req.trace_count), c.traces) << c.what;
    EXPECT_EQ(req.opcode_count, static_cast<int>(c.opcodes.size())) << c.what;
    EXPECT_EQ(first(req.opcodes, req.opcode_count), c.opcodes) << c.what;
    EXPECT_EQ(first(req.lags, req.trace_count), c.lags) << c.what;
    EXPECT_EQ(req.smooth1, c.smooth1) << c.what;
    EXPECT_EQ(req.smooth2, c.smooth2) << c.what;
    EXPECT_EQ(r.out, c.out) << c.what;
  }
}

// At a terminal each read is preceded by a prompt for its answer; the messages stay the same.
TEST(Dialogue, PromptsTellWhatEachAnswerIs) {
  const std::string files = "Graphics control file name: Trace data file name: ";
  const std::string plot_line = "Plot number, METHOD, display number, LAG: ";
  const std::string smoothing = "Smoothing window and alignment (0 0 for none): ";
  struct Case {
    const char* what;
    std::string input;
    std::string prompts;
  };
  const Case kCases[] = {
      {"METHOD 1", "1 1 1 0\n0\n1001\n0 0\n",
       files + plot_line + "Any number (it is read and ignored): Op code: " + smoothing},
      {"METHOD 2 with a lag per trace", "1 2 1 -9999\n1 2\n1001 1001\n0 0\n1 1\n",
       files + plot_line + "Trace numbers, on one line: Op codes, one per trace: " + smoothing +
           "Lags, one per trace: "},
      {"METHOD 3", "3 3 1 0\n1 2\n1101\n0 0\n",
       files + plot_line + "Two trace numbers: Op code: " + smoothing},
      {"METHOD 5 with the same trace twice", "1 5 1 0\n1 1\n1001 1002\n0 0\n",
       files + plot_line + "Two trace numbers: Two op codes: " + smoothing},
      {"a stop asks nothing more", "1 1 1 0\n",
       files + plot_line + "Any number (it is read and ignored): Op code: "},
  };
  for (const Case& c : kCases) {
    const std::string input = kFiles + c.input;
    const DialogueRun quiet = run(input);
    std::istringstream in(input);
    util::TextUnit control(kControlUnit), trace(kTraceUnit);
    auto reader = std::make_unique<tracefile::ReaderState>();
    std::ostringstream prompts;
    testing::internal::CaptureStdout();
    const DialogueResult asked = run_dialogue(in, control, trace, *reader, &prompts);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), quiet.out) << c.what;
    EXPECT_EQ(prompts.str(), c.prompts) << c.what;
    EXPECT_EQ(asked.stop_code, quiet.result.stop_code) << c.what;
    EXPECT_EQ(asked.request.opcodes, quiet.result.request.opcodes) << c.what;
  }
}

TEST(Dialogue, PlotLineAndPlotTypeArePassedOn) {
  const DialogueRun r = run(kFiles + "3 3 7 0\n1 2\n1101\n0 0\n");
  ASSERT_TRUE(r.result.plot);
  EXPECT_EQ(r.result.request.plot, 3);
  EXPECT_EQ(r.result.request.method, 3);
  EXPECT_EQ(r.result.request.display, 7);
  EXPECT_EQ(r.result.request.plot_type, 3);
}

TEST(Dialogue, MethodTwoKeepsTheFirst24TraceNumbers) {
  std::string traces, codes;
  for (int i = 1; i <= 25; ++i) traces += std::to_string(i) + " ";
  for (int i = 1; i <= 24; ++i) codes += "1001 ";
  const DialogueRun r = run(kFiles + "1 2 1 0\n" + traces + "\n" + codes + "\n0 0\n");
  ASSERT_TRUE(r.result.plot) << r.out;
  EXPECT_EQ(r.result.request.trace_count, 24);
  EXPECT_EQ(r.result.request.traces[23], 24);
}

TEST(Dialogue, RunsThatEndWithoutAPlot) {
  struct Case {
    const char* input;
    const char* out;
  };
  constexpr Case kCases[] = {
      {"1 1 1 -9999\n", "  LAG = -9999 is not valid for METHOD =  1.\n"},
      {"1 4 1 -9999\n", "  LAG = -9999 is not valid for METHOD =  4.\n"},
      {"1 7 1 0\n", "  METHOD =  7 is invalid.\n"},
      {"1 0 1 0\n", "  METHOD =  0 is invalid.\n"},
      {"1 7 1 -9999\n", "  LAG = -9999 is not valid for METHOD =  7.\n"},
  };
  for (const Case& c : kCases) {
    const DialogueRun r = run(kFiles + c.input);
    EXPECT_EQ(r.result.stop_code, 0) << c.input;
    EXPECT_FALSE(r.result.plot) << c.input;
    EXPECT_EQ(r.out, c.out) << c.input;
  }
}

}  // namespace
}  // namespace kor::driver
