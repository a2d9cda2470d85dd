// The request codes of the graphics link and the devices' default output files, shared by the
// client (graphics/requests.*, graphics/link.*, the device set-up of plot/) and the graphics
// server.  The word layout of every request and reply is documented beside each sender in
// graphics/requests.h and in docs/graphics-protocol.md.
#ifndef KOR_GRAPHICS_REQUEST_CODES_H_
#define KOR_GRAPHICS_REQUEST_CODES_H_

#include <string_view>

namespace kor::graphics {

enum RequestCode : int {
  kStartPlotting = 101,      // mode; reply: one word (ignored by the client)
  kEndPlotting = 102,        // option; 1 also ends the server
  kSetMode = 103,            // mode
  kQueryMode = 104,          // reply: mode
  kQueryOutputFailure = 105,  // reply: why the last output file failed (file name, reason)
  kClearPage = 202,          // start a new page
  kFlushOutput = 207,        // bring the output up to date
  kStartFrame = 213,         // begin a frame after device set-up
  kEndFrame = 214,           // end of a plot, before 102
  kSelectDevice = 216,       // device name, colour type, file name, three reals
  kSetView = 301,            // view region: four reals
  kQueryBounds = 303,        // coordinate system; reply: four reals
  kSetGraph = 601,           // graph coordinates: three integers, four reals
  kSetPlotArea = 602,        // four reals
  kDrawAxis = 603,           // axis with tick values
  kDrawAxisLabels = 604,     // axis labels
  kPolyline = 801,           // coordinate system, n, x values, y values
  kText = 802,               // coordinate system, x, y, text words, rotation, two offsets
  kMarkers = 803,            // coordinate system, n, x values, y values
  kFillPolygon = 812,        // coordinate system, n, x values, y values
  kTransform = 901,          // from, to, n, x values, y values; reply: the points
  kSetLineAttributes = 1001,
  kSetTextAttributes = 1002,
  kSetMarkerAttributes = 1005,
  kQueryLineAttributes = 1007,
  kQueryTextAttributes = 1008,
  kQueryAttributeValues = 1013,
  kSetColour = 1201,
  kDefineColour = 1202,
  kInitColours = 1204,
  kDefineColourName = 1205,
  kQueryColour = 1206,
  kQueryCurrentColour = 1207,
  kQueryColourCount = 1208,
};

// The server's return codes that concern its output file: request 105 then tells which file and
// why, for the message in words after the code.
inline constexpr int kOutputNotCreated = -207;
inline constexpr int kOutputNotWritten = -225;

// The output file of a device whose DEV value names none (the server takes the client's name when
// there is one).  PSC, PS1 and PSP are the PostScript layouts, TX the text device's dump.
struct DeviceDefault {
  std::string_view device, file;
};
inline constexpr DeviceDefault kDeviceDefaults[] = {
    {"XW", "kor"},      {"PS", "ps.plt"},   {"NC", "Nmeta"},    {"GF", "kor.gif"},
    {"PSC", "psc.plt"}, {"PS1", "ps1.plt"}, {"PSP", "psp.plt"}, {"TX", "txt.dmp"},
    {"PNG", "kor.png"}, {"SVG", "kor.svg"}, {"PDF", "kor.pdf"},
};

// The default output file of device `name` (upper case, without trailing blanks); "" for a device
// that has none.
constexpr std::string_view default_output_file(std::string_view name) {
  for (const DeviceDefault& d : kDeviceDefaults) {
    if (d.device == name) return d.file;
  }
  return {};
}

// Coordinate-system letters and their positions are in graphics/words.h (kCoordinateSystems).

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_REQUEST_CODES_H_
