#include "stats/adjust.h"

#include <algorithm>

#include "metrics/codes.h"

namespace kor::stats {
namespace {

const std::string kBlankTag = "    ";

}  // namespace

TraceSums copy_trace_sums(const tracefile::ReaderState& rs, int t, int points,
                          std::vector<double>& store) {
  constexpr std::size_t kFields = tracefile::kMaxDepth;
  const std::size_t size = kFields * tracefile::kMaxPoints;
  if (store.size() < size) store.resize(size);
  TraceSums sums{store.data(), std::clamp(points, 0, tracefile::kMaxPoints), 0};
  if (t < 1 || t > tracefile::kMaxTraces) return sums;
  sums.depth = std::clamp(rs.traces[t - 1].depth, 0, tracefile::kMaxDepth);
  for (int p = 1; p <= sums.points; ++p) {
    for (int k = 1; k <= tracefile::kMaxDepth; ++k) sums.at(k, p) = rs.sum(t, k, p);
  }
  return sums;
}

int bias_adjustment(TraceSums& sums, int prefix, std::string& tag) {
  tag = kBlankTag;
  if (metrics::bias_tag(prefix).empty()) return 0;
  tag = metrics::bias_tag(prefix);
  const int depth = sums.depth;
  if (!metrics::bias_depth_ok(prefix, depth)) return -46;
  for (int p = 1; p <= sums.points; ++p) {
    metrics::FhoCounts counts;
    counts.n = sums.at(1, p);
    counts.forecasts = sums.at(2, p);
    counts.hits = sums.at(3, p);
    counts.observed = sums.at(4, p);
    if (prefix == metrics::kFrequencyPrefix) {
      counts.matched_hits = sums.at(5, p);
      counts.matched_forecasts = depth >= 6 ? sums.at(6, p) : counts.observed;
    }
    const auto adjusted = metrics::adjust_counts(prefix, counts);
    if (!adjusted) continue;
    sums.at(2, p) = adjusted->forecasts;
    sums.at(3, p) = adjusted->hits;
  }
  return 0;
}

int threshold_lag_adjustment(TraceSums& sums, int lag, std::string& tag) {
  tag = kBlankTag;
  if (lag == 0) return 0;
  if (lag < 0 || lag > 9) return -48;
  tag = "TL=" + std::to_string(lag);
  if (sums.depth != 4) return -49;
  // From the last point down, so every new count uses the lower point's unchanged sums (F, H and O
  // are never changed here anyway).
  for (int i = sums.points; i >= lag + 1; --i) {
    const double n = sums.at(1, i);
    const double f = sums.at(2, i - lag), h = sums.at(3, i - lag), o = sums.at(4, i - lag);
    if (tracefile::is_table_missing(n) || n == 0.0 || tracefile::is_table_missing(f) ||
        tracefile::is_table_missing(h) || tracefile::is_table_missing(o)) {
      continue;
    }
    sums.at(1, i) = f + o - h;
  }
  return 0;
}

}  // namespace kor::stats
