// kor: reads the dialogue on standard input, finds the requested plot in the trace data file and
// hands it to the plot driver.
#include <iostream>
#include <memory>
#include <string_view>

#include "driver/code_reference.h"
#include "driver/dialogue.h"
#include "driver/plot_entry.h"
#include "util/program.h"
#include "util/stop.h"

namespace {

constexpr const char* kUsage = R"(Usage: kor < answers
kor reads a short dialogue on standard input, one answer after the other:
  1. the graphics control file name
  2. the trace data file name
  3. plot number, METHOD, display number, LAG
  then, METHOD 1:    a number that is read and ignored; one op code; two smoothing numbers
        METHOD 2:    a line of trace numbers; a line of as many op codes; two smoothing
                     numbers; with LAG = -9999 a line of lags, one per trace
        METHOD 3-6:  two trace numbers; one op code (METHODs 5 and 6 with the same trace
                     twice: two op codes); two smoothing numbers
Example, from the top of the source tree (plot 1, METHOD 1, display 1, LAG 0, op code 1001 =
frequency bias, no smoothing), writing the text dump txt.dmp:
  printf 'examples/example.ctl\nexamples/example.trc\n1 1 1 0\n0\n1001\n0 0\n' | build/bin/kor
On a terminal kor asks for each answer.  A failed run writes STOP <code> on standard error.
kor --codes prints the table of op codes (docs/codes.md); kor --version the package version.
docs/kor.md explains every number and the files written, docs/control-file.md the
control file (installed under share/doc/kor; man kor).
)";

}  // namespace

int main(int argc, char** argv) {
  using namespace kor;
  if (argc == 2 && std::string_view(argv[1]) == "--codes") {
    driver::write_code_reference(std::cout);
    return 0;
  }
  if (const auto status = util::answer_arguments("kor", argc, argv, kUsage, std::cout, std::cerr)) {
    return *status;
  }
  std::ios::sync_with_stdio(true);
  driver::write_banner();
  util::TextUnit control(driver::kControlUnit);
  util::TextUnit trace(driver::kTraceUnit);
  auto reader = std::make_unique<tracefile::ReaderState>();
  const driver::DialogueResult result =
      driver::run_dialogue(std::cin, control, trace, *reader, util::prompt_stream());
  if (result.stop_code != 0) util::stop(result.stop_code, std::cout);
  if (result.plot) (void)driver::run_plot(result.request, control, *reader);
  trace.close();
  return 0;
}
