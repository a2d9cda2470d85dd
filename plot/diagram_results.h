// What the plot driver works out for the summary diagrams and the confidence intervals, per trace
// position, for the text dump and the drawing to show: the points of a performance diagram
// (display 8), the Taylor statistics of a Taylor diagram (display 9), the Wilson intervals of the
// observed frequencies of an attribute diagram (display 6) and the ROC areas of a ROC diagram
// (display 5) with their standard errors and intervals.  The intervals are worked out only when the
// control file asks for them (CIL); a ROC area is known whenever a ROC code drew the curve.
#ifndef KOR_PLOT_DIAGRAM_RESULTS_H_
#define KOR_PLOT_DIAGRAM_RESULTS_H_

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "metrics/diagram_stats.h"
#include "plot/settings.h"

namespace kor::plot {

// One point of a trace on the performance diagram: where it lies on the plot's own abscissa, the
// short text written beside its marker, and its values (none when its success ratio or
// probability of detection is not defined).
struct PerformanceEntry {
  double x = 0;
  std::string tag;
  std::optional<metrics::PerformancePoint> point;
};

struct PerformanceTrace {
  std::vector<PerformanceEntry> entries;           // every point of the trace, in abscissa order
  std::optional<metrics::PerformancePoint> total;  // all points summed (time series only)
  bool has_total = false;                          // a time series: the total is asked for
  int left_out = 0;  // points with sums whose success ratio or detection is not defined
};

// One probability bin of an attribute-diagram trace: its probability, the forecasts and observed
// events counted in it (N-weighted) and the Wilson interval of their ratio at the level asked.
struct ReliabilityBin {
  double probability = 0, forecasts = 0, events = 0;
  std::optional<metrics::Interval> interval;
  double frequency() const { return events / forecasts; }
};

// The area under a trace's ROC curve, the events and non-events behind it, and at the level asked
// its standard error and interval.
struct RocSummary {
  std::optional<double> area;
  double events = 0, non_events = 0;
  std::optional<double> standard_error;
  std::optional<metrics::Interval> interval;
};

struct DiagramResults {
  double ci_level = 0;  // the confidence level of the intervals; 0: none asked for
  std::array<PerformanceTrace, kMaxTraces> performance;
  std::array<std::optional<metrics::TaylorStatistics>, kMaxTraces> taylor;
  std::array<std::vector<ReliabilityBin>, kMaxTraces> reliability;  // by reliability trace
  std::array<RocSummary, kMaxTraces> roc;
};

// The confidence level of a CIL value: a fraction strictly between 0 and 1, or a percentage
// strictly between 1 and 100 (95 is 0.95).  None for anything else.
std::optional<double> confidence_level(double value);

// The level as a percentage without needless decimals: "95", "99.5".
std::string level_percent(double level);

// Works out a ROC summary's standard error and interval at `level` (0 leaves them unset).
void roc_confidence(RocSummary& roc, double level);

// Works out the Wilson intervals of a trace's bins at `level` (0 leaves them unset).
void reliability_confidence(std::vector<ReliabilityBin>& bins, double level);

// The text of the "$AUC" token: the area with four decimals and, with an interval, its standard
// error and the interval at `level`: "0.8712 (SE 0.0123, 95% CI 0.8471-0.8953)".  Empty when the
// area is not known.
std::string auc_text(const RocSummary& roc, double level);

// Replaces every "$AUC" of `label` by auc_text (a label without the token, or a trace without an
// area, is returned as it is).
std::string substitute_auc(std::string_view label, const RocSummary& roc, double level);

}  // namespace kor::plot

#endif  // KOR_PLOT_DIAGRAM_RESULTS_H_
