#include "plot/draw/axis_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "plot/kinds.h"
#include "plot/messages.h"
#include "util/text.h"

namespace kor::plot::draw {
namespace {

constexpr int kMaxLabelCharacters = 24;  // what request 604 carries of a label
constexpr int kMinorTickLength = 3;      // tenths of a character height

std::vector<float> axis_positions(const AxisState& a) {
  const int n = std::clamp(a.label_count, 0, kMaxAxisLabels);
  return std::vector<float>(a.labels.begin(), a.labels.begin() + n);
}

void numeric_axis(AxisLabels& out, const AxisState& a) {
  out.positions = axis_positions(a);
  out.texts = number_labels(out.positions);
  out.every = std::max(1, a.label_freq);
  out.tick_every = std::max(0, a.tick_freq);
  out.grid = std::max(0, a.grid_freq);
}

// The labels `texts` at the merged positions of the abscissas.
void category_axis(AxisLabels& out, const PlotView& view, std::vector<std::string> texts) {
  const MergedAxis& m = *view.merged;
  const std::size_t n =
      std::min({texts.size(), m.position.size(), static_cast<std::size_t>(std::max(0, m.count))});
  texts.resize(n);
  for (std::string& t : texts) t = std::string(util::rtrim(util::ST_LJST(t)));
  out.texts = std::move(texts);
  out.positions.assign(m.position.begin(), m.position.begin() + n);
  out.every = std::max(1, view.layout.x.label_freq);
  out.tick_every = std::max(0, view.layout.x.tick_freq);
  out.grid = std::max(0, view.layout.x.grid_freq);
}

// Where a value lies along an axis from `start` to `stop`, as a fraction of its length.
struct AxisScale {
  double start = 0, stop = 1;
  bool log = false;
  double at(double v) const {
    if (log) {
      if (v <= 0 || start <= 0 || stop <= 0 || start == stop) return 0;
      return (std::log10(v) - std::log10(start)) / (std::log10(stop) - std::log10(start));
    }
    return stop == start ? 0 : (v - start) / (stop - start);
  }
};

// True when the written labels (every `every`-th) keep at least `gap` device units between
// neighbours along an axis of `length` units; `extent` gives the size of a label along the axis.
template <typename Extent>
bool labels_fit(const AxisLabels& l, int every, double length, const AxisScale& scale, double gap,
                Extent extent) {
  for (std::size_t i = 0; i + every < l.positions.size(); i += every) {
    const double d =
        std::fabs(scale.at(l.positions[i + every]) - scale.at(l.positions[i])) * length;
    if (d - (extent(i) + extent(i + every)) / 2 < gap) return false;
  }
  return true;
}

}  // namespace

int AxisLabels::widest() const {
  std::size_t w = 0;
  for (const std::string& t : texts) w = std::max(w, t.size());
  return static_cast<int>(std::min<std::size_t>(w, kMaxLabelCharacters));
}

std::vector<std::string> number_labels(const std::vector<float>& values) {
  std::vector<std::string> out;
  double step = 0.0, largest = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    largest = std::max(largest, std::fabs(static_cast<double>(values[i])));
    if (i > 0) {
      const double d = std::fabs(static_cast<double>(values[i]) - values[i - 1]);
      if (d > 0 && (step == 0.0 || d < step)) step = d;
    }
  }
  if (step == 0.0) step = largest > 0 ? largest : 1.0;
  // The fewest digits from 0 to `most` for which the error `error(v, d)` of writing each value is
  // within a thousandth of the spacing, or -1.
  const auto fewest_digits = [&](int most, const auto& error) {
    for (int d = 0; d <= most; ++d) {
      if (std::none_of(values.begin(), values.end(),
                       [&](float v) { return error(v, d) > 1e-3 * step; })) {
        return d;
      }
    }
    return -1;
  };
  const int decimals = fewest_digits(6, [](float v, int d) {
    const double scale = std::pow(10.0, d);
    return std::fabs(v * scale - std::round(v * scale)) / scale;
  });
  const bool exponent = decimals < 0 || largest >= 1e7;
  // In exponent form every label of the axis has the same number of mantissa digits: the fewest
  // (three at most) that write each value to within a thousandth of the spacing.
  int mantissa = 3;
  if (exponent) {
    const int fewest = fewest_digits(2, [](float v, int d) {
      char buf[48];
      std::snprintf(buf, sizeof buf, "%.*E", d, static_cast<double>(v));
      return std::fabs(std::strtod(buf, nullptr) - v);
    });
    if (fewest >= 0) mantissa = fewest;
  }
  for (float v : values) {
    char buf[48];
    if (std::fabs(v) < 1e-3 * step) {
      out.emplace_back("0");
      continue;
    }
    if (exponent) {
      std::snprintf(buf, sizeof buf, "%.*E", mantissa, static_cast<double>(v));
    } else {
      std::snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(v));
    }
    out.emplace_back(buf);
  }
  return out;
}

int plan_axes(const PlotView& view, AxisPlan& plan) {
  plan = AxisPlan{};
  const PlotLayout& l = view.layout;
  const int type = view.final_type;
  static const MergedAxis kNone;
  const MergedAxis& merged = view.merged ? *view.merged : kNone;
  if (type == kTimeSeries) {
    if (view.label_type != 't') return -18;
    TimeLabels t;
    const int rc = time_labels(l.x, merged, t);
    if (rc < 0) return rc;
    plan.warning = rc;
    // Only the labels on the axis are shortened against each other: the first one shown is
    // written whole.
    const double lo = std::min(l.x.start, l.x.stop), hi = std::max(l.x.start, l.x.stop);
    const double slack = 1e-6 * std::max(1.0, hi - lo);
    for (std::size_t i = 0; i < t.position.size(); ++i) {
      if (t.position[i] < lo - slack || t.position[i] > hi + slack) continue;
      plan.x.positions.push_back(static_cast<float>(t.position[i]));
      plan.x.times.push_back(t.times[i]);
    }
    plan.x.time_frequency = std::max(1, l.x.label_freq);
    plan.x.with_minutes = t.with_minutes;
    plan.x.texts = shorten_time_labels(plan.x.times, plan.x.time_frequency, plan.x.with_minutes);
    plan.x.minor.assign(t.minor_ticks.begin(), t.minor_ticks.end());
    plan.x.every = std::max(1, l.x.label_freq);
    plan.x.tick_every = std::max(0, l.x.tick_freq);
    plan.x.grid = std::max(0, l.x.grid_freq);
  } else if (type == kSkillScore || type == kBinnedData) {
    int points = 0;
    for (int h = 0; h < std::clamp(view.trace_count, 0, kMaxTraces); ++h) {
      points = std::max(points, view.traces.count[h]);
    }
    category_axis(plan.x, view,
                  category_label_texts(view.settings, type, view.label_type, merged,
                                       view.merged_values, points));
  } else {
    numeric_axis(plan.x, l.x);
  }
  numeric_axis(plan.y, l.y);
  if (view.settings.left_axis_type == 2) plan.y.minor = log_minor_ticks(l.y.start, l.y.stop);
  plan.right = view.settings.right_axis && !view.settings.reversed;
  if (plan.right) {
    numeric_axis(plan.ry, l.ry);
    if (view.settings.right_axis_type == 2) plan.ry.minor = log_minor_ticks(l.ry.start, l.ry.stop);
  }

  if ((type == kSkillScore || type == kBinnedData) &&
      view.stat_type.find("FHO") != std::string::npos) {
    const int n = static_cast<int>(view.bin_counts.size());
    if (check_bin_counts(n, static_cast<int>(plan.x.texts.size())) != 0) return -17;
    plan.counts_row = n > 0;
    plan.counts.positions = plan.x.positions;
    plan.counts.tick_every = 0;
    for (double c : view.bin_counts) {
      plan.counts.texts.push_back(util::ST_LJST(bin_count_text(c, n <= 8)));
      plan.counts.texts.back() = std::string(util::rtrim(plan.counts.texts.back()));
    }
  }
  return 0;
}

void fit_labels(AxisLabels& l, bool horizontal_axis, double length, double start, double stop,
                bool log, double cw, double ch) {
  const AxisScale scale{start, stop, log};
  if (l.positions.size() < 2 || start == stop || length <= 0) return;
  const int base = std::max(1, l.every);
  const int n = static_cast<int>(l.positions.size());
  auto along = [&](std::size_t i) { return static_cast<double>(l.texts[i].size()) * cw; };
  auto across = [&](std::size_t) { return ch; };
  // The smallest multiple of the label frequency at which the labels keep their gap.
  auto thinned = [&](auto extent, double gap) {
    int every = base;
    while (every < n && !labels_fit(l, every, length, scale, gap, extent)) every += base;
    return every;
  };
  const int upright = thinned(across, 0.2 * ch);
  if (!horizontal_axis) {
    l.every = upright;
    return;
  }
  // Horizontal labels read best; turned labels are taken only when they show more than twice as
  // many labels.
  const int flat = thinned(along, cw);
  l.turned = 2 * upright < flat;
  l.every = l.turned ? upright : flat;
}

void shorten_written_times(AxisLabels& l) {
  if (l.times.size() != l.texts.size() || l.times.empty()) return;
  const std::size_t every = static_cast<std::size_t>(std::max(1, l.every));
  std::vector<LabelTime> written;
  for (std::size_t i = 0; i < l.times.size(); i += every) written.push_back(l.times[i]);
  const std::vector<std::string> texts =
      shorten_time_labels(written, l.time_frequency, l.with_minutes);
  for (std::size_t k = 0; k < texts.size(); ++k) l.texts[k * every] = texts[k];
}

std::vector<float> log_minor_ticks(double start, double stop) {
  std::vector<float> out;
  const double a = std::min(start, stop), b = std::max(start, stop);
  if (!(a > 0) || !std::isfinite(b)) return out;
  const int first = static_cast<int>(std::floor(std::log10(a)));
  const int last = static_cast<int>(std::ceil(std::log10(b)));
  for (int k = first; k <= last && out.size() < 4 * static_cast<std::size_t>(kMaxAxisLabels); ++k) {
    for (int m = 2; m <= 9; ++m) {
      const double v = m * std::pow(10.0, k);
      if (v > a && v < b) out.push_back(static_cast<float>(v));
    }
  }
  return out;
}

graphics::GraphCoordinates graph_coordinates(const PlotView& view, bool alternate) {
  const PlotSettings& s = view.settings;
  const PlotLayout& l = view.layout;
  const AxisState& y = alternate ? l.ry : l.y;
  graphics::GraphCoordinates g;
  g.x_type = 1;
  g.y_type = alternate ? s.right_axis_type : s.left_axis_type;
  g.third = alternate ? 2 : 1;
  g.x_min = static_cast<float>(l.x.start);
  g.x_max = static_cast<float>(l.x.stop);
  g.y_min = static_cast<float>(y.start);
  g.y_max = static_cast<float>(y.stop);
  if (s.reversed) {
    std::swap(g.x_type, g.y_type);
    std::swap(g.x_min, g.y_min);
    std::swap(g.x_max, g.y_max);
  }
  return g;
}

namespace {

// One axis with its labels: ticks (603) at every position, the labels (604), and the second pass
// of minor ticks.
int draw_one_axis(Pen& pen, int axis, const AxisLabels& l) {
  if (l.positions.empty()) return 0;
  const graphics::AxisPlace place{axis, static_cast<float>(kPlotMissing)};
  if (l.tick_every > 0 || l.grid > 0) {
    if (const int rc =
            check(pen.rq.draw_axis(place, {0, 0, l.tick_every, l.grid, 0}, l.positions), pen.os);
        rc != 0) {
      return rc;
    }
  }
  if (!l.texts.empty()) {
    const std::size_t n = std::min(l.positions.size(), l.texts.size());
    const std::span<const float> at(l.positions.data(), n);
    const std::span<const std::string> texts(l.texts.data(), n);
    if (const int rc = check(pen.rq.draw_axis_labels(place, {l.every, 0, l.turned ? 1 : 0, 0}, at,
                                                     texts, std::max(1, l.widest())),
                             pen.os);
        rc != 0) {
      return rc;
    }
  }
  if (!l.minor.empty()) {
    return check(pen.rq.draw_axis(place, {0, kMinorTickLength, 1, 0, 0}, l.minor), pen.os);
  }
  return 0;
}

}  // namespace

int draw_axes(Pen& pen, const PlotView& view, const AxisPlan& plan) {
  const PlotSettings& s = view.settings;
  pen.send(&Requests::set_graph_coordinates, graph_coordinates(view, false));
  if (plan.right) {
    pen.send(&Requests::set_graph_coordinates, graph_coordinates(view, true))
        .send(&Requests::set_graph_coordinates, graph_coordinates(view, false));
  }
  if (const int rc = pen.finish(); rc != 0) return rc;
  bool hardware = false;
  if (apply_text_attributes(pen, s.l_text, kCentred, hardware) != 0) return -12;
  const int border = s.border_colour > 0 ? s.border_colour : 1;
  pen.send(&Requests::set_colour, border)
      .send(&Requests::set_line_attributes,
            graphics::LineAttributes{s.border_type, 1, s.border_width, 1});
  if (const int rc = pen.finish(); rc != 0) return rc;
  if (plan.warning != 0) PLT_MSG(plan.warning, " Continuing anyway...", pen.os);
  const AxisLabels& across = s.reversed ? plan.y : plan.x;
  const AxisLabels& up = s.reversed ? plan.x : plan.y;
  pen.then([&] { return draw_one_axis(pen, 1, across); });
  pen.then([&] { return draw_one_axis(pen, 2, up); });
  if (plan.right) pen.then([&] { return draw_one_axis(pen, 4, plan.ry); });
  // The bin counts stand beside the categories: along the top, or down the right side when the
  // axes are exchanged.
  if (plan.counts_row) {
    pen.then([&] { return draw_one_axis(pen, s.reversed ? 4 : 3, plan.counts); });
  }
  if (s.border_colour > 0) {
    const float fx[] = {0, 1, 1, 0, 0}, fy[] = {0, 0, 1, 1, 0};
    pen.send(&Requests::draw_polyline, 'P', std::span<const float>(fx), std::span<const float>(fy));
  }
  return pen.finish();
}

}  // namespace kor::plot::draw
