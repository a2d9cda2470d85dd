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

class DrawingRequests {
 public:
  virtual ~DrawingRequests() = default;

  // 101 (GR_INIT): finds or starts the server and starts plotting in `mode`; `running` tells
  // whether a server was already there.  102 (GR_END): ends plotting; option 1 also ends the
  // server.
  virtual int start_plotting(int mode, bool& running) = 0;
  virtual int end_plotting(int option) = 0;

  // 103 / 104: the server's mode.
  virtual int set_mode(int mode) = 0;
  virtual int query_mode(int& mode) = 0;

  // 202, 207, 213, 214: commands without arguments.
  virtual int send_command(int code) = 0;

  // 216: the output device.
  virtual int select_device(std::string_view device, int colour_type, std::string_view file,
                            const std::array<float, 3>& reals) = 0;

  // 301 and 602: requests of four reals.
  virtual int send_four_reals(int code, const std::array<float, 4>& values) = 0;

  // 303: bounds of a coordinate system.
  virtual int query_bounds(char system, Bounds& bounds) = 0;

  // 601, 603, 604: graph coordinates, an axis, axis labels.
  virtual int set_graph_coordinates(const GraphCoordinates& g) = 0;
  virtual int draw_axis(const AxisPlace& axis, const std::array<int, 5>& settings,
                        std::span<const float> ticks) = 0;
  virtual int draw_axis_labels(const AxisPlace& axis, const std::array<int, 4>& settings,
                               std::span<const float> positions,
                               std::span<const std::string> labels, int label_length) = 0;

  // 801, 803, 812, 802: polyline, markers, filled polygon, text.
  virtual int draw_polyline(char system, std::span<const float> x, std::span<const float> y) = 0;
  virtual int draw_markers(char system, std::span<const float> x, std::span<const float> y) = 0;
  virtual int fill_polygon(char system, std::span<const float> x, std::span<const float> y) = 0;
  virtual int draw_text(char system, float x, float y, std::string_view text, float rotation,
                        int x_offset, int y_offset) = 0;

  // 901: transforms the points in place.
  virtual int transform_points(char from, char to, std::span<float> x, std::span<float> y) = 0;

  // 1001, 1007, 1002, 1008, 1005, 1013: attributes.
  virtual int set_line_attributes(const LineAttributes& a) = 0;
  virtual int query_line_attributes(LineAttributes& a) = 0;
  virtual int set_text_attributes(const TextAttributes& a) = 0;
  virtual int query_text_attributes(TextAttributes& a) = 0;
  virtual int set_marker_attributes(const MarkerAttributes& a) = 0;
  virtual int query_attribute_values(AttributeValues& v) = 0;

  // 1201, 1202, 1204, 1205, 1207, 1208, 1206: colours.
  virtual int set_colour(int colour) = 0;
  virtual int define_colour(int colour, int red, int green, int blue) = 0;
  virtual int init_colours() = 0;
  virtual int define_colour_name(int colour, std::string_view name) = 0;
  virtual int query_current_colour(int& colour) = 0;
  virtual int query_colour_count(int& count) = 0;
  virtual int query_colour(int colour, int name_length, int device_length, ColourInfo& info) = 0;
};

// The requests over a graphics link owned by the caller.  start_plotting first resets the link
// (GR_RESET), so that a run starts from a closed, idle link.
class LinkRequests : public DrawingRequests {
 public:
  explicit LinkRequests(LinkState& link) : link_(link) {}

  int start_plotting(int mode, bool& running) override;
  int end_plotting(int option) override;
  int set_mode(int mode) override;
  int query_mode(int& mode) override;
  int send_command(int code) override;
  int select_device(std::string_view device, int colour_type, std::string_view file,
                    const std::array<float, 3>& reals) override;
  int send_four_reals(int code, const std::array<float, 4>& values) override;
  int query_bounds(char system, Bounds& bounds) override;
  int set_graph_coordinates(const GraphCoordinates& g) override;
  int draw_axis(const AxisPlace& axis, const std::array<int, 5>& settings,
                std::span<const float> ticks) override;
  int draw_axis_labels(const AxisPlace& axis, const std::array<int, 4>& settings,
                       std::span<const float> positions, std::span<const std::string> labels,
                       int label_length) override;
  int draw_polyline(char system, std::span<const float> x, std::span<const float> y) override;
  int draw_markers(char system, std::span<const float> x, std::span<const float> y) override;
  int fill_polygon(char system, std::span<const float> x, std::span<const float> y) override;
  int draw_text(char system, float x, float y, std::string_view text, float rotation, int x_offset,
                int y_offset) override;
  int transform_points(char from, char to, std::span<float> x, std::span<float> y) override;
  int set_line_attributes(const LineAttributes& a) override;
  int query_line_attributes(LineAttributes& a) override;
  int set_text_attributes(const TextAttributes& a) override;
  int query_text_attributes(TextAttributes& a) override;
  int set_marker_attributes(const MarkerAttributes& a) override;
  int query_attribute_values(AttributeValues& v) override;
  int set_colour(int colour) override;
  int define_colour(int colour, int red, int green, int blue) override;
  int init_colours() override;
  int define_colour_name(int colour, std::string_view name) override;
  int query_current_colour(int& colour) override;
  int query_colour_count(int& count) override;
  int query_colour(int colour, int name_length, int device_length, ColourInfo& info) override;

 private:
  LinkState& link_;
};

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_DRAWING_H_
