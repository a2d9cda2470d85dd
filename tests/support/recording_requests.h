// A stand-in for the graphics server behind the drawing interface: it records every request as a
// structured entry (the request code and its arguments, texts and point lists included) and
// answers with return codes and query replies that a test scripts beforehand.  Any test folder
// can include it ("tests/support/recording_requests.h") and hand it to code written against
// graphics::DrawingRequests, then read back what was asked for.
#ifndef KOR_TESTS_SUPPORT_RECORDING_REQUESTS_H_
#define KOR_TESTS_SUPPORT_RECORDING_REQUESTS_H_

#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "graphics/drawing.h"
#include "graphics/request_codes.h"

namespace kor::testing {

// One request as it was asked for.  The fields a request does not use stay empty.
struct RecordedRequest {
  int code = 0;                    // graphics::RequestCode (the command's own code for 202-214)
  std::vector<int> ints;           // integer arguments, in the order of the call
  std::vector<float> reals;        // real arguments, in the order of the call
  std::vector<std::string> texts;  // text arguments (device and file name, colour name, labels)
  std::vector<float> x, y;         // point lists (ticks and label positions go in x)
  char system = 0;                 // coordinate system (the one transformed from for 901)
  char to_system = 0;              // coordinate system transformed to (901)
};

class RecordingRequests : public graphics::DrawingRequests {
 public:
  std::vector<RecordedRequest> calls;

  // Return codes: the codes listed for a request code are returned by its next calls in order;
  // once they are used up the request returns 0.  A query writes its reply only when it returns 0.
  std::map<int, std::deque<int>> returns;

  // Replies of the queries.
  bool running = true;  // start_plotting: a server was already there
  int mode = 2;
  graphics::Bounds bounds;                         // 303 for a system not in system_bounds
  std::map<char, graphics::Bounds> system_bounds;  // 303 by coordinate system
  graphics::LineAttributes line_attributes;
  graphics::TextAttributes text_attributes;
  graphics::AttributeValues attribute_values;
  std::string failed_file, failure_reason;  // 105
  int current_colour = 1;
  int colour_count = 0;
  std::map<int, graphics::ColourInfo> colours;  // by colour number; others reply blank, 0, 0, 0
  // 901: the points as the server returns them (the identity when not set).
  std::function<void(char from, char to, std::span<float> x, std::span<float> y)> transform;

  // The request codes in the order they were asked for.
  std::vector<int> codes() const {
    std::vector<int> out;
    for (const RecordedRequest& r : calls) out.push_back(r.code);
    return out;
  }

  int start_plotting(int mode_argument, bool& is_running) override {
    const int rc = record(request(graphics::kStartPlotting, {mode_argument}));
    if (rc == 0) is_running = running;
    return rc;
  }
  int end_plotting(int option) override {
    return record(request(graphics::kEndPlotting, {option}));
  }
  int set_mode(int m) override { return record(request(graphics::kSetMode, {m})); }
  int query_mode(int& m) override { return reply(record(request(graphics::kQueryMode)), m, mode); }
  int query_output_failure(std::string& file, std::string& reason) override {
    const int rc = record(request(graphics::kQueryOutputFailure));
    if (rc == 0) {
      file = failed_file;
      reason = failure_reason;
    }
    return rc;
  }
  int send_command(int code) override { return record(request(code)); }
  int select_device(std::string_view device, int colour_type, std::string_view file,
                    const std::array<float, 3>& reals) override {
    RecordedRequest r = request(graphics::kSelectDevice, {colour_type});
    r.reals.assign(reals.begin(), reals.end());
    r.texts = {std::string(device), std::string(file)};
    return record(r);
  }
  int send_four_reals(int code, const std::array<float, 4>& values) override {
    RecordedRequest r = request(code);
    r.reals.assign(values.begin(), values.end());
    return record(r);
  }
  int query_bounds(char system, graphics::Bounds& b) override {
    RecordedRequest r = request(graphics::kQueryBounds);
    r.system = system;
    const auto it = system_bounds.find(system);
    return reply(record(r), b, it != system_bounds.end() ? it->second : bounds);
  }
  int set_graph_coordinates(const graphics::GraphCoordinates& g) override {
    RecordedRequest r = request(graphics::kSetGraph, {g.x_type, g.y_type, g.third});
    r.reals = {g.x_min, g.y_min, g.x_max, g.y_max};
    return record(r);
  }
  int draw_axis(const graphics::AxisPlace& axis, const std::array<int, 5>& settings,
                std::span<const float> ticks) override {
    RecordedRequest r = request(graphics::kDrawAxis, {axis.axis});
    r.ints.insert(r.ints.end(), settings.begin(), settings.end());
    r.reals = {axis.position};
    r.x.assign(ticks.begin(), ticks.end());
    return record(r);
  }
  int draw_axis_labels(const graphics::AxisPlace& axis, const std::array<int, 4>& settings,
                       std::span<const float> positions, std::span<const std::string> labels,
                       int label_length) override {
    RecordedRequest r = request(graphics::kDrawAxisLabels, {axis.axis});
    r.ints.insert(r.ints.end(), settings.begin(), settings.end());
    r.ints.push_back(label_length);
    r.reals = {axis.position};
    r.x.assign(positions.begin(), positions.end());
    r.texts.assign(labels.begin(), labels.end());
    return record(r);
  }
  int draw_polyline(char system, std::span<const float> x, std::span<const float> y) override {
    return record(points(graphics::kPolyline, system, x, y));
  }
  int draw_markers(char system, std::span<const float> x, std::span<const float> y) override {
    return record(points(graphics::kMarkers, system, x, y));
  }
  int fill_polygon(char system, std::span<const float> x, std::span<const float> y) override {
    return record(points(graphics::kFillPolygon, system, x, y));
  }
  int draw_text(char system, float x, float y, std::string_view text, float rotation, int x_offset,
                int y_offset) override {
    RecordedRequest r = request(graphics::kText, {x_offset, y_offset});
    r.system = system;
    r.reals = {x, y, rotation};
    r.texts = {std::string(text)};
    return record(r);
  }
  int transform_points(char from, char to, std::span<float> x, std::span<float> y) override {
    RecordedRequest r = points(graphics::kTransform, from, x, y);
    r.to_system = to;
    const int rc = record(r);
    if (rc == 0 && transform) transform(from, to, x, y);
    return rc;
  }
  int set_line_attributes(const graphics::LineAttributes& a) override {
    return record(
        request(graphics::kSetLineAttributes, {a.type, a.type_flag, a.width, a.width_flag}));
  }
  int query_line_attributes(graphics::LineAttributes& a) override {
    return reply(record(request(graphics::kQueryLineAttributes)), a, line_attributes);
  }
  int set_text_attributes(const graphics::TextAttributes& a) override {
    RecordedRequest r =
        request(graphics::kSetTextAttributes,
                {a.font, a.hardware, a.width, a.border, a.rotation, a.justification});
    r.reals = {a.size};
    return record(r);
  }
  int query_text_attributes(graphics::TextAttributes& a) override {
    return reply(record(request(graphics::kQueryTextAttributes)), a, text_attributes);
  }
  int set_marker_attributes(const graphics::MarkerAttributes& a) override {
    RecordedRequest r = request(graphics::kSetMarkerAttributes, {a.type, a.flag});
    r.reals = {a.size, a.width};
    return record(r);
  }
  int query_attribute_values(graphics::AttributeValues& v) override {
    return reply(record(request(graphics::kQueryAttributeValues)), v, attribute_values);
  }
  int set_colour(int colour) override { return record(request(graphics::kSetColour, {colour})); }
  int define_colour(int colour, int red, int green, int blue) override {
    return record(request(graphics::kDefineColour, {colour, red, green, blue}));
  }
  int init_colours() override { return record(request(graphics::kInitColours)); }
  int define_colour_name(int colour, std::string_view name) override {
    RecordedRequest r = request(graphics::kDefineColourName, {colour});
    r.texts = {std::string(name)};
    return record(r);
  }
  int query_current_colour(int& colour) override {
    return reply(record(request(graphics::kQueryCurrentColour)), colour, current_colour);
  }
  int query_colour_count(int& count) override {
    return reply(record(request(graphics::kQueryColourCount)), count, colour_count);
  }
  int query_colour(int colour, int name_length, int device_length,
                   graphics::ColourInfo& info) override {
    const int rc = record(request(graphics::kQueryColour, {colour, name_length, device_length}));
    if (rc != 0) return rc;
    const auto it = colours.find(colour);
    info = it != colours.end() ? it->second : graphics::ColourInfo{};
    return 0;
  }

 private:
  int record(const RecordedRequest& r) {
    calls.push_back(r);
    std::deque<int>& codes = returns[r.code];
    if (codes.empty()) return 0;
    const int rc = codes.front();
    codes.pop_front();
    return rc;
  }
  template <typename T>
  static int reply(int rc, T& out, const T& value) {
    if (rc == 0) out = value;
    return rc;
  }
  static RecordedRequest request(int code, std::vector<int> ints = {}) {
    RecordedRequest r;
    r.code = code;
    r.ints = std::move(ints);
    return r;
  }
  static RecordedRequest points(int code, char system, std::span<const float> x,
                                std::span<const float> y) {
    RecordedRequest r = request(code);
    r.system = system;
    r.x.assign(x.begin(), x.end());
    r.y.assign(y.begin(), y.end());
    return r;
  }
};

}  // namespace kor::testing

#endif  // KOR_TESTS_SUPPORT_RECORDING_REQUESTS_H_
