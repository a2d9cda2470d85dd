#include "plot/graphics_device.h"

#include "graphics/request_codes.h"
#include "graphics/requests.h"

namespace kor::plot {
namespace {

constexpr int kPlotMode = 2;  // the server mode of plotting

}  // namespace

int GraphicsClientDevice::start() {
  graphics::GR_RESET(link_);
  bool running = false;
  int rc = graphics::GR_INIT(link_, 0, running);
  if (rc != 0) return rc;
  int mode = 0;
  rc = graphics::query_mode(link_, mode);
  if (rc != 0) return rc;
  if (mode != kPlotMode) rc = graphics::set_mode(link_, kPlotMode);
  return rc;
}

int GraphicsClientDevice::set_device(std::string_view name, std::string_view file, int colour_type,
                                     double xsize, double ysize) {
  return graphics::select_device(link_, name, colour_type, file,
                                 {static_cast<float>(xsize), static_cast<float>(ysize), 0.0f});
}

int GraphicsClientDevice::init_colours() { return graphics::init_colours(link_); }

int GraphicsClientDevice::define_colour(int number, int red, int green, int blue) {
  return graphics::define_colour(link_, number, red, green, blue);
}

int GraphicsClientDevice::define_colour(int number, std::string_view name) {
  return graphics::define_colour_name(link_, number, name);
}

int GraphicsClientDevice::colour_count(int& count) {
  return graphics::query_colour_count(link_, count);
}

int GraphicsClientDevice::query_colour(int number, std::string& name, int& red, int& green,
                                       int& blue, std::string& device_name) {
  graphics::ColourInfo info;
  const int rc = graphics::query_colour(link_, number, 16, 32, info);
  if (rc != 0) return rc;
  name = info.name;
  red = info.red;
  green = info.green;
  blue = info.blue;
  device_name = info.device_name;
  return 0;
}

int GraphicsClientDevice::flush() { return graphics::send_command(link_, graphics::kFlushOutput); }
int GraphicsClientDevice::start_frame() {
  return graphics::send_command(link_, graphics::kStartFrame);
}
int GraphicsClientDevice::clear_device() {
  return graphics::send_command(link_, graphics::kClearPage);
}

int GraphicsClientDevice::set_view(double x1, double y1, double x2, double y2) {
  return graphics::send_four_reals(link_, graphics::kSetView,
                                   {static_cast<float>(x1), static_cast<float>(y1),
                                    static_cast<float>(x2), static_cast<float>(y2)});
}

}  // namespace kor::plot
