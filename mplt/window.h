// The window device XW: an X window that shows the page, repainted when the server brings the
// output up to date and whenever the window is exposed.
#ifndef KOR_MPLT_WINDOW_H_
#define KOR_MPLT_WINDOW_H_

#include <cairo.h>

#include <memory>
#include <string>

namespace kor::mplt {

// `cleanup` runs when the connection to the X server is lost (the X server ended), just before the
// process ends: Xlib does not let a program go on after that.
void on_display_lost(void (*cleanup)());

class Window {
 public:
  // Opens a window of `width` x `height` pixels named `title` on `display` (empty: $DISPLAY).
  // Returns nullptr when the display cannot be opened.
  static std::unique_ptr<Window> open(const std::string& display, const std::string& title,
                                      int width, int height);
  virtual ~Window() = default;
  // Shows `image` (a surface of the window's size) and keeps it for later exposes.
  virtual void show(cairo_surface_t* image) = 0;
  // Handles waiting window events (exposes, the window being closed).  Returns false once the
  // window is gone.
  virtual bool process_events() = 0;
  // The connection's descriptor, to wait on.
  virtual int fd() const = 0;
  virtual const std::string& title() const = 0;
};

}  // namespace kor::mplt

#endif  // KOR_MPLT_WINDOW_H_
