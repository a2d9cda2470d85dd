#include "stats/adjust.h"

#include "resample/metrics/metrics.h"

namespace kor::stats {
namespace {

bool present(double v) { return v > tracefile::kMissingLimit; }

const std::string kBlankTag = "    ";

}  // namespace

int bias_adjustment(tracefile::ReaderState& rs, int t, int prefix, std::string& tag) {
  tag = kBlankTag;
  static const char* const kTags[] = {"DHDF", "ORBA", "DHDA", "FRQM"};
  if (prefix < 101 || prefix > 104 || t < 1 || t > tracefile::kMaxTraces) return 0;
  tag = kTags[prefix - 101];
  const tracefile::TraceInfo& info = rs.traces[t - 1];
  const int depth = info.depth;
  if (depth < 4 || (prefix == 104 && depth < 5)) return -46;
  for (int p = 1; p <= info.points; ++p) {
    const double n = rs.sum(t, 1, p), f = rs.sum(t, 2, p), h = rs.sum(t, 3, p), o = rs.sum(t, 4, p);
    if (!present(n) || !present(f) || !present(h) || !present(o) || n == 0.0) continue;
    double new_f = o;
    double new_h = h;
    switch (prefix) {
      case 101: {
        const auto hits = metrics::dhdf_hits(f, h, o);
        if (!hits) continue;
        new_h = *hits;
        break;
      }
      case 102: {
        const auto hits = metrics::orba_hits(n, f, h, o);
        if (!hits) continue;
        new_h = *hits;
        break;
      }
      case 103: {
        const auto hits =
            metrics::dhda_hits(static_cast<float>(f), static_cast<float>(h), static_cast<float>(o));
        if (!hits) continue;
        new_h = *hits;
        break;
      }
      default: {
        // Frequency matching takes the bias-removed sums of the file; a point without them stays.
        const double matched_h = rs.sum(t, 5, p);
        const double matched_f = depth >= 6 ? rs.sum(t, 6, p) : o;
        if (!present(matched_h) || !present(matched_f)) continue;
        new_f = matched_f;
        new_h = matched_h;
        break;
      }
    }
    rs.sum(t, 2, p) = new_f;
    rs.sum(t, 3, p) = new_h;
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
    if (!present(n) || n == 0.0 || !present(f) || !present(h) || !present(o)) continue;
    rs.sum(t, 1, i) = f + o - h;
  }
  rs.reload = true;
  return 0;
}

}  // namespace kor::stats
