// End-to-end runs of kor_plots: the input line on standard input, a trace data file from
// tests/data/plots copied into a scratch directory, the listing on standard output, the stop line
// on standard error and the trace.num file.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "run_program.h"

namespace kor::e2e {
namespace {

const std::string kProgram = KOR_PLOTS_PROGRAM;
const std::filesystem::path kData = std::filesystem::path(KOR_TEST_DATA) / "plots";

// True when `name` exists in `dir` (a link to nowhere counts too).
bool exists_in(const ScratchDir& dir, const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(dir.path() / name, ec));
}

// Lines joined with a newline after each.
std::string lines(std::initializer_list<const char*> list) {
  std::string text;
  for (const char* l : list) text += std::string(l) + "\n";
  return text;
}

// Free-format lines begin with one blank; a quoted text with its own leading blank gets two.
const std::string kPlotCount3 = lines({" ", "  Number of plots available =  3"});

// three.trc, plot 1: a skill score plot of two traces over threshold, with a second
// independent-variable group of forecast hours 12 to 48; STATS and PARAM are shared, MODEL is not.
const std::string kThreePlot1 = lines({
    " ",
    "  PLOT #  1 is a skill score plot composed of  2 trace(s).",
    " ",
    "  INDEPENDENT VARIABLE FOR THIS PLOT:",
    " ",
    "     THRSH FHOUR:12>48",
    " ",
    "  STAT = FHO",
    " ",
    "             GENERAL LABELS",
    "  #  FLD NAM      LABEL",
    "  1   STATS    FHO",
    "  2   PARAM    APCP/24",
    " ",
    "  STAT =                  PARM = APCP/24",
    " ",
    "    TRACE #  1 LABELS",
    "  #  FLD NAM      LABEL",
    "  1   MODEL    GFS",
    " ",
    "  STAT =                  PARM = APCP/24",
    " ",
    "    TRACE #  2 LABELS",
    "  #  FLD NAM      LABEL",
    "  1   MODEL    NAM",
});

// three.trc, plot 2: two traces that share all their dependent-variable conditions; these are the
// general labels, and each trace is labelled by its independent-variable label alone.
const std::string kThreePlot2 = lines({
    " ",
    "  PLOT #  2 is a binned data plot composed of  2 trace(s).",
    " ",
    "  INDEPENDENT VARIABLE FOR THIS PLOT:",
    " ",
    "     V_RGN",
    " ",
    "  STAT = SL1L2",
    " ",
    "             GENERAL LABELS",
    "  #  FLD NAM      LABEL",
    "  1   MODEL    GFS",
    "  2   STATS    SL1L2",
    " ",
    "  STAT =                  PARM = ",
    " ",
    "    TRACE #  1 LABELS",
    "  #  FLD NAM      LABEL",
    "  1   V_RGN    EAST",
    " ",
    "  STAT =                  PARM = ",
    " ",
    "    TRACE #  2 LABELS",
    "  #  FLD NAM      LABEL",
    "  1   V_RGN    NORTH",
});

// three.trc, plot 3: a time series of three models.
const std::string kThreePlot3 = lines({
    " ",
    "  PLOT #  3 is a time series composed of  3 trace(s).",
    " ",
    "  INDEPENDENT VARIABLE FOR THIS PLOT:",
    " ",
    "     VYMDH",
    " ",
    "  STAT = SL1L2",
    " ",
    "             GENERAL LABELS",
    "  #  FLD NAM      LABEL",
    "  1   STATS    SL1L2",
    "  2   PARAM    TMP",
    " ",
    "  STAT =                  PARM = TMP",
    " ",
    "    TRACE #  1 LABELS",
    "  #  FLD NAM      LABEL",
    "  1   MODEL    GFS",
    " ",
    "  STAT =                  PARM = TMP",
    " ",
    "    TRACE #  2 LABELS",
    "  #  FLD NAM      LABEL",
    "  1   MODEL    NAM",
    " ",
    "  STAT =                  PARM = TMP",
    " ",
    "    TRACE #  3 LABELS",
    "  #  FLD NAM      LABEL",
    "  1   MODEL    ECM",
});

// gap.trc, plot 1: one trace with a single dependent-variable group, which is its specific
// condition, so there is no general label and no statistic type.
const std::string kGapPlot1 = lines({
    " ",
    "  PLOT #  1 is a skill score plot composed of  1 trace(s).",
    " ",
    "  INDEPENDENT VARIABLE FOR THIS PLOT:",
    " ",
    "     THRSH",
    " ",
    "  There are no general labels.",
    " ",
    "  STAT = NONE",
    " ",
    "  STAT =                  PARM = ",
    " ",
    "    TRACE #  1 LABELS",
    "  #  FLD NAM      LABEL",
    "  1   MODEL    GFS",
});

struct RunCase {
  const char* name;
  const char* file;       // data file copied in under its own name; "" for none
  const char* input;      // standard input
  std::string out;        // expected standard output
  const char* err;        // expected standard error
  const char* trace_num;  // expected trace.num, or nullptr when it must not be written
};

void check(const RunCase& c) {
  ScratchDir dir(std::string("plots_") + c.name);
  if (*c.file != '\0') dir.copy_in(kData / c.file, c.file);
  const ProgramRun r = run_program(kProgram, dir, c.input);
  EXPECT_EQ(r.status, 0) << c.name;
  EXPECT_EQ(r.out, c.out) << c.name;
  EXPECT_EQ(r.err, c.err) << c.name;
  if (c.trace_num == nullptr) {
    EXPECT_FALSE(exists_in(dir, "trace.num")) << c.name;
  } else {
    EXPECT_EQ(dir.read("trace.num"), c.trace_num) << c.name;
  }
}

TEST(KorPlots, Listings) {
  const RunCase kCases[] = {
      {"file name only lists every plot", "three.trc", "three.trc\n",
       kBanner + kPlotCount3 + kThreePlot1 + kThreePlot2 + kThreePlot3, "", "  3 1\n"},
      {"plot 0 lists every plot", "three.trc", "three.trc 0\n",
       kBanner + kPlotCount3 + kThreePlot1 + kThreePlot2 + kThreePlot3, "", "  3 1\n"},
      {"plot number equal to the plot count", "three.trc", "three.trc 3\n",
       kBanner + kPlotCount3 + kThreePlot3, "", "  3 1\n"},
      {"one plot in the middle", "three.trc", "  three.trc   2  \r\n",
       kBanner + kPlotCount3 + kThreePlot2, "", "  2 4\n"},
      {"first plot, further tokens ignored", "three.trc", "three.trc 1 extra words\n",
       kBanner + kPlotCount3 + kThreePlot1, "", "  2 3\n"},
  };
  for (const RunCase& c : kCases) check(c);
}

TEST(KorPlots, StopCodes) {
  const std::string long_name(129, 'n');
  const std::string long_input = long_name + " 1\n";
  const RunCase kCases[] = {
      {"plot number above the plot count", "three.trc", "three.trc 4\n",
       kBanner + lines({"  4 exceeds plot count =  3"}), "STOP 4\n", nullptr},
      {"missing file", "", "nofile.trc\n", kBanner + lines({"  Cannot open nofile.trc"}),
       "STOP 2\n", nullptr},
      {"empty standard input", "", "", kBanner + lines({"  Cannot open "}), "STOP 2\n", nullptr},
      // The name does not fit after the text on an 80-column line and starts a line of its own.
      {"name longer than 128 characters", "", long_input.c_str(),
       kBanner + "  Cannot open \n " + long_name + "\n" +
           "  The file name is longer than 128 characters; it is not cut to fit.\n",
       "STOP 2\n", nullptr},
      {"a directory is not a trace data file", "", ".\n", kBanner + lines({"  Cannot open ."}),
       "STOP 2\n", nullptr},
      {"garbage file", "garbage.trc", "garbage.trc\n",
       kBanner +
           lines({" RDTD_INI", " -01 = invalid header record", " in file garbage.trc, line 1",
                  "  A group header holds seven integers: trace number, field ID, group kind, "
                  "trace value, record count, plot number, plot type."}),
       "STOP 3\n", nullptr},
      {"empty file", "empty.trc", "empty.trc\n",
       kBanner + lines({" RDTD_INI", " -04 = No EOCF record in trace data file",
                        " in file empty.trc, which is empty"}),
       "STOP 3\n", nullptr},
      {"plot number that is not a number", "three.trc", "three.trc two\n",
       kBanner + lines({"  Plot number two is invalid."}), "STOP 4\n", nullptr},
      {"negative plot number", "three.trc", "three.trc -1\n",
       kBanner + lines({"  Plot number -1 is invalid."}), "STOP 4\n", nullptr},
      // gap.trc holds plots 1 and 3: plot 2 has no trace and plot type 0.
      {"a plot without groups while listing all", "gap.trc", "gap.trc\n",
       kBanner + kPlotCount3 + kGapPlot1 + lines({" ", "  0 is not a valid plot type."}),
       "STOP 1\n", nullptr},
      {"a plot without groups asked for", "gap.trc", "gap.trc 2\n",
       kBanner + kPlotCount3 + lines({" ", "  0 is not a valid plot type."}), "STOP 1\n",
       "  0 0\n"},
  };
  for (const RunCase& c : kCases) check(c);
}

TEST(KorPlots, ReaderErrorsAreReported) {
  const RunCase kCases[] = {
      // The listing ends at the plot whose groups disagree; the program ends normally.
      {"plot types differ within plot 2", "fnd_error.trc", "fnd_error.trc\n",
       kBanner + kPlotCount3 + kGapPlot1 +
           lines(
               {" -06 = trace plot types differ for this plot", " in file fnd_error.trc, line 8"}),
       "", nullptr},
      // The reader keeps a plot type outside 1 to 4; the lister stops on it after trace.num.
      {"plot type 5", "type5.trc", "type5.trc\n",
       kBanner +
           lines({" ", "  Number of plots available =  1", " ", "  5 is not a valid plot type."}),
       "STOP 1\n", "  1 5\n"},
      // Field IDs 50 and 60 have no name: the general labels and trace 2's labels are reported
      // and left out, the listing goes on.  Plot 2 has no independent variable and its traces
      // share every condition, so they have no labels of their own.
      {"labels with unnamed field IDs", "bad_labels.trc", "bad_labels.trc\n",
       kBanner + lines({
                     " ",
                     "  Number of plots available =  2",
                     " ",
                     "  PLOT #  1 is a skill score plot composed of  2 trace(s).",
                     " ",
                     "  INDEPENDENT VARIABLE FOR THIS PLOT:",
                     " ",
                     "     THRSH",
                     " RDTD_GLB",
                     " -33 = invalid field header ID number",
                     " ",
                     "  STAT =                  PARM = ",
                     " ",
                     "    TRACE #  1 LABELS",
                     "  #  FLD NAM      LABEL",
                     "  1   MODEL    GFS",
                     " RDTD_TLB",
                     " -33 = invalid field header ID number",
                     " ",
                     "  PLOT #  2 is a binned data plot composed of  2 trace(s).",
                     " ",
                     "  INDEPENDENT VARIABLE FOR THIS PLOT:",
                     " ",
                     "     ",
                     " ",
                     "  STAT = NONE",
                     " ",
                     "             GENERAL LABELS",
                     "  #  FLD NAM      LABEL",
                     "  1   MODEL    GFS",
                     " RDTD_TLB",
                     " -35 = there are no trace labels",
                     " RDTD_TLB",
                     " -35 = there are no trace labels",
                 }),
       "", "  2 4\n"},
  };
  for (const RunCase& c : kCases) check(c);
}

struct BlockedCase {
  const char* name;
  bool full_device;  // trace.num links to a full device; else it is a directory
};

TEST(KorPlots, TraceNumThatCannotBeWritten) {
  constexpr BlockedCase kCases[] = {
      {"trace.num is a directory", false},
      {"trace.num on a full device", true},
  };
  for (const BlockedCase& c : kCases) {
    if (c.full_device && !std::filesystem::exists("/dev/full")) continue;
    ScratchDir dir("plots_blocked");
    dir.copy_in(kData / "three.trc", "three.trc");
    if (c.full_device) {
      std::filesystem::create_symlink("/dev/full", dir.path() / "trace.num");
    } else {
      std::filesystem::create_directory(dir.path() / "trace.num");
    }
    const ProgramRun r = run_program(kProgram, dir, "three.trc 2\n");
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_EQ(r.out, kBanner + kPlotCount3 + lines({" Cannot write to file trace.num"})) << c.name;
    EXPECT_EQ(r.err, "STOP 5\n") << c.name;
  }
}

TEST(KorPlots, TraceNumOfAnEarlierRunIsReplaced) {
  ScratchDir dir("plots_replace");
  dir.copy_in(kData / "three.trc", "three.trc");
  dir.write("trace.num", "  24 4\n  and more text from some other program\n");
  const ProgramRun r = run_program(kProgram, dir, "three.trc 1\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dir.read("trace.num"), "  2 3\n");
}

// kor_plots --plot-list: the plot list alone on standard output, the messages and the stop line
// on standard error.
TEST(KorPlots, PlotLists) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* input;
    int status;
    std::string out;
    std::string err;
  };
  const std::string fields =
      "# CONTROL | TRACEFILE | PLOT METHOD DISPLAY LAG | TRACES | OPCODES | SMOOTHING | LAGS | "
      "NAME\n";
  const Case kCases[] = {
      {"every plot", {"--plot-list", "1001", "my plots.ctl"}, "three.trc\n", 0,
       fields + lines({"my plots.ctl | three.trc | 1 1 1 0 | 0 | 1001 | 0 0 |  | three-p1-1001",
                       "my plots.ctl | three.trc | 2 1 1 0 | 0 | 1001 | 0 0 |  | three-p2-1001",
                       "my plots.ctl | three.trc | 3 1 1 0 | 0 | 1001 | 0 0 |  | three-p3-1001"}),
       ""},
      {"one plot, the default control file", {"--plot-list", "1101"}, "three.trc 2\n", 0,
       fields + lines({"kor.ctl | three.trc | 2 1 1 0 | 0 | 1101 | 0 0 |  | three-p2-1101"}), ""},
      {"plot number above the plot count", {"--plot-list", "1001"}, "three.trc 4\n", 0, "",
       lines({"  4 exceeds plot count =  3", "STOP 4"})},
      {"missing file", {"--plot-list", "1001"}, "nofile.trc\n", 0, "",
       lines({"  Cannot open nofile.trc", "STOP 2"})},
      {"op code not a number", {"--plot-list", "x"}, "three.trc\n", 2, "",
       "kor_plots: --plot-list takes an op code and optionally a control file name\n"},
      {"too many arguments", {"--plot-list", "1", "a", "b"}, "three.trc\n", 2, "",
       "kor_plots: --plot-list takes an op code and optionally a control file name\n"},
  };
  for (const Case& c : kCases) {
    ScratchDir dir("plots_list");
    dir.copy_in(kData / "three.trc", "three.trc");
    const ProgramRun r = run_program(kProgram, c.args, dir, c.input);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
    if (c.status == 2) {
      EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.name;  // the usage follows
    } else {
      EXPECT_EQ(r.err, c.err) << c.name;
    }
  }
}

}  // namespace
}  // namespace kor::e2e
