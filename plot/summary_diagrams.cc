#include "plot/summary_diagrams.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "metrics/codes.h"
#include "plot/draw/summary_draw.h"
#include "plot/kinds.h"
#include "plot/messages.h"
#include "plot/traces.h"
#include "resample/diagrams.h"
#include "tracefile/messages.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/text.h"

namespace kor::plot {
namespace {

// The plain data fields the diagrams read: the count and the sums of the record.
constexpr int kCountField = 1;
constexpr int kForecastField = 2, kHitField = 3, kObservedField = 4;  // FHO
constexpr int kScalarFields = 6;                                      // count, f, o, f o, f f, o o

std::string trace_text(int h) { return util::format("(I2)", {h}); }

// The engine's code of plain field `field` (its N-weighted sum; the count for field 1), fields
// above 1 carrying the prefix or threshold lag that `decoded` read from the trace's op code.
int field_code(int field, const metrics::DecodedCode& decoded) {
  if (field == kCountField) return kCountField;
  if (decoded.prefix != 0) return -(decoded.prefix * 10000 + field);
  if (decoded.lag != 0) return -(2000000 + 10000 * decoded.lag + field);
  return -field;
}

// The op code of trace position h (0-based): its own under METHOD 2, the first one otherwise.
int opcode_of(const DriverRequest& rq, int h) {
  return rq.method == kListedTraces ? rq.opcodes[h] : rq.opcodes[0];
}

// -3, reported with a line that says why.
int unsuitable(std::string_view why, std::ostream& os) {
  PLT_MSG(-3, why, os);
  return -3;
}

// Checks the METHOD of a summary diagram.
int summary_method(const DriverRequest& rq, std::string_view diagram, std::ostream& os) {
  if (rq.method == kAllTraces || rq.method == kListedTraces) return 0;
  return unsuitable(
      std::string(diagram) + " takes METHOD 1 or 2, not METHOD " + std::to_string(rq.method) + ".",
      os);
}

// The values of one engine call, or the code that ends the driver (reported as the trace loop
// reports it).
int field_values(const tracefile::ReaderState& reader, DriverState& st, int trace, int code,
                 int lag, std::vector<double>& values, std::vector<float>* x,
                 std::string* stat_type, std::ostream& os) {
  stats::TraceResult res;
  const int rc = engine_call(reader, st, st.engine_counts, trace, code, lag, res, os);
  if (rc < 0) {
    tracefile::RDTD_MSG(rc, "RDTD_TRC", os);
    PLT_MSG(-6, " ", os);
    return -6;
  }
  const int points = std::clamp(res.points, 0, kMaxPoints);
  values.assign(res.y.begin(), res.y.begin() + points);
  if (x) x->assign(res.x.begin(), res.x.begin() + points);
  if (stat_type) *stat_type = std::string(util::rtrim(res.stat_type));
  return 0;
}

// The forecast, hit and observed sums of every point of a trace (fields 2, 3 and 4 with the op
// code's prefix or threshold lag), or the code that ends the driver.
int fho_values(const tracefile::ReaderState& reader, DriverState& st, int trace,
               const metrics::DecodedCode& d, int lag, std::vector<double>& f,
               std::vector<double>& hits, std::vector<double>& o, std::ostream& os) {
  for (auto [field, out] : {std::pair{kForecastField, &f}, std::pair{kHitField, &hits},
                            std::pair{kObservedField, &o}}) {
    if (const int rc = field_values(reader, st, trace, field_code(field, d), lag, *out, nullptr,
                                    nullptr, os)) {
      return rc;
    }
  }
  return 0;
}

bool all_present(std::initializer_list<double> values) {
  return std::none_of(values.begin(), values.end(),
                      [](double v) { return util::IS_MISSING(v) || !std::isfinite(v); });
}

// "DD/HHZ" of a "YYYYMMDDHH..." label; any other label (the reader only warns about nonstandard
// labels of a time series) is kept as it is.
std::string day_hour(std::string_view label) {
  const std::string text = util::ST_NOBL(label);
  if (text.size() < 10 ||
      !std::all_of(text.begin(), text.begin() + 10, [](char c) { return c >= '0' && c <= '9'; })) {
    return text;
  }
  return text.substr(6, 2) + "/" + text.substr(8, 2) + "Z";
}

}  // namespace

bool is_fho_type(std::string_view stat_type) { return stat_type.find("FHO") != std::string::npos; }

bool is_scalar_sums_type(std::string_view stat_type) {
  const auto at = stat_type.find("L1L2");
  return at != std::string_view::npos && stat_type.substr(0, at).find('V') == std::string::npos;
}

int performance_data(const DriverRequest& rq, const tracefile::ReaderState& reader, DriverState& st,
                     std::ostream& os) {
  if (const int rc = summary_method(rq, "The performance diagram (display 8)", os); rc != 0) {
    return rc;
  }
  const bool threshold_axis = reader.first_ind_field == metrics::kThresholdAxisField;
  const bool time_series = rq.plot_type == tracefile::kTimeSeriesPlot;
  for (int h = 0; h < std::clamp(st.trace_count, 0, kMaxTraces); ++h) {
    const int trace = rq.traces[h];
    const int lag = rq.lags[h];
    std::vector<double> counts, f, hits, o;
    std::vector<float> x;
    std::string stat;
    if (const int rc = field_values(reader, st, trace, kCountField, lag, counts, &x, &stat, os)) {
      return rc;
    }
    if (!is_fho_type(stat)) {
      return unsuitable("The performance diagram (display 8) needs FHO traces; trace " +
                            std::to_string(h + 1) + " is " + (stat.empty() ? "untyped" : stat) +
                            ".",
                        os);
    }
    const metrics::DecodedCode d = metrics::decode_code(opcode_of(rq, h), true, threshold_axis);
    if (const int rc = fho_values(reader, st, trace, d, lag, f, hits, o, os)) return rc;
    PerformanceTrace& pt = st.results.diagrams.performance[h];
    pt = PerformanceTrace{};
    const std::size_t n = std::min({x.size(), f.size(), hits.size(), o.size()});
    int drawn = 0;
    for (std::size_t i = 0; i < n; ++i) {
      PerformanceEntry e;
      e.x = x[i];
      if (all_present({f[i], hits[i], o[i]})) {
        e.point = metrics::performance_point(f[i], hits[i], o[i]);
        if (!e.point) ++pt.left_out;
      }
      if (e.point) {
        st.traces.X(h, drawn) = static_cast<float>(e.point->success_ratio);
        st.traces.Y(h, drawn) = static_cast<float>(e.point->pod);
        ++drawn;
      }
      pt.entries.push_back(std::move(e));
    }
    st.traces.count[h] = drawn;
    if (pt.left_out > 0) {
      util::list_write(os, {" TRACE #" + trace_text(h + 1) + ":", pt.left_out,
                            " point(s) without a success ratio or detection left out."});
    }
    if (!time_series) continue;
    // All points summed once: without the lag, which would count a day in several sums.
    pt.has_total = true;
    if (lag != 0) {
      if (const int rc = fho_values(reader, st, trace, d, 0, f, hits, o, os)) return rc;
    }
    double tf = 0, th = 0, to = 0;
    for (std::size_t i = 0; i < std::min({f.size(), hits.size(), o.size()}); ++i) {
      if (!all_present({f[i], hits[i], o[i]})) continue;
      tf += f[i];
      th += hits[i];
      to += o[i];
    }
    pt.total = metrics::performance_point(tf, th, to);
  }
  for (int h = 0; h < kMaxTraces; ++h) {
    st.xmin[h] = st.ymin[h] = 0.0f;
    st.xmax[h] = st.ymax[h] = 1.0f;
  }
  return 0;
}

void performance_tags(DriverState& st) {
  const MergedAxis& m = st.merged;
  const int count =
      std::clamp(m.count, 0, static_cast<int>(std::min(m.position.size(), m.label.size())));
  // Merged entries by position, for finding a point's entry (within 1e-5, as the dump does).
  std::vector<int> order(static_cast<std::size_t>(count));
  for (int j = 0; j < count; ++j) order[j] = j;
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return m.position[a] < m.position[b]; });
  auto entry_of = [&](double x) {
    auto it = std::lower_bound(order.begin(), order.end(), x - 1e-5,
                               [&](int j, double v) { return m.position[j] < v; });
    return it != order.end() && std::fabs(m.position[*it] - x) < 1e-5 ? *it : -1;
  };
  const int users = std::clamp(st.settings.user_xlabel_count, 0, kMaxUserLabels);
  for (int h = 0; h < std::clamp(st.trace_count, 0, kMaxTraces); ++h) {
    for (PerformanceEntry& e : st.results.diagrams.performance[h].entries) {
      const int j = entry_of(e.x);
      if (j < 0) {
        e.tag.clear();
      } else if (users > 0 && j < users) {
        e.tag = std::string(util::rtrim(util::ST_LJST(st.settings.user_xlabels[j])));
      } else if (st.label_type == 'r' && j < static_cast<int>(st.merged_values.size())) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.4g", st.merged_values[j]);
        e.tag = buf;
      } else if (st.label_type == 't') {
        e.tag = day_hour(m.label[j]);
      } else {
        e.tag = util::ST_NOBL(m.label[j]);
      }
    }
  }
}

int taylor_data(const DriverRequest& rq, const tracefile::ReaderState& reader, DriverState& st,
                std::ostream& os) {
  if (const int rc = summary_method(rq, "The Taylor diagram (display 9)", os); rc != 0) return rc;
  bool lag_given = false;
  for (int h = 0; h < std::clamp(st.trace_count, 0, kMaxTraces); ++h) {
    const int trace = rq.traces[h];
    lag_given = lag_given || rq.lags[h] != 0;
    std::array<std::vector<double>, kScalarFields> v;
    std::string stat;
    for (int k = 1; k <= kScalarFields; ++k) {
      if (const int rc = field_values(reader, st, trace, field_code(k, {}), 0, v[k - 1], nullptr,
                                      k == 1 ? &stat : nullptr, os)) {
        return rc;
      }
      if (k == 1 && !is_scalar_sums_type(stat)) {
        return unsuitable(
            "The Taylor diagram (display 9) needs scalar partial sums (SL1L2); "
            "trace " +
                std::to_string(h + 1) + " is " + (stat.empty() ? "untyped" : stat) + ".",
            os);
      }
    }
    // The points at which every sum is present (all six calls return the trace's points).
    std::size_t points = v[0].size();
    for (const auto& field : v) points = std::min(points, field.size());
    std::array<double, kScalarFields> sum{};
    for (std::size_t i = 0; i < points; ++i) {
      if (!all_present({v[0][i], v[1][i], v[2][i], v[3][i], v[4][i], v[5][i]})) continue;
      for (int k = 0; k < kScalarFields; ++k) sum[k] += v[k][i];
    }
    auto& stats = st.results.diagrams.taylor[h];
    stats = metrics::taylor_statistics(sum[0], sum[1], sum[2], sum[3], sum[4], sum[5]);
    st.traces.count[h] = stats ? 1 : 0;
    if (stats) {
      const double r = stats->sd_ratio();
      st.traces.X(h, 0) = static_cast<float>(r * stats->correlation);
      st.traces.Y(h, 0) = static_cast<float>(
          r * std::sqrt(std::max(0.0, 1 - stats->correlation * stats->correlation)));
    } else {
      util::list_write(
          os, {" TRACE #" + trace_text(h + 1), " left out: no sums, or values that do not vary."});
    }
  }
  if (lag_given) util::list_write(os, {" LAG ignored: a Taylor diagram sums every point once."});
  for (int h = 0; h < kMaxTraces; ++h) {
    st.xmin[h] = st.ymin[h] = 0.0f;
    st.xmax[h] = st.ymax[h] = 1.0f;
  }
  return 0;
}

int reliability_data(bool attr, DriverState& st, float& spacing, std::ostream& os) {
  resample::DiagramOutput out;
  const int n = st.trace_count;
  if (attr) reliability_bins(st, n);
  const int rc = attr ? resample::ATTR_DATA(n, kMaxTraces, st.traces, out)
                      : resample::CRPS_DATA(n, kMaxTraces, st.traces, out, os);
  spacing = out.spacing;
  if (rc < 0) {
    PLT_MSG(rc, "PLT_DRIV", os);
    return rc;
  }
  for (int position = 0; position < n; ++position) {
    for (int v = 0; v < (attr ? 5 : 6); ++v) {
      st.results.summary[position][v] = out.scores[position][v];
    }
    if (attr) st.results.clim_freq[position] = out.scores[position][5];
  }
  if (attr) {
    st.trace_count = 2 * n;
    for (int position = 0; position < n; ++position) {
      const int companion = n + position;
      st.xmin[companion] = st.xmax[companion] = 0.0f;
      value_range(st, companion);
    }
  }
  return rc;
}

void summary_layout(bool performance, DriverState& st) {
  double aspect = 1.0;
  if (performance) {
    if (util::ST_TLEN(st.settings.xax) == 0) {
      st.layout.x.start = 0.0;
      st.layout.x.stop = 1.0;
    }
    if (!st.settings.yax_given) {
      st.layout.y.start = 0.0;
      st.layout.y.stop = 1.0;
    }
  } else {
    const draw::TaylorFrame frame = draw::taylor_frame(st.results.diagrams);
    aspect = draw::taylor_layout(frame, st.layout);
    // The half circle has no ordinate scale: its standard deviations run along the bottom.
    if (frame.half && util::ST_TLEN(st.settings.y_title) == 0) st.layout.y_title.clear();
  }
  if (!(st.settings.aspect > 0)) st.settings.aspect = aspect;
}

bool taylor_half_circle(const DiagramResults& results) {
  return std::any_of(results.taylor.begin(), results.taylor.end(),
                     [](const auto& t) { return t && t->correlation < 0; });
}

void reliability_bins(DriverState& st, int traces) {
  for (int o = 0; o < std::clamp(traces, 0, kMaxTraces); ++o) {
    auto& bins = st.results.diagrams.reliability[o];
    bins.clear();
    const double total = st.samples[o].count;
    const int points = std::clamp(st.traces.count[o], 0, kMaxPoints);
    if (util::IS_MISSING(total) || !(total > 0) || points % 2 != 0) continue;
    const int k = points / 2;
    for (int j = 0; j < k; ++j) {
      ReliabilityBin b;
      b.probability = st.traces.X(o, j);
      b.forecasts = total * st.traces.Y(o, j);
      b.events = total * st.traces.Y(o, k + j);
      bins.push_back(b);
    }
  }
}

void roc_summaries(DriverState& st) {
  for (int h = 0; h < std::clamp(st.trace_count, 0, kMaxTraces); ++h) {
    const stats::SampleSummary& s = st.samples[h];
    RocSummary& roc = st.results.diagrams.roc[h];
    roc = RocSummary{};
    if (util::IS_MISSING(s.roc_area)) continue;
    roc.area = s.roc_area;
    roc.events = s.events;
    roc.non_events = s.non_events;
  }
}

void confidence_intervals(DriverState& st) {
  DiagramResults& d = st.results.diagrams;
  d.ci_level = st.settings.ci_level;
  if (!(d.ci_level > 0)) return;
  for (RocSummary& roc : d.roc) roc_confidence(roc, d.ci_level);
  for (auto& bins : d.reliability) reliability_confidence(bins, d.ci_level);
}

}  // namespace kor::plot
