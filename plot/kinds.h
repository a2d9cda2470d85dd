// The numbers that choose a plot: the METHOD and display number of kor's dialogue and the final
// plot type that the plot driver decides from them and from the plot's own type.
#ifndef KOR_PLOT_KINDS_H_
#define KOR_PLOT_KINDS_H_

#include "tracefile/format.h"

namespace kor::plot {

// METHOD: which traces are plotted, and how.
enum Method : int {
  kAllTraces = 1,          // every trace of the plot with one op code
  kListedTraces = 2,       // the listed traces, one op code each
  kDifference = 3,         // trace 2 minus trace 1
  kPercentDifference = 4,  // the same as a percentage of trace 1
  kSkillAgainst = 5,       // skill score of trace 2 against trace 1
  kSignificance = 6,       // paired significance test of the two traces
};

// METHODs 3 to 5 plot one trace made of two.
constexpr bool is_difference(int method) {
  return method >= kDifference && method <= kSkillAgainst;
}

// The display number.
enum Display : int {
  kStatisticsPage = 0,
  kOwnType = 1,  // the plot's own type
  kScatterDisplay = 2,
  kHistogramDisplay = 3,
  kTimeSeriesDisplay = 4,
  kRocDisplay = 5,
  kAttributeDisplay = 6,    // op code 1360 only
  kCrpsDisplay = 7,         // op code 2307 only
  kPerformanceDisplay = 8,  // FHO traces
  kTaylorDisplay = 9,       // scalar partial-sum traces (SL1L2 and its relatives)
};

// The final plot type; 1 to 4 are the plot types of a trace data file.
enum FinalType : int {
  kTimeSeries = tracefile::kTimeSeriesPlot,
  kScatter = tracefile::kScatterPlot,
  kSkillScore = tracefile::kSkillScorePlot,
  kBinnedData = tracefile::kBinnedDataPlot,
  kHistogram = 5,
  kRocDiagram = 6,
  kAttributeDiagram = 7,
  kCrpsReliability = 8,
  kPerformanceDiagram = 9,  // probability of detection against success ratio
  kTaylorDiagram = 10,      // standard deviation and correlation against the observations
};

// The diagrams whose axes run over fixed ranges of their own, not over the traces' values: FAC
// does not scale them and they have no right axis.
constexpr bool is_unit_diagram(int final_type) {
  return final_type == kAttributeDiagram || final_type == kCrpsReliability ||
         final_type == kPerformanceDiagram || final_type == kTaylorDiagram;
}

}  // namespace kor::plot

#endif  // KOR_PLOT_KINDS_H_
