// A plot to draw in the tests of the plot methods: settings with their defaults for a number of
// traces, a layout, the traces, and the recording stand-in of the graphics server; and a compact
// text of a recorded request, so that a test can compare a request stream with the stream it
// expects, written out line by line.
#ifndef KOR_TESTS_PLOT_DRAW_DRAW_FIXTURE_H_
#define KOR_TESTS_PLOT_DRAW_DRAW_FIXTURE_H_

#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "plot/draw/pen.h"
#include "plot/draw/view.h"
#include "plot/state.h"
#include "tests/support/recording_requests.h"

namespace kor::plot::draw::testing {

// A value as the stream texts write it: up to six significant digits.
inline std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

// "code system ints reals x=[...] y=[...] 'texts'", leaving out what the request does not use.
inline std::string describe(const kor::testing::RecordedRequest& r) {
  std::string s = std::to_string(r.code);
  if (r.system) s += std::string(" ") + r.system;
  if (r.to_system) s += std::string(">") + r.to_system;
  for (int i : r.ints) s += " " + std::to_string(i);
  for (float v : r.reals) s += " " + num(v);
  auto list = [](const std::vector<float>& v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + num(v[i]);
    return out;
  };
  if (!r.x.empty()) s += " x=" + list(r.x);
  if (!r.y.empty()) s += " y=" + list(r.y);
  for (const std::string& t : r.texts) s += " '" + t + "'";
  return s;
}

inline std::vector<std::string> stream(const kor::testing::RecordingRequests& rq) {
  std::vector<std::string> out;
  for (const auto& r : rq.calls) out.push_back(describe(r));
  return out;
}

// The requests with code `code`, described.
inline std::vector<std::string> of_code(const kor::testing::RecordingRequests& rq, int code) {
  std::vector<std::string> out;
  for (const auto& r : rq.calls) {
    if (r.code == code) out.push_back(describe(r));
  }
  return out;
}

struct DrawFixture {
  explicit DrawFixture(int traces = 1) : trace_count(traces) {
    reset_settings(settings, traces, true);
    layout.x.start = 0;
    layout.x.stop = 10;
    layout.y.start = 0;
    layout.y.stop = 10;
  }
  // Sets the points of trace position t (0-based).
  void set_trace(int t, std::initializer_list<float> x, std::initializer_list<float> y) {
    int i = 0;
    for (float v : x) traces.X(t, i++) = v;
    i = 0;
    for (float v : y) traces.Y(t, i++) = v;
    traces.count[t] = static_cast<int>(x.size());
  }
  PlotView view(int final_type) const {
    PlotView v(settings, layout, traces);
    v.trace_count = trace_count;
    v.final_type = final_type;
    for (auto& s : v.summary) s.fill(kPlotMissing);
    v.clim_freq.fill(kPlotMissing);
    return v;
  }

  int trace_count;
  PlotSettings settings;
  PlotLayout layout;
  resample::PlotTraces traces{64};
  kor::testing::RecordingRequests rq;
  std::ostringstream out;
  Pen pen{rq, out};
};

}  // namespace kor::plot::draw::testing

#endif  // KOR_TESTS_PLOT_DRAW_DRAW_FIXTURE_H_
