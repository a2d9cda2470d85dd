#include "graphics/drawing.h"

namespace kor::graphics {

int LinkRequests::start_plotting(int mode, bool& running) {
  GR_RESET(link_);
  return GR_INIT(link_, mode, running);
}

int LinkRequests::end_plotting(int option) { return GR_END(link_, option); }

int LinkRequests::set_mode(int mode) { return graphics::set_mode(link_, mode); }

int LinkRequests::query_mode(int& mode) { return graphics::query_mode(link_, mode); }

int LinkRequests::send_command(int code) { return graphics::send_command(link_, code); }

int LinkRequests::select_device(std::string_view device, int colour_type, std::string_view file,
                                const std::array<float, 3>& reals) {
  return graphics::select_device(link_, device, colour_type, file, reals);
}

int LinkRequests::send_four_reals(int code, const std::array<float, 4>& values) {
  return graphics::send_four_reals(link_, code, values);
}

int LinkRequests::query_bounds(char system, Bounds& bounds) {
  return graphics::query_bounds(link_, system, bounds);
}

int LinkRequests::set_graph_coordinates(const GraphCoordinates& g) {
  return graphics::set_graph_coordinates(link_, g);
}

int LinkRequests::draw_axis(const AxisPlace& axis, const std::array<int, 5>& settings,
                            std::span<const float> ticks) {
  return graphics::draw_axis(link_, axis, settings, ticks);
}

int LinkRequests::draw_axis_labels(const AxisPlace& axis, const std::array<int, 4>& settings,
                                   std::span<const float> positions,
                                   std::span<const std::string> labels, int label_length) {
  return graphics::draw_axis_labels(link_, axis, settings, positions, labels, label_length);
}

int LinkRequests::draw_polyline(char system, std::span<const float> x, std::span<const float> y) {
  return graphics::draw_polyline(link_, system, x, y);
}

int LinkRequests::draw_markers(char system, std::span<const float> x, std::span<const float> y) {
  return graphics::draw_markers(link_, system, x, y);
}

int LinkRequests::fill_polygon(char system, std::span<const float> x, std::span<const float> y) {
  return graphics::fill_polygon(link_, system, x, y);
}

int LinkRequests::draw_text(char system, float x, float y, std::string_view text, float rotation,
                            int x_offset, int y_offset) {
  return graphics::draw_text(link_, system, x, y, text, rotation, x_offset, y_offset);
}

int LinkRequests::transform_points(char from, char to, std::span<float> x, std::span<float> y) {
  return graphics::transform_points(link_, from, to, x, y);
}

int LinkRequests::set_line_attributes(const LineAttributes& a) {
  return graphics::set_line_attributes(link_, a);
}

int LinkRequests::query_line_attributes(LineAttributes& a) {
  return graphics::query_line_attributes(link_, a);
}

int LinkRequests::set_text_attributes(const TextAttributes& a) {
  return graphics::set_text_attributes(link_, a);
}

int LinkRequests::query_text_attributes(TextAttributes& a) {
  return graphics::query_text_attributes(link_, a);
}

int LinkRequests::set_marker_attributes(const MarkerAttributes& a) {
  return graphics::set_marker_attributes(link_, a);
}

int LinkRequests::query_attribute_values(AttributeValues& v) {
  return graphics::query_attribute_values(link_, v);
}

int LinkRequests::set_colour(int colour) { return graphics::set_colour(link_, colour); }

int LinkRequests::define_colour(int colour, int red, int green, int blue) {
  return graphics::define_colour(link_, colour, red, green, blue);
}

int LinkRequests::init_colours() { return graphics::init_colours(link_); }

int LinkRequests::define_colour_name(int colour, std::string_view name) {
  return graphics::define_colour_name(link_, colour, name);
}

int LinkRequests::query_current_colour(int& colour) {
  return graphics::query_current_colour(link_, colour);
}

int LinkRequests::query_colour_count(int& count) {
  return graphics::query_colour_count(link_, count);
}

int LinkRequests::query_colour(int colour, int name_length, int device_length, ColourInfo& info) {
  return graphics::query_colour(link_, colour, name_length, device_length, info);
}

}  // namespace kor::graphics
