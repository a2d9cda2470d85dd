// Messages that say where, and no silent cuts, end to end: the line that places a reader error in
// its file, the warning for a trace whose computational code is 0, file names longer than their
// field, file names with blanks, and labels cut without splitting a UTF-8 character.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace kor::e2e {
namespace {

// The lines of `text`, line `number` (from 1) replaced by `line`.
std::string with_line(const std::string& text, int number, const std::string& line) {
  std::istringstream in(text);
  std::string out, l;
  for (int n = 1; std::getline(in, l); ++n) out += (n == number ? line : l) + "\n";
  return out;
}

class Messages : public ::testing::Test {
 protected:
  Messages() : dir_("messages") {
    std::ifstream in(std::string(KOR_EXAMPLES) + "/example.trc", std::ios::binary);
    std::ostringstream os;
    os << in.rdbuf();
    example_ = os.str();
    dir_.write("ex.trc", example_);
    dir_.write("ex.ctl", "DEV = TX\n");
  }
  ScratchDir dir_;
  std::string example_;
};

struct RunCase {
  const char* what;
  const char* program;
  std::string input;
  std::string out;  // after the banner
  const char* err;
};

TEST_F(Messages, ReaderErrorsNameTheFileAndLine) {
  // Line 81 is the first data record of the global trace, line 2 a condition record of the header.
  const std::string record =
      "202611011200\t0.903700000000D+04  0.699010871245D+03"
      "  0.347216324980D+03  0.609293687393D+03";
  dir_.write("tab.trc", with_line(example_, 81, record));
  dir_.write("short record.trc", with_line(example_, 2, "1 GLOBAL 0 0"));
  dir_.write("cut.trc", example_.substr(0, example_.find("EOCF")));
  std::string no_eocf = example_;
  no_eocf.erase(no_eocf.find("EOCF\n"), 5);
  dir_.write("no eocf.trc", no_eocf);
  // A data value written free-form: one blank between the values.
  dir_.write("free.trc", with_line(example_, 81, "202611011200 9037 699.01 347.2 609.3"));
  const RunCase kCases[] = {
      {"a tab inside the fixed columns of a data record", KOR_PROGRAM,
       "ex.ctl\ntab.trc\n1 1 1 0\n0\n1001\n0 0\n",
       " RDTD_FND\n -17 = premature end of trace data file\n in file tab.trc, line 81\n"
       "  Columns 25-44 of the data record of point 1 of trace 11 hold \"000D+04  0.699010871\", "
       "which is no value of 20 columns (D20.12, e.g. 0.699010871245D+03): the values stand in "
       "fixed columns, not separated by blanks or tabs.\n",
       "STOP 8\n"},
      {"kor: a file without its data section", KOR_PROGRAM, "ex.ctl\ncut.trc\n",
       " RDTD_INI\n -04 = No EOCF record in trace data file\n"
       " in file cut.trc, at its end after line 78\n",
       "STOP 5\n"},
      {"kor: the EOCF record left out", KOR_PROGRAM, "ex.ctl\nno eocf.trc\n",
       " RDTD_INI\n -01 = invalid header record\n in file no eocf.trc, line 79\n"
       "  This record looks like the data header of trace 11: the EOCF record that ends the "
       "header section is missing before it.\n",
       "STOP 5\n"},
      {"kor: values written free-form", KOR_PROGRAM, "ex.ctl\nfree.trc\n1 1 1 0\n0\n1001\n0 0\n",
       " RDTD_FND\n -17 = premature end of trace data file\n in file free.trc, line 81\n"
       "  The data record of point 1 of trace 11 has 36 characters; its 24-column label and 4 "
       "values of 20 columns (D20.12) need 104: the values stand in fixed columns, not separated "
       "by "
       "blanks.\n",
       "STOP 8\n"},
      {"kor_plots: a condition record of four tokens", KOR_PLOTS_PROGRAM, "short record.trc 1\n",
       " \n  Number of plots available =  3\n"
       " -03 = invalid condition record\n in file short record.trc, line 2\n",
       ""},
  };
  for (const RunCase& c : kCases) {
    const ProgramRun r = run_program(c.program, dir_, c.input);
    EXPECT_EQ(r.out, kBanner + c.out) << c.what;
    EXPECT_EQ(r.err, c.err) << c.what;
  }
}

TEST_F(Messages, ComputationalCodeZeroIsWarnedAbout) {
  // The plot line lacks its LAG: the LAG is read from the next line, the ignored number is 1001
  // and the op code the 0 of the smoothing line.
  const ProgramRun r = run_program(KOR_PROGRAM, dir_, "ex.ctl\nex.trc\n1 1 1\n0\n1001\n0 0\n");
  EXPECT_EQ(r.out, kBanner +
                       "  Smoothing input failed -- no smoothing done.\n"
                       "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  11\n"
                       "  Warning:  TRACE #01 has COMP CODE 0: no statistic was selected.\n"
                       "  Graph rel trc # =  2 Plot rel trc # =  2 Orig trc # =  12\n"
                       "  Warning:  TRACE #02 has COMP CODE 0: no statistic was selected.\n");
  EXPECT_EQ(r.err, "");
  // The text dump is written as before, with no points under either trace.
  const std::string dump = dir_.read("txt.dmp");
  EXPECT_NE(dump.find("      TRACE NUMBER =  2\n"), std::string::npos) << dump;
  EXPECT_EQ(dump.find("E+"), std::string::npos) << dump;
}

TEST_F(Messages, FileNamesLongerThanTheirFieldAreRefused) {
  // A file whose name is the first 128 characters of the answer: kor used to open it.
  const std::string name128(128, 'c');
  dir_.write(name128, "DEV = TX\n");
  const std::string longer = name128 + "xy";
  const std::string refused = "  Cannot open \n " + longer +
                              "\n  The file name is longer than 128 characters; it is not cut "
                              "to fit.\n";
  const RunCase kCases[] = {
      {"control file", KOR_PROGRAM, longer + "\nex.trc\n1 1 1 0\n0\n1001\n0 0\n", refused,
       "STOP 2\n"},
      {"trace data file", KOR_PROGRAM, "ex.ctl\n" + longer + "\n1 1 1 0\n0\n1001\n0 0\n", refused,
       "STOP 4\n"},
      // Trailing blanks are not part of the name.
      {"128 characters and blanks", KOR_PROGRAM, name128 + "   \nnone.trc\n",
       "  Cannot open none.trc\n", "STOP 4\n"},
  };
  for (const RunCase& c : kCases) {
    const ProgramRun r = run_program(c.program, dir_, c.input);
    EXPECT_EQ(r.out, kBanner + c.out) << c.what;
    EXPECT_EQ(r.err, c.err) << c.what;
  }
}

struct BlankNameCase {
  const char* what;
  const char* input;
  const char* first_plot_line;  // the first plot listed
  const char* trace_num;
  const char* err;
};

TEST_F(Messages, PlotListerTakesNamesWithBlanks) {
  dir_.write("my data.trc", example_);
  constexpr BlankNameCase kCases[] = {
      {"name and plot number", "my data.trc 1\n",
       "  PLOT #  1 is a time series composed of  2 trace(s).", "  2 1\n", ""},
      {"name alone lists every plot", "  my data.trc  \n",
       "  PLOT #  1 is a time series composed of  2 trace(s).", "  2 3\n", ""},
      {"name and a plot number that is not one", "my data.trc two\n", nullptr, nullptr, "STOP 4\n"},
  };
  for (const BlankNameCase& c : kCases) {
    std::remove((dir_.path() / "trace.num").c_str());
    const ProgramRun r = run_program(KOR_PLOTS_PROGRAM, dir_, c.input);
    EXPECT_EQ(r.err, c.err) << c.what;
    if (c.first_plot_line == nullptr) {
      EXPECT_EQ(r.out, kBanner + "  Plot number two is invalid.\n") << c.what;
      continue;
    }
    EXPECT_EQ(
        r.out.rfind(kBanner + " \n  Number of plots available =  3\n \n" + c.first_plot_line + "\n",
                    0),
        0u)
        << c.what << "\n"
        << r.out;
    EXPECT_EQ(dir_.read("trace.num"), c.trace_num) << c.what;
  }
}

TEST_F(Messages, LabelCutsKeepWholeUtf8Characters) {
  // A title of 71 + 2 + 1 bytes and a trace label of 67 + 2 + 10 bytes: the two-byte letters
  // (u and e with diacritics) stand across the 72nd and the 68th column, so each goes whole to
  // the next line.
  const std::string u = "\xC3\xBC", e = "\xC3\xA9";
  dir_.write("utf8.ctl", "DEV = TX\nTIT = " + std::string(71, 'T') + u + "x\nTRACE1 = " +
                             std::string(67, 'A') + e + std::string(10, 'B') + "\n");
  const ProgramRun r = run_program(KOR_PROGRAM, dir_, "utf8.ctl\nex.trc\n1 1 1 0\n0\n1001\n0 0\n");
  EXPECT_EQ(r.err, "");
  const std::string dump = dir_.read("txt.dmp");
  // The title is centred on 72 columns: (72 - 3) / 2 = 34 blanks before the 3-byte piece.
  const std::string title = std::string(71, 'T') + "\n" + std::string(34, ' ') + u + "x\n";
  const std::string label =
      "      " + std::string(67, 'A') + "\n      " + e + std::string(10, 'B') + "\n";
  EXPECT_NE(dump.find(title), std::string::npos) << dump.substr(0, 400);
  EXPECT_NE(dump.find(label), std::string::npos) << dump.substr(0, 600);
}

}  // namespace
}  // namespace kor::e2e
