// What a new user meets first, end to end: the usage text of every program, and the prompts that a
// terminal gets while input from a file or a pipe gets exactly what it always got.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace kor::e2e {
namespace {

namespace fs = std::filesystem;


struct Program {
  const char* name;
  const char* path;
};

constexpr Program kPrograms[] = {
    {"kor", KOR_PROGRAM},
    {"kor_plots", KOR_PLOTS_PROGRAM},
    {"kor_files", KOR_FILES_PROGRAM},
};

// The example command of a usage text: its first indented line that runs a built program.
std::string example_line(const std::string& usage) {
  std::size_t at = 0;
  while (at < usage.size()) {
    const std::size_t end = std::min(usage.find('\n', at), usage.size());
    const std::string line = usage.substr(at, end - at);
    if (line.rfind("  ", 0) == 0 && line.find("build/bin/") != std::string::npos) {
      return line.substr(2);
    }
    at = end + 1;
  }
  return {};
}

TEST(FirstUse, HelpAndUnknownArguments) {
  for (const Program& p : kPrograms) {
    const std::string usage_start = std::string("Usage: ") + p.name + " < ";
    ScratchDir dir(std::string("usage_") + p.name);
    struct Case {
      const char* argument;
      int status;
      bool usage_on_error;  // the usage goes to standard error, after a line naming the argument
    };
    constexpr Case kCases[] = {{"-h", 0, false}, {"--help", 0, false}, {"input.txt", 2, true}};
    for (const Case& c : kCases) {
      // Answers that would make the program write a file: they must not be read.
      dir.write("answers", "x.ctl\nx.trc\n1 1 1 0\n0\n1001\n0 0\n");
      const ProgramRun r = run_program(
          "/bin/sh", dir, std::string("'") + p.path + "' " + c.argument + " < answers\n");
      const std::string what = std::string(p.name) + " " + c.argument;
      EXPECT_EQ(r.status, c.status) << what;
      const std::string& usage = c.usage_on_error ? r.err : r.out;
      const std::string& other = c.usage_on_error ? r.out : r.err;
      const std::string first_line =
          c.usage_on_error ? std::string(p.name) + ": unknown argument 'input.txt'\n" : "";
      EXPECT_EQ(usage.rfind(first_line + usage_start, 0), 0u) << what << "\n" << usage;
      // The usage names the document that explains more, and that document is there.
      const std::size_t doc = usage.find("docs/");
      ASSERT_NE(doc, std::string::npos) << what;
      const std::string page = usage.substr(doc, usage.find(".md", doc) + 3 - doc);
      EXPECT_TRUE(fs::is_regular_file(fs::path(KOR_SOURCE_DIR) / page)) << what << ": " << page;
      EXPECT_EQ(other, "") << what;
      EXPECT_FALSE(fs::exists(dir.path() / "trace.num")) << what;
      EXPECT_FALSE(fs::exists(dir.path() / "rova_Ymd")) << what;
    }
  }
}

TEST(FirstUse, EveryProgramTellsItsVersion) {
  ScratchDir dir("version");
  for (const char* name : {"kor", "kor_plots", "kor_files", "kor_select", "mplt"}) {
    const ProgramRun r =
        run_program(std::string(KOR_BIN_DIR) + "/bin/" + name, {"--version"}, dir, "");
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_EQ(r.out, std::string(name) + " 2026.12\n") << name;
    EXPECT_EQ(r.err, "") << name;
  }
}

// The example of each usage text, run as written from the top of a source tree whose examples,
// test data and built programs are where the text says.
TEST(FirstUse, UsageExamplesWorkAsWritten) {
  struct Case {
    const char* program;
    const char* path;
    const char* stdout_start;  // after the banner, when the program writes one
    const char* file;          // a file the example writes
  };
  const Case kCases[] = {
      {"kor", KOR_PROGRAM, "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  11\n",
       "txt.dmp"},
      {"kor_plots", KOR_PLOTS_PROGRAM, " \n  Number of plots available =  3\n", "trace.num"},
      {"kor_files", KOR_FILES_PROGRAM, nullptr, "rova_models"},
  };
  for (const Case& c : kCases) {
    ScratchDir dir(std::string("usage_example_") + c.program);
    fs::create_directories(dir.path() / "build" / "bin");
    fs::create_directories(dir.path() / "tests");
    fs::create_symlink(KOR_EXAMPLES, dir.path() / "examples");
    fs::create_symlink(KOR_TEST_DATA, dir.path() / "tests" / "data");
    fs::create_symlink(c.path, dir.path() / "build" / "bin" / c.program);
    const std::string usage =
        run_program("/bin/sh", dir, std::string("'") + c.path + "' --help\n").out;
    const std::string example = example_line(usage);
    ASSERT_NE(example.find(std::string("build/bin/") + c.program), std::string::npos) << usage;
    const ProgramRun r = run_program("/bin/sh", dir, example + "\n");
    EXPECT_EQ(r.err, "") << c.program;
    if (c.stdout_start != nullptr) {
      EXPECT_EQ(r.out.rfind(kBanner + c.stdout_start, 0), 0u) << c.program << "\n" << r.out;
    } else {
      EXPECT_EQ(r.out, "") << c.program;
    }
    EXPECT_TRUE(fs::exists(dir.path() / c.file)) << c.program;
  }
}

struct TerminalCase {
  const char* what;
  const char* program;
  const char* input;
  std::string piped_out;     // what a pipe has always got (the same text as before prompts)
  std::string terminal_out;  // the same with the prompts
  const char* err;
  const char* file;  // a file the run writes, the same either way ("" for none)
};

TEST(FirstUse, PromptsOnATerminalOnly) {
  const std::string map =
      "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  11\n"
      "  Graph rel trc # =  2 Plot rel trc # =  2 Orig trc # =  12\n";
  const std::string kor_asks =
      "Graphics control file name: Trace data file name: "
      "Plot number, METHOD, display number, LAG: Any number (it is read and ignored): Op code: "
      "Smoothing window and alignment (0 0 for none): ";
  const std::string plots_asks = "Trace data file name and plot number (none or 0: every plot): ";
  const std::string files_asks =
      "Control file name: Default second date (YYYYMMDDHHNN): "
      "Default first date (YYYYMMDDHHNN): ";
  const TerminalCase kCases[] = {
      {"kor: the README example", KOR_PROGRAM, "ex.ctl\nex.trc\n1 1 1 0\n0\n1001\n0 0\n",
       kBanner + map, kBanner + kor_asks + map, "", "txt.dmp"},
      {"kor: a stop after the plot line", KOR_PROGRAM, "ex.ctl\nex.trc\n1 1 1 0\n",
       kBanner + "  Standard input for Op Code failed.\n",
       kBanner + "Graphics control file name: Trace data file name: "
                 "Plot number, METHOD, display number, LAG: Any number (it is read and ignored): "
                 "Op code:   Standard input for Op Code failed.\n",
       "STOP 9\n", ""},
      {"kor_plots: a plot above the count", KOR_PLOTS_PROGRAM, "ex.trc 7\n",
       kBanner + "  7 exceeds plot count =  3\n",
       kBanner + plots_asks + "  7 exceeds plot count =  3\n", "STOP 4\n", ""},
      {"kor_files: the README example", KOR_FILES_PROGRAM,
       "verif.ctl\n201612311800\n201601010000\n", "", files_asks, "", "rova_Ymd"},
  };
  for (const TerminalCase& c : kCases) {
    ScratchDir piped("prompt_piped"), typed("prompt_typed");
    for (const ScratchDir* d : {&piped, &typed}) {
      d->copy_in(std::string(KOR_EXAMPLES) + "/example.ctl", "ex.ctl");
      d->copy_in(std::string(KOR_EXAMPLES) + "/example.trc", "ex.trc");
      d->copy_in(std::string(KOR_TEST_DATA) + "/files/verif.ctl", "verif.ctl");
    }
    const ProgramRun p = run_program(c.program, piped, c.input);
    const ProgramRun t = run_on_terminal(c.program, typed, c.input);
    EXPECT_EQ(p.out, c.piped_out) << c.what;
    EXPECT_EQ(t.out, c.terminal_out) << c.what;
    EXPECT_EQ(p.err, c.err) << c.what;
    EXPECT_EQ(t.err, c.err) << c.what;
    EXPECT_EQ(p.status, 0) << c.what;
    EXPECT_EQ(t.status, 0) << c.what;
    if (*c.file != '\0') {
      EXPECT_FALSE(piped.read(c.file).empty()) << c.what;
      EXPECT_EQ(typed.read(c.file), piped.read(c.file)) << c.what;
    }
  }
}

// The README's worked example, command by command as it stands there: each "    $ " line of the
// section runs from a folder that has the checkout's examples and the built programs where the
// README has them, and the indented lines after it are what it prints.
TEST(FirstUse, ReadmeWorkedExampleRunsAsWritten) {
  std::ifstream in(fs::path(KOR_SOURCE_DIR) / "README.md");
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  const auto from = std::find(lines.begin(), lines.end(), "## From verification records to a picture");
  ASSERT_NE(from, lines.end());
  struct Command {
    std::string line, shown;
  };
  std::vector<Command> commands;
  bool in_output = false;  // the indented lines right after a command are its output
  for (auto it = from + 1; it != lines.end() && it->rfind("## ", 0) != 0; ++it) {
    if (it->rfind("    $ ", 0) == 0) {
      commands.push_back({it->substr(6), ""});
      in_output = true;
    } else if (in_output && it->rfind("    ", 0) == 0) {
      commands.back().shown += it->substr(4) + "\n";
    } else {
      in_output = false;
    }
  }
  ASSERT_EQ(commands.size(), 2u);

  ScratchDir dir("readme_example");
  fs::create_directory_symlink(fs::path(KOR_EXAMPLES), dir.path() / "examples");
  fs::create_directories(dir.path() / "build");
  fs::create_directory_symlink(fs::path(KOR_PROGRAM).parent_path(), dir.path() / "build" / "bin");
  for (const Command& c : commands) {
    const ProgramRun r =
        run_program("/bin/sh", dir, "MPLT_IDLE_SECONDS=2; export MPLT_IDLE_SECONDS\n" + c.line + "\n");
    EXPECT_EQ(r.status, 0) << c.line << "\n" << r.err;
    if (!c.shown.empty()) {
      EXPECT_EQ(r.out, c.shown) << c.line;
    }
    EXPECT_EQ(r.out.find("\n -"), std::string::npos) << c.line << "\n" << r.out;
  }
  EXPECT_GT(fs::file_size(dir.path() / "records-skillscore.png"), 10000u);
}

}  // namespace
}  // namespace kor::e2e
