#include "plot/draw/summary_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <ostream>

#include "plot/axes.h"
#include "plot/draw/axis_draw.h"
#include "plot/draw/frame.h"
#include "plot/draw/lines.h"
#include "plot/draw/plot.h"
#include "plot/draw/points.h"
#include "plot/kinds.h"
#include "plot/messages.h"

namespace kor::plot::draw {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRoom = 1.17;  // Taylor plot range over the radius: room for the correlation scale
constexpr double kBelow = 0.03;  // Taylor plot range below 0, so that points on an axis lie inside
constexpr int kArcPoints = 181;  // polyline points of a quarter (or half) arc
constexpr int kCirclePoints = 721;
constexpr int kMostRings = 64;         // arcs or circles of a Taylor diagram, whatever its scale
constexpr double kLabelColumn = 0.93;  // where the CSI labels stand, across the plot

// Background colours (default colour table) and line types.
constexpr int kGrey = 10, kDarkGrey = 21, kRmsColour = 29;
constexpr int kSolid = 1, kDashed = 2, kDotted = 3;

// "%g" with up to four significant digits.
std::string short_number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4g", std::fabs(v) < 1e-12 ? 0.0 : v);
  return buf;
}

// A label's box in graph coordinates.
struct Box {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool overlaps(const Box& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
};

// What the drawing of a diagram works with: the plot's graph bounds, the L_TEXT character size in
// graph units, and the boxes of the labels placed so far.
struct Sheet {
  Sheet(Pen& p, const PlotView& v) : pen(p), view(v) {}
  Pen& pen;
  const PlotView& view;
  double xs = 0, xe = 1, ys = 0, ye = 1;
  double cw = 0.01, ch = 0.02;
  std::vector<Box> taken;

  Box box_at(double x, double y, std::size_t chars, int justification) const {
    const double w = static_cast<double>(chars) * cw;
    const double left = justification == kLeft ? x : justification == kRight ? x - w : x - w / 2;
    return {left - 0.2 * cw, y - 0.6 * ch, left + w + 0.2 * cw, y + 0.6 * ch};
  }
  bool free(const Box& b) const {
    return std::none_of(taken.begin(), taken.end(), [&](const Box& t) { return t.overlaps(b); });
  }
  bool within(const Box& b) const { return b.x1 >= xs && b.x2 <= xe && b.y1 >= ys && b.y2 <= ye; }
};

int begin_sheet(Sheet& sh) {
  graphics::Bounds b;
  if (const int rc = check(sh.pen.rq.query_bounds('M', b), sh.pen.os); rc != 0) return rc;
  sh.xs = std::min(b.left, b.right);
  sh.xe = std::max(b.left, b.right);
  sh.ys = std::min(b.bottom, b.top);
  sh.ye = std::max(b.bottom, b.top);
  bool hardware = false;
  if (apply_text_attributes(sh.pen, sh.view.settings.l_text, kCentred, hardware) != 0) return -12;
  float x[] = {0, 1}, y[] = {0, 1};
  if (const int rc = check(sh.pen.rq.transform_points('U', 'M', x, y), sh.pen.os); rc != 0) {
    return rc;
  }
  if (std::fabs(x[1] - x[0]) > 0) sh.cw = std::fabs(x[1] - x[0]);
  if (std::fabs(y[1] - y[0]) > 0) sh.ch = std::fabs(y[1] - y[0]);
  return 0;
}

int lines_of(Pen& pen, const LineStyle& style, const std::vector<std::vector<XY>>& runs) {
  std::vector<float> x, y;
  for (const auto& run : runs) {
    for (const XY& p : run) {
      x.push_back(static_cast<float>(p.x));
      y.push_back(static_cast<float>(p.y));
    }
    x.push_back(static_cast<float>(kPlotMissing));
    y.push_back(static_cast<float>(kPlotMissing));
  }
  return draw_line_runs(pen, style, 'M', false, x, y);
}

// Texts in one colour and justification (L_TEXT attributes); with `patch` each stands on a box of
// the background colour.  The colour in force before is kept.
struct Label {
  std::string text;
  double x = 0, y = 0;
  float rotation = 0;
};
int write_labels(Sheet& sh, const std::vector<Label>& labels, int colour, int justification,
                 bool patch) {
  if (labels.empty()) return 0;
  Pen& pen = sh.pen;
  bool hardware = false;
  if (apply_text_attributes(pen, sh.view.settings.l_text, justification, hardware) != 0) {
    return -12;
  }
  const SavedColour saved(pen);
  for (const Label& l : labels) {
    if (patch) {
      const Box b = sh.box_at(l.x, l.y, l.text.size(), justification);
      const float bx[] = {static_cast<float>(b.x1), static_cast<float>(b.x2),
                          static_cast<float>(b.x2), static_cast<float>(b.x1)};
      const float by[] = {static_cast<float>(b.y1), static_cast<float>(b.y1),
                          static_cast<float>(b.y2), static_cast<float>(b.y2)};
      pen.send(&Requests::set_colour, 0)
          .send(&Requests::fill_polygon, 'M', std::span<const float>(bx),
                std::span<const float>(by));
    }
    pen.send(&Requests::set_colour, colour)
        .send(&Requests::draw_text, 'M', static_cast<float>(l.x), static_cast<float>(l.y),
              std::string_view(l.text), l.rotation, 0, 0);
  }
  if (const int rc = pen.finish(); rc != 0) return rc;
  if (apply_text_attributes(pen, sh.view.settings.l_text, kCentred, hardware) != 0) return -12;
  saved.restore(pen);
  return pen.finish();
}

// The colour a trace's labels take: its line colour, else its marker colour, else 1.
int trace_colour(const PlotSettings& s, int h) {
  if (s.line_colour[h] >= 1) return s.line_colour[h];
  return s.marker_colour[h] >= 1 ? s.marker_colour[h] : 1;
}

// Point labels of one colour: each to the right of its point, else to its left (else above or
// below with `four_sides`), where it covers no label placed before and stays inside the plot;
// left out when there is no such place.  With `patch` each stands on the background colour.
int point_labels(Sheet& sh, const std::vector<Label>& wanted, int colour, bool four_sides,
                 bool patch = false) {
  std::vector<Label> left, right, centred;
  for (const Label& l : wanted) {
    const double gap = sh.cw;
    struct Place {
      double x, y;
      int justification;
      std::vector<Label>* into;
    };
    std::vector<Place> places{{l.x + gap, l.y, kLeft, &left}, {l.x - gap, l.y, kRight, &right}};
    if (four_sides) {
      places.push_back({l.x, l.y + 1.3 * sh.ch, kCentred, &centred});
      places.push_back({l.x, l.y - 1.3 * sh.ch, kCentred, &centred});
    }
    for (const Place& p : places) {
      const Box b = sh.box_at(p.x, p.y, l.text.size(), p.justification);
      if (!sh.free(b) || !sh.within(b)) continue;
      sh.taken.push_back(b);
      p.into->push_back({l.text, p.x, p.y});
      break;
    }
  }
  if (const int rc = write_labels(sh, left, colour, kLeft, patch); rc != 0) return rc;
  if (const int rc = write_labels(sh, right, colour, kRight, patch); rc != 0) return rc;
  return write_labels(sh, centred, colour, kCentred, patch);
}

// Markers of an explicit style at the given points, the current colour kept.
int markers_at(Pen& pen, int colour, const graphics::MarkerAttributes& a, std::span<const float> x,
               std::span<const float> y) {
  const SavedColour saved(pen);
  pen.send(&Requests::set_colour, colour)
      .send(&Requests::set_marker_attributes, a)
      .send(&Requests::draw_markers, 'M', x, y);
  saved.restore(pen);
  return pen.finish();
}

// Marks every drawn point of the traces as taken, so that no label covers a marker.
void take_points(Sheet& sh) {
  for (int h = 0; h < std::clamp(sh.view.trace_count, 0, kMaxTraces); ++h) {
    const auto x = trace_x(sh.view, h), y = trace_y(sh.view, h);
    for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
      sh.taken.push_back(
          {x[i] - 0.45 * sh.cw, y[i] - 0.45 * sh.ch, x[i] + 0.45 * sh.cw, y[i] + 0.45 * sh.ch});
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Performance diagram
// ---------------------------------------------------------------------------------------------

constexpr double kCsiValues[] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};

// A CSI contour from (csi, 1) to (1, csi), dense where it bends: points evenly spaced in the
// success ratio and, mirrored, in the detection.
std::vector<XY> csi_contour(double csi) {
  std::vector<XY> pts;
  constexpr int kSteps = 60;
  for (int k = 0; k <= kSteps; ++k) {
    const double v = csi + (1 - csi) * k / kSteps;
    if (const auto pod = metrics::csi_contour_pod(csi, v)) {
      pts.push_back({v, *pod});
      pts.push_back({*pod, v});  // the contour is symmetric in its two ratios
    }
  }
  std::sort(pts.begin(), pts.end(), [](const XY& a, const XY& b) { return a.x < b.x; });
  return pts;
}

int performance_background(Sheet& sh) {
  std::vector<std::vector<XY>> contours, lines;
  for (double c : kCsiValues) contours.push_back(csi_contour(c));
  // Bias lines from the origin far beyond the plot; the server cuts them at its edges.
  for (double b : performance_biases()) lines.push_back({{0, 0}, {4 / b, 4.0}});
  sh.pen.then([&] { return lines_of(sh.pen, {kGrey, kSolid, 1}, contours); });
  sh.pen.then([&] { return lines_of(sh.pen, {kGrey, kDashed, 1}, lines); });

  // CSI labels inside, on a column near the right edge.
  std::vector<Label> csi;
  const double column = sh.xs + kLabelColumn * (sh.xe - sh.xs);
  for (double c : kCsiValues) {
    const auto pod = metrics::csi_contour_pod(c, column);
    if (!pod || *pod < sh.ys || *pod > sh.ye) continue;
    csi.push_back({short_number(c), column, *pod});
    sh.taken.push_back(sh.box_at(column, *pod, csi.back().text.size(), kCentred));
  }
  sh.pen.then([&] { return write_labels(sh, csi, kDarkGrey, kCentred, true); });

  // Bias labels outside the plot: above the top edge where a line leaves through it, beside the
  // right edge otherwise.
  std::vector<Label> top, side;
  for (double b : performance_biases()) {
    const double at_top = sh.ye / b;
    if (at_top >= sh.xs && at_top <= sh.xe) {
      top.push_back({short_number(b), at_top, sh.ye + 0.9 * sh.ch});
    } else if (b * sh.xe >= sh.ys && b * sh.xe <= sh.ye) {
      side.push_back({short_number(b), sh.xe + 0.6 * sh.cw, b * sh.xe});
    }
  }
  sh.pen.then([&] { return write_labels(sh, top, kDarkGrey, kCentred, false); });
  sh.pen.then([&] { return write_labels(sh, side, kDarkGrey, kLeft, false); });
  return sh.pen.finish();
}

// The summed point of each trace of a time series: a larger filled marker of the trace's shape,
// labelled "ALL" on a patch of the background (it stands among the trace's own points).
int performance_totals(Sheet& sh) {
  const PlotSettings& s = sh.view.settings;
  for (int h = 0; h < std::clamp(sh.view.trace_count, 0, kMaxTraces); ++h) {
    const PerformanceTrace& pt = sh.view.diagrams->performance[h];
    if (!pt.total) continue;
    const int type = h < s.marker_defs ? s.marker_type[h] : h + 1;
    const int shape = type <= 0 ? 4 : (type - 1) % 10 + 11;
    const double size = (h < s.marker_defs ? s.marker_size[h] : 1.0) * 1.6;
    const float x[] = {static_cast<float>(pt.total->success_ratio)};
    const float y[] = {static_cast<float>(pt.total->pod)};
    const int colour = trace_colour(s, h);
    if (const int rc = markers_at(sh.pen, colour, {shape, 1, static_cast<float>(size), 1}, x, y);
        rc != 0) {
      return rc;
    }
    sh.taken.push_back(
        {x[0] - 0.6 * sh.cw, y[0] - 0.6 * sh.ch, x[0] + 0.6 * sh.cw, y[0] + 0.6 * sh.ch});
    if (const int rc = point_labels(sh, {{"ALL", x[0], y[0]}}, colour, true, true); rc != 0) {
      return rc;
    }
  }
  return 0;
}

int draw_performance(Pen& pen, const PlotView& view) {
  int rc = frame_and_axes(pen, view);
  if (rc < 0) return rc;
  Sheet sh(pen, view);
  if ((rc = begin_sheet(sh)) != 0) return rc;
  if ((rc = performance_background(sh)) != 0) return rc;
  if ((rc = draw_traces(pen, view)) != 0) return rc;
  if ((rc = performance_totals(sh)) != 0) return rc;
  take_points(sh);
  for (int h = 0; h < std::clamp(view.trace_count, 0, kMaxTraces); ++h) {
    std::vector<Label> tags;
    for (const PerformanceEntry& e : view.diagrams->performance[h].entries) {
      if (e.point && !e.tag.empty()) tags.push_back({e.tag, e.point->success_ratio, e.point->pod});
    }
    if ((rc = point_labels(sh, tags, trace_colour(view.settings, h), false)) != 0) return rc;
  }
  return draw_reference_polyline(pen, view);
}

// ---------------------------------------------------------------------------------------------
// Taylor diagram
// ---------------------------------------------------------------------------------------------

std::vector<XY> arc(double r, double to) {
  std::vector<XY> pts;
  for (int i = 0; i < kArcPoints; ++i) {
    const double a = to * i / (kArcPoints - 1);
    pts.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return pts;
}

// The arcs of equal standard deviation (the one through the reference dashed) and the correlation
// rays of a Taylor diagram of radius R.
int taylor_grid(Sheet& sh, const TaylorFrame& f) {
  const double R = f.radius, to = f.half ? kPi : kPi / 2;
  // Arcs of equal standard deviation, the one through the reference dashed.
  std::vector<std::vector<XY>> arcs;
  for (int i = 1; i < kMostRings && i * f.step < R - 1e-9 * R; ++i) {
    if (std::fabs(i * f.step - 1) > 1e-9) arcs.push_back(arc(i * f.step, to));
  }
  sh.pen.then([&] { return lines_of(sh.pen, {kGrey, kDotted, 1}, arcs); });
  sh.pen.then([&] { return lines_of(sh.pen, {kDarkGrey, kDashed, 1}, {arc(1, to)}); });
  // Correlation rays.
  std::vector<std::vector<XY>> rays;
  for (double c : taylor_correlations(f.half)) {
    if (std::fabs(c) > 0.999999 || (!f.half && c == 0)) continue;
    rays.push_back({{0, 0}, {R * c, R * std::sqrt(1 - c * c)}});
  }
  sh.pen.then([&] { return lines_of(sh.pen, {kGrey, kDotted, 1}, rays); });
  return sh.pen.finish();
}

// The circles of equal centred RMS difference around the reference, cut at the diagram's edge,
// each labelled where it finds room.
int taylor_rms_circles(Sheet& sh, const TaylorFrame& f) {
  const double R = f.radius;
  auto inside = [&](const XY& p) {
    return std::hypot(p.x, p.y) <= R * (1 + 1e-12) && p.y >= 0 && (f.half || p.x >= 0);
  };
  std::vector<std::vector<XY>> circles;
  std::vector<Label> rms;
  // At most about six circles inside the diagram.
  const double rms_step = R <= 1.5 ? f.step : 2 * f.step;
  for (int i = 1; i < kMostRings && i * rms_step < R + 1 - 1e-9 * R; ++i) {
    const double e = i * rms_step;
    std::vector<XY> c;
    for (int i = 0; i < kCirclePoints; ++i) {
      const double a = 2 * kPi * i / (kCirclePoints - 1);
      c.push_back({1 + e * std::cos(a), e * std::sin(a)});
    }
    const auto runs = clip_runs(c, inside);
    circles.insert(circles.end(), runs.begin(), runs.end());
    // The label where the circle runs up and to the left of the reference, inside the arc.
    for (double deg : {120.0, 135.0, 105.0, 150.0, 90.0, 165.0}) {
      const double a = deg * kPi / 180;
      const XY p{1 + e * std::cos(a), e * std::sin(a)};
      const Box b = sh.box_at(p.x, p.y, short_number(e).size(), kCentred);
      if (std::hypot(b.x2, b.y2) > R || std::hypot(b.x1, b.y2) > R || b.y1 < 0 ||
          (!f.half && b.x1 < 0) || !sh.free(b)) {
        continue;
      }
      rms.push_back({short_number(e), p.x, p.y});
      sh.taken.push_back(b);
      break;
    }
  }
  sh.pen.then([&] { return lines_of(sh.pen, {kRmsColour, kDashed, 1}, circles); });
  sh.pen.then([&] { return write_labels(sh, rms, kRmsColour, kCentred, true); });

  return sh.pen.finish();
}

// The outer arc and the axes of the standard deviation with their ticks and labels, in the
// border's style.
int taylor_axes(Sheet& sh, const TaylorFrame& f) {
  const PlotSettings& s = sh.view.settings;
  const double R = f.radius, to = f.half ? kPi : kPi / 2;
  const int border = s.border_colour > 0 ? s.border_colour : 1;
  const LineStyle frame{border, 1, std::max(1, s.border_width)};
  std::vector<std::vector<XY>> axes{arc(R, to)};
  axes.push_back({{f.half ? -R : 0, 0}, {R, 0}});
  if (!f.half) axes.push_back({{0, 0}, {0, R}});
  // Ticks: outwards on the axes at every step, on the arc at every marked correlation (longer)
  // and at every 0.05 (every 0.01 above 0.9 in size).
  const int steps = static_cast<int>(std::lround(R / f.step));
  // Every k-th tick is labelled along the bottom, k the least that keeps the labels a character
  // apart.
  std::size_t widest = 1;
  for (int i = 0; i <= steps; ++i) widest = std::max(widest, short_number(i * f.step).size());
  const int every =
      std::max(1, static_cast<int>(std::ceil((widest + 1.0) * sh.cw / f.step - 1e-9)));
  std::vector<Label> bottom, left;
  for (int i = 0; i <= steps; ++i) {
    const double r = i * f.step;
    const bool both_sides = f.half && i > 0;
    for (double x : both_sides ? std::vector<double>{r, -r} : std::vector<double>{r}) {
      axes.push_back({{x, 0}, {x, -0.4 * sh.ch}});
      if (i % every == 0) bottom.push_back({short_number(r), x, -1.2 * sh.ch});
    }
    if (!f.half) {
      axes.push_back({{0, r}, {-0.4 * sh.cw, r}});
      if (i > 0) left.push_back({short_number(r), -0.9 * sh.cw, r});
    }
  }
  auto tick = [&](double c, double length) {
    const double sn = std::sqrt(std::max(0.0, 1 - c * c));
    axes.push_back({{R * c, R * sn}, {(R + length) * c, (R + length) * sn}});
  };
  for (double c : taylor_correlations(f.half)) tick(c, 0.5 * sh.ch);
  for (int k = -99; k <= 99; ++k) {
    const double c = k / 100.0;
    if ((!f.half && c < 0) || (std::abs(k) < 90 && k % 5 != 0)) continue;
    tick(c, 0.25 * sh.ch);
  }
  sh.pen.then([&] { return lines_of(sh.pen, frame, axes); });
  sh.pen.then([&] { return write_labels(sh, bottom, border, kCentred, false); });
  sh.pen.then([&] { return write_labels(sh, left, border, kRight, false); });

  return sh.pen.finish();
}

// The correlation scale outside the arc, and its name.
int taylor_correlation_scale(Sheet& sh, const TaylorFrame& f) {
  const PlotSettings& s = sh.view.settings;
  const double R = f.radius;
  const int border = s.border_colour > 0 ? s.border_colour : 1;
  // On the half circle the labels stand along their rays (upright on the left), where they find
  // room side by side.
  std::vector<Label> scale;
  for (double c : taylor_correlations(f.half)) {
    const std::string text = short_number(c);
    const double ux = c, uy = std::sqrt(std::max(0.0, 1 - c * c));
    const double w = static_cast<double>(text.size()) * sh.cw;
    if (f.half) {
      const double out = R + 0.8 * sh.ch + w / 2;
      const double deg = std::acos(c) * 180 / kPi;
      scale.push_back({text, out * ux, out * uy, static_cast<float>(deg > 90 ? deg - 180 : deg)});
    } else {
      const double out = R + 0.8 * sh.ch + std::fabs(ux) * w / 2 + std::fabs(uy) * sh.ch / 2;
      scale.push_back({text, out * ux, out * uy});
    }
  }
  sh.pen.then([&] { return write_labels(sh, scale, border, kCentred, false); });
  const double name_angle = f.half ? kPi / 2 : kPi / 4;
  const double ux = std::cos(name_angle), uy = std::sin(name_angle);
  const double out =
      f.half ? R + 1.8 * sh.ch + 4 * sh.cw : R + 2.0 * sh.ch + ux * 4 * sh.cw + uy * sh.ch;
  sh.pen.then([&] {
    return write_labels(
        sh, {{"CORRELATION", out * ux, out * uy, static_cast<float>(name_angle * 180 / kPi - 90)}},
        border, kCentred, false);
  });
  return sh.pen.finish();
}

struct PlacedLabel {
  double x = 0, y = 0;
  int justification = kCentred;
};
PlacedLabel reference_label(const Sheet& sh) {
  const PlacedLabel places[] = {{1, 1.2 * sh.ch, kCentred},
                                {1, -1.2 * sh.ch, kCentred},
                                {1 + sh.cw, 0, kLeft},
                                {1 - sh.cw, 0, kRight}};
  for (const PlacedLabel& p : places) {
    const Box b = sh.box_at(p.x, p.y, 3, p.justification);
    if (sh.free(b) && sh.within(b)) return p;
  }
  return places[0];
}

int taylor_background(Sheet& sh, const TaylorFrame& f) {
  sh.pen.then([&] { return taylor_grid(sh, f); });
  sh.pen.then([&] { return taylor_rms_circles(sh, f); });
  sh.pen.then([&] { return taylor_axes(sh, f); });
  sh.pen.then([&] { return taylor_correlation_scale(sh, f); });
  return sh.pen.finish();
}

int draw_taylor(Pen& pen, const PlotView& view) {
  AxisPlan plan;
  const int planned = plan_axes(view, plan);
  int rc = planned < 0 ? planned : frame_and_legend(pen, view, plan);
  if (rc != 0) {
    PLT_MSG(rc, "PLT_DRIV", pen.os);
    if (rc < 0) return rc;
  }
  if ((rc = check(pen.rq.set_graph_coordinates(graph_coordinates(view, false)), pen.os)) != 0) {
    return rc;
  }
  const TaylorFrame f = taylor_frame(*view.diagrams);
  Sheet sh(pen, view);
  if ((rc = begin_sheet(sh)) != 0) return rc;
  // The reference point, its label and the traces' markers are kept free of the background's
  // labels.
  const Box dot{1 - 0.6 * sh.cw, -0.6 * sh.ch, 1 + 0.6 * sh.cw, 0.6 * sh.ch};
  sh.taken.push_back(dot);
  const std::size_t points_from = sh.taken.size();
  take_points(sh);
  // A trace marker on the reference dot would vanish under it: the dot is then drawn small, over
  // the traces, so that both show.
  const bool crowded = std::any_of(sh.taken.begin() + static_cast<std::ptrdiff_t>(points_from),
                                   sh.taken.end(), [&](const Box& b) { return b.overlaps(dot); });
  // The REF label goes above the reference point, else below, right or left of it, where it
  // covers no marker (a trace close to the reference keeps its marker and its number).
  const PlacedLabel ref = reference_label(sh);
  sh.taken.push_back(sh.box_at(ref.x, ref.y, 3, ref.justification));
  if ((rc = taylor_background(sh, f)) != 0) return rc;
  const float rx[] = {1.0f}, ry[] = {0.0f};
  if (!crowded && (rc = markers_at(pen, 1, {14, 1, 1.2f, 1}, rx, ry)) != 0) return rc;
  if ((rc = write_labels(sh, {{"REF", ref.x, ref.y}}, 1, ref.justification, true)) != 0) return rc;
  if ((rc = draw_traces(pen, view)) != 0) return rc;
  if (crowded && (rc = markers_at(pen, 1, {14, 1, 0.4f, 1}, rx, ry)) != 0) return rc;
  for (int h = 0; h < std::clamp(view.trace_count, 0, kMaxTraces); ++h) {
    const auto x = trace_x(view, h), y = trace_y(view, h);
    if (x.empty() || y.empty()) continue;
    if ((rc = point_labels(sh, {{std::to_string(h + 1), x[0], y[0]}},
                           trace_colour(view.settings, h), true)) != 0) {
      return rc;
    }
  }
  return 0;
}

}  // namespace

TaylorFrame taylor_frame(const DiagramResults& results) {
  TaylorFrame f;
  double largest = 1.0;
  for (const auto& t : results.taylor) {
    if (!t) continue;
    largest = std::max(largest, t->sd_ratio());
    f.half = f.half || t->correlation < 0;
  }
  const double want = 1.1 * largest;
  f.step = want <= 2 ? 0.25 : want <= 4 ? 0.5 : want <= 8 ? 1.0 : nice_increment(want, 8, 10);
  if (!(f.step > 0)) f.step = 1.0;
  f.radius = std::ceil(want / f.step - 1e-9) * f.step;
  return f;
}

double taylor_layout(const TaylorFrame& f, PlotLayout& l) {
  const double R = f.radius;
  l.x.start = f.half ? -kRoom * R : -kBelow * R;
  l.x.stop = kRoom * R;
  l.y.start = -kBelow * R;
  l.y.stop = kRoom * R;
  const int steps = std::min(static_cast<int>(std::lround(R / f.step)), kMaxAxisLabels / 2 - 1);
  l.x.label_count = 0;
  for (int i = f.half ? -steps : 0; i <= steps; ++i) l.x.labels[l.x.label_count++] = i * f.step;
  l.y.label_count = 0;
  if (!f.half) {
    for (int i = 0; i <= steps; ++i) l.y.labels[l.y.label_count++] = i * f.step;
  }
  l.x.label_freq = l.y.label_freq = 1;
  return (l.y.stop - l.y.start) / (l.x.stop - l.x.start);
}

std::vector<double> taylor_correlations(bool half) {
  std::vector<double> out{1.0, 0.99, 0.95};
  for (int k = 9; k >= 0; --k) out.push_back(k / 10.0);
  if (half) {
    for (int k = 1; k <= 9; ++k) out.push_back(-k / 10.0);
    for (double c : {-0.95, -0.99, -1.0}) out.push_back(c);
  }
  return out;
}

std::vector<double> performance_biases() { return {0.3, 0.5, 0.8, 1, 1.3, 1.5, 2, 3, 5, 10}; }

std::vector<std::vector<XY>> clip_runs(const std::vector<XY>& points,
                                       const std::function<bool(const XY&)>& inside) {
  std::vector<std::vector<XY>> runs;
  std::vector<XY> run;
  // The point of the segment a-b where it crosses the edge, on the inside.
  auto crossing = [&](XY in, XY out) {
    for (int i = 0; i < 48; ++i) {
      const XY mid{(in.x + out.x) / 2, (in.y + out.y) / 2};
      (inside(mid) ? in : out) = mid;
    }
    return in;
  };
  auto close = [&]() {
    if (run.size() >= 2) runs.push_back(run);
    run.clear();
  };
  bool was_in = false;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const bool in = inside(points[i]);
    if (i > 0 && in != was_in) {
      if (was_in) {
        run.push_back(crossing(points[i - 1], points[i]));
        close();
      } else {
        run.push_back(crossing(points[i], points[i - 1]));
      }
    }
    if (in) run.push_back(points[i]);
    was_in = in;
  }
  close();
  return runs;
}

std::vector<LegendKey> summary_keys(int final_type) {
  if (final_type == kPerformanceDiagram) {
    return {{"CRITICAL SUCCESS INDEX", kGrey, kSolid, 1}, {"FREQUENCY BIAS", kGrey, kDashed, 1}};
  }
  if (final_type == kTaylorDiagram) return {{"CENTRED RMS DIFFERENCE", kRmsColour, kDashed, 1}};
  return {};
}

int draw_summary_diagram(Pen& pen, const PlotView& view) {
  if (!view.diagrams) return 0;
  const int rc =
      view.final_type == kTaylorDiagram ? draw_taylor(pen, view) : draw_performance(pen, view);
  if (rc != 0) PLT_MSG(rc, " ", pen.os);
  return rc;
}

int draw_reliability_intervals(Pen& pen, const PlotView& view, int traces) {
  if (!view.diagrams || !(view.diagrams->ci_level > 0)) return 0;
  const PlotSettings& s = view.settings;
  const double range = std::fabs(view.layout.x.stop - view.layout.x.start);
  const double cap = 0.006 * range, apart = 0.008 * range;
  const int n = std::clamp(traces, 0, kMaxTraces);
  for (int o = 0; o < n; ++o) {
    const double shift = (o - (n - 1) / 2.0) * apart;
    std::vector<float> x, y;
    auto segment = [&](double x0, double y0, double x1, double y1) {
      x.insert(x.end(),
               {static_cast<float>(x0), static_cast<float>(x1), static_cast<float>(kPlotMissing)});
      y.insert(y.end(),
               {static_cast<float>(y0), static_cast<float>(y1), static_cast<float>(kPlotMissing)});
    };
    for (const ReliabilityBin& b : view.diagrams->reliability[o]) {
      if (!b.interval) continue;
      const double p = b.probability + shift;
      segment(p, b.interval->lower, p, b.interval->upper);
      segment(p - cap, b.interval->lower, p + cap, b.interval->lower);
      segment(p - cap, b.interval->upper, p + cap, b.interval->upper);
    }
    const LineStyle style{trace_colour(s, o), kSolid, std::max(1, s.line_width[o])};
    if (const int rc = draw_line_runs(pen, style, 'M', s.reversed, x, y); rc != 0) return rc;
  }
  return 0;
}

}  // namespace kor::plot::draw
