// kor_plots: lists the plots, traces and labels of a trace data file and writes the trace count
// and plot type of the last plot listed to trace.num.  Standard input: one line with the trace data
// file name and, optionally, a plot number (0 or none for all plots).
#include <iostream>

#include "tools/plots/plot_lister.h"
#include "util/stop.h"

int main() {
  const int code = kor::plots::list_plots(std::cin, std::cout);
  if (code != 0) kor::util::stop(code, std::cout);
  std::cout.flush();
  return 0;
}
