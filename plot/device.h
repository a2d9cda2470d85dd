// Output device setup of the graphics control file: the text device's files, and for a graphics
// device the sequence of requests that starts the graphics server, selects the device, applies
// the colours and sets the view region.
//
// The requests go through the drawing interface (graphics/drawing.h), so that the sequence can be
// followed with a recording stand-in; graphics::LinkRequests sends them to the server.
#ifndef KOR_PLOT_DEVICE_H_
#define KOR_PLOT_DEVICE_H_

#include <iosfwd>
#include <string>
#include <string_view>

#include "graphics/drawing.h"
#include "plot/state.h"

namespace kor::plot {

// The kinds of output device: the text device (a name starting with TX) writes the text dump and
// the box-whisker text, the CSV device (CSV) the plotted values as a table (plot/csv_output.h);
// every other device draws through the graphics server.
enum class DeviceKind { kText, kCsv, kGraphics };

// The CSV device and its default output file.
inline constexpr std::string_view kCsvDevice = "CSV";
inline constexpr std::string_view kCsvDefaultFile = "kor.csv";

// The device part of the DEV value: upper-cased device name and its kind, output file (the
// device's default when blank) and the box-whisker text name, sizes and colour type.
struct DeviceSpec {
  DeviceKind kind = DeviceKind::kText;
  std::string name;       // upper case
  std::string file;       // output file or window name
  std::string bxw_file;   // file + "_bxw"
  std::string open_name;  // device name sent to the server (PS for PSC, PS1, PSP)
  int colour_type = 1;    // 0 monochrome, 1 middle, 2 colour
  double xsize = 700.0, ysize = 700.0;
  std::size_t file_length = 0;  // characters of the file name as given (it may be longer than
                                // `file`, which is cut to the file-name width)
};

// The longest output name: a text device's file name, and a graphics device's file or window
// name (the field of request 216).  A longer name is refused, not cut to another file's name.
inline constexpr std::size_t kTextFileNameWidth = 128;
inline constexpr std::size_t kGraphicsFileNameWidth = 72;
DeviceSpec parse_device(std::string_view device);

// Default output name of a device (graphics::kDeviceDefaults; any name starting with TX is the
// text device; "" for an unknown device).
std::string default_output_name(std::string_view device_name);

// Opens the text dump and box-whisker text files of the text device (the CSV device: its table
// alone, in place of the text dump) in the files' output directory: afresh with `clear` (CLE on),
// for appending without.  Returns 0, -22 (text dump or table) or -41 (box-whisker text).
[[nodiscard]] int open_text_device(PlotFiles& files, bool clear, const DeviceSpec& spec);

// Closes the text files (`all`: both, else the dump only) after their writes that gave `rc`; a
// file that could not be written whole is reported with `code` (from `caller`) unless `rc`
// reported a failure already, then by a line that names the file and the reason.  Returns the
// code of the output.
int close_text(TextDevice& text, bool all, int rc, int code, const char* caller, std::ostream& os);

// Starts plotting: the server is found or started in mode 0, and set to the plotting mode (2) when
// it reports another mode.  Returns 0 or the first failing request's status.
[[nodiscard]] int start_graphics(graphics::DrawingRequests& requests);

// Sets up a graphics device through `requests` after the server was started: device, colours,
// frame, clear, view region.  Reports its failures through PLT_MSG on `os` and returns 0, -2 or
// -10.
[[nodiscard]] int setup_graphics_device(const PlotSettings& settings, const DeviceSpec& spec,
                                        graphics::DrawingRequests& requests, std::ostream& os);

// Starts the output device `spec` of the settings: for the text and CSV devices opens their files,
// for a
// graphics device starts the graphics server through `requests` (without one, graphics cannot
// start; files.graphics_started is set once it runs) and sets the device up.  Returns 0 or the code
// that ended the step (-22, -41, -1, -2, -10; reported).
[[nodiscard]] int start_output_device(const PlotSettings& settings, const DeviceSpec& spec,
                                      PlotFiles& files, graphics::DrawingRequests* requests,
                                      std::ostream& os);

// Applies a colour list ("n=name;n=r:g:b;...", a trailing "?" lists the colours) and
// writes the listing on `os` when asked.  Returns the first failing request's status, else 0.
[[nodiscard]] int apply_colours(std::string_view spec, graphics::DrawingRequests& requests,
                                std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_DEVICE_H_
