#include "mplt/page.h"

#include <algorithm>

namespace kor::mplt {

bool clip_segment(const Rect& r, double& x0, double& y0, double& x1, double& y1) {
  const double dx = x1 - x0, dy = y1 - y0;
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - r.x1, r.x2 - x0, y0 - r.y1, r.y2 - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  const double ax = x0, ay = y0;
  if (t1 < 1) {
    x1 = ax + t1 * dx;
    y1 = ay + t1 * dy;
  }
  if (t0 > 0) {
    x0 = ax + t0 * dx;
    y0 = ay + t0 * dy;
  }
  return true;
}

namespace {

// One edge of the Sutherland-Hodgman clipper: keeps the part of the polygon where
// inside(x, y) holds; cut(a, b) gives the crossing of segment a-b with the edge.
template <typename Inside, typename Cut>
std::vector<double> clip_edge(const std::vector<double>& in, Inside inside, Cut cut) {
  std::vector<double> out;
  const std::size_t n = in.size() / 2;
  for (std::size_t i = 0; i < n; ++i) {
    const double ax = in[2 * i], ay = in[2 * i + 1];
    const std::size_t j = (i + 1) % n;
    const double bx = in[2 * j], by = in[2 * j + 1];
    const bool a_in = inside(ax, ay), b_in = inside(bx, by);
    if (a_in) {
      out.push_back(ax);
      out.push_back(ay);
    }
    if (a_in != b_in) {
      double cx = 0, cy = 0;
      cut(ax, ay, bx, by, cx, cy);
      out.push_back(cx);
      out.push_back(cy);
    }
  }
  return out;
}

}  // namespace

std::vector<double> clip_polygon(const Rect& r, const std::vector<double>& xy) {
  std::vector<double> p = xy;
  auto at_x = [](double x) {
    return [x](double ax, double ay, double bx, double by, double& cx, double& cy) {
      cx = x;
      cy = ay + (by - ay) * (x - ax) / (bx - ax);
    };
  };
  auto at_y = [](double y) {
    return [y](double ax, double ay, double bx, double by, double& cx, double& cy) {
      cy = y;
      cx = ax + (bx - ax) * (y - ay) / (by - ay);
    };
  };
  p = clip_edge(
      p, [&](double x, double) { return x >= r.x1; }, at_x(r.x1));
  p = clip_edge(
      p, [&](double x, double) { return x <= r.x2; }, at_x(r.x2));
  p = clip_edge(
      p, [&](double, double y) { return y >= r.y1; }, at_y(r.y1));
  p = clip_edge(
      p, [&](double, double y) { return y <= r.y2; }, at_y(r.y2));
  return p;
}

bool Page::reserve(std::size_t n) {
  if (n > kMaxPagePoints || points_ > kMaxPagePoints - n) return false;
  points_ += n;
  return true;
}

bool Page::add_polyline(const Item& style, const std::vector<double>& xy) {
  const std::size_t n = xy.size() / 2;
  if (n < 2) return true;
  if (!reserve(n)) return false;
  const Rect safe = safe_region();
  Item run = style;
  run.kind = ItemKind::kPolyline;
  run.xy.clear();
  auto flush = [&] {
    if (run.xy.size() >= 4) items_.push_back(run);
    run.xy.clear();
  };
  for (std::size_t i = 0; i + 1 < n; ++i) {
    double x0 = xy[2 * i], y0 = xy[2 * i + 1], x1 = xy[2 * i + 2], y1 = xy[2 * i + 3];
    const bool whole = safe.contains(x0, y0) && safe.contains(x1, y1);
    if (!whole && !clip_segment(safe, x0, y0, x1, y1)) {
      flush();
      continue;
    }
    const bool start_moved = !whole && (x0 != xy[2 * i] || y0 != xy[2 * i + 1]);
    if (run.xy.empty() || start_moved) {
      flush();
      run.xy.push_back(static_cast<float>(x0));
      run.xy.push_back(static_cast<float>(y0));
    }
    run.xy.push_back(static_cast<float>(x1));
    run.xy.push_back(static_cast<float>(y1));
    if (!whole && (x1 != xy[2 * i + 2] || y1 != xy[2 * i + 3])) flush();
  }
  flush();
  return true;
}

bool Page::add_polygon(const Item& style, const std::vector<double>& xy) {
  if (xy.size() / 2 < 3) return true;
  if (!reserve(xy.size() / 2)) return false;
  const std::vector<double> p = clip_polygon(safe_region(), xy);
  if (p.size() / 2 < 3) return true;
  Item item = style;
  item.kind = ItemKind::kPolygon;
  item.xy.assign(p.begin(), p.end());
  items_.push_back(std::move(item));
  return true;
}

bool Page::add_markers(const Item& style, const std::vector<double>& xy) {
  if (style.marker.type == 0 || xy.size() < 2) return true;
  if (!reserve(xy.size() / 2)) return false;
  const Rect area = style.clip ? *style.clip : Rect{0, 0, width_, height_};
  Item item = style;
  item.kind = ItemKind::kMarkers;
  item.xy.clear();
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
    if (!area.contains(xy[i], xy[i + 1])) continue;
    item.xy.push_back(static_cast<float>(xy[i]));
    item.xy.push_back(static_cast<float>(xy[i + 1]));
  }
  if (!item.xy.empty()) items_.push_back(std::move(item));
  return true;
}

void Page::add_text(const Item& style, double x, double y) {
  if (!safe_region().contains(x, y)) return;
  Item item = style;
  item.kind = ItemKind::kText;
  item.xy = {static_cast<float>(x), static_cast<float>(y)};
  items_.push_back(std::move(item));
}

}  // namespace kor::mplt
