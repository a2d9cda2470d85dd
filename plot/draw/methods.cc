#include "plot/draw/methods.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "graphics/request_codes.h"
#include "plot/draw/lines.h"
#include "plot/draw/points.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/missing.h"

namespace kor::plot::draw {
namespace {

// Lines of a statistics box: L_TEXT character heights between lines, the first line this far
// above the plot's top edge.
constexpr double kBoxLine = 1.05;
constexpr double kBoxFirst = 2.65;

}  // namespace

std::vector<HistogramBin> histogram_bins(std::span<const double> p, std::span<const float> values) {
  std::vector<HistogramBin> bins;
  const std::size_t n = p.size();
  if (n < 2) return bins;
  double left = p[0] - (p[1] - p[0]) / 2;
  for (std::size_t i = 0; i < n; ++i) {
    const double right = i + 1 < n ? p[i] + (p[i + 1] - p[i]) / 2 : p[i] + (p[i] - p[i - 1]) / 2;
    bins.push_back({left, right, 0});
    left = right;
  }
  int total = 0;
  for (float v : values) {
    if (!present(v)) continue;
    ++total;
    for (std::size_t i = 0; i < bins.size(); ++i) {
      const bool last = i + 1 == bins.size();
      if (v >= bins[i].left && (v < bins[i].right || (last && v == bins[i].right))) {
        bins[i].frequency += 1;
        break;
      }
    }
  }
  for (HistogramBin& b : bins) b.frequency = total > 0 ? b.frequency / total : 0;
  return bins;
}

ValueStatistics value_statistics(std::span<const float> values) {
  ValueStatistics st;
  double sum = 0, squares = 0;
  for (float v : values) {
    if (!present(v)) continue;
    if (st.count == 0) st.max = st.min = v;
    ++st.count;
    sum += v;
    squares += static_cast<double>(v) * v;
    st.max = std::max(st.max, static_cast<double>(v));
    st.min = std::min(st.min, static_cast<double>(v));
  }
  if (st.count > 0) {
    st.mean = sum / st.count;
    st.std_dev = std::sqrt(std::max(0.0, squares / st.count - st.mean * st.mean));
  }
  return st;
}

int draw_text_box(Pen& pen, const PlotView& view, const std::vector<std::string>& lines,
                  bool middle) {
  bool hardware = false;
  if (apply_text_attributes(pen, view.settings.l_text, kLeft, hardware) != 0) return -12;
  graphics::Bounds area;
  if (const int rc = check(pen.rq.query_bounds('P', area), pen.os); rc != 0) return rc;
  double cw = 0, ch = 0;
  if (const int rc = character_size(pen, cw, ch); rc != 0) return rc;
  const double x = middle ? (area.left + area.right) / 2 : area.left;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const double y = area.top + (kBoxFirst - kBoxLine * static_cast<double>(i)) * ch;
    const int rc =
        pen.rq.draw_text('V', static_cast<float>(x), static_cast<float>(y), lines[i], 0, 0, 0);
    if (rc != 0) return graphics_error(rc, pen.os);
  }
  return 0;
}

int draw_histogram(Pen& pen, const PlotView& view, bool statistics_box) {
  const PlotSettings& s = view.settings;
  if (s.reversed) {
    util::list_write(pen.os, {" Reversed coordinate histogram is not allowed."});
    return 0;
  }
  const AxisState& xa = view.layout.x;
  const std::vector<double> p(xa.labels.begin(),
                              xa.labels.begin() + std::clamp(xa.label_count, 0, kMaxAxisLabels));
  const auto values = view.trace_count > 0 ? trace_y(view, 0) : std::span<const float>();
  const std::vector<HistogramBin> bins = histogram_bins(p, values);
  const SavedColour saved(pen);
  const int colours = std::clamp(s.line_defs, 1, kMaxTraces);
  const float base = static_cast<float>(view.layout.y.start);
  for (std::size_t i = 0; i < bins.size() && pen.failure == 0; ++i) {
    const HistogramBin& b = bins[i];
    if (b.right == b.left || b.frequency <= 0) continue;
    const float x0 = static_cast<float>(b.left), x1 = static_cast<float>(b.right);
    const float top = static_cast<float>(b.frequency);
    const float rx[] = {x0, x1, x1, x0, x0}, ry[] = {base, base, top, top, base};
    const int colour = s.line_colour[i % static_cast<std::size_t>(colours)];
    pen.send(&Requests::set_colour, colour)
        .send(&Requests::fill_polygon, 'M', std::span<const float>(rx, 4),
              std::span<const float>(ry, 4));
    if (s.border_colour > 0 && pen.failure == 0) {
      const LineStyle border{s.border_colour, s.border_type, s.border_width};
      if (const int rc = draw_line_runs(pen, border, 'M', false, rx, ry); rc != 0) return rc;
    }
  }
  saved.restore(pen);
  if (const int rc = pen.finish(); rc != 0) return rc;
  if (statistics_box) {
    const ValueStatistics st = value_statistics(values);
    const std::vector<std::string> left{
        util::format("('COUNT = ',F10.0)", {static_cast<double>(st.count)}),
        util::format("('AVG = ',1PE12.5)", {st.mean}),
        util::format("('STD = ',1PE12.5)", {st.std_dev})};
    const std::vector<std::string> middle{util::format("('MAX = ',1PE12.5)", {st.max}),
                                          util::format("('MIN = ',1PE12.5)", {st.min})};
    if (const int rc = draw_text_box(pen, view, left, false); rc != 0) return rc;
    if (const int rc = draw_text_box(pen, view, middle, true); rc != 0) return rc;
  }
  return check(pen.rq.send_command(graphics::kFlushOutput), pen.os);
}

ScatterPairs scatter_pairs(std::span<const float> x1, std::span<const float> y1,
                           std::span<const float> x2, std::span<const float> y2) {
  ScatterPairs out;
  const std::size_t n1 = std::min(x1.size(), y1.size()), n2 = std::min(x2.size(), y2.size());
  std::size_t i = 0, j = 0;
  while (i < n1 && j < n2) {
    if (std::fabs(static_cast<double>(x1[i]) - x2[j]) < 1.0e-5) {
      out.x.push_back(y1[i++]);
      out.y.push_back(y2[j++]);
    } else if (x1[i] < x2[j]) {
      ++i;
    } else {
      ++j;
    }
  }
  return out;
}

Regression regression(std::span<const float> x, std::span<const float> y) {
  Regression r;
  double sx = 0, sxx = 0, sy = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
    if (!present(x[i]) || !present(y[i])) continue;
    const double a = x[i], b = y[i];
    ++r.n;
    sx += a;
    sxx += a * a;
    sy += b;
    syy += b * b;
    sxy += a * b;
  }
  if (r.n == 0) return r;
  const double n = r.n;
  const double vx = n * sxx - sx * sx, vy = n * syy - sy * sy, cxy = n * sxy - sx * sy;
  r.x_mean = sx / n;
  r.y_mean = sy / n;
  const double root = std::sqrt(std::max(0.0, vy * vx));
  r.correlation = root > 0 ? cxy / root : 1.0;
  // The x values do not vary when their spread is lost in the rounding of the sums.
  if (vx <= 1e-12 * n * sxx) {
    r.vertical = true;
  } else {
    r.slope = cxy / vx;
    r.intercept = (sy - r.slope * sx) / n;
  }
  return r;
}

int draw_scatter(Pen& pen, const PlotView& view) {
  const PlotSettings& s = view.settings;
  if (s.reversed) {
    util::list_write(pen.os, {" Reversed coordinate scatter plot not allowed."});
    return 0;
  }
  const ScatterPairs pairs =
      scatter_pairs(trace_x(view, 0), trace_y(view, 0), trace_x(view, 1), trace_y(view, 1));
  if (const int rc = PLT_GMRK(pen, s, view.layout, 1, 'M', pairs.x, pairs.y); rc != 0) return rc;
  const Regression r = regression(pairs.x, pairs.y);
  if (s.line_colour[0] <= 0 && s.line_colour[1] <= 0) return 0;
  graphics::Bounds b;
  if (const int rc = check(pen.rq.query_bounds('M', b), pen.os); rc != 0) return rc;
  if (s.line_colour[0] > 0) {
    const float x[] = {b.left, b.right}, y[] = {b.bottom, b.bottom - b.left + b.right};
    if (const int rc = PLT_GLIN(pen, s, 1, 'M', x, y); rc != 0) return rc;
  }
  if (s.line_colour[1] <= 0 || r.n == 0) return 0;
  std::vector<float> x, y;
  if (r.vertical) {
    x = {static_cast<float>(r.x_mean), static_cast<float>(r.x_mean)};
    y = {b.bottom, b.top};
    util::list_write(pen.os, {" Regression line slope is infinite."});
  } else {
    x = {b.left, b.right};
    y = {static_cast<float>(r.slope * b.left + r.intercept),
         static_cast<float>(r.slope * b.right + r.intercept)};
    pen.os << util::format("(A,1P,E13.5)", {" Regression line slope = ", r.slope}) << '\n'
           << util::format("(A,1P,E13.5)", {" Regression line intercept = ", r.intercept}) << '\n';
  }
  if (const int rc = PLT_GLIN(pen, s, 2, 'M', x, y); rc != 0) return rc;
  const std::vector<std::string> box{util::format("('CORR = ',F8.4)", {r.correlation}),
                                     util::format("('XAV = ',1PE10.3)", {r.x_mean}),
                                     util::format("('YAV = ',1PE10.3)", {r.y_mean})};
  return draw_text_box(pen, view, box, false);
}

}  // namespace kor::plot::draw
