// kor_plots: lists the plots, traces and labels of a trace data file and writes the trace count
// and plot type of the last plot listed to trace.num.  Standard input: one line with the trace data
// file name and, optionally, a plot number (0 or none for all plots).
#include <unistd.h>

#include <iostream>
#include <string_view>

#include "tools/plots/plot_lister.h"
#include "util/program.h"
#include "util/stop.h"
#include "util/text.h"

namespace {

constexpr const char* kUsage = R"(Usage: kor_plots < line
kor_plots lists what a trace data file holds, to prepare the standard input of kor.  It reads
one line: the trace data file name and, optionally, a plot number (none or 0: every plot).
Per plot it lists its kind, its traces, its independent variable and the labels; the trace
count and plot type of the last plot listed go to the file trace.num.
Example, from the top of the source tree:
  echo "examples/example.trc 3" | build/bin/kor_plots
On a terminal kor_plots asks for the line.  A failed run writes STOP <code> on standard error.
kor_plots --plot-list OPCODE [CONTROL] reads the same line and writes, instead of the listing,
a plot list for kor_batch: one line per plot (all its traces, op code OPCODE, display 1, lag 0,
control file CONTROL, default kor.ctl), named after the trace data file, the plot and the code:
  echo examples/example.trc | build/bin/kor_plots --plot-list 1001 examples/example.ctl
docs/tools.md (section "kor_plots") explains more.
)";

// kor_plots --plot-list OPCODE [CONTROL]: the plot list on standard output, the messages on
// standard error.  Returns the exit status.
int plot_list(int argc, char** argv) {
  using namespace kor;
  int opcode = 0;
  if (argc < 3 || argc > 4 || util::ST_TINT(argv[2], opcode) != 0) {
    std::cerr << "kor_plots: --plot-list takes an op code and optionally a control file name\n"
              << kUsage << std::flush;
    return 2;
  }
  plots::PlotListRequest request;
  request.opcode = opcode;
  request.control = argc == 4 ? argv[3] : "kor.ctl";
  request.list = &std::cout;
  request.messages = &std::cerr;
  std::ostream* prompt = ::isatty(STDIN_FILENO) ? &std::cerr : nullptr;
  const int code = plots::write_plot_list(std::cin, request, prompt);
  if (code != 0) util::stop(code, std::cout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kor;
  if (argc >= 2 && std::string_view(argv[1]) == "--plot-list") return plot_list(argc, argv);
  if (const auto status =
          util::answer_arguments("kor_plots", argc, argv, kUsage, std::cout, std::cerr)) {
    return *status;
  }
  const int code = plots::list_plots(std::cin, std::cout, util::prompt_stream());
  if (code != 0) util::stop(code, std::cout);
  std::cout.flush();
  return 0;
}
