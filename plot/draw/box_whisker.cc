#include "plot/draw/box_whisker.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <vector>

#include "plot/draw/axis_draw.h"
#include "plot/draw/points.h"
#include "util/format.h"
#include "util/missing.h"
#include "util/textattr.h"

namespace kor::plot::draw {
namespace {

bool marked(const PlotView& view, int trace) {
  return trace >= 0 && trace < kMaxTraces && view.settings.marker_colour[trace] > 0;
}

// Draws one line of a box-whisker object; a failure is reported and kept in `rc`.
void line(Pen& pen, char system, bool swap, std::vector<float> x, std::vector<float> y, int& rc) {
  if (swap) std::swap(x, y);
  const int status = pen.rq.draw_polyline(system, x, y);
  if (status != 0) rc = graphics_error(status, pen.os);
}

}  // namespace

double box_shift(const PlotView& view, const BoxWhiskerGroups& groups, int pair, int line,
                 double width) {
  const int g = groups.pairs;
  const int per_line = g + 1;
  int marked_lines = 0, before = 0;
  for (int L = 1; L <= groups.lines; ++L) {
    bool any = false;
    for (int t = (L - 1) * per_line; t < L * per_line; ++t) any = any || marked(view, t);
    if (!any) continue;
    ++marked_lines;
    if (L < line) ++before;
  }
  const int bench = (line - 1) * per_line;
  if (marked(view, bench)) {
    return width * ((g + 1) * marked_lines / 2.0 - (g + 1) * before - pair + 0.5);
  }
  return width * (g / 2.0 - pair + 1);
}

int BXW_DRAW(Pen& pen, const PlotView& view, const BoxWhiskerTables& tables,
             const BoxWhiskerGroups& groups, int k, int pair, int line_number, int bench,
             char system, double scale) {
  const PlotSettings& s = view.settings;
  if (k < 0 || k >= kMaxTraces || s.bxw_colour[k] < 1) return 0;
  if (bench < 0 || bench >= kMaxTraces) return 0;
  const double w = view.layout.bxw_spacing;
  const double shift = box_shift(view, groups, pair, line_number, w);
  int rc = 0;
  int saved = 1;
  if (const int q = pen.rq.query_current_colour(saved); q != 0) return graphics_error(q, pen.os);
  if (const int q = pen.rq.set_colour(s.bxw_colour[k]); q != 0) rc = graphics_error(q, pen.os);
  if (const int q = pen.rq.set_line_attributes({1, 1, std::max(1, s.bxw_request[k]), 1}); q != 0) {
    rc = graphics_error(q, pen.os);
  }
  const int points =
      std::min(std::clamp(view.traces.count[bench], 0, view.traces.leading), kBxwPoints);
  const bool swap = s.reversed;
  const double side = s.bxw_second ? w / 2 : 0.0;
  for (int p = 0; p < points; ++p) {
    const std::size_t at = BoxWhiskerTables::at(k, p);
    if (at >= tables.upper.size() || at >= tables.minus_lower.size()) break;
    const double x = view.traces.X(bench, p), y = view.traces.Y(bench, p);
    const double ml = tables.minus_lower[at], up = tables.upper[at];
    if (!present(x) || !present(y) || !present(ml) || !present(up)) continue;
    const float xl = static_cast<float>(x - shift + w / 4 + side);
    const float xr = static_cast<float>(x - shift + 3 * w / 4 + side);
    const float xc = (xl + xr) / 2;
    const float yb = static_cast<float>(y - scale * ml), yt = static_cast<float>(y + scale * up);
    if (s.bxw_print) {
      line(pen, system, swap, {xl, xl, xr, xr, xl}, {yb, yt, yt, yb, yb}, rc);
      const double uw = at < tables.upper_whisker.size() ? tables.upper_whisker[at] : kPlotMissing;
      const double lw = at < tables.lower_whisker.size() ? tables.lower_whisker[at] : kPlotMissing;
      if (present(uw) && present(lw)) {
        line(pen, system, swap, {xc, xc}, {yt, static_cast<float>(yt + scale * uw)}, rc);
        line(pen, system, swap, {xc, xc}, {yb, static_cast<float>(yb - scale * lw)}, rc);
      }
    } else {
      line(pen, system, swap, {xl, xr}, {yb, yb}, rc);
      line(pen, system, swap, {xc, xc}, {yb, yt}, rc);
      line(pen, system, swap, {xl, xr}, {yt, yt}, rc);
    }
  }
  if (const int q = pen.rq.set_colour(saved); q != 0) rc = graphics_error(q, pen.os);
  return rc;
}

int draw_box_whiskers(Pen& pen, const PlotView& view, const BoxWhiskerTables& tables,
                      const BoxWhiskerGroups& groups) {
  const PlotSettings& s = view.settings;
  const int results = groups.pairs * groups.lines;
  int rc = 0;
  for (int k = 0; k < std::min(results, kMaxTraces); ++k) {
    const int pair = k % std::max(1, groups.pairs) + 1;
    const int line = k / std::max(1, groups.pairs) + 1;
    const int bench = (line - 1) * (groups.pairs + 1);
    const bool alternate = s.right_axis && bench < kMaxTraces && s.right_trace[bench];
    if (alternate) {
      if (const int q = pen.rq.set_graph_coordinates(graph_coordinates(view, true)); q != 0) {
        return graphics_error(q, pen.os);
      }
    }
    const double scale = alternate ? s.right_factor : s.left_factor;
    if (const int d = BXW_DRAW(pen, view, tables, groups, k, pair, line, bench, 'M', scale);
        d != 0) {
      rc = d;
    }
    if (alternate) {
      if (const int q = pen.rq.set_graph_coordinates(graph_coordinates(view, false)); q != 0) {
        return graphics_error(q, pen.os);
      }
    }
  }
  return rc;
}

int BXW_NOTE(Pen& pen, const PlotView& view, util::SupportState& support) {
  const PlotSettings& s = view.settings;
  if (!box_whiskers_wanted(s) || s.btext_count <= 0) return 0;
  int saved = 1;
  if (const int q = pen.rq.query_current_colour(saved); q != 0) return graphics_error(q, pen.os);
  if (const int q = pen.rq.set_colour(s.btext_count); q != 0) {
    const int rc = graphics_error(q, pen.os);
    (void)pen.rq.set_colour(saved);
    return rc;
  }
  if (const int q = pen.rq.set_line_attributes({1, 1, 1, 1}); q != 0) {
    const int rc = graphics_error(q, pen.os);
    (void)pen.rq.set_colour(saved);
    return rc;
  }
  graphics::TextAttributes before;
  if (const int q = pen.rq.query_text_attributes(before); q != 0) return graphics_error(q, pen.os);
  auto restore = [&](int rc) {
    (void)pen.rq.set_colour(saved);
    (void)pen.rq.set_text_attributes(before);
    return rc;
  };
  util::TextAttr attr;
  if (util::TXT_ATTR(support, s.btext_attr, attr, pen.os) != 0) return restore(-43);
  graphics::TextAttributes a;
  a.font = attr.font;
  a.hardware = attr.hardware;
  a.size = static_cast<float>(attr.size);
  a.width = attr.width;
  a.border = attr.border;
  a.rotation = attr.rotation;
  a.justification = attr.justification;
  if (pen.rq.set_text_attributes(a) != 0) return restore(-43);
  graphics::AttributeValues v;
  if (const int q = pen.rq.query_attribute_values(v); q != 0) {
    return restore(graphics_error(q, pen.os));
  }
  const double ch = v.reals[1];
  const std::string first = s.bxw_print ? "BOX CONF INT = " : "CONFDNCE LVL = ";
  const std::string text = first + util::format("(F5.3)", {1.0 - s.test_level}) + '\r' +
                           "# OF SAMPLES = " + util::format("(I5)", {s.trials}) + ' ';
  float x = static_cast<float>(s.btext_x), y = static_cast<float>(s.btext_y);
  if (util::IS_MISSING(x) || util::IS_MISSING(y)) {
    // A third of the way across the plot and five character heights below its top, both taken in
    // view coordinates.
    graphics::Bounds b;
    if (const int q = pen.rq.query_bounds('M', b); q != 0)
      return restore(graphics_error(q, pen.os));
    float cx[] = {b.left, b.right}, cy[] = {b.bottom, b.top};
    if (const int q = pen.rq.transform_points('M', 'V', cx, cy); q != 0) {
      return restore(graphics_error(q, pen.os));
    }
    x = static_cast<float>(cx[0] + 0.33 * (cx[1] - cx[0]));
    y = static_cast<float>(cy[1] - 5 * ch);
  } else if (s.btext_hash) {
    float px[] = {x}, py[] = {y};
    if (const int q = pen.rq.transform_points('M', 'V', px, py); q != 0) {
      return restore(graphics_error(q, pen.os));
    }
    x = px[0];
    y = py[0];
  }
  if (!(x >= 0 && x <= 1 && y >= 0 && y <= 1)) return restore(-44);
  if (pen.rq.draw_text('V', x, y, text, 0, 0, 0) != 0) return restore(-45);
  return restore(0);
}

}  // namespace kor::plot::draw
