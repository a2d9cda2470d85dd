// Diagram data built from whole traces: the attribute (reliability) diagram of probability traces,
// the calibration diagram of CRPS traces, differences from the first trace and the rank of the
// first trace among the others.  The routines rewrite the plot's trace arrays in place; their
// negative return codes are the plot driver's.
#ifndef KOR_RESAMPLE_DIAGRAMS_H_
#define KOR_RESAMPLE_DIAGRAMS_H_

#include <array>
#include <iosfwd>
#include <vector>

#include "tracefile/format.h"
#include "util/missing.h"

namespace kor::resample {

inline constexpr int kPlotTraces = tracefile::kMaxTraces;
// The plot-level missing value in the single precision of the trace arrays.
inline constexpr float kMissingPoint = static_cast<float>(util::kPlotMissing);

// The plot's trace arrays: trace j's point i at x[i + leading j], y[i + leading j].
struct PlotTraces {
  explicit PlotTraces(int leading_dimension)
      : leading(leading_dimension),
        x(static_cast<std::size_t>(leading_dimension) * kPlotTraces, 0.0f),
        y(static_cast<std::size_t>(leading_dimension) * kPlotTraces, 0.0f) {}
  int leading;
  std::vector<float> x, y;
  std::array<int, kPlotTraces> count{};
  float& X(int trace, int i) { return x[static_cast<std::size_t>(trace) * leading + i]; }
  float& Y(int trace, int i) { return y[static_cast<std::size_t>(trace) * leading + i]; }
  float X(int trace, int i) const { return x[static_cast<std::size_t>(trace) * leading + i]; }
  float Y(int trace, int i) const { return y[static_cast<std::size_t>(trace) * leading + i]; }
};

// Six summary scores per trace.
using Summary = std::array<double, 6>;

struct DiagramOutput {
  std::array<Summary, kPlotTraces> scores{};  // per trace
  std::vector<float> merged;                  // merged probability (or calibration) list
  float spacing = 1e31f;                      // smallest spacing of neighbouring values
  int count = 0;                              // new point count
};

// Attribute diagram: per trace (0-based o < traces) Brier score, skill, reliability, resolution,
// uncertainty and sample climate frequency; traces + o becomes o's frequency trace over the merged
// probabilities (<= 1).  -32 when 2 traces exceed `capacity`, -33 odd point count, -34 metric
// error, -46 a falling probability list, -35 / -37 from PROB_MERGE.
[[nodiscard]] int ATTR_DATA(int traces, int capacity, PlotTraces& t, DiagramOutput& out);

// Merges the traces' x lists (point counts in t.count, or `counts` when given): strictly rising
// lists (else -36), values within 5e-5 of the last taken counting as one; -35 when no trace has
// points, -37 beyond `capacity` values.  One trace: its list is copied.
[[nodiscard]] int PROB_MERGE(int capacity, int traces, const PlotTraces& t,
                             const std::vector<int>& counts, std::vector<float>& merged);

// CRPS calibration diagram: per trace mean CRPS, skill, reliability, resolution, uncertainty and
// potential CRPS; each trace rewritten as bin calibration (x) against observed fraction (y).
// -32 too many traces, -50 traces of differing depth, -48 metric error.
[[nodiscard]] int CRPS_DATA(int traces, int capacity, PlotTraces& t, DiagramOutput& out,
                            std::ostream& os);

// Difference of trace `position` (0-based) from trace 0, written over trace 0: mode 1 plain,
// mode 2 percentage of |first|, mode 3 skill against `perfect`.  -21 when the point counts differ.
[[nodiscard]] int TRACE_DIFF(int mode, float perfect, int position, PlotTraces& t, float& min,
                             float& max);

// Rank of the first trace among the others at each point, written over trace 0.  -26 with one
// trace, -27 when point counts differ; the plot driver's line is printed for either.
[[nodiscard]] int RANK_DATA(int traces, PlotTraces& t, std::ostream& os);

}  // namespace kor::resample

#endif  // KOR_RESAMPLE_DIAGRAMS_H_
