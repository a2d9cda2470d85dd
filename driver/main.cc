// kor: reads the dialogue on standard input, finds the requested plot in the trace data file and
// hands it to the plot driver.
#include <iostream>
#include <memory>

#include "driver/dialogue.h"
#include "driver/plot_entry.h"
#include "util/stop.h"

int main() {
  using namespace kor;
  std::ios::sync_with_stdio(true);
  driver::write_banner();
  util::TextUnit control(driver::kControlUnit);
  util::TextUnit trace(driver::kTraceUnit);
  auto reader = std::make_unique<tracefile::ReaderState>();
  const driver::DialogueResult result = driver::run_dialogue(std::cin, control, trace, *reader);
  if (result.stop_code != 0) util::stop(result.stop_code, std::cout);
  if (result.plot) (void)driver::run_plot(result.request, control, *reader);
  trace.close();
  return 0;
}
