// The graphics control file reader: keyword lines "keyword = value" that set the plot state, the
// value ranges of the axes before and after the keywords, the histogram bar width and box-whisker
// spacing, and the output device.
//
// The file is read three times: RST lines first (right-axis traces), then FAC and BXW (scale
// factors and the resampling request, which the value ranges depend on), then every other keyword.
// Only the first three characters of a keyword count (any keyword holding "TRA" is a trace label).
// Decoder warnings and errors are reported and reading goes on; only a missing DEV line, a bad
// axis and a device failure end the reader with a nonzero code.
#ifndef KOR_PLOT_CONTROL_H_
#define KOR_PLOT_CONTROL_H_

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>

#include "plot/axes.h"
#include "plot/device.h"
#include "plot/state.h"
#include "util/unit.h"

namespace kor::plot {

// What the reader needs from the plot driver.
struct ControlInput {
  int trace_count = 0;
  int final_type = 1;
  const MergedAxis* labels = nullptr;  // abscissa labels and positions (label count N)
  std::array<double, kMaxTraces> xmin{}, xmax{}, ymin{}, ymax{};
};

// The keyword of a control line: the text before the first "=", blanks removed, upper case (blank
// for a line without "=").  The value is everything after the first "=".
std::string control_keyword(std::string_view line);
std::string control_value(std::string_view line);

// The trial-count rule of the resampling driver: 100 to 10002 trials are taken, anything else
// prints why and sets 2000.
void set_trial_count(PlotState& state, int trials, std::ostream& os);

// Decodes one pass-3 line into the plot state and returns the decoder's code (0, a warning or an
// error; +4 for a keyword that matches no entry).  RST, FAC and BXW lines are skipped (0).  Nothing
// is printed here except the decoders' own message lines.
[[nodiscard]] int apply_control_line(PlotState& state, std::string_view line,
                                     const ControlInput& input, int device_fixed, std::ostream& os);

// Pass-1 and pass-2 decoders: RST (right-axis traces), FAC (scale factors, applied to the value
// ranges already in the state) and BXW (resampling request).
void decode_rst(PlotState& state, std::string_view value, int trace_count);
void decode_fac(PlotState& state, std::string_view value, int final_type);
void decode_bxw(PlotState& state, std::string_view value, std::ostream& os);

// The value ranges of the axes from the traces' extremes, before the keywords.
void initial_ranges(PlotState& state, const ControlInput& input);

// Widens the X range for histogram bars (or box-whisker objects) of `c` bars beside each other at
// each of `labels` abscissas and returns the width of one bar (0 when there is no room).
double widen_for_bars(PlotState& state, int c, int labels);

// The reader.  `device_fixed` is 1 on entry when the device must stay the text device; on return it
// holds the position of "TX" in the device name (1 for the text device, 0 when absent).  Graphics
// devices are set up through `requests`; without it (nullptr) graphics cannot start.  Messages go
// to `os`.  Returns 0 or the code that ended the reader (already reported).
[[nodiscard]] int read_control_file(PlotState& state, util::TextUnit& unit,
                                    const ControlInput& input, int& device_fixed,
                                    DeviceRequests* requests, std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_CONTROL_H_
