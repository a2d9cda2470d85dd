// kor run end to end on its dialogue: every stop code, the soft failures and the runs that end
// without a plot.
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"

namespace kor::e2e {
namespace {

struct Case {
  const char* what;
  const char* input;
  const char* out;  // standard output after the banner
  const char* err;  // standard error
};

// The scratch directory holds ex.ctl, ex.trc (the bundled example), garbage.trc (binary garbage),
// short.trc (plot 1 announces two traces but holds data for one) and exponent.trc (tracefile/
// exponent_overflow.trc: plot 1 a value, plot 2 a real label with an exponent of 19 and 21 digits).
constexpr Case kCases[] = {
    {"no input at all", "", "  Standard input for graphics control file name failed.\n",
     "STOP 1\n"},
    {"control file missing", "none.ctl\n", "  Cannot open none.ctl\n", "STOP 2\n"},
    {"control file is a directory", ".\n", "  Cannot open .\n", "STOP 2\n"},
    {"no trace file name", "ex.ctl\n", "  Standard input for trace data file name failed.\n",
     "STOP 3\n"},
    {"trace file missing", "ex.ctl\nnone.trc\n", "  Cannot open none.trc\n", "STOP 4\n"},
    {"trace file of binary garbage", "ex.ctl\ngarbage.trc\n",
     " RDTD_INI\n -01 = invalid header record\n in file garbage.trc, line 1\n"
     "  A group header holds seven integers: trace number, field ID, group kind, trace value, "
     "record count, plot number, plot type.\n",
     "STOP 5\n"},
    {"plot line missing", "ex.ctl\nex.trc\n",
     "  Standard input for plot, method, display, and lag numbers failed.\n", "STOP 6\n"},
    {"plot line with a word", "ex.ctl\nex.trc\n1 one 1 0\n",
     "  Standard input for plot, method, display, and lag numbers failed.\n", "STOP 6\n"},
    // A number too large for an integer is no integer: it must not wrap round to a valid plot.
    {"plot number past the 64-bit range", "ex.ctl\nex.trc\n92233720368547758081 1 1 0\n",
     "  Standard input for plot, method, display, and lag numbers failed.\n", "STOP 6\n"},
    {"plot number past the int range", "ex.ctl\nex.trc\n4294967297 1 1 0\n",
     "  Standard input for plot, method, display, and lag numbers failed.\n", "STOP 6\n"},
    {"plot number 0", "ex.ctl\nex.trc\n0 1 1 0\n", "  Plot number  0 is invalid.\n", "STOP 7\n"},
    {"plot number above the count", "ex.ctl\nex.trc\n4 1 1 0\n", "  Plot number  4 is invalid.\n",
     "STOP 7\n"},
    {"plot without all its data", "ex.ctl\nshort.trc\n1 1 1 0\n",
     " RDTD_FND\n -28 = not all trace data was found\n in file short.trc, at its end after line "
     "7\n",
     "STOP 8\n"},
    {"data value with a 19-digit exponent", "ex.ctl\nexponent.trc\n1 1 1 0\n",
     " RDTD_FND\n -17 = premature end of trace data file\n in file exponent.trc, line 7\n"
     "  Columns 25-44 of the data record of point 1 of trace 1 hold \"E9999999999999999999\", "
     "which is no value of 20 columns (D20.12, e.g. 0.699010871245D+03).\n",
     "STOP 8\n"},
    {"real label with a 21-digit exponent", "ex.ctl\nexponent.trc\n2 1 1 0\n",
     " RDTD_FND\n -17 = premature end of trace data file\n in file exponent.trc, line 9\n"
     "  Columns 1-24 of the data record of point 1 of trace 2 hold no real label (E24.7).\n",
     "STOP 8\n"},
    {"METHOD 1 input ends after the plot line", "ex.ctl\nex.trc\n1 1 1 0\n",
     "  Standard input for Op Code failed.\n", "STOP 9\n"},
    {"METHOD 3 op code missing", "ex.ctl\nex.trc\n1 3 1 0\n1 2\n",
     "  Standard input for Op Code failed.\n", "STOP 9\n"},
    {"METHOD 5 same trace with one op code", "ex.ctl\nex.trc\n1 5 1 0\n1 1\n1001\n",
     "  Same trace requires two different op codes.\n", "STOP 9\n"},
    {"METHOD 2 trace line missing", "ex.ctl\nex.trc\n1 2 1 0\n",
     "  Standard input for trace #s failed.\n", "STOP 10\n"},
    {"METHOD 4 trace numbers not integers", "ex.ctl\nex.trc\n1 4 1 0\none two\n",
     "  Standard input for trace #s failed.\n", "STOP 10\n"},
    {"METHOD 2 first trace number 0", "ex.ctl\nex.trc\n1 2 1 0\n0 1\n", " Invalid trace numbers.\n",
     "STOP 11\n"},
    {"METHOD 2 word among the trace numbers", "ex.ctl\nex.trc\n1 2 1 0\n1 two 3\n",
     " Invalid trace numbers.\n", "STOP 11\n"},
    {"METHOD 2 blank trace line", "ex.ctl\nex.trc\n1 2 1 0\n\n", " Invalid trace numbers.\n",
     "STOP 11\n"},
    {"METHOD 2 op-code line missing", "ex.ctl\nex.trc\n1 2 1 0\n1 2\n",
     "  Standard input for Op Codes failed.\n", "STOP 14\n"},
    {"METHOD 2 op codes not integers", "ex.ctl\nex.trc\n1 2 1 0\n1 2\nBIAS ETS\n",
     " Invalid Op Codes.\n", "STOP 15\n"},
    {"METHOD 2 three traces and one op code", "ex.ctl\nex.trc\n1 2 1 0\n1 2 1\n1001\n",
     " # of Op codes must equal # of traces.\n", "STOP 16\n"},
    {"METHOD 2 lag line missing", "ex.ctl\nex.trc\n1 2 1 -9999\n1 2\n1001 1001\n0 0\n",
     "  Standard input for individual lag numbers failed.\n", "STOP 17\n"},
    {"METHOD 2 fewer lags than traces", "ex.ctl\nex.trc\n1 2 1 -9999\n1 2\n1001 1001\n0 0\n3\n",
     "  # of lag numbers must equal # of traces.\n", "STOP 18\n"},
    // Runs that end normally.
    // A run that passes the dialogue reaches the plot driver, which names each trace it computes.
    {"METHOD 1 with a plot", "ex.ctl\nex.trc\n1 1 1 0\n0\n1001\n0 0\n",
     "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  11\n"
     "  Graph rel trc # =  2 Plot rel trc # =  2 Orig trc # =  12\n",
     ""},
    {"smoothing line with text", "ex.ctl\nex.trc\n2 2 1 0\n1 2\n1001 1001\n1 x\n",
     "  Smoothing input failed -- no smoothing done.\n"
     "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  21\n"
     "  Graph rel trc # =  2 Plot rel trc # =  2 Orig trc # =  22\n",
     ""},
    {"METHOD 1 with LAG -9999", "ex.ctl\nex.trc\n1 1 1 -9999\n",
     "  LAG = -9999 is not valid for METHOD =  1.\n", ""},
    {"METHOD 7", "ex.ctl\nex.trc\n1 7 1 0\n", "  METHOD =  7 is invalid.\n", ""},
};

TEST(KorDialogue, StopCodesMessagesAndNormalEnds) {
  ScratchDir dir("dialogue");
  dir.copy_in(std::string(KOR_EXAMPLES) + "/example.ctl", "ex.ctl");
  dir.copy_in(std::string(KOR_EXAMPLES) + "/example.trc", "ex.trc");
  dir.copy_in(std::string(KOR_TEST_DATA) + "/tracefile/garbage.trc", "garbage.trc");
  dir.copy_in(std::string(KOR_TEST_DATA) + "/tracefile/exponent_overflow.trc", "exponent.trc");
  dir.write("short.trc",
            "1 2 0 0 1 1 1\n1 A 0 0 0\n2 2 0 0 1 1 1\n1 B 0 0 0\nEOCF\n"
            "1 1 1 c F\n201601010000              1.0\n");
  for (const Case& c : kCases) {
    const ProgramRun run = run_program(KOR_PROGRAM, dir, c.input);
    EXPECT_EQ(run.status, 0) << c.what;
    EXPECT_EQ(run.out, kBanner + c.out) << c.what;
    EXPECT_EQ(run.err, c.err) << c.what;
  }
}

}  // namespace
}  // namespace kor::e2e
