// ATTR_DATA, PROB_MERGE, CRPS_DATA, TRACE_DIFF and RANK_DATA.
#include "resample/diagrams.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "metrics/metrics.h"
#include "util/listout.h"

namespace kor::resample {
namespace {

namespace m = ::kor::metrics;

// One sample of `depth` fields: field 1 is 1, fields 2..depth are y values 2..depth of `trace`.
std::vector<double> sample_of(PlotTraces& t, int trace, int depth) {
  std::vector<double> s(static_cast<std::size_t>(std::max(depth, m::kMaxFields)),
                        tracefile::kMissingFill);
  s[0] = 1;
  for (int k = 2; k <= depth; ++k) s[k - 1] = t.Y(trace, k - 1);
  return s;
}

float smallest_spacing(const std::vector<float>& v) {
  float d = 1e31f;
  for (std::size_t i = 1; i < v.size(); ++i) d = std::min(d, v[i] - v[i - 1]);
  return d;
}

}  // namespace

int PROB_MERGE(int capacity, int traces, const PlotTraces& t, const std::vector<int>& counts,
               std::vector<float>& merged) {
  auto n_of = [&](int j) {
    const int n = counts.empty() ? t.count[j] : counts[j];
    return std::clamp(n, 0, t.leading);
  };
  auto at = [&](int j, int i) { return t.x[static_cast<std::size_t>(j) * t.leading + i]; };
  traces = std::clamp(traces, 0, kPlotTraces);
  std::vector<float> out;
  if (traces == 1) {
    for (int i = 0; i < n_of(0); ++i) out.push_back(at(0, i));
  } else {
    bool any = false;
    for (int j = 0; j < traces; ++j) {
      for (int i = 1; i < n_of(j); ++i) {
        if (!(at(j, i) > at(j, i - 1))) return -36;
      }
      any = any || n_of(j) > 0;
    }
    if (!any) return -35;
    // Repeatedly the smallest value above the last one taken (beyond 5e-5 of it).
    bool first = true;
    float last = 0;
    for (;;) {
      bool found = false;
      float next = 0;
      for (int j = 0; j < traces; ++j) {
        for (int i = 0; i < n_of(j); ++i) {
          const float v = at(j, i);
          if (!first && v <= last + 5e-5f) continue;
          if (!found || v < next) {
            next = v;
            found = true;
          }
        }
      }
      if (!found) break;
      if (static_cast<int>(out.size()) >= capacity) return -37;
      out.push_back(next);
      last = next;
      first = false;
    }
  }
  if (out.empty()) return -35;
  if (static_cast<int>(out.size()) > capacity) return -37;
  merged = std::move(out);
  return 0;
}

int ATTR_DATA(int traces, int capacity, PlotTraces& t, DiagramOutput& out) {
  if (traces < 1 || 2 * traces > std::min(capacity, kPlotTraces)) return -32;
  DiagramOutput r;
  std::vector<int> categories(static_cast<std::size_t>(traces));
  for (int o = 0; o < traces; ++o) {
    const int n = std::clamp(t.count[o], 0, t.leading);
    if (n % 2 != 0) return -33;
    const int k = n / 2;
    categories[o] = k;
    if (n > m::kMaxFields || k < 1) return -34;
    const std::vector<double> s = sample_of(t, o, n);
    const m::SumsView in{s.data(), 1, m::kMaxFields, 1, 0};
    std::vector<float> p(static_cast<std::size_t>(k));
    for (int j = 0; j < k; ++j) p[j] = t.X(o, j);
    double v[6];
    int word = 0;
    const auto run = [&](int slot, auto&& fn) {
      m::Output res{&v[slot]};
      if (const int w = fn(res); w != 0 && word == 0) word = w;
    };
    run(0, [&](m::Output& res) { return m::brier(0, in, n, p.data(), k, kMissingPoint, res); });
    static constexpr int kOption[] = {4, 1, 2, 3};
    for (int i = 0; i < 4; ++i) {
      run(1 + i, [&](m::Output& res) {
        return m::brier_decomposition(kOption[i], in, n, p.data(), k, kMissingPoint, res);
      });
    }
    run(5, [&](m::Output& res) { return m::climatology(1, in, n, kMissingPoint, res); });
    if (word != 0) return -34;
    for (int i = 0; i < 6; ++i) r.scores[o][i] = v[i];
  }
  const int rc = PROB_MERGE(t.leading, traces, t, categories, r.merged);
  if (rc == -36) return -46;
  if (rc != 0) return rc;
  while (!r.merged.empty() && r.merged.back() > 1) r.merged.pop_back();
  r.count = static_cast<int>(r.merged.size());

  for (int o = 0; o < traces; ++o) {
    const int k = categories[o];
    const int f = traces + o;
    r.scores[f] = r.scores[o];
    double total = 0;
    for (int j = 2; j <= k; ++j) total += t.Y(o, j - 1);
    for (int i = 0; i < r.count; ++i) {
      float freq = 0;
      for (int j = 1; j <= k; ++j) {
        if (std::fabs(t.X(o, j - 1) - r.merged[i]) > 5e-5f) continue;
        const double forecasts = j == 1 ? 1 - total : t.Y(o, j - 1);
        const double events = t.Y(o, k + j - 1);
        freq = forecasts == 0 ? kMissingPoint : static_cast<float>(events / forecasts);
        break;
      }
      t.Y(f, i) = freq;
      t.X(f, i) = r.merged[i];
    }
    t.count[f] = r.count;
  }
  for (int o = 0; o < traces; ++o) t.count[o] /= 2;
  r.spacing = smallest_spacing(r.merged);
  out = std::move(r);
  return 0;
}

int CRPS_DATA(int traces, int capacity, PlotTraces& t, DiagramOutput& out, std::ostream& os) {
  if (traces < 1 || traces > std::min(capacity, kPlotTraces)) return -32;
  const int n = std::clamp(t.count[0], 0, t.leading);
  for (int o = 1; o < traces; ++o) {
    if (std::clamp(t.count[o], 0, t.leading) != n) return -50;
  }
  const int cal_count = (n - 6) / 2;  // calibration values after the leading 0
  const int bins = cal_count + 1;
  if (n > m::kMaxFields || cal_count < 1 || cal_count + 1 > t.leading) return -48;
  std::vector<float> cal(static_cast<std::size_t>(cal_count));
  for (int i = 0; i < cal_count; ++i) cal[i] = t.X(0, i + 1);
  for (int o = 1; o < traces; ++o) {
    bool same = true;
    for (int i = 0; i < cal_count; ++i) same = same && t.X(o, i + 1) == cal[i];
    if (!same) {
      util::list_write(os, {" WARNING -- ", " CRPS traces have differing calibrations."});
      util::list_write(os, {" Calibration of first trace used."});
      break;
    }
  }
  DiagramOutput r;
  for (int o = 0; o < traces; ++o) {
    const std::vector<double> s = sample_of(t, o, n);
    const m::SumsView in{s.data(), 1, m::kMaxFields, 1, 0};
    static constexpr int kOption[] = {1, 6, 3, 4, 5, 2};
    for (int i = 0; i < 6; ++i) {
      double v = 0;
      m::Output res{&v};
      if (m::crps_decomposition(kOption[i], in, n, cal.data(), cal_count, kMissingPoint, res) !=
          0) {
        return -48;
      }
      r.scores[o][i] = v;
    }
    // Bin t's pair is (field t + 1, field bins + t + 1): the observed fraction of the bin.
    std::vector<float> y(static_cast<std::size_t>(bins));
    for (int b = 1; b <= bins; ++b) {
      const double lo = s[b], hi = s[bins + b];
      y[b - 1] = lo + hi > 0 ? static_cast<float>(hi / (lo + hi)) : 0.0f;
    }
    std::vector<float> x(static_cast<std::size_t>(bins));
    x[0] = 0;
    for (int i = 0; i < cal_count; ++i) x[i + 1] = cal[i];
    // Bin centres: each value but the first becomes the mean of itself and its successor, the
    // last one's successor being 1.
    for (int i = 1; i < bins; ++i) x[i] = (x[i] + (i + 1 < bins ? x[i + 1] : 1.0f)) / 2;
    for (int i = 0; i < bins; ++i) {
      t.X(o, i) = x[i];
      t.Y(o, i) = y[i];
    }
    t.count[o] = bins;
    if (o == 0) r.merged = x;
  }
  r.count = bins;
  r.spacing = smallest_spacing(r.merged);
  out = std::move(r);
  return 0;
}

int TRACE_DIFF(int mode, float perfect, int position, PlotTraces& t, float& min, float& max) {
  if (position < 0 || position >= kPlotTraces || t.count[position] != t.count[0]) return -21;
  const int n = std::clamp(t.count[0], 0, t.leading);
  min = 1.1e31f;
  max = -1.1e31f;
  for (int i = 0; i < n; ++i) {
    const float b = t.Y(0, i), v = t.Y(position, i);
    float d = kMissingPoint;
    if (!util::IS_MISSING(b) && !util::IS_MISSING(v)) {
      d = v - b;
      if (mode == 2) {
        d = b == 0 ? kMissingPoint : d / std::fabs(b) * 100;
      } else if (mode == 3) {
        d = !util::IS_MISSING(perfect) && perfect != b ? d / (perfect - b) : kMissingPoint;
      }
    }
    t.Y(0, i) = d;
    if (!util::IS_MISSING(d)) {
      min = std::min(min, d);
      max = std::max(max, d);
    }
  }
  return 0;
}

int RANK_DATA(int traces, PlotTraces& t, std::ostream& os) {
  if (traces <= 1) {
    util::list_write(os, {"-26 = RPF histogram requires more than one trace."});
    return -26;
  }
  traces = std::min(traces, kPlotTraces);
  for (int j = 1; j < traces; ++j) {
    if (t.count[j] != t.count[0]) {
      util::list_write(os, {"-27 = RPF histogram traces point counts differ."});
      return -27;
    }
  }
  const int n = std::clamp(t.count[0], 0, t.leading);
  for (int i = 0; i < n; ++i) {
    const float first = t.Y(0, i);
    bool all = !util::IS_MISSING(first);
    int not_above = 0;
    for (int j = 1; j < traces && all; ++j) {
      const float v = t.Y(j, i);
      if (util::IS_MISSING(v)) all = false;
      not_above += v <= first;
    }
    t.Y(0, i) = all ? static_cast<float>(traces - not_above) : kMissingPoint;
  }
  return 0;
}

}  // namespace kor::resample
