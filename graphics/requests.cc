#include "graphics/requests.h"

#include <algorithm>
#include <vector>

#include "graphics/request_codes.h"
#include "util/text.h"

namespace kor::graphics {
namespace {

Word as_word(float v) { return real_word(v); }

// Sends `values` as reals, in pieces of one message's size.
int put_reals(LinkState& link, std::span<const float> values) {
  std::array<Word, kMessageWords> chunk{};
  for (std::size_t i = 0; i < values.size(); i += chunk.size()) {
    const std::size_t n = std::min(chunk.size(), values.size() - i);
    for (std::size_t k = 0; k < n; ++k) chunk[k] = real_word(values[i + k]);
    const int status = REQ_PUT(link, std::span<const Word>(chunk.data(), n));
    if (status != 0) return status;
  }
  return 0;
}

// Reads and drops what is left of the current reply.
int drop_reply(LinkState& link) {
  std::array<Word, kMessageWords> scratch{};
  while (reply_words_owed(link) > 0) {
    const std::size_t n = std::min<std::size_t>(scratch.size(), reply_words_owed(link));
    const int status = REQ_GET(link, std::span<Word>(scratch.data(), n));
    if (status != 0) return status;
  }
  return 0;
}

// Reads the return code and, when it is 0, `results`; the rest of the reply is dropped.
int read_reply(LinkState& link, std::span<Word> results) {
  Word rc[1] = {0};
  int status = REQ_GET(link, rc);
  if (status != 0) return status;
  if (rc[0] == 0 && !results.empty()) {
    status = REQ_GET(link, results);
    if (status != 0) return status;
  }
  status = drop_reply(link);
  return status != 0 ? status : rc[0];
}

// One request of fixed words and its reply.
int exchange(LinkState& link, std::span<const Word> request, std::span<Word> results = {}) {
  const int status = REQ_PUT(link, request);
  if (status != 0) return status;
  return read_reply(link, results);
}

// Polyline, markers and polygon: [2n + 4, code, system, n], x values, y values.
int point_request(LinkState& link, int code, char system, std::span<const float> x,
                  std::span<const float> y, std::size_t minimum) {
  const int sys = coordinate_system(system);
  if (sys == 0) return kBadSystem;
  const std::size_t n = std::min(x.size(), y.size());
  if (n < minimum) return 0;
  if (exceeds_request_limit(2 * static_cast<std::int64_t>(n) + 4)) return kTooLarge;
  const int count = static_cast<int>(n);
  const Word head[4] = {2 * count + 4, code, sys, count};
  int status = REQ_PUT(link, head);
  if (status == 0) status = put_reals(link, x.first(n));
  if (status == 0) status = put_reals(link, y.first(n));
  if (status != 0) return status;
  return read_reply(link, {});
}

}  // namespace

bool exceeds_request_limit(std::int64_t length) { return length + 2 >= kRequestLimit; }

int set_mode(LinkState& link, int mode) {
  const Word request[3] = {3, kSetMode, mode};
  return exchange(link, request);
}

namespace {

// A request without arguments whose answer is one word, stored in `value` on success.
int query_word(LinkState& link, int code, int& value) {
  const Word request[2] = {2, code};
  Word result[1] = {value};
  const int rc = exchange(link, request, result);
  if (rc == 0) value = result[0];
  return rc;
}

}  // namespace

int query_mode(LinkState& link, int& mode) { return query_word(link, kQueryMode, mode); }

int query_output_failure(LinkState& link, std::string& file, std::string& reason) {
  const Word request[2] = {2, kQueryOutputFailure};
  int status = REQ_PUT(link, request);
  Word rc[1] = {0};
  if (status == 0) status = REQ_GET(link, rc);
  if (status != 0) return status;
  if (rc[0] == 0) {
    // Two texts, each behind its length in characters (at most 1024).
    for (std::string* text : {&file, &reason}) {
      Word length[1] = {0};
      status = REQ_GET(link, length);
      if (status != 0) return status;
      const int n = std::clamp<int>(length[0], 0, 1024);
      std::vector<Word> words(static_cast<std::size_t>(n > 0 ? text_words(n) : 0));
      if (!words.empty()) status = REQ_GET(link, words);
      if (status != 0) return status;
      *text = n > 0 ? unpack_text(words, n) : std::string();
    }
  }
  status = drop_reply(link);
  return status != 0 ? status : rc[0];
}

int send_command(LinkState& link, int code) {
  const Word request[2] = {2, code};
  return exchange(link, request);
}

int select_device(LinkState& link, std::string_view device, int colour_type, std::string_view file,
                  const std::array<float, 3>& reals) {
  std::vector<Word> request = {27, kSelectDevice};
  const std::vector<Word> name = pack_text(util::pad(device, 12), 3);
  const std::vector<Word> out = pack_text(util::pad(file, 72), 18);
  request.insert(request.end(), name.begin(), name.end());
  request.push_back(colour_type);
  request.insert(request.end(), out.begin(), out.end());
  for (float r : reals) request.push_back(real_word(r));
  return exchange(link, request);
}

int send_four_reals(LinkState& link, int code, const std::array<float, 4>& values) {
  const Word request[6] = {
      6, code, as_word(values[0]), as_word(values[1]), as_word(values[2]), as_word(values[3])};
  return exchange(link, request);
}

int query_bounds(LinkState& link, char system, Bounds& bounds) {
  const int sys = coordinate_system(system);
  if (sys == 0) return kBadSystem;
  const Word request[3] = {3, kQueryBounds, sys};
  Word result[4] = {};
  const int rc = exchange(link, request, result);
  if (rc == 0) {
    bounds = {word_real(result[0]), word_real(result[1]), word_real(result[2]),
              word_real(result[3])};
  }
  return rc;
}

int set_graph_coordinates(LinkState& link, const GraphCoordinates& g) {
  const Word request[9] = {9,
                           kSetGraph,
                           g.x_type,
                           g.y_type,
                           g.third,
                           as_word(g.x_min),
                           as_word(g.y_min),
                           as_word(g.x_max),
                           as_word(g.y_max)};
  return exchange(link, request);
}

int draw_axis(LinkState& link, const AxisPlace& axis, const std::array<int, 5>& settings,
              std::span<const float> ticks) {
  const std::int64_t length = static_cast<std::int64_t>(ticks.size()) + 10;
  if (exceeds_request_limit(length)) return kTooLarge;
  const int n = static_cast<int>(ticks.size());
  const Word head[10] = {static_cast<Word>(length),
                         kDrawAxis,
                         axis.axis,
                         as_word(axis.position),
                         settings[0],
                         settings[1],
                         settings[2],
                         settings[3],
                         settings[4],
                         n};
  int status = REQ_PUT(link, head);
  if (status == 0) status = put_reals(link, ticks);
  if (status != 0) return status;
  return read_reply(link, {});
}

int draw_axis_labels(LinkState& link, const AxisPlace& axis, const std::array<int, 4>& settings,
                     std::span<const float> positions, std::span<const std::string> labels,
                     int label_length) {
  const std::size_t count = std::min(positions.size(), labels.size());
  if (count > static_cast<std::size_t>(kMaxAxisLabels)) return kTooManyLabels;
  const int n = static_cast<int>(count);
  const int length_chars = std::max(label_length, 1);
  const int w = std::min(text_words(length_chars), kMaxLabelWords);
  const std::int64_t length = static_cast<std::int64_t>(n) * w + n + 10;
  if (exceeds_request_limit(length)) return kTooLarge;
  std::vector<Word> request = {static_cast<Word>(length),
                               kDrawAxisLabels,
                               axis.axis,
                               as_word(axis.position),
                               settings[0],
                               settings[1],
                               settings[2],
                               settings[3],
                               n};
  for (std::size_t i = 0; i < count; ++i) request.push_back(real_word(positions[i]));
  request.push_back(w);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view label(labels[i]);
    const std::vector<Word> words =
        pack_text(label.substr(0, std::min<std::size_t>(label.size(), length_chars)), w);
    request.insert(request.end(), words.begin(), words.end());
  }
  return exchange(link, request);
}

int draw_polyline(LinkState& link, char system, std::span<const float> x,
                  std::span<const float> y) {
  return point_request(link, kPolyline, system, x, y, 2);
}

int draw_markers(LinkState& link, char system, std::span<const float> x, std::span<const float> y) {
  return point_request(link, kMarkers, system, x, y, 1);
}

int fill_polygon(LinkState& link, char system, std::span<const float> x, std::span<const float> y) {
  return point_request(link, kFillPolygon, system, x, y, 3);
}

int draw_text(LinkState& link, char system, float x, float y, std::string_view text, float rotation,
              int x_offset, int y_offset) {
  const int sys = coordinate_system(system);
  if (sys == 0) return kBadSystem;
  std::string t(util::rtrim(text).substr(0, kMaxTextCharacters));
  if (t.empty()) return 0;
  std::replace(t.begin(), t.end(), '\n', '\r');
  const int e = text_words(static_cast<int>(t.size()));
  std::vector<Word> request = {e + 8, kText, sys, real_word(x), real_word(y)};
  const std::vector<Word> words = pack_text(t, e);
  request.insert(request.end(), words.begin(), words.end());
  request.push_back(real_word(rotation));
  request.push_back(x_offset);
  request.push_back(y_offset);
  return exchange(link, request);
}

int transform_points(LinkState& link, char from, char to, std::span<float> x, std::span<float> y) {
  const int from_sys = coordinate_system(from);
  const int to_sys = coordinate_system(to);
  if (from_sys == 0 || to_sys == 0) return kBadSystem;
  const std::size_t n = std::min(x.size(), y.size());
  std::vector<Word> values;
  for (std::size_t start = 0; start < n; start += kTransformSlice) {
    const std::size_t m = std::min<std::size_t>(kTransformSlice, n - start);
    const int count = static_cast<int>(m);
    const Word head[5] = {2 * count + 5, kTransform, from_sys, to_sys, count};
    int status = REQ_PUT(link, head);
    if (status == 0) status = put_reals(link, x.subspan(start, m));
    if (status == 0) status = put_reals(link, y.subspan(start, m));
    if (status != 0) return status;
    // The slice's results are read whole before any point changes, so that a short or failed
    // reply leaves the caller's points as they were.
    values.resize(2 * m);
    for (std::size_t k = 0; k < m; ++k) {
      values[k] = real_word(x[start + k]);
      values[m + k] = real_word(y[start + k]);
    }
    const int rc = read_reply(link, values);
    if (rc != 0) return rc;
    for (std::size_t k = 0; k < m; ++k) {
      x[start + k] = word_real(values[k]);
      y[start + k] = word_real(values[m + k]);
    }
  }
  return 0;
}

int set_line_attributes(LinkState& link, const LineAttributes& a) {
  const Word request[6] = {6, kSetLineAttributes, a.type, a.type_flag, a.width, a.width_flag};
  return exchange(link, request);
}

int query_line_attributes(LinkState& link, LineAttributes& a) {
  const Word request[2] = {2, kQueryLineAttributes};
  Word r[4] = {a.type, a.type_flag, a.width, a.width_flag};
  const int rc = exchange(link, request, r);
  if (rc == 0) a = {r[0], r[1], r[2], r[3]};
  return rc;
}

int set_text_attributes(LinkState& link, const TextAttributes& a) {
  const Word request[9] = {9,          kSetTextAttributes, a.font,
                           a.hardware, real_word(a.size),  a.width,
                           a.border,   a.rotation,         a.justification};
  return exchange(link, request);
}

int query_text_attributes(LinkState& link, TextAttributes& a) {
  const Word request[2] = {2, kQueryTextAttributes};
  Word r[7] = {a.font,   a.hardware, real_word(a.size), a.width,
               a.border, a.rotation, a.justification};
  const int rc = exchange(link, request, r);
  if (rc == 0) a = {r[0], r[1], word_real(r[2]), r[3], r[4], r[5], r[6]};
  return rc;
}

int set_marker_attributes(LinkState& link, const MarkerAttributes& a) {
  const Word request[6] = {6,      kSetMarkerAttributes, a.type,
                           a.flag, real_word(a.size),    real_word(a.width)};
  return exchange(link, request);
}

int query_attribute_values(LinkState& link, AttributeValues& v) {
  const Word request[2] = {2, kQueryAttributeValues};
  Word r[6] = {v.first[0], v.first[1], real_word(v.reals[0]), real_word(v.reals[1]),
               v.last[0],  v.last[1]};
  const int rc = exchange(link, request, r);
  if (rc == 0) {
    v.first = {r[0], r[1]};
    v.reals = {word_real(r[2]), word_real(r[3])};
    v.last = {r[4], r[5]};
  }
  return rc;
}

int set_colour(LinkState& link, int colour) {
  const Word request[3] = {3, kSetColour, colour};
  return exchange(link, request);
}

int define_colour(LinkState& link, int colour, int red, int green, int blue) {
  const Word request[6] = {6, kDefineColour, colour, red, green, blue};
  return exchange(link, request);
}

int init_colours(LinkState& link) {
  const Word request[2] = {2, kInitColours};
  return exchange(link, request);
}

int define_colour_name(LinkState& link, int colour, std::string_view name) {
  std::vector<Word> request = {14, kDefineColourName, colour, 40};
  const std::vector<Word> words = pack_text(util::pad(name, 40), 10);
  request.insert(request.end(), words.begin(), words.end());
  return exchange(link, request);
}

int query_current_colour(LinkState& link, int& colour) {
  return query_word(link, kQueryCurrentColour, colour);
}

int query_colour_count(LinkState& link, int& count) {
  return query_word(link, kQueryColourCount, count);
}

int query_colour(LinkState& link, int colour, int name_length, int device_length,
                 ColourInfo& info) {
  const Word request[3] = {3, kQueryColour, colour};
  std::array<Word, 43> r;
  const std::vector<Word> blank = pack_text("", 20);
  std::copy(blank.begin(), blank.end(), r.begin());
  std::copy(blank.begin(), blank.end(), r.begin() + 23);
  r[20] = info.red;
  r[21] = info.green;
  r[22] = info.blue;
  const int rc = exchange(link, request, r);
  if (rc == 0) {
    info.name = unpack_text(std::span<const Word>(r.data(), 20), name_length);
    info.red = r[20];
    info.green = r[21];
    info.blue = r[22];
    info.device_name = unpack_text(std::span<const Word>(r.data() + 23, 20), device_length);
  }
  return rc;
}

}  // namespace kor::graphics
