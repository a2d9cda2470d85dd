// Special plots: ROC curves, attribute and CRPS reliability diagrams, the cumulative-probability
// plot of a CRPS trace and the rank histograms.  Each combines all points of the trace and returns
// its own points, ranges, label, label type and plot type (4 binned data, 14 rank histogram, 24 a
// diagram over the data fields).
#include <algorithm>
#include <cmath>
#include <ostream>
#include <vector>

#include "metrics/diagram_stats.h"
#include "stats/internal.h"
#include "tracefile/messages.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/text.h"

namespace kor::stats::detail {
namespace {

// True when fields 1..last of point p are all present.
bool fields_present(const Call& c, int p, int last) {
  for (int k = 1; k <= last; ++k) {
    if (tracefile::is_table_missing(c.F(k, p))) return false;
  }
  return true;
}

void start_special(Call& c, const char* label, char label_type, int plot_type) {
  c.label = label;
  c.result.label_type = label_type;
  c.result.plot_type = plot_type;
  c.result.perfect = c.missing;
}

void blank_labels(Call& c, int count) {
  const std::string blank(tracefile::kLabelWidth, ' ');
  for (int i = 0; i < count; ++i) {
    c.result.x_labels[i] = blank;
    c.result.x_values[i] = static_cast<float>(c.missing);
  }
}

// The contingency of one PBS_ point: expected events of each category against the observed ones.
struct Contingency {
  double hits = 0, misses = 0, false_alarms = 0, correct_negatives = 0;
};

// -61 unless the depth is 2K with exactly K probabilities.
int pbs_categories(const Call& c, int& k) {
  k = c.depth / 2;
  const int count = c.reader.traces[c.trace - 1].pbs_count;
  if (c.depth % 2 != 0 || k < 1 || count != k) return -61;
  return 0;
}

bool pbs_contingency(const Call& c, int p, int k, Contingency& out) {
  if (!fields_present(c, p, c.depth)) return false;
  const double n = c.F(1, p);
  if (!(n > 0.0)) return false;
  const tracefile::TraceInfo& info = c.reader.traces[c.trace - 1];
  double others = 0.0;
  for (int j = 2; j <= k; ++j) others += c.F(j, p);
  out = Contingency{};
  for (int j = 1; j <= k; ++j) {
    const double forecasts = j == 1 ? n - others : c.F(j, p);
    const double events = c.F(k + j, p);
    const double expected = info.pbs[j - 1] * forecasts;
    double false_alarm = 0.0;
    if (events > expected) {
      out.hits += expected;
      out.misses += events - expected;
    } else {
      out.hits += events;
      false_alarm = expected - events;
      out.false_alarms += false_alarm;
    }
    out.correct_negatives += forecasts - events - false_alarm;
  }
  return true;
}

}  // namespace

int constant_odds_roc(Call& c, double n, double f, double h, double o, int failure) {
  TraceResult& r = c.result;
  start_special(c, "HIT RATE", 'r', 4);
  const double d = (f - h) * (o - h);
  if (d == 0.0) return failure;
  const double ratio = (n - f - o + h) * h / d;
  if (!std::isfinite(ratio) || ratio < 0.0) return failure;  // no odds ratio of counts
  float w = ratio > 0.0 ? static_cast<float>((std::sqrt(ratio) - 1.0) / ratio) : -1.0f;
  if (w < 0.00005f) w = 0.45f;
  w += 0.05f;
  std::vector<float> xs{0.0f};
  const float s = w / 15.0f;
  for (int i = 1; i <= 15; ++i) xs.push_back(s * static_cast<float>(i));
  const float t = (1.0f - w) / 15.0f;
  float a = t - s < 0.0f ? 0.0f : s;
  float x = xs.back();
  while (x < 1.0f) {
    x = x + t - a;
    if (x < 1.0f) xs.push_back(x);
    a *= 0.5f;
  }
  xs.push_back(1.0f);
  const int count = static_cast<int>(xs.size());
  if (count > c.capacity) return -31;
  for (int i = 0; i < count; ++i) {
    r.x[i] = xs[i];
    const double xv = xs[i];
    r.y[i] = i == 0 ? 0.0 : i == count - 1 ? 1.0 : ratio * xv / (1.0 + (ratio - 1.0) * xv);
  }
  blank_labels(c, count);
  r.points = count;
  r.xmin = 0.0f;
  r.xmax = 1.0f;
  r.ymin = 0.0f;
  r.ymax = 1.0f;
  r.sample.events = o;
  r.sample.non_events = n - o;
  if (const auto area = metrics::odds_ratio_roc_area(ratio)) r.sample.roc_area = *area;
  return 0;
}

int roc_from_odds_ratio(Call& c) {
  double n = 0, f = 0, h = 0, o = 0;
  for (int p = 1; p <= c.points; ++p) {
    if (!fields_present(c, p, 4) || c.F(1, p) == 0.0) continue;
    n += c.F(1, p);
    f += c.F(2, p);
    h += c.F(3, p);
    o += c.F(4, p);
  }
  return constant_odds_roc(c, n, f, h, o, -47);
}

int roc_from_pbs(Call& c, bool points) {
  TraceResult& r = c.result;
  start_special(c, "HIT RATE", 'r', 4);
  int k = 0;
  if (int rc = pbs_categories(c, k)) return rc;
  if (!points) {
    Contingency total;
    double n = 0.0;
    for (int p = 1; p <= c.points; ++p) {
      Contingency one;
      if (!pbs_contingency(c, p, k, one)) continue;
      n += c.F(1, p);
      total.hits += one.hits;
      total.misses += one.misses;
      total.false_alarms += one.false_alarms;
    }
    const double f = total.hits + total.false_alarms;
    const double o = total.hits + total.misses;
    util::list_write(c.os, {" F H O n = ", f, total.hits, o, n});
    return constant_odds_roc(c, n, f, total.hits, o, -63);
  }
  int count = 0, bad = 0;
  double events = 0.0, non_events = 0.0;
  for (int p = 1; p <= c.points; ++p) {
    Contingency one;
    if (!pbs_contingency(c, p, k, one)) continue;
    const double no_event = one.false_alarms + one.correct_negatives;
    const double event = one.hits + one.misses;
    if (!(no_event > 0.0) || !(event > 0.0)) continue;
    const double pofd = one.false_alarms / no_event;
    const double pod = one.hits / event;
    if (pofd < 0.0 || pofd > 1.0 || pod < 0.0 || pod > 1.0) {
      ++bad;
      continue;
    }
    r.x[count] = static_cast<float>(pofd);
    r.y[count] = pod;
    events += event;
    non_events += no_event;
    ++count;
  }
  if (bad > 0) util::list_write(c.os, {bad, " bad ROC points rejected. "});
  r.points = count;
  if (count == 0) return -62;
  // Exchanging neighbours until a pass exchanges nothing keeps equal x in their order.
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (int i = 0; i + 1 < count; ++i) {
      if (r.x[i] > r.x[i + 1]) {
        std::swap(r.x[i], r.x[i + 1]);
        std::swap(r.y[i], r.y[i + 1]);
        swapped = true;
      }
    }
  }
  blank_labels(c, count);
  r.xmin = 0.0f;
  r.xmax = 1.0f;
  r.ymin = 0.0f;
  r.ymax = 1.0f;
  r.sample.events = events;
  r.sample.non_events = non_events;
  const std::span<const float> xs(r.x.data(), static_cast<std::size_t>(count));
  const std::span<const double> ys(r.y.data(), static_cast<std::size_t>(count));
  if (const auto area = metrics::trapezoid_roc_area(xs, ys)) r.sample.roc_area = *area;
  return 0;
}

int reliability_diagram(Call& c, bool crps) {
  TraceResult& r = c.result;
  start_special(c, crps ? "CRPS_RELI_DIAGRAM" : "ATTRIBUTE_DIAGRAM", 'r', 24);
  const int d = c.depth;
  if (d % 2 != 0) return -59;
  if (d + 1 > c.capacity) return -31;
  double total = 0.0;
  std::vector<double> sums(static_cast<std::size_t>(d) + 1, 0.0);
  for (int p = 1; p <= c.points; ++p) {
    if (!fields_present(c, p, d)) continue;
    total += c.F(1, p);
    for (int k = 2; k <= d; ++k) sums[k] += c.F(k, p);
  }
  if (total <= 0.0) {
    for (int k = 1; k <= d; ++k) r.y[k - 1] = c.missing;
    r.points = 0;
  } else {
    r.sample.count = total;
    r.ymin = 1.0e29f;
    r.ymax = -1.0e29f;
    for (int k = 2; k <= d; ++k) {
      r.y[k - 1] = sums[k] / total;
      r.ymin = std::min(r.ymin, static_cast<float>(r.y[k - 1]));
      r.ymax = std::max(r.ymax, static_cast<float>(r.y[k - 1]));
    }
    for (int k = 1; k <= d; ++k) r.x[k - 1] = static_cast<float>(k);
    double first = 1.0;
    if (!crps) {
      for (int k = 2; k <= d / 2; ++k) first -= r.y[k - 1];
      first = std::clamp(first, 0.0, 1.0);
    }
    r.y[0] = first;
    r.points = d;
    r.xmin = 1.0f;
    r.xmax = static_cast<float>(d);
    blank_labels(c, d);
  }
  // The x coordinates become the trace's probabilities.
  const tracefile::TraceInfo& info = c.reader.traces[c.trace - 1];
  float lo = 1000.0f, hi = -1000.0f;
  if (crps) {
    const int count = std::clamp(info.crps_count, 0, tracefile::kMaxCrps);
    r.x[0] = 0.0f;
    for (int i = 1; i <= count && i < c.capacity; ++i) {
      r.x[i] = static_cast<float>(info.crps[i - 1]);
      lo = std::min(lo, r.x[i]);
      hi = std::max(hi, r.x[i]);
    }
    for (int i = count + 2; i <= d + 1 && i <= c.capacity; ++i) {
      r.x[i - 1] = static_cast<float>(c.missing);
    }
  } else {
    const int count = std::clamp(info.pbs_count, 0, tracefile::kMaxPbs);
    for (int i = 1; i <= count; ++i) {
      const float p = static_cast<float>(info.pbs[i - 1]);
      if (i <= c.capacity) r.x[i - 1] = p;
      if (count + i <= c.capacity) r.x[count + i - 1] = p + 2.0f;
      lo = std::min(lo, p);
      hi = std::max(hi, p);
    }
  }
  r.xmin = lo;
  r.xmax = hi;
  if (c.capacity >= 2) {
    r.x_labels[0] = util::pad(info.indvar_label, tracefile::kLabelWidth);
    r.x_labels[1] = std::string(c.reader.label(c.trace, std::max(c.points, 1)));
  }
  return 0;
}

int cumulative_frequencies(Call& c) {
  TraceResult& r = c.result;
  start_special(c, "", 'r', 24);
  c.label = std::string(util::rtrim(c.stat));
  const int d = c.depth;
  if (d - 1 > c.capacity) return -31;
  double total = 0.0;
  std::vector<double> sums(static_cast<std::size_t>(std::max(d, 1)), 0.0);
  for (int p = 1; p <= c.points; ++p) {
    if (!fields_present(c, p, d)) continue;
    total += c.F(1, p);
    for (int m = 2; m <= d; ++m) sums[m - 1] += c.F(m, p);
  }
  if (total <= 0.0) {
    for (int j = 1; j <= d - 1; ++j) r.y[j - 1] = c.missing;
    r.points = 0;
    return 0;
  }
  r.ymin = kRangeStart;
  r.ymax = -kRangeStart;
  for (int j = 1; j <= d - 1; ++j) {
    r.y[j - 1] = sums[j] / total;
    r.x[j - 1] = static_cast<float>(j);
    r.ymin = std::min(r.ymin, static_cast<float>(r.y[j - 1]));
    r.ymax = std::max(r.ymax, static_cast<float>(r.y[j - 1]));
  }
  blank_labels(c, d - 1);
  r.points = d - 1;
  r.xmin = 1.0f;
  r.xmax = static_cast<float>(d - 1);
  return 0;
}

int rank_histogram(Call& c) {
  TraceResult& r = c.result;
  start_special(c, "PROBABILITY", 'c', 14);
  const int d = c.depth;
  if (d > c.capacity) return -31;
  if (c.points > 1) tracefile::RDTD_MSG(4, "", c.os);
  double total = 0.0;
  std::vector<double> bins(static_cast<std::size_t>(d) + 1, 0.0);
  for (int p = 1; p <= c.points; ++p) {
    if (!fields_present(c, p, d)) continue;
    const double n = c.F(1, p);
    total += n;
    double inside = 0.0;
    for (int j = 1; j <= d - 1; ++j) {
      bins[j] += c.F(j + 1, p);
      inside += c.F(j + 1, p);
    }
    bins[d] += n - inside;
  }
  const bool rhnt = c.contains("RHNT");
  for (int j = 1; j <= d; ++j) {
    r.y[j - 1] = total > 0.0 ? std::clamp(bins[j] / total, 0.0, 1.0) : c.missing;
    r.x[j - 1] = static_cast<float>(j);
    r.x_values[j - 1] = static_cast<float>(c.missing);
    std::string label = util::format("(I2.2)", {j});
    if (!rhnt && j == 1) label = "A<E";
    if (!rhnt && j == d) label = "A>E";
    r.x_labels[j - 1] = util::pad(label, tracefile::kLabelWidth);
  }
  r.points = d;
  r.xmin = 1.0f;
  r.xmax = static_cast<float>(d);
  r.ymin = 0.0f;
  r.ymax = 1.0f;
  return 0;
}

int summary_rank_plot(Call& c) {
  TraceResult& r = c.result;
  start_special(c, "PROBABILITY", 'c', 14);
  if (c.capacity < 4) return -31;
  if (c.points > 1) tracefile::RDTD_MSG(4, "", c.os);
  const int d = c.depth;
  double s = 0.0, below = 0.0, inside = 0.0, above = 0.0;
  for (int p = 1; p <= c.points; ++p) {
    if (!fields_present(c, p, std::max(d, 2))) continue;
    const double n = c.F(1, p);
    double rest = 0.0;
    for (int k = 3; k <= d; ++k) rest += c.F(k, p);
    s += n;
    below += c.F(2, p);
    inside += rest;
    above += n - c.F(2, p) - rest;
  }
  if (s <= 0.0) return -52;
  const double values[4] = {below / s, inside / s, above / s, below / s + above / s};
  static constexpr const char* kLabels[4] = {"A < E", "E < A < E", "A > E", "A<E||A>E"};
  for (int j = 1; j <= 4; ++j) {
    r.y[j - 1] = std::clamp(values[j - 1], 0.0, 1.0);
    r.x[j - 1] = static_cast<float>(j);
    r.x_values[j - 1] = static_cast<float>(c.missing);
    r.x_labels[j - 1] = util::pad(kLabels[j - 1], tracefile::kLabelWidth);
  }
  r.points = 4;
  r.xmin = 1.0f;
  r.xmax = 4.0f;
  r.ymin = 0.0f;
  r.ymax = 1.0f;
  return 0;
}

}  // namespace kor::stats::detail
