#include "graphics/server_codes.h"

namespace kor::graphics {
namespace {

constexpr ServerCodeText kCodes[] = {
    {0, "Normal return."},
    {-201, "Unknown request code."},
    {-202, "The length word of the request disagrees with the words sent."},
    {-203, "A count of the request is negative or larger than the words sent."},
    {-204, "A coordinate or size is not a finite number."},
    {-205, "Colour number outside the colour table."},
    {-206, "Text request without text words."},
    {-207, "The output file cannot be created."},
    {-208, "Unknown device name."},
    {-209, "No X display can be opened for the window device."},
    {-210, "Device size outside the accepted range."},
    {-211, "No device has been selected."},
    {-212, "Coordinate system number outside 1 to 12."},
    {-213, "Coordinate system not available on this server."},
    {-214, "Invalid graph coordinates."},
    {-215, "Invalid view region or plot area."},
    {-216, "Invalid line attributes."},
    {-217, "Invalid text attributes."},
    {-218, "Invalid marker attributes."},
    {-219, "Invalid axis request."},
    {-220, "Colour component outside 0 to 255."},
    {-221, "Unknown colour name."},
    {-222, "Invalid mode or option."},
    {-223, "A point is not positive on a logarithmic axis."},
    {-224, "The page holds too many points."},
    {-225, "The output file could not be written."},
    {-226, "Colour type outside 0 to 2."},
};

}  // namespace

std::span<const ServerCodeText> server_code_texts() { return kCodes; }

std::string_view server_code_text(int code) {
  for (const ServerCodeText& c : kCodes) {
    if (c.code == code) return c.text;
  }
  return {};
}

}  // namespace kor::graphics
