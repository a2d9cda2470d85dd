// Output device setup of the graphics control file: the text device's files, and for a graphics
// device the sequence of requests that starts the graphics server, selects the device, applies
// the colours and sets the view region.
//
// The requests go through the DeviceRequests interface so that the sequence can be followed with
// a fake server; the graphics client provides the real one.
#ifndef KOR_PLOT_DEVICE_H_
#define KOR_PLOT_DEVICE_H_

#include <iosfwd>
#include <string>
#include <string_view>

#include "plot/state.h"

namespace kor::plot {

// The drawing requests that device setup sends.  Each returns the server's return code, or the
// link's status when the transfer failed (0 success).
class DeviceRequests {
 public:
  virtual ~DeviceRequests() = default;
  // Resets the client, connects to (or starts) the server and sets its mode.
  virtual int start() = 0;
  // Selects the output device: name (PS for PSC, PS1 and PSP), file or window name, colour type
  // (0 monochrome, 1 middle, 2 colour) and sizes.
  virtual int set_device(std::string_view name, std::string_view file, int colour_type,
                         double xsize, double ysize) = 0;
  virtual int init_colours() = 0;
  virtual int define_colour(int number, int red, int green, int blue) = 0;
  virtual int define_colour(int number, std::string_view name) = 0;
  virtual int colour_count(int& count) = 0;
  // Colour `number`: its name (blank when redefined by components), components and the device's
  // name for it.
  virtual int query_colour(int number, std::string& name, int& red, int& green, int& blue,
                           std::string& device_name) = 0;
  virtual int flush() = 0;
  virtual int start_frame() = 0;
  virtual int clear_device() = 0;
  virtual int set_view(double x1, double y1, double x2, double y2) = 0;
};

// The device part of the DEV value: upper-cased device name, output file (the device's default
// when blank) and the box-whisker text name, sizes and colour type.
struct DeviceSpec {
  std::string name;       // upper case
  std::string file;       // output file or window name
  std::string bxw_file;   // file + "_bxw"
  std::string open_name;  // device name sent to the server (PS for PSC, PS1, PSP)
  int colour_type = 1;    // 0 monochrome, 1 middle, 2 colour
  double xsize = 700.0, ysize = 700.0;
};
DeviceSpec parse_device(std::string_view device);

// Default output name of a device ("" for an unknown device).
std::string default_output_name(std::string_view device_name);

// Opens the text dump and box-whisker text files of the text device in the files' output
// directory: afresh with `clear` (CLE on), for appending without.  Returns 0, -22 (text dump) or
// -41 (box-whisker text).
[[nodiscard]] int open_text_device(PlotFiles& files, bool clear, const DeviceSpec& spec);

// Sets up a graphics device through `requests` after the server was started: device, colours,
// frame, clear, view region.  Reports its failures through PLT_MSG on `os` and returns 0, -2 or
// -10.
[[nodiscard]] int setup_graphics_device(const PlotSettings& settings, const DeviceSpec& spec,
                                        DeviceRequests& requests, std::ostream& os);

// Applies a colour specification ("n=name;n=r:g:b;...", a trailing "?" lists the colours) and
// writes the listing on `os` when asked.  Returns the first failing request's status, else 0.
[[nodiscard]] int apply_colours(std::string_view spec, DeviceRequests& requests, std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_DEVICE_H_
