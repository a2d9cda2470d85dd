// The device setup requests sent through the graphics client's link to the graphics server.
#ifndef KOR_PLOT_GRAPHICS_DEVICE_H_
#define KOR_PLOT_GRAPHICS_DEVICE_H_

#include "graphics/link.h"
#include "plot/device.h"

namespace kor::plot {

// DeviceRequests over a graphics link owned by the caller.
class GraphicsClientDevice : public DeviceRequests {
 public:
  explicit GraphicsClientDevice(graphics::LinkState& link) : link_(link) {}

  // Resets the link, connects to (or starts) the server, and sets mode 2 when the server reports
  // another mode.
  int start() override;
  int set_device(std::string_view name, std::string_view file, int colour_type, double xsize,
                 double ysize) override;
  int init_colours() override;
  int define_colour(int number, int red, int green, int blue) override;
  int define_colour(int number, std::string_view name) override;
  int colour_count(int& count) override;
  int query_colour(int number, std::string& name, int& red, int& green, int& blue,
                   std::string& device_name) override;
  int flush() override;
  int start_frame() override;
  int clear_device() override;
  int set_view(double x1, double y1, double x2, double y2) override;

 private:
  graphics::LinkState& link_;
};

}  // namespace kor::plot

#endif  // KOR_PLOT_GRAPHICS_DEVICE_H_
