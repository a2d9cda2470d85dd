#include "plot/layout_derivation.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "plot/kinds.h"
#include "plot/messages.h"

namespace kor::plot {
namespace {

// Reversed axes turn the right axis off: its traces are drawn against the left one.
bool right_axis_in_use(const PlotSettings& s) { return s.right_axis || !s.reversed; }

constexpr double kBig = 1.1e31;

// Scales a value range and its differences by a FAC factor.
void scale_range(AxisState& axis, double f) {
  double lo = axis.data_min * f, hi = axis.data_max * f;
  if (lo > hi) std::swap(lo, hi);
  axis.data_min = lo;
  axis.data_max = hi;
  axis.positive_min *= std::fabs(f);
  axis.max_diff *= std::fabs(f);
  axis.min_diff *= std::fabs(f);
}

}  // namespace

void initial_ranges(PlotLayout& l, const PlotSettings& s, const ControlInput& in) {
  const int n = std::clamp(in.trace_count, 0, kMaxTraces);
  auto set = [](AxisState& a, double lo, double hi) {
    a.data_min = lo;
    a.data_max = hi;
    a.max_diff = a.min_diff = 0.0;
  };
  switch (in.final_type) {
    case kScatter: {
      const int m = std::min(n, 2);
      double lo = kBig, hi = -kBig;
      for (int i = 0; i < m; ++i) {
        lo = std::min(lo, in.ymin[i]);
        hi = std::max(hi, in.ymax[i]);
      }
      set(l.x, lo, hi);
      set(l.y, lo, hi);
      return;
    }
    case kHistogram:
      set(l.x, n > 0 ? in.ymin[0] : kBig, n > 0 ? in.ymax[0] : -kBig);
      set(l.y, 0.0, 1.0);
      return;
    case kAttributeDiagram:
    case kCrpsReliability:
    case kPerformanceDiagram:
    case kTaylorDiagram:
      set(l.x, 0.0, 1.0);
      set(l.y, 0.0, 1.0);
      set(l.ry, 0.0, 1.0);
      return;
    default:
      break;
  }
  double xlo = kBig, xhi = -kBig;
  for (int i = 0; i < n; ++i) {
    xlo = std::min(xlo, in.xmin[i]);
    xhi = std::max(xhi, in.xmax[i]);
  }
  set(l.x, xlo, xhi);
  const bool right_in_use = right_axis_in_use(s);
  for (bool right : {false, true}) {
    AxisState& a = right ? l.ry : l.y;
    double lo = kBig, hi = -kBig;
    double maxlo = kBig, maxhi = -kBig, minlo = kBig, minhi = -kBig;
    double positive = 0.0;
    for (int i = 0; i < n; ++i) {
      if ((s.right_trace[i] && right_in_use) != right) continue;
      if (in.ypositive[i] > 0.0 && (positive == 0.0 || in.ypositive[i] < positive)) {
        positive = in.ypositive[i];
      }
      lo = std::min(lo, in.ymin[i]);
      hi = std::max(hi, in.ymax[i]);
      maxlo = std::min(maxlo, in.ymax[i]);
      maxhi = std::max(maxhi, in.ymax[i]);
      minlo = std::min(minlo, in.ymin[i]);
      minhi = std::max(minhi, in.ymin[i]);
    }
    set(a, lo, hi);
    a.positive_min = positive;
    if (maxhi >= maxlo) a.max_diff = maxhi - maxlo;
    if (minhi >= minlo) a.min_diff = minhi - minlo;
  }
  if (s.right_only && right_in_use) l.y = l.ry;
}

void scale_ranges(PlotLayout& l, const PlotSettings& s, int final_type) {
  for (const ScaleLine& line : s.scale_lines) {
    switch (final_type) {
      case kScatter:
        scale_range(l.x, line.left);
        scale_range(l.y, line.left);
        break;
      case kHistogram:
        scale_range(l.x, line.left);
        break;
      case kAttributeDiagram:
      case kCrpsReliability:
      case kPerformanceDiagram:
      case kTaylorDiagram:
        break;
      default:
        scale_range(l.y, line.left);
        break;
    }
    if (line.right && right_axis_in_use(s)) {
      scale_range(l.ry, *line.right);
      if (s.right_only) l.y = l.ry;
    }
  }
}

double widen_for_bars(XAxisState& x, int c, int labels) {
  if (labels <= 0) return 0.0;
  const double slots = static_cast<double>(c + 2) * labels;
  const double room = slots - 2.0 * (1.0 + c / 2.0);
  double range = std::fabs(x.data_max - x.data_min);
  // With a single abscissa there is no room between neighbours to widen into.
  if (room > 0.0 && x.data_max >= x.data_min) {
    const double side = ((slots / room) - 1.0) * range / 2.0;
    x.data_min -= side;
    x.data_max += side;
    range = std::fabs(x.data_max - x.data_min);
  }
  return range / slots;
}

int derive_layout(PlotLayout& l, const PlotSettings& s, const BoxWhiskerBook& book,
                  const ControlInput& in, std::ostream& os) {
  l = PlotLayout{};
  initial_ranges(l, s, in);
  scale_ranges(l, s, in.final_type);
  if (s.resample) {
    for (AxisState* a : {&l.y, &l.ry}) {
      a->data_max += 2.0 * a->max_diff;
      a->data_min -= 2.0 * a->min_diff;
    }
  }

  // Bars stand on 0: the value range of an axis with bar traces reaches it.
  if (s.hst_count > 0 && in.final_type != kHistogram && in.final_type != kScatter) {
    const int n = std::clamp(in.trace_count, 0, kMaxTraces);
    for (int i = 0; i < n; ++i) {
      if (s.bar_colour[i] <= 0) continue;
      const bool right = s.right_axis && s.right_trace[i];
      for (AxisState* a : {right ? &l.ry : &l.y, right && s.right_only ? &l.y : nullptr}) {
        if (a == nullptr || a->data_min > a->data_max) continue;
        a->data_min = std::min(a->data_min, 0.0);
        a->data_max = std::max(a->data_max, 0.0);
      }
    }
  }

  // Bars beside each other at every abscissa, then the box-whisker spacing.
  const int labels = in.labels ? std::max(0, in.labels->count) : 0;
  const bool bars = s.hst_count > 0;
  if (bars && labels > 0) l.bar_width = widen_for_bars(l.x, s.bar_traces, labels);
  if (!s.resample || (bars && labels > 0)) {
    l.bxw_spacing = l.bar_width;
  } else {
    l.bxw_spacing = widen_for_bars(l.x, std::max(0, book.pairs_per_group), labels);
  }

  // Axes: the last XAX, YAX and RYA values, or their defaults.
  const MergedAxis none;
  int rc = x_axis_from_xax(l.x, s.xax, in.labels ? *in.labels : none, in.final_type);
  if (rc == 0) rc = y_axis_from_yax(l.y, s.yax_given ? s.yax : "", in.final_type);
  if (rc == 0 && (s.rya_given || s.right_axis)) {
    rc = ry_axis_from_rya(l.ry, s.rya_given ? s.rya : "", in.final_type);
  }
  if (rc == 0 && s.left_axis_type == 2) log_axis(l.y, s.yax_given ? s.yax : "");
  if (rc == 0 && s.right_axis_type == 2 && (s.rya_given || s.right_axis)) {
    log_axis(l.ry, s.rya_given ? s.rya : "");
  }
  if (rc != 0) PLT_MSG(rc, " ", os);
  return rc;
}

}  // namespace kor::plot
