// The drawing and query requests of the graphics client.
//
// Each routine checks its arguments, sends one request (or, for point transformation, one per
// slice) through REQ_PUT and reads the reply through REQ_GET.  The result is the server's return
// code, or the link status (link.h) when the transfer failed, or one of the client's own codes
// below, in which case nothing was sent.  Query results are written only when the server returned
// 0; words of a reply that the routine does not use are read and dropped, so the next request
// starts on a clean link.
//
// Reals travel as single precision.  Coordinate systems are given by their letters, "SDNVPLUWMQIG"
// in either case.
#ifndef KOR_GRAPHICS_REQUESTS_H_
#define KOR_GRAPHICS_REQUESTS_H_

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "graphics/link.h"

namespace kor::graphics {

// Codes of the client itself.
inline constexpr int kBadSystem = -6;       // coordinate-system letter not in the list
inline constexpr int kTooLarge = -7;        // request length + 2 reaches kRequestLimit
inline constexpr int kTooManyLabels = -36;  // more than kMaxAxisLabels axis labels

inline constexpr std::int64_t kRequestLimit = 4000129;
inline constexpr int kMaxTextCharacters = 400;
inline constexpr int kMaxAxisLabels = 530;
inline constexpr int kMaxLabelWords = 6;
inline constexpr int kTransformSlice = 1000030;  // points per transformation request

// True when a request of `length` words is refused with kTooLarge.
bool exceeds_request_limit(std::int64_t length);

// 103 / 104: set and query the server's mode.
[[nodiscard]] int set_mode(LinkState& link, int mode);
[[nodiscard]] int query_mode(LinkState& link, int& mode);

// 105: why the server's last output file could not be made or written: its name and the system's
// reason ("" and "" when none failed).
[[nodiscard]] int query_output_failure(LinkState& link, std::string& file, std::string& reason);

// 202, 207, 213, 214: commands without arguments.
[[nodiscard]] int send_command(LinkState& link, int code);

// 216: select the output device.  The device name travels in 12 characters (3 words), the file or
// window name in 72 characters (18 words), both cut or blank-padded.
[[nodiscard]] int select_device(LinkState& link, std::string_view device, int colour_type,
                                std::string_view file, const std::array<float, 3>& reals);

// 301 and 602: requests of four reals.
[[nodiscard]] int send_four_reals(LinkState& link, int code, const std::array<float, 4>& values);

// 303: bounds of a coordinate system.
struct Bounds {
  float left = 0, bottom = 0, right = 0, top = 0;
};
[[nodiscard]] int query_bounds(LinkState& link, char system, Bounds& bounds);

// 601: graph coordinates.
struct GraphCoordinates {
  int x_type = 0, y_type = 0, third = 0;
  float x_min = 0, y_min = 0, x_max = 0, y_max = 0;
};
[[nodiscard]] int set_graph_coordinates(LinkState& link, const GraphCoordinates& g);

// 603: an axis with its tick values (request length n + 10).
struct AxisPlace {
  int axis = 0;
  float position = 0;
};
[[nodiscard]] int draw_axis(LinkState& link, const AxisPlace& axis,
                            const std::array<int, 5>& settings, std::span<const float> ticks);

// 604: axis labels at `positions` (n = the smaller of the two counts; more than 530 gives -36).
// Every label is cut to `label_length` characters and sent in w = (label_length - 1)/4 + 1 words,
// at most 6 (24 characters); request length n w + n + 10.
[[nodiscard]] int draw_axis_labels(LinkState& link, const AxisPlace& axis,
                                   const std::array<int, 4>& settings,
                                   std::span<const float> positions,
                                   std::span<const std::string> labels, int label_length);

// 801: polyline through n points (n = the smaller of the two counts); n <= 1 sends nothing.
[[nodiscard]] int draw_polyline(LinkState& link, char system, std::span<const float> x,
                                std::span<const float> y);
// 803: markers; n <= 0 sends nothing.
[[nodiscard]] int draw_markers(LinkState& link, char system, std::span<const float> x,
                               std::span<const float> y);
// 812: filled polygon; n <= 2 sends nothing.
[[nodiscard]] int fill_polygon(LinkState& link, char system, std::span<const float> x,
                               std::span<const float> y);

// 802: text at (x, y).  Trailing blanks are dropped (an empty text sends nothing), at most 400
// characters are sent, and each line feed becomes a carriage return (the server's line break).
[[nodiscard]] int draw_text(LinkState& link, char system, float x, float y, std::string_view text,
                            float rotation, int x_offset, int y_offset);

// 901: transforms the points in place from one coordinate system to another, in requests of at
// most 1000030 points; a nonzero return code ends the loop (later points stay unchanged).
[[nodiscard]] int transform_points(LinkState& link, char from, char to, std::span<float> x,
                                   std::span<float> y);

// 1001 / 1007: line attributes.
struct LineAttributes {
  int type = 0, type_flag = 0, width = 0, width_flag = 0;
};
[[nodiscard]] int set_line_attributes(LinkState& link, const LineAttributes& a);
[[nodiscard]] int query_line_attributes(LinkState& link, LineAttributes& a);

// 1002 / 1008: text attributes, in the order font, hardware flag, size, width, border, rotation,
// justification (the values of util::TXT_ATTR).
struct TextAttributes {
  int font = 0, hardware = 0;
  float size = 0;
  int width = 0, border = 0, rotation = 0, justification = 0;
};
[[nodiscard]] int set_text_attributes(LinkState& link, const TextAttributes& a);
[[nodiscard]] int query_text_attributes(LinkState& link, TextAttributes& a);

// 1005: marker attributes (two integers, two reals).
struct MarkerAttributes {
  int type = 0, flag = 0;
  float size = 0, width = 0;
};
[[nodiscard]] int set_marker_attributes(LinkState& link, const MarkerAttributes& a);

// 1013: six attribute values; the fourth (second real) is the character height.
struct AttributeValues {
  std::array<int, 2> first{};
  std::array<float, 2> reals{};
  std::array<int, 2> last{};
};
[[nodiscard]] int query_attribute_values(LinkState& link, AttributeValues& v);

// 1201 set the colour, 1202 define it by components, 1204 initialise the colour table, 1205
// define a colour by name (40 characters), 1207 current colour, 1208 number of colours.
[[nodiscard]] int set_colour(LinkState& link, int colour);
[[nodiscard]] int define_colour(LinkState& link, int colour, int red, int green, int blue);
[[nodiscard]] int init_colours(LinkState& link);
[[nodiscard]] int define_colour_name(LinkState& link, int colour, std::string_view name);
[[nodiscard]] int query_current_colour(LinkState& link, int& colour);
[[nodiscard]] int query_colour_count(LinkState& link, int& count);

// 1206: a colour's name (80 characters in 20 words), components and device name (20 words),
// unpacked into texts of `name_length` and `device_length` characters.
struct ColourInfo {
  std::string name;
  int red = 0, green = 0, blue = 0;
  std::string device_name;
};
[[nodiscard]] int query_colour(LinkState& link, int colour, int name_length, int device_length,
                               ColourInfo& info);

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_REQUESTS_H_
