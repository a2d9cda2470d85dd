#include "mplt/window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <unistd.h>

namespace kor::mplt {
namespace {

// Protocol errors of the X server (a window closed under us, for example) are not fatal here.
int ignore_error(Display*, XErrorEvent*) { return 0; }

void (*g_display_lost)() = nullptr;

int display_lost(Display*) {
  if (g_display_lost != nullptr) g_display_lost();
  _exit(1);
}

class XWindow : public Window {
 public:
  XWindow(Display* d, ::Window w, int width, int height, std::string title)
      : display_(d), window_(w), width_(width), height_(height), title_(std::move(title)) {
    delete_atom_ = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, w, &delete_atom_, 1);
    surface_ = cairo_xlib_surface_create(d, w, DefaultVisual(d, DefaultScreen(d)), width, height);
  }
  ~XWindow() override {
    if (image_ != nullptr) cairo_surface_destroy(image_);
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
    if (window_ != 0) XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }

  void show(cairo_surface_t* image) override {
    if (image_ != nullptr) cairo_surface_destroy(image_);
    image_ = cairo_surface_reference(image);
    paint();
  }

  bool process_events() override {
    while (window_ != 0 && XPending(display_) > 0) {
      XEvent e;
      XNextEvent(display_, &e);
      if (e.type == Expose && e.xexpose.count == 0) paint();
      if (e.type == ClientMessage && static_cast<Atom>(e.xclient.data.l[0]) == delete_atom_) {
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        XDestroyWindow(display_, window_);
        window_ = 0;
        XFlush(display_);
      }
    }
    return window_ != 0;
  }

  int fd() const override { return ConnectionNumber(display_); }
  const std::string& title() const override { return title_; }

 private:
  void paint() {
    if (surface_ == nullptr || image_ == nullptr) return;
    cairo_t* cr = cairo_create(surface_);
    cairo_set_source_surface(cr, image_, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface_);
    XFlush(display_);
  }

  Display* display_;
  ::Window window_;
  int width_, height_;
  std::string title_;
  Atom delete_atom_ = 0;
  cairo_surface_t* surface_ = nullptr;
  cairo_surface_t* image_ = nullptr;
};

}  // namespace

void on_display_lost(void (*cleanup)()) { g_display_lost = cleanup; }

std::unique_ptr<Window> Window::open(const std::string& display, const std::string& title,
                                     int width, int height) {
  Display* d = XOpenDisplay(display.empty() ? nullptr : display.c_str());
  if (d == nullptr) return nullptr;
  XSetErrorHandler(ignore_error);
  XSetIOErrorHandler(display_lost);
  const int screen = DefaultScreen(d);
  const ::Window w = XCreateSimpleWindow(
      d, RootWindow(d, screen), 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
      0, BlackPixel(d, screen), WhitePixel(d, screen));
  XStoreName(d, w, title.c_str());
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize;
  hints.min_width = hints.max_width = width;
  hints.min_height = hints.max_height = height;
  XSetWMNormalHints(d, w, &hints);
  XSelectInput(d, w, ExposureMask | StructureNotifyMask);
  XMapWindow(d, w);
  XFlush(d);
  return std::make_unique<XWindow>(d, w, width, height, title);
}

}  // namespace kor::mplt
