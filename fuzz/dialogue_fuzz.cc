// kor's standard-input dialogue on any text after the two file names, and the plot driver on every
// request the dialogue lets through: the plot, METHOD, display and lag numbers, trace numbers, op
// codes, lag lists and smoothing numbers all reach the index arithmetic of the driver and the
// statistics engine.  The trace data file is the bundled example (three plots: a time series,
// thresholds with real labels, a skill-score plot) and the control file selects the text device,
// whose files are written in the scratch folder.
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <sstream>

#include "driver/dialogue.h"
#include "driver/plot_entry.h"
#include "fuzz/fuzz_support.h"
#include "tracefile/reader.h"
#include "util/unit.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kor::fuzz::copy_file(KOR_EXAMPLES "/example.trc", "ex.trc");
  kor::fuzz::copy_file(KOR_EXAMPLES "/example.ctl", "ex.ctl");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kor;
  static tracefile::ReaderState reader;
  std::ostringstream sink;
  std::streambuf* const standard_output = std::cout.rdbuf(sink.rdbuf());
  std::istringstream in("ex.ctl\nex.trc\n" + std::string(kor::fuzz::as_text(data, size)));
  util::TextUnit control(9), trace(8);
  const driver::DialogueResult result = driver::run_dialogue(in, control, trace, reader);
  if (result.plot) (void)driver::run_plot(result.request, control, reader);
  std::cout.rdbuf(standard_output);
  return 0;
}
