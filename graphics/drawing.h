// The drawing requests as an interface: one call per request the graphics client sends, so that
// the device set-up and the plot methods can be written against it and a test can record what
// they ask for.
//
// Every call takes the arguments of the request routine of the same name (graphics/requests.h,
// graphics/link.h) without the link, and returns what that routine returns: the server's return
// code, the link status when the transfer failed, or one of the client's own codes.  Query results
// are written only when the call returns 0.  LinkRequests sends the requests over a graphics link;
// tests use a recording stand-in.
#ifndef KOR_GRAPHICS_DRAWING_H_
#define KOR_GRAPHICS_DRAWING_H_

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "graphics/link.h"
#include "graphics/request_codes.h"
#include "graphics/requests.h"

namespace kor::graphics {

// The drawing requests, one entry each: X(name, parameters, arguments of the request routine of
// the same name without the link).  The interface's calls, the link's overrides and their
// forwarding to the request routines are all made from this list; start_plotting and
// end_plotting, which also reset and end the link, are written out below.
#define KOR_DRAWING_REQUESTS(X)                                                                    \
  /* 103 / 104: the server's mode. */                                                              \
  X(set_mode, (int mode), (mode))                                                                  \
  X(query_mode, (int& mode), (mode))                                                               \
  /* 105: why the last output file failed. */                                                      \
  X(query_output_failure, (std::string & file, std::string & reason), (file, reason))              \
  /* 202, 207, 213, 214: commands without arguments. */                                            \
  X(send_command, (int code), (code))                                                              \
  /* 216: the output device. */                                                                    \
  X(select_device,                                                                                 \
    (std::string_view device, int colour_type, std::string_view file,                              \
     const std::array<float, 3>& reals),                                                           \
    (device, colour_type, file, reals))                                                            \
  /* 301 and 602: requests of four reals. */                                                       \
  X(send_four_reals, (int code, const std::array<float, 4>& values), (code, values))               \
  /* 303: bounds of a coordinate system. */                                                        \
  X(query_bounds, (char system, Bounds& bounds), (system, bounds))                                 \
  /* 601, 603, 604: graph coordinates, an axis, axis labels. */                                    \
  X(set_graph_coordinates, (const GraphCoordinates& g), (g))                                       \
  X(draw_axis,                                                                                     \
    (const AxisPlace& axis, const std::array<int, 5>& settings, std::span<const float> ticks),     \
    (axis, settings, ticks))                                                                       \
  X(draw_axis_labels,                                                                              \
    (const AxisPlace& axis, const std::array<int, 4>& settings,                                    \
     std::span<const float> positions, std::span<const std::string> labels, int label_length),     \
    (axis, settings, positions, labels, label_length))                                             \
  /* 801, 803, 812, 802: polyline, markers, filled polygon, text. */                               \
  X(draw_polyline, (char system, std::span<const float> x, std::span<const float> y),              \
    (system, x, y))                                                                                \
  X(draw_markers, (char system, std::span<const float> x, std::span<const float> y),               \
    (system, x, y))                                                                                \
  X(fill_polygon, (char system, std::span<const float> x, std::span<const float> y),               \
    (system, x, y))                                                                                \
  X(draw_text,                                                                                     \
    (char system, float x, float y, std::string_view text, float rotation, int x_offset,           \
     int y_offset),                                                                                \
    (system, x, y, text, rotation, x_offset, y_offset))                                            \
  /* 901: transforms the points in place. */                                                       \
  X(transform_points, (char from, char to, std::span<float> x, std::span<float> y),                \
    (from, to, x, y))                                                                              \
  /* 1001, 1007, 1002, 1008, 1005, 1013: attributes. */                                            \
  X(set_line_attributes, (const LineAttributes& a), (a))                                           \
  X(query_line_attributes, (LineAttributes& a), (a))                                               \
  X(set_text_attributes, (const TextAttributes& a), (a))                                           \
  X(query_text_attributes, (TextAttributes& a), (a))                                               \
  X(set_marker_attributes, (const MarkerAttributes& a), (a))                                       \
  X(query_attribute_values, (AttributeValues& v), (v))                                             \
  /* 1201, 1202, 1204, 1205, 1207, 1208, 1206: colours. */                                         \
  X(set_colour, (int colour), (colour))                                                            \
  X(define_colour, (int colour, int red, int green, int blue), (colour, red, green, blue))         \
  X(init_colours, (), ())                                                                          \
  X(define_colour_name, (int colour, std::string_view name), (colour, name))                       \
  X(query_current_colour, (int& colour), (colour))                                                 \
  X(query_colour_count, (int& count), (count))                                                     \
  X(query_colour, (int colour, int name_length, int device_length, ColourInfo& info),              \
    (colour, name_length, device_length, info))

class DrawingRequests {
 public:
  virtual ~DrawingRequests() = default;

  // 101 (GR_INIT): finds or starts the server and starts plotting in `mode`; `running` tells
  // whether a server was already there.  102 (GR_END): ends plotting; option 1 also ends the
  // server.
  virtual int start_plotting(int mode, bool& running) = 0;
  virtual int end_plotting(int option) = 0;

#define KOR_DECLARE_REQUEST(name, parameters, arguments) virtual int name parameters = 0;
  KOR_DRAWING_REQUESTS(KOR_DECLARE_REQUEST)
#undef KOR_DECLARE_REQUEST
};

// The requests over a graphics link owned by the caller.  start_plotting first resets the link
// (GR_RESET), so that a run starts from a closed, idle link.
class LinkRequests : public DrawingRequests {
 public:
  explicit LinkRequests(LinkState& link) : link_(link) {}

  int start_plotting(int mode, bool& running) override;
  int end_plotting(int option) override;

#define KOR_DECLARE_REQUEST(name, parameters, arguments) int name parameters override;
  KOR_DRAWING_REQUESTS(KOR_DECLARE_REQUEST)
#undef KOR_DECLARE_REQUEST

 private:
  LinkState& link_;
};

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_DRAWING_H_
