// The request codes of the graphics link, shared by the client (graphics/requests.*, graphics/link.*)
// and the graphics server.  The word layout of every request and reply is documented beside each
// sender in graphics/requests.h and in docs/graphics-protocol.md.
#ifndef KOR_GRAPHICS_REQUEST_CODES_H_
#define KOR_GRAPHICS_REQUEST_CODES_H_

namespace kor::graphics {

enum RequestCode : int {
  kStartPlotting = 101,      // mode; reply: one word (ignored by the client)
  kEndPlotting = 102,        // option; 1 also ends the server
  kSetMode = 103,            // mode
  kQueryMode = 104,          // reply: mode
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

// Coordinate-system letters and their positions are in graphics/words.h (kCoordinateSystems).

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_REQUEST_CODES_H_
