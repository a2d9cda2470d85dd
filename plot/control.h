// The graphics control file: keyword lines "keyword = value" parsed into the plot settings.  The
// plot driver then derives the layout (plot/layout_derivation.h) and starts the output device
// (plot/device.h).
//
// The file is read three times: RST lines first (right-axis traces), then FAC and BXW (scale
// factors and the resampling request), then every other keyword through the keyword table.  Only
// the first three characters of a keyword count (any keyword holding "TRA" is a trace label).
// Decoder warnings and errors are reported and reading goes on; only a missing DEV line ends the
// parse with a nonzero code.
#ifndef KOR_PLOT_CONTROL_H_
#define KOR_PLOT_CONTROL_H_

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "plot/layout_derivation.h"
#include "plot/state.h"
#include "util/unit.h"

namespace kor::plot {

// The keyword of a control line: the text before the first "=", blanks removed, upper case (blank
// for a line without "=").  The value is everything after the first "=".
std::string control_keyword(std::string_view line);
std::string control_value(std::string_view line);

// The trial-count rule of the resampling driver: 100 to 10002 trials are taken, anything else
// prints why and sets 2000.
void set_trial_count(PlotSettings& settings, int trials, std::ostream& os);

// Decodes one pass-3 line into the settings and returns the decoder's code (0, a warning or an
// error; +4 for a keyword that matches no entry).  RST, FAC and BXW lines are skipped (0); XAX,
// YAX and RYA keep their values for the layout; with `text_only` a DEV line is noted but its value
// ignored.  Nothing is printed here except the decoders' own message lines.
[[nodiscard]] int apply_control_line(PlotSettings& settings, std::string_view line,
                                     const ControlInput& input, bool text_only, std::ostream& os);

// The keywords of the control file, in the order the decoders are tried: the first three
// characters of a line's keyword name the decoder ("TRA" anywhere in the keyword names a trace
// label).  The reference of the keywords (docs/control-file.md) is checked against this list.
std::vector<std::string_view> control_keywords();

// Pass-1 and pass-2 decoders: RST (right-axis traces), FAC (scale factors; a valid line is kept
// in settings.scale_lines for the value ranges) and BXW (resampling request; a request on a trace
// the driver marked in `book` records error 9 there).
void decode_rst(PlotSettings& settings, std::string_view value, int trace_count);
void decode_fac(PlotSettings& settings, std::string_view value, int final_type);
void decode_bxw(PlotSettings& settings, BoxWhiskerBook& book, std::string_view value,
                std::ostream& os);

// The parser: resets the settings for the trace count (keeping the resampling request), reads the
// three passes, and applies the final type's rules of the trace arrangement.  With `text_only` the
// device stays the text device (the DEV value is ignored).  Returns 0, -8 (more than 24 traces) or
// -25 (no DEV line), reported on `os` like every decoder message.
[[nodiscard]] int parse_control_file(PlotSettings& settings, BoxWhiskerBook& book,
                                     util::TextUnit& unit, const ControlInput& input,
                                     bool text_only, std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_CONTROL_H_
