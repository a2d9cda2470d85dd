#include "stats/engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>

#include "metrics/codes.h"
#include "stats/adjust.h"
#include "stats/internal.h"
#include "tracefile/format.h"
#include "tracefile/messages.h"
#include "util/format.h"
#include "util/text.h"

namespace kor::stats {
namespace {

using detail::Call;
using tracefile::ReaderState;

// Lag accumulation over fields 1..depth of the copied sums: a trailing sum over `lag` points
// (lag > 0) or a cumulative sum restarting every |lag| points (lag < 0).
void accumulate_lag(TraceSums& sums, int lag) {
  if (lag == 0) return;
  const int points = sums.points, depth = sums.depth;
  if (lag > 0) {
    for (int p = points; p >= 2; --p) {
      for (int q = std::max(1, p - lag + 1); q <= p - 1; ++q) {
        for (int k = 1; k <= depth; ++k) {
          const double a = sums.at(k, p), b = sums.at(k, q);
          if (!tracefile::is_table_missing(a) && !tracefile::is_table_missing(b)) {
            sums.at(k, p) = a + b;
          }
        }
      }
    }
    return;
  }
  // The block's running value is held in single precision; a missing value added into it keeps
  // it at or below the missing limit, so the rest of that block comes out missing.
  const long long m = -static_cast<long long>(lag);
  for (int k = 1; k <= depth; ++k) {
    float running = static_cast<float>(sums.at(k, 1));
    for (int p = 2; p <= points; ++p) {
      if (p % m == 1) {
        running = static_cast<float>(sums.at(k, p));
      } else {
        running += static_cast<float>(sums.at(k, p));
        sums.at(k, p) = running;
      }
    }
  }
}

// Ensemble size of an ensemble statistic type: the integer after the first "/".
bool read_ensemble_size(std::string_view stat, int& n) {
  const std::size_t slash = stat.find('/');
  if (slash == std::string_view::npos) return false;
  int value = 0;
  if (util::ST_TINT(stat.substr(slash + 1), value) != 0 || value < 1) return false;
  n = value;
  return true;
}

void update_range(float v, float& lo, float& hi) {
  lo = std::min(lo, v);
  hi = std::max(hi, v);
}

bool is_missing(const Call& c, double v) { return v == c.missing; }

// Time axis: x in days from the reference; plot type 1 then gets its fill-in points.
int place_on_time_axis(Call& c) {
  TraceResult& r = c.result;
  for (int i = 1; i <= c.points; ++i) {
    const float x = static_cast<float>(c.reader.xpos(c.trace, i) / 1440.0);
    r.x[i - 1] = x;
    r.y[i - 1] = c.values[i - 1];
    update_range(x, r.xmin, r.xmax);
  }
  return 0;
}

// The regular step of a time series: the step between neighbours that recurs most often later on
// (the first one wins a tie); 0 when no step recurs.
long long regular_step(const Call& c) {
  const int p = c.points;
  long long best = 0;
  int best_count = 0;
  long long total = 0;
  for (int j = 1; j <= p - 2; ++j) {
    const long long d = c.reader.xpos(c.trace, j + 1) - c.reader.xpos(c.trace, j);
    int count = 0;
    for (int k = j + 1; k <= p - 1; ++k) {
      if (c.reader.xpos(c.trace, k + 1) - c.reader.xpos(c.trace, k) == d) ++count;
    }
    if (count > best_count) {
      best_count = count;
      best = d;
    }
    total += count;
    if (total >= p - 1) break;
  }
  return best_count == 0 ? 0 : best;
}

// Completes a time series with missing points at the regular step where a gap is more than 1.5
// steps wide; each is labelled with its date-time "YYYYMMDDHHMM".
int fill_in(Call& c) {
  TraceResult& r = c.result;
  for (int i = 1; i <= c.points; ++i) r.x_labels[i - 1] = std::string(c.reader.label(c.trace, i));
  for (int i = 1; i <= c.points; ++i) r.x_values[i - 1] = static_cast<float>(c.missing);
  const long long step = regular_step(c);
  if (step <= 0 || c.points < 2) return 0;
  struct Point {
    float x;
    double y;
    std::string label;
    float x_value;
  };
  std::vector<Point> out;
  out.reserve(static_cast<std::size_t>(c.capacity));
  auto original = [&](int i) {
    return Point{r.x[i - 1], r.y[i - 1], r.x_labels[i - 1], r.x_values[i - 1]};
  };
  out.push_back(original(1));
  long long now = c.reader.xpos(c.trace, 1);
  for (int next = 2; next <= c.points; ++next) {
    const long long when = c.reader.xpos(c.trace, next);
    long long gap = when - now;
    const double ratio = static_cast<double>(gap) / static_cast<double>(step);
    while (gap > step && ratio > 1.5) {
      if (static_cast<int>(out.size()) + 1 + (c.points - next + 1) > c.capacity) return -38;
      now += step;
      tracefile::DateTime at;
      if (int rc = tracefile::add_minutes(c.reader.reference, now, at)) return rc;
      out.push_back(Point{
          static_cast<float>(now / 1440.0), c.missing,
          util::pad(util::format("(I4.4,4I2.2)", {at.year, at.month, at.day, at.hour, at.minute}),
                    tracefile::kLabelWidth),
          static_cast<float>(c.missing)});
      gap = when - now;
    }
    now = when;
    out.push_back(original(next));
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    r.x[i] = out[i].x;
    r.y[i] = out[i].y;
    r.x_labels[i] = out[i].label;
    r.x_values[i] = out[i].x_value;
  }
  r.points = static_cast<int>(out.size());
  return 0;
}

// Common x axis: each point goes to the first axis position that carries its label.
int place_on_common_axis(Call& c) {
  TraceResult& r = c.result;
  const ReaderState& rs = c.reader;
  if (rs.no_common_axis) {
    // No common axis was built: the trace keeps its own points at their own places.
    for (int i = 1; i <= c.points; ++i) {
      r.x[i - 1] = static_cast<float>(i);
      r.y[i - 1] = c.values[i - 1];
      update_range(static_cast<float>(i), r.xmin, r.xmax);
    }
    return 0;
  }
  const int nx = std::clamp(rs.merged_count, 0, tracefile::kMaxMerged);
  if (nx > c.capacity) return -31;
  r.points = nx;
  for (int j = 1; j <= nx; ++j) r.x[j - 1] = static_cast<float>(j);
  const bool real = rs.label_type == 'r';
  const bool all_missing = rs.traces[c.trace - 1].all_missing;
  auto matches = [&](int j, int p) {
    const int i = rs.merged_order[j - 1];
    if (i < 1 || i > nx) return false;
    return real ? std::fabs(rs.merged_real[i - 1] - rs.real_label(c.trace, p)) < 0.00005
                : rs.merged_label[i - 1] == rs.label(c.trace, p);
  };
  for (int p = 1; p <= c.points; ++p) {
    // The reader's position is the first one within its wider tolerance: when it matches here, no
    // earlier position can, so the search over the axis is needed only when it does not.
    const long long known = rs.xpos(c.trace, p);
    int position = known >= 1 && known <= nx && matches(static_cast<int>(known), p)
                       ? static_cast<int>(known)
                       : 0;
    for (int j = 1; j <= nx && position == 0; ++j) {
      if (matches(j, p)) position = j;
    }
    if (position == 0) {
      if (all_missing) continue;
      return -26;
    }
    r.y[position - 1] = c.values[p - 1];
    update_range(static_cast<float>(position), r.xmin, r.xmax);
  }
  return 0;
}

void set_x_labels(Call& c) {
  TraceResult& r = c.result;
  const ReaderState& rs = c.reader;
  const bool real = rs.label_type == 'r';
  const std::string blank(tracefile::kLabelWidth, ' ');
  if (rs.no_common_axis) {
    for (int i = 1; i <= r.points; ++i) {
      r.x_values[i - 1] =
          real ? static_cast<float>(rs.real_label(c.trace, i)) : static_cast<float>(c.missing);
      r.x_labels[i - 1] = real ? blank : std::string(rs.label(c.trace, i));
    }
    return;
  }
  const int nx = std::min(r.points, rs.merged_count);
  for (int j = 1; j <= nx; ++j) {
    const int i = rs.merged_order[j - 1];
    if (i < 1 || i > rs.merged_count) continue;
    r.x_values[j - 1] =
        real ? static_cast<float>(rs.merged_real[i - 1]) : static_cast<float>(c.missing);
    r.x_labels[j - 1] = real ? blank : rs.merged_label[i - 1];
  }
}

// Codes 1009 to 1020: the placed raw sums become volume or count percentages over the thresholds.
void percentages(Call& c, int code) {
  TraceResult& r = c.result;
  const int n = r.points;
  metrics::Percent kind = metrics::Percent::kCumulativeVolume;
  if (code >= 1012 && code <= 1014) kind = metrics::Percent::kVolume;
  if (code >= 1015 && code <= 1017) kind = metrics::Percent::kCount;
  if (code >= 1018) kind = metrics::Percent::kCountBelow;
  std::vector<double> thresholds(static_cast<std::size_t>(std::max(n, 0)), 0.0);
  for (int i = 0; i < n; ++i) {
    double t = 0.0;
    if (util::ST_TLEN(r.x_labels[i]) > 0) {
      if (util::ST_TREL(r.x_labels[i], t) != 0) t = 0.0;
    } else if (!util::IS_MISSING(r.x_values[i]) && r.x_values[i] != c.missing) {
      t = r.x_values[i];  // numeric axes carry the threshold in the x value, not the label
    }
    thresholds[i] = t;
  }
  metrics::Output out{r.y.data()};
  (void)metrics::percent_of_total(kind, thresholds.data(), n, c.missing, out);
  r.ymin = out.min;
  r.ymax = out.max;
}

// The initial outputs of a call, and the checks of the trace before anything is computed:
// `capacity` becomes the points the output arrays take.  Returns 0, -37, -31 or -32.
int start_result(const ReaderState& rs, const TraceRequest& request, TraceResult& r,
                 int& capacity) {
  r.code = request.code;
  r.count_code = -4;
  r.perfect = request.missing;
  r.plot_type = rs.plot_type;
  r.label_type = rs.label_type;
  r.sample = SampleSummary{};
  if (request.code == 0) return 0;

  const int t = request.trace;
  if (t < 1 || t > std::min(rs.trace_count, tracefile::kMaxTraces)) return -37;
  capacity = std::clamp(request.capacity, 0, kMaxPoints);
  for (std::size_t size : {r.x.size(), r.y.size(), r.x_labels.size(), r.x_values.size()}) {
    capacity = std::min<int>(capacity, static_cast<int>(size));
  }
  if (rs.traces[t - 1].points > capacity) return -31;
  r.points = rs.traces[t - 1].points;
  if (rs.traces[t - 1].trace_value < 0) return -32;
  std::fill_n(r.y.begin(), std::min<std::size_t>(r.y.size(), kMaxPoints), request.missing);
  return 0;
}

// The call's work stores: the engine's values (all missing) and the copied sums, also as the
// metric library reads them.
void attach_work_stores(Call& c, TraceEngine& engine, const TraceSums& sums) {
  c.values = engine.values.data();
  c.values2 = engine.values.data() + kMaxPoints;
  std::fill_n(c.values, kMaxPoints, c.missing);
  c.trace_sums = sums;
  c.sums = metrics::SumsView{sums.data, 1, tracefile::kMaxDepth, sums.points, 0};
}

// The adjustments of the copied sums that the code's prefix asks for, with their label tags; the
// engine notes that the next call writes the messages of the reading again when the sums changed
// (also by the lag accumulation of `lag`).  Returns 0 or the adjustment's code.
int adjust_for_code(TraceEngine& engine, TraceSums& sums, const metrics::DecodedCode& d, int lag,
                    std::string& bias_tag, std::string& lag_tag) {
  int rc = bias_adjustment(sums, d.prefix, bias_tag);
  bool changed = lag != 0 || (rc == 0 && util::ST_TLEN(bias_tag) > 0);
  if (rc == 0) {
    rc = threshold_lag_adjustment(sums, d.lag, lag_tag);
    changed = changed || (rc == 0 && d.lag != 0);
  }
  if (changed) engine.repeat_read_messages = true;
  return rc;
}

// The ensemble size of an ensemble statistic type (E...L1L2/n) kept in the engine; `has_ensemble`
// and `ensemble` tell the call.  Returns 0, or the warning +5 when the size is unreadable (1000 is
// taken).
int note_ensemble_size(TraceEngine& engine, std::string_view stat, bool& has_ensemble,
                       int& ensemble) {
  has_ensemble = false;
  ensemble = 0;
  if (stat.find("L1L2") == std::string_view::npos || stat.empty() || stat[0] != 'E') return 0;
  int warning = 0;
  if (!read_ensemble_size(stat, ensemble)) {
    ensemble = 1000;
    warning = 5;
  }
  has_ensemble = true;
  engine.ensemble_size = ensemble;
  engine.has_ensemble_size = true;
  return warning;
}

// The statistic label of an ordinary code: a plain field's from the label lists, with the tags of
// the bias adjustment and the threshold lag in front, padded to the request's width.
void label_statistic(Call& c, int statistic, const std::string& bias_tag,
                     const std::string& lag_tag) {
  TraceResult& r = c.result;
  if (statistic < 1001 && statistic != -1) {
    const long long k = std::llabs(static_cast<long long>(statistic));
    if (k == 1) {
      c.label = "DATA_COUNT";
    } else {
      detail::plain_field_label(c.stat, static_cast<int>(k), c.missing, c.label, r.perfect);
    }
  }
  std::string label = c.label;
  if (util::ST_TLEN(bias_tag) > 0) label = bias_tag + "_" + label;
  if (util::ST_TLEN(lag_tag) > 0) label = lag_tag + "_" + label;
  r.label = util::pad(label, static_cast<std::size_t>(std::max(c.request.label_width, 0)));
}

// The computed values placed on the plot's axis (time series with their fill-in points, or the
// common x axis with its labels), the percentages of codes 1009 to 1020 last.  Returns `rc`, or the
// placing's error.
int place_points(Call& c, int statistic, int rc) {
  TraceResult& r = c.result;
  const ReaderState& rs = c.reader;
  r.xmin = detail::kRangeStart;
  r.xmax = -detail::kRangeStart;
  if (rs.plot_type == 1 || rs.plot_type == 2) {
    place_on_time_axis(c);
    if (rs.plot_type == 1) {
      const int fill = fill_in(c);
      return fill != 0 ? fill : rc;
    }
  } else {
    const int place = place_on_common_axis(c);
    if (place != 0) return place;
  }
  set_x_labels(c);
  if (statistic >= 1009 && statistic <= 1020) percentages(c, statistic);
  return rc;
}

}  // namespace

TraceEngine::TraceEngine()
    : last_stat_type(tracefile::kLabelWidth, ' '),
      trace_sums(static_cast<std::size_t>(tracefile::kMaxDepth) * kMaxPoints),
      work_sums(static_cast<std::size_t>(tracefile::kMaxDepth) * kMaxPoints),
      values(2 * static_cast<std::size_t>(kMaxPoints)) {}

TraceArrays::TraceArrays(int size)
    : x(static_cast<std::size_t>(std::max(size, 0))),
      y(static_cast<std::size_t>(std::max(size, 0))),
      x_labels(static_cast<std::size_t>(std::max(size, 0)),
               std::string(tracefile::kLabelWidth, ' ')),
      x_values(static_cast<std::size_t>(std::max(size, 0))) {}

void TraceArrays::attach(TraceResult& result) {
  result.x = x;
  result.y = y;
  result.x_labels = x_labels;
  result.x_values = x_values;
}

int RDTD_TRC(const ReaderState& rs, TraceEngine& engine, const TraceRequest& request,
             TraceResult& r, std::ostream& os) {
  const double missing = request.missing;
  int capacity = 0;
  if (const int rc = start_result(rs, request, r, capacity); rc != 0 || request.code == 0) {
    return rc;
  }
  const int t = request.trace;
  const tracefile::TraceInfo& info = rs.traces[t - 1];
  const int points = std::clamp(info.points, 0, kMaxPoints);
  const int depth = std::clamp(info.depth, 0, tracefile::kMaxDepth);
  r.points = points;
  // A call after one that changed its copy of the sums writes the messages of the plot's reading
  // again: the plot is read afresh for it, as far as the user sees.
  if (engine.repeat_read_messages) {
    os << rs.read_messages;
    engine.repeat_read_messages = false;
  }
  // The lag accumulation and a prefix's adjustment change the engine's copy of the trace's sums:
  // the reader's table keeps the file's values for the next call.
  TraceSums sums = copy_trace_sums(rs, t, points, engine.trace_sums);
  accumulate_lag(sums, request.lag);

  std::string stat = info.stat_type;
  if (util::ST_TLEN(stat) == 0) stat = rs.plot_stat_type;
  stat = util::pad(stat, tracefile::kLabelWidth);
  r.stat_type = stat;
  if (stat.find("ST_MODE") != std::string::npos) r.count_code = 1;
  const bool fho = stat.find("FHO") != std::string::npos;

  const metrics::DecodedCode d =
      metrics::decode_code(request.code, fho, rs.first_ind_field == metrics::kThresholdAxisField);
  r.code = d.code;
  metrics::write_prefix_warning(d.prefix, os);
  std::string bias_tag, lag_tag = "    ";
  int rc = adjust_for_code(engine, sums, d, request.lag, bias_tag, lag_tag);

  bool has_ensemble = false;
  int ensemble = 0;
  const int warning = note_ensemble_size(engine, stat, has_ensemble, ensemble);
  engine.last_stat_type = stat;
  if (rc != 0) return rc;

  Call c(rs, engine, request, r, os);
  c.trace = t;
  c.points = points;
  c.depth = depth;
  c.capacity = capacity;
  c.missing = missing;
  c.stat = stat;
  c.fho = fho;
  c.has_ensemble = has_ensemble;
  c.ensemble = ensemble;
  attach_work_stores(c, engine, sums);
  c.label = std::string(util::rtrim(info.param_label));
  c.perfect = missing;
  const int statistic = d.statistic;

  bool special = false;
  rc = detail::compute_code(c, statistic, special);
  if (special) {
    r.label = util::pad(c.label, static_cast<std::size_t>(std::max(request.label_width, 0)));
    return rc;
  }
  if (rc < 0) return rc;
  r.ymin = c.ymin;
  r.ymax = c.ymax;
  r.perfect = c.perfect;

  label_statistic(c, statistic, bias_tag, lag_tag);

  if (rc == 0) rc = warning;
  bool all_missing = true;
  for (int i = 0; i < points && all_missing; ++i) all_missing = is_missing(c, c.values[i]);
  if (all_missing) rc = 2;
  return place_points(c, statistic, rc);
}

}  // namespace kor::stats
