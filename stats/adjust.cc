#include "stats/adjust.h"

#include "metrics/codes.h"

namespace kor::stats {
namespace {

const std::string kBlankTag = "    ";

}  // namespace

int bias_adjustment(tracefile::ReaderState& rs, int t, int prefix, std::string& tag) {
  tag = kBlankTag;
  if (metrics::bias_tag(prefix).empty() || t < 1 || t > tracefile::kMaxTraces) return 0;
  tag = metrics::bias_tag(prefix);
  const tracefile::TraceInfo& info = rs.traces[t - 1];
  const int depth = info.depth;
  if (!metrics::bias_depth_ok(prefix, depth)) return -46;
  for (int p = 1; p <= info.points; ++p) {
    metrics::FhoCounts counts;
    counts.n = rs.sum(t, 1, p);
    counts.forecasts = rs.sum(t, 2, p);
    counts.hits = rs.sum(t, 3, p);
    counts.observed = rs.sum(t, 4, p);
    if (prefix == metrics::kFrequencyPrefix) {
      counts.matched_hits = rs.sum(t, 5, p);
      counts.matched_forecasts = depth >= 6 ? rs.sum(t, 6, p) : counts.observed;
    }
    const auto adjusted = metrics::adjust_counts(prefix, counts);
    if (!adjusted) continue;
    rs.sum(t, 2, p) = adjusted->forecasts;
    rs.sum(t, 3, p) = adjusted->hits;
  }
  rs.reload = true;
  return 0;
}

int threshold_lag_adjustment(tracefile::ReaderState& rs, int t, int lag, std::string& tag) {
  tag = kBlankTag;
  if (lag == 0) return 0;
  if (lag < 0 || lag > 9) return -48;
  tag = "TL=" + std::to_string(lag);
  if (t < 1 || t > tracefile::kMaxTraces) return -49;
  const tracefile::TraceInfo& info = rs.traces[t - 1];
  if (info.depth != 4) return -49;
  // From the last point down, so every new count uses the lower point's unchanged sums (F, H and O
  // are never changed here anyway).
  for (int i = info.points; i >= lag + 1; --i) {
    const double n = rs.sum(t, 1, i);
    const double f = rs.sum(t, 2, i - lag), h = rs.sum(t, 3, i - lag), o = rs.sum(t, 4, i - lag);
    if (tracefile::is_table_missing(n) || n == 0.0 || tracefile::is_table_missing(f) ||
        tracefile::is_table_missing(h) || tracefile::is_table_missing(o)) {
      continue;
    }
    rs.sum(t, 1, i) = f + o - h;
  }
  rs.reload = true;
  return 0;
}

}  // namespace kor::stats
