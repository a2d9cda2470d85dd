// The drawing context of the plot methods: the drawing requests they send and the stream their
// messages go to, the graphics error report, the text attribute routine and the character sizes.
//
// Every plot method takes a Pen and the plot it draws (plot/draw/view.h) and sends its requests
// through graphics::DrawingRequests, so a test can hand it a recording stand-in and read back what
// was asked for.  A request that fails ends the method: the graphics status is reported with
// graphics_error and the method returns -14.  Sent through Pen::send, the requests of a method
// need no check of their own: the pen remembers the first failure, sends nothing after it, and the
// method returns Pen::finish() at its end (or before it hands the pen to another method).
#ifndef KOR_PLOT_DRAW_PEN_H_
#define KOR_PLOT_DRAW_PEN_H_

#include <iosfwd>
#include <string_view>
#include <utility>

#include "graphics/drawing.h"

namespace kor::plot::draw {

using Requests = graphics::DrawingRequests;

// The plotting code of a failed request.
inline constexpr int kGraphicsFailed = -14;

// The graphics error report: the caller text "GRAPHICS PROC ERROR # = " with `status` as an
// eight-column integer, then the -14 message.  Returns -14.
int graphics_error(int status, std::ostream& os);

// After the code line of a failed request: when `status` says that the server's output file
// could not be made or written (-207, -225), one line in words that names the file and the
// system's reason, as the server tells them (request 105):
//   " Cannot write the output file /home/u/o.png: No space left on device"
// and for any other code of the server its own text:
//   " The graphics server says: No X display can be opened for the window device."
void explain_output_failure(Requests& rq, int status, std::ostream& os);

struct Pen {
  graphics::DrawingRequests& rq;
  std::ostream& os;
  int failure = 0;          // the first failure through send() or then() (reported), until finish()
  double text_scale = 1.0;  // every text size is multiplied by it (a plot in a panel)

  // Sends `request` with `args` unless a request sent through the pen failed since the last
  // finish(); the first failure is reported and remembered.
  template <typename... Parameters, typename... Arguments>
  Pen& send(int (Requests::*request)(Parameters...), Arguments&&... args) {
    if (failure == 0) {
      const int status = (rq.*request)(std::forward<Arguments>(args)...);
      if (status != 0) failure = graphics_error(status, os);
    }
    return *this;
  }

  // Runs `step`, a plot method called as a callable that returns its code, unless something
  // failed since the last finish(); a nonzero code it returns (reported by the method) is
  // remembered as the failure.
  template <typename Step>
  Pen& then(Step&& step) {
    if (failure == 0) failure = step();
    return *this;
  }

  // The code of the requests and methods since the last finish(): 0, or the first failure
  // (reported).  The pen is ready for the next method.
  [[nodiscard]] int finish() { return std::exchange(failure, 0); }
};

// The current colour, queried through the pen when it is made, to be set again by restore().
struct SavedColour {
  explicit SavedColour(Pen& pen) { pen.send(&Requests::query_current_colour, colour); }
  void restore(Pen& pen) const { pen.send(&Requests::set_colour, colour); }
  int colour = 1;
};

// 0 for a request that succeeded, else the graphics error report of its status (-14).
inline int check(int status, std::ostream& os) {
  return status == 0 ? 0 : graphics_error(status, os);
}

// Text justification words of request 1002.
inline constexpr int kCentred = 2;
inline constexpr int kLeft = 1;
inline constexpr int kRight = 3;

// Text attributes written "size/font/width/HW" (or SW) read as reals: size 0 or less
// means the device default, font and width are taken to the nearest integer, a negative width
// becomes 0; "HW" selects hardware text.
struct TextSpec {
  float size = 1.0f;
  int font = 1, width = 1;
  bool hardware = false;
};
// Returns 0, or -12 when an item is not a number.
[[nodiscard]] int parse_text_spec(std::string_view text, TextSpec& spec);

// Applies text attributes with the given justification (request 1002, no border,
// no rotation), its size multiplied by `scale` and the pen's text_scale (a size of 0, the device
// default, counting as 1 then).  `hardware` tells whether hardware text was chosen.  Returns 0, or
// -12 when the attributes are invalid or the server refused it.
[[nodiscard]] int apply_text_attributes(Pen& pen, std::string_view text, int justification,
                                        bool& hardware, double scale = 1.0);

// Character width and height of the current text size in view-region units (request 1013).
// Returns 0 or -14 (reported).
[[nodiscard]] int character_size(Pen& pen, double& width, double& height);

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_PEN_H_
