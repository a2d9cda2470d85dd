// The worked examples of the reference pages run as they are written.  A page marks each fenced
// block by an HTML comment on the line right before it:
//
//   <!-- file: NAME -->     the block is written to NAME in a scratch folder;
//   <!-- run: PROGRAM -->   PROGRAM (kor or kor_plots) runs there with the block as standard input;
//   <!-- stdout -->         what the last run wrote on standard output, byte for byte;
//   <!-- result: NAME -->   what the file NAME holds after the last run, byte for byte.
//
// The steps are taken in page order, so a page cannot show output that the programs no longer make.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "run_program.h"

namespace kor::e2e {
namespace {

const std::filesystem::path kDocs = KOR_DOCS;
const std::map<std::string, std::string> kPrograms = {{"kor", KOR_PROGRAM},
                                                      {"kor_plots", KOR_PLOTS_PROGRAM}};

struct Step {
  std::string kind;  // file, run, stdout or result
  std::string arg;   // the file name or program; empty for stdout
  std::string block;
  int line = 0;  // line of the marker in the page
};

// The marked blocks of a page, in order.  A marker without a fenced block after it, or a block
// that is not closed, fails the test.
std::vector<Step> marked_steps(const std::filesystem::path& page) {
  std::ifstream in(page);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  static const std::regex kMarker("<!-- (file|run|result): (.+) -->|<!-- (stdout) -->");
  std::vector<Step> steps;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::smatch m;
    if (!std::regex_match(lines[i], m, kMarker)) continue;
    Step step{m[3].matched ? m.str(3) : m.str(1), m.str(2), "", static_cast<int>(i + 1)};
    std::size_t j = i + 1;
    if (j >= lines.size() || lines[j] != "```") {
      ADD_FAILURE() << page << ":" << step.line << ": no fenced block after the marker";
      continue;
    }
    for (++j; j < lines.size() && lines[j] != "```"; ++j) step.block += lines[j] + "\n";
    if (j >= lines.size()) ADD_FAILURE() << page << ":" << step.line << ": block not closed";
    steps.push_back(step);
    i = j;
  }
  return steps;
}

// Takes the steps of `page` in order; returns how many outputs were compared.
int run_page(const std::string& page) {
  const std::vector<Step> steps = marked_steps(kDocs / page);
  ScratchDir dir("docs_" + page);
  ProgramRun last;  // an output before the first run compares with an empty run
  int compared = 0;
  for (const Step& s : steps) {
    const std::string where = page + ":" + std::to_string(s.line);
    if (s.kind == "file") {
      dir.write(s.arg, s.block);
    } else if (s.kind == "run") {
      const auto program = kPrograms.find(s.arg);
      if (program == kPrograms.end()) {
        ADD_FAILURE() << where << ": no program " << s.arg;
        continue;
      }
      last = run_program(program->second, dir, s.block);
      EXPECT_EQ(last.status, 0) << where;
      EXPECT_EQ(last.err, "") << where;
    } else {
      const std::string actual = s.kind == "stdout" ? last.out : dir.read(s.arg);
      EXPECT_EQ(actual, s.block) << where << " (" << s.kind << " " << s.arg << ")";
      ++compared;
    }
  }
  return compared;
}

TEST(DocumentExamples, TraceFilePageRunsAsWritten) {
  // The hand-written file: its kor_plots listing, the kor dialogue's output and text dump, and the
  // listing of the same header section written trace by trace.
  EXPECT_EQ(run_page("trace-file.md"), 4);
}

}  // namespace
}  // namespace kor::e2e
