#include "plot/draw/lines.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <vector>

#include "plot/draw/points.h"
#include "plot/messages.h"
#include "util/listout.h"
#include "util/missing.h"

namespace kor::plot::draw {
namespace {

// Sets the colour of a line style and its type and width.
void begin_style(Pen& pen, const LineStyle& style) {
  pen.send(&Requests::set_colour, style.colour)
      .send(&Requests::set_line_attributes,
            graphics::LineAttributes{style.type, 1, style.width, 1});
}

}  // namespace

char trace_system(const PlotSettings& settings, int trace) {
  return settings.right_axis && trace >= 0 && trace < kMaxTraces && settings.right_trace[trace]
             ? 'Q'
             : 'M';
}

int draw_line_runs(Pen& pen, const LineStyle& style, char system, bool swap,
                   std::span<const float> x, std::span<const float> y) {
  if (style.colour < 1) return 0;
  const SavedColour saved(pen);
  begin_style(pen, style);
  const std::size_t n = std::min(x.size(), y.size());
  std::size_t i = 0;
  while (i < n && pen.failure == 0) {
    if (!present(x[i]) || !present(y[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < n && present(x[end]) && present(y[end])) ++end;
    if (end - i > 1) {
      const auto a = x.subspan(i, end - i), b = y.subspan(i, end - i);
      pen.send(&Requests::draw_polyline, system, swap ? b : a, swap ? a : b);
    }
    i = end;
  }
  saved.restore(pen);
  return pen.finish();
}

int PLT_GLIN(Pen& pen, const PlotSettings& settings, int number, char system,
             std::span<const float> x, std::span<const float> y) {
  if (number < 1 || number > settings.line_defs || number > kMaxTraces) {
    PLT_MSG(-15, " ", pen.os);
    return -15;
  }
  const LineStyle style{settings.line_colour[number - 1], settings.line_type[number - 1],
                        settings.line_width[number - 1]};
  return draw_line_runs(pen, style, system, settings.reversed, x, y);
}

int PLT_GMRK(Pen& pen, const PlotSettings& settings, const PlotLayout& layout, int number,
             char system, std::span<const float> x, std::span<const float> y) {
  if (number < 1 || number > settings.marker_defs || number > kMaxTraces) {
    PLT_MSG(-16, " ", pen.os);
    return -16;
  }
  const int m = number - 1;
  if (settings.marker_colour[m] < 1) return 0;
  const std::size_t n = std::min(x.size(), y.size());
  std::vector<float> mx(n), my(n);
  const float away =
      static_cast<float>(layout.x.start - 0.5 * std::fabs(layout.x.stop - layout.x.start));
  for (std::size_t i = 0; i < n; ++i) {
    const bool ok = present(x[i]) && present(y[i]);
    mx[i] = ok ? x[i] : away;
    my[i] = ok ? y[i] : static_cast<float>(kPlotMissing);
  }
  if (settings.reversed) std::swap(mx, my);
  return draw_marker_points(pen, settings, number, system, mx, my);
}

int draw_marker_points(Pen& pen, const PlotSettings& settings, int number, char system,
                       std::span<const float> x, std::span<const float> y) {
  const int m = number - 1;
  const graphics::MarkerAttributes a{settings.marker_type[m], 0,
                                     static_cast<float>(settings.marker_size[m]),
                                     static_cast<float>(settings.marker_width[m])};
  const SavedColour saved(pen);
  pen.send(&Requests::set_colour, settings.marker_colour[m])
      .send(&Requests::set_marker_attributes, a)
      .send(&Requests::draw_markers, system, x, y);
  saved.restore(pen);
  return pen.finish();
}

std::vector<int> marked_points(int points, int interval) {
  std::vector<int> out;
  if (interval < 1) return out;
  for (int i = 0; i < points; i += interval) out.push_back(i);
  return out;
}

int bar_trace_count(const PlotSettings& settings, int trace_count) {
  int bars = 0;
  for (int h = 0; h < std::clamp(trace_count, 0, kMaxTraces); ++h) {
    if (settings.bar_colour[h] > 0) ++bars;
  }
  return bars;
}

int draw_bars(Pen& pen, const PlotView& view, int trace, char system, int& k) {
  const PlotSettings& s = view.settings;
  ++k;
  const double w = view.layout.bar_width;
  const int bars = bar_trace_count(s, view.trace_count);
  const double shift = (bars * 0.5 - k + 1) * w;
  const bool right = system == 'Q';
  const bool log = (right ? s.right_axis_type : s.left_axis_type) == 2;
  const float base =
      log ? static_cast<float>(right ? view.layout.ry.start : view.layout.y.start) : 0.0f;
  const auto x = trace_x(view, trace), y = trace_y(view, trace);
  // Outlines: every bar as a closed line, the bars separated by a missing point so that one
  // PLT_GLIN call draws them all.
  std::vector<float> ox, oy;
  const SavedColour saved(pen);
  pen.send(&Requests::set_colour, s.bar_colour[trace]);
  for (std::size_t i = 0; i < std::min(x.size(), y.size()) && pen.failure == 0; ++i) {
    if (!present(x[i]) || !present(y[i])) continue;
    const float x0 = static_cast<float>(x[i] - shift), x1 = static_cast<float>(x0 + w);
    std::vector<float> rx{x0, x1, x1, x0, x0}, ry{base, base, y[i], y[i], base};
    if (s.reversed) std::swap(rx, ry);
    pen.send(&Requests::fill_polygon, system, std::span<const float>(rx.data(), 4),
             std::span<const float>(ry.data(), 4));
    if (s.reversed) std::swap(rx, ry);  // PLT_GLIN swaps them itself
    ox.insert(ox.end(), rx.begin(), rx.end());
    oy.insert(oy.end(), ry.begin(), ry.end());
    ox.push_back(static_cast<float>(kPlotMissing));
    oy.push_back(static_cast<float>(kPlotMissing));
  }
  saved.restore(pen);
  if (const int rc = pen.finish(); rc != 0) return rc;
  return PLT_GLIN(pen, s, trace + 1, system, ox, oy);
}

int draw_traces(Pen& pen, const PlotView& view) {
  const PlotSettings& s = view.settings;
  const int n = std::clamp(view.trace_count, 0, kMaxTraces);
  int k = 0;
  for (int h = 0; h < n; ++h) {
    if (s.bar_colour[h] <= 0) continue;
    pen.then([&] { return draw_bars(pen, view, h, trace_system(s, h), k); });
  }
  for (int h = 0; h < n && pen.failure == 0; ++h) {
    if (s.bar_colour[h] > 0) continue;
    const char system = trace_system(s, h);
    const auto x = trace_x(view, h), y = trace_y(view, h);
    pen.then([&] { return PLT_GLIN(pen, s, h + 1, system, x, y); });
    const std::vector<int> at = marked_points(static_cast<int>(x.size()), s.marker_interval[h]);
    if (at.empty()) continue;
    std::vector<float> mx, my;
    for (int i : at) {
      mx.push_back(x[i]);
      my.push_back(y[i]);
    }
    pen.then([&] { return PLT_GMRK(pen, s, view.layout, h + 1, system, mx, my); });
  }
  pen.then([&] { return draw_reference_lines(pen, view, false); });
  if (s.right_axis) pen.then([&] { return draw_reference_lines(pen, view, true); });
  return pen.finish();
}

int draw_reference_lines(Pen& pen, const PlotView& view, bool right) {
  const RefLines& lines = right ? view.settings.right_refs : view.settings.left_refs;
  const float x0 = static_cast<float>(view.layout.x.start);
  const float x1 = static_cast<float>(view.layout.x.stop);
  for (int i = 0; i < std::clamp(lines.count, 0, kMaxTraces); ++i) {
    if (lines.colour[i] <= 0) continue;
    const float y = static_cast<float>(lines.ordinate[i]);
    const float x[] = {x0, x1}, yy[] = {y, y};
    const LineStyle style{lines.colour[i], lines.type[i], lines.width[i]};
    if (const int rc = draw_line_runs(pen, style, right ? 'Q' : 'M', view.settings.reversed, x, yy);
        rc != 0) {
      return rc;
    }
  }
  return 0;
}

int draw_attribute_lines(Pen& pen, const PlotView& view, double c) {
  const PlotSettings& s = view.settings;
  const float xa = static_cast<float>(view.layout.x.start);
  const float xb = static_cast<float>(view.layout.x.stop);
  const float ya = static_cast<float>(view.layout.y.start);
  const float yb = static_cast<float>(view.layout.y.stop);
  const float f = static_cast<float>(c);
  const float lines[4][4] = {
      {f, f, ya, yb},    // vertical at c
      {xa, xb, xa, xb},  // perfect reliability
      {xa, xb, static_cast<float>((c + xa) / 2), static_cast<float>((c + xb) / 2)},  // no skill
      {xa, xb, f, f},                                                                // climatology
  };
  for (int i = 0; i < 4; ++i) {
    const LineStyle style{s.adl_colour[i], s.adl_type[i], s.adl_width[i]};
    const float x[] = {lines[i][0], lines[i][1]}, y[] = {lines[i][2], lines[i][3]};
    if (const int rc = draw_line_runs(pen, style, 'M', s.reversed, x, y); rc != 0) return rc;
  }
  return 0;
}

int draw_reference_polyline(Pen& pen, const PlotView& view) {
  const PlotSettings& s = view.settings;
  const int n = std::clamp(s.ref_count, 0, kMaxRefPoints);
  if (n == 0) return 0;
  graphics::Bounds b;
  if (const int rc = check(pen.rq.query_bounds('M', b), pen.os); rc != 0) return rc;
  auto widen_min = [](double v) { return v < 0 ? v * 1.01 : v * 0.99; };
  auto widen_max = [](double v) { return v > 0 ? v * 1.01 : v * 0.99; };
  const double x1 = widen_min(std::min(b.left, b.right)), x2 = widen_max(std::max(b.left, b.right));
  const double y1 = widen_min(std::min(b.bottom, b.top)), y2 = widen_max(std::max(b.bottom, b.top));
  std::vector<float> x(s.ref_x.begin(), s.ref_x.begin() + n),
      y(s.ref_y.begin(), s.ref_y.begin() + n);
  if (s.reversed) std::swap(x, y);
  for (int i = 0; i < n; ++i) {
    if (x[i] < x1 || x[i] > x2 || y[i] < y1 || y[i] > y2) {
      util::list_write(
          pen.os, {" Valid coordinate bounds are (", x1, ", ", y1, ") to (", x2, ", ", y2, ")."});
      return graphics_error(13, pen.os);
    }
  }
  const LineStyle style{s.ref_colour, s.ref_type, s.ref_width};
  return draw_line_runs(pen, style, 'M', false, x, y);
}

}  // namespace kor::plot::draw
