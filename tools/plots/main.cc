// kor_plots: lists the plots, traces and labels of a trace data file and writes the trace count
// and plot type of the last plot listed to trace.num.  Standard input: one line with the trace data
// file name and, optionally, a plot number (0 or none for all plots).
#include <iostream>

#include "tools/plots/plot_lister.h"
#include "util/program.h"
#include "util/stop.h"

namespace {

constexpr const char* kUsage = R"(Usage: kor_plots < line
kor_plots lists what a trace data file holds, to prepare the standard input of kor.  It reads
one line: the trace data file name and, optionally, a plot number (none or 0: every plot).
Per plot it lists its kind, its traces, its independent variable and the labels; the trace
count and plot type of the last plot listed go to the file trace.num.
Example, from the top of the source tree:
  echo "examples/example.trc 3" | build/bin/kor_plots
On a terminal kor_plots asks for the line.  A failed run writes STOP <code> on standard error.
README.md (section "kor_plots") explains more.
)";

}  // namespace

int main(int argc, char** argv) {
  using namespace kor;
  if (const auto status =
          util::answer_arguments("kor_plots", argc, argv, kUsage, std::cout, std::cerr)) {
    return *status;
  }
  const int code = plots::list_plots(std::cin, std::cout, util::prompt_stream());
  if (code != 0) util::stop(code, std::cout);
  std::cout.flush();
  return 0;
}
