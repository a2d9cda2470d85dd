// kor's standard-input dialogue: file names, the plot line, and the trace, op-code, lag and
// smoothing numbers of the plotting METHOD.  Every failure before the plot driver writes its
// message to standard output and yields a stop code.
#ifndef KOR_DRIVER_DIALOGUE_H_
#define KOR_DRIVER_DIALOGUE_H_

#include <array>
#include <istream>

#include "tracefile/reader.h"
#include "util/unit.h"

namespace kor::driver {

inline constexpr int kControlUnit = 9;
inline constexpr int kTraceUnit = 8;
inline constexpr int kLagList = -9999;  // LAG value announcing one lag per trace on a later line

// What the dialogue hands to the plot driver.
struct PlotRequest {
  int plot = 0;
  int method = 0;
  int display = 0;
  int trace_count = 0;
  std::array<int, tracefile::kMaxTraces> traces{};
  int opcode_count = 0;
  std::array<int, tracefile::kMaxTraces> opcodes{};
  std::array<int, tracefile::kMaxTraces> lags{};
  int smooth1 = 0;
  int smooth2 = 0;
  int plot_type = 0;
};

struct DialogueResult {
  int stop_code = 0;  // nonzero: end the program with this stop code
  bool plot = false;  // true: call the plot driver with `request`
  PlotRequest request;
};

// Runs the dialogue on `in`, opening the graphics control file on `control` and the trace data file
// on `trace`, and filling `reader` through RDTD_INI and RDTD_FND.  Messages go to standard output.
// Before each read, a prompt telling what the answer is goes to `prompt` when it is not null.  A
// file name longer than its 128-character field is refused (stop 2 or 4), not cut.
DialogueResult run_dialogue(std::istream& in, util::TextUnit& control, util::TextUnit& trace,
                            tracefile::ReaderState& reader, std::ostream* prompt = nullptr);

// Writes the start-up banner: a blank line, the version line, a blank line.
void write_banner();

}  // namespace kor::driver

#endif  // KOR_DRIVER_DIALOGUE_H_
