// A graphics server stand-in for the device setup tests: records every request and answers with
// the status set for it.
#ifndef KOR_TESTS_PLOT_FAKE_DEVICE_H_
#define KOR_TESTS_PLOT_FAKE_DEVICE_H_

#include <cstdio>
#include <string>
#include <vector>

#include "plot/device.h"

namespace kor::plot {

class FakeDevice : public DeviceRequests {
 public:
  std::vector<std::string> calls;
  int start_status = 0, device_status = 0, view_status = 0;
  int colours = 3;

  int start() override { return log("start", start_status); }
  int set_device(std::string_view name, std::string_view file, int colour_type, double xsize,
                 double ysize) override {
    char buf[256];
    std::snprintf(buf, sizeof buf, "device %.*s %.*s %d %g %g", static_cast<int>(name.size()),
                  name.data(), static_cast<int>(file.size()), file.data(), colour_type, xsize,
                  ysize);
    return log(buf, device_status);
  }
  int init_colours() override { return log("init colours", 0); }
  int define_colour(int number, int red, int green, int blue) override {
    return log("rgb " + std::to_string(number) + " " + std::to_string(red) + " " +
                   std::to_string(green) + " " + std::to_string(blue),
               0);
  }
  int define_colour(int number, std::string_view name) override {
    return log("name " + std::to_string(number) + " " + std::string(name), 0);
  }
  int colour_count(int& count) override {
    count = colours;
    return log("count", 0);
  }
  int query_colour(int number, std::string& name, int& red, int& green, int& blue,
                   std::string& device_name) override {
    name = number == 2 ? "" : "COLOUR" + std::to_string(number);
    red = number;
    green = 2 * number;
    blue = 255;
    device_name = "x" + std::to_string(number);
    return 0;
  }
  int flush() override { return log("flush", 0); }
  int start_frame() override { return log("frame", 0); }
  int clear_device() override { return log("clear", 0); }
  int set_view(double x1, double y1, double x2, double y2) override {
    char buf[128];
    std::snprintf(buf, sizeof buf, "view %g %g %g %g", x1, y1, x2, y2);
    return log(buf, view_status);
  }

 private:
  int log(const std::string& what, int status) {
    calls.push_back(what);
    return status;
  }
};

}  // namespace kor::plot

#endif  // KOR_TESTS_PLOT_FAKE_DEVICE_H_
