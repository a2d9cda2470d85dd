// The graphics control file and the steps that follow it: keyword lines "keyword = value" are
// parsed into the plot settings; the layout (axis ranges and labels, bar widths) is derived from
// the settings and the traces' extremes; then the output device is started.  The plot driver runs
// the three steps in this order.
//
// The file is read three times: RST lines first (right-axis traces), then FAC and BXW (scale
// factors and the resampling request), then every other keyword.  Only the first three characters
// of a keyword count (any keyword holding "TRA" is a trace label).  Decoder warnings and errors
// are reported and reading goes on; only a missing DEV line, a bad axis and a device failure end a
// step with a nonzero code.
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

// What the control-file steps need from the plot driver: the trace count and final plot type
// (parser), the abscissas and the traces' extremes (layout).
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
void set_trial_count(PlotSettings& settings, int trials, std::ostream& os);

// Decodes one pass-3 line into the settings and returns the decoder's code (0, a warning or an
// error; +4 for a keyword that matches no entry).  RST, FAC and BXW lines are skipped (0); XAX,
// YAX and RYA keep their values for the layout.  Nothing is printed here except the decoders' own
// message lines.
[[nodiscard]] int apply_control_line(PlotSettings& settings, std::string_view line,
                                     const ControlInput& input, int device_fixed, std::ostream& os);

// Pass-1 and pass-2 decoders: RST (right-axis traces), FAC (scale factors; a valid line is kept
// in settings.scale_lines for the value ranges) and BXW (resampling request; a request on a trace
// the driver marked in `book` records error 9 there).
void decode_rst(PlotSettings& settings, std::string_view value, int trace_count);
void decode_fac(PlotSettings& settings, std::string_view value, int final_type);
void decode_bxw(PlotSettings& settings, BoxWhiskerBook& book, std::string_view value,
                std::ostream& os);

// The parser: resets the settings for the trace count (keeping the resampling request), reads the
// three passes, and applies the final type's rules of the trace arrangement.  `device_fixed` is 1
// when the device must stay the text device (the DEV value is then ignored).  Returns 0, -8 (more
// than 24 traces) or -25 (no DEV line), reported on `os` like every decoder message.
[[nodiscard]] int parse_control_file(PlotSettings& settings, BoxWhiskerBook& book,
                                     util::TextUnit& unit, const ControlInput& input,
                                     int device_fixed, std::ostream& os);

// The value ranges of the axes from the traces' extremes, before the keywords.
void initial_ranges(PlotLayout& layout, const PlotSettings& settings, const ControlInput& input);

// Scales the value ranges by every FAC line of the settings, in file order.
void scale_ranges(PlotLayout& layout, const PlotSettings& settings, int final_type);

// Widens the X range for histogram bars (or box-whisker objects) of `c` bars beside each other at
// each of `labels` abscissas and returns the width of one bar (0 when there is no room).
double widen_for_bars(XAxisState& x, int c, int labels);

// The layout of the settings and the traces: value ranges (scaled, widened for resampling and for
// bars), bar width and box-whisker spacing, and the three axes.  Returns 0 or the axis code (-19,
// reported).  The titles are left blank (build_titles fills them).
[[nodiscard]] int derive_layout(PlotLayout& layout, const PlotSettings& settings,
                                const BoxWhiskerBook& book, const ControlInput& input,
                                std::ostream& os);

// Opens the text device's files, or starts the graphics server through `requests` (without one,
// graphics cannot start) and sets the device up.  On return `device_fixed` holds the position of
// "TX" in the device name (1 for the text device, 0 when absent).  Returns 0 or the code that
// ended the step (reported).
[[nodiscard]] int start_output_device(const PlotSettings& settings, PlotFiles& files,
                                      int& device_fixed, graphics::DrawingRequests* requests,
                                      std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_CONTROL_H_
