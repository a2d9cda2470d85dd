// The least reading work of a plot as a whole program: the header section and one plot's traces
// and data, read once, and nothing else.  A whole text-plot run of kor is timed against it
// (bench/whole_run_bench.cc):
//
//   trace_read_run FILE PLOT
//
// Prints the plot's trace count; exit status 1 when the file or the plot does not read.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include "tracefile/reader.h"
#include "util/unit.h"

int main(int argc, char** argv) {
  using namespace kor::tracefile;
  int plot = 0;
  if (argc != 3 ||
      std::from_chars(argv[2], argv[2] + std::strlen(argv[2]), plot).ec != std::errc()) {
    std::fprintf(stderr, "usage: trace_read_run FILE PLOT\n");
    return 1;
  }
  kor::util::TextUnit unit(8);
  if (!unit.open(argv[1])) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  auto state = std::make_unique<ReaderState>();
  std::ostringstream messages;
  int plots = 0, traces = 0, type = 0;
  int rc = RDTD_INI(*state, unit, plots);
  if (rc == 0) rc = RDTD_FND(*state, unit, plot, 1, traces, type, messages);
  if (rc != 0) {
    std::fprintf(stderr, "plot %d did not read: %d\n", plot, rc);
    return 1;
  }
  std::printf(" %d traces\n", traces);
  return 0;
}
