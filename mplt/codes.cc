#include "mplt/codes.h"

namespace kor::mplt {
namespace {

constexpr CodeText kCodes[] = {
    {kOk, "Normal return."},
    {kUnknownRequest, "Unknown request code."},
    {kBadLength, "The length word of the request disagrees with the words sent."},
    {kBadCount, "A count of the request is negative or larger than the words sent."},
    {kNotFinite, "A coordinate or size is not a finite number."},
    {kBadColour, "Colour number outside the colour table."},
    {kNoText, "Text request without text words."},
    {kCannotCreate, "The output file cannot be created."},
    {kUnknownDevice, "Unknown device name."},
    {kNoDisplay, "No X display can be opened for the window device."},
    {kBadSize, "Device size outside the accepted range."},
    {kNoDevice, "No device has been selected."},
    {kBadSystem, "Coordinate system number outside 1 to 12."},
    {kSystemUnavailable, "Coordinate system not available on this server."},
    {kBadGraph, "Invalid graph coordinates."},
    {kBadRegion, "Invalid view region or plot area."},
    {kBadLine, "Invalid line attributes."},
    {kBadTextAttributes, "Invalid text attributes."},
    {kBadMarker, "Invalid marker attributes."},
    {kBadAxis, "Invalid axis request."},
    {kBadComponent, "Colour component outside 0 to 255."},
    {kUnknownColourName, "Unknown colour name."},
    {kBadMode, "Invalid mode or option."},
    {kNotOnLogAxis, "A point is not positive on a logarithmic axis."},
    {kPageFull, "The page holds too many points."},
    {kWriteFailed, "The output file could not be written."},
    {kBadColourType, "Colour type outside 0 to 2."},
};

}  // namespace

std::span<const CodeText> return_codes() { return kCodes; }

std::string_view code_text(int code) {
  for (const CodeText& c : kCodes) {
    if (c.code == code) return c.text;
  }
  return "Unknown return code.";
}

}  // namespace kor::mplt
