#include "plot/diagram_results.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "util/text.h"

namespace kor::plot {
namespace {

std::string decimals4(double v) {
  std::string text;
  (void)util::ST_RFMT(v, 4, text);
  return text;
}

}  // namespace

std::optional<double> confidence_level(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  if (value > 0 && value < 1) return value;
  if (value > 1 && value < 100) return value / 100;
  return std::nullopt;
}

std::string level_percent(double level) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4g", level * 100);
  return buf;
}

void roc_confidence(RocSummary& roc, double level) {
  roc.standard_error.reset();
  roc.interval.reset();
  const auto z = metrics::two_sided_z(level);
  if (!roc.area || !z) return;
  roc.standard_error = metrics::hanley_mcneil_se(*roc.area, roc.events, roc.non_events);
  if (!roc.standard_error) return;
  const double half = *z * *roc.standard_error;
  roc.interval =
      metrics::Interval{std::max(0.0, *roc.area - half), std::min(1.0, *roc.area + half)};
}

void reliability_confidence(std::vector<ReliabilityBin>& bins, double level) {
  const auto z = metrics::two_sided_z(level);
  for (ReliabilityBin& b : bins) {
    b.interval.reset();
    if (z) b.interval = metrics::wilson_interval(b.events, b.forecasts, *z);
  }
}

std::string auc_text(const RocSummary& roc, double level) {
  if (!roc.area) return {};
  std::string text = decimals4(*roc.area);
  if (roc.standard_error && roc.interval) {
    text += " (SE " + decimals4(*roc.standard_error) + ", " + level_percent(level) + "% CI " +
            decimals4(roc.interval->lower) + "-" + decimals4(roc.interval->upper) + ")";
  }
  return text;
}

std::string substitute_auc(std::string_view label, const RocSummary& roc, double level) {
  std::string text(label);
  constexpr std::string_view kToken = "$AUC";
  const std::string value = auc_text(roc, level);
  if (value.empty()) return text;
  for (std::size_t at = text.find(kToken); at != std::string::npos;
       at = text.find(kToken, at + value.size())) {
    text.replace(at, kToken.size(), value);
  }
  return text;
}

}  // namespace kor::plot
