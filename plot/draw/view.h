// What the plot methods draw: the settings of the graphics control file, the layout derived from
// them (axes, titles, labels, bar widths), the traces as plotted and what the plot driver found
// out about them.  The drawing only reads it.
#ifndef KOR_PLOT_DRAW_VIEW_H_
#define KOR_PLOT_DRAW_VIEW_H_

#include <array>
#include <string>
#include <vector>

#include "plot/axes.h"
#include "plot/layout.h"
#include "plot/settings.h"
#include "resample/diagrams.h"

namespace kor::plot::draw {

struct PlotView {
  PlotView(const PlotSettings& s, const PlotLayout& l, const resample::PlotTraces& t)
      : settings(s), layout(l), traces(t) {}

  const PlotSettings& settings;
  const PlotLayout& layout;
  const resample::PlotTraces& traces;  // points per trace in traces.count
  int trace_count = 0;
  int final_type = 1;  // FinalType
  int method = 1;
  int count_code = -4;    // the statistics engine's count code of the traces
  std::string stat_type;  // statistic type of the traces ("FHO", ...)
  // Plot-relative numbers of the listed traces (the observation-counts line tells whether they
  // differ).
  std::vector<int> trace_list;
  // Per trace: the six legend summary values (the count-weighted mean in slot 5) and the
  // climatological frequency of an attribute diagram.
  std::array<std::array<double, kSummaryValues>, kMaxTraces> summary{};
  std::array<double, kMaxTraces> clim_freq{};
  // Abscissa labels: their type, the merged list, its numeric values, and the bin counts written
  // along the top of an FHO skill-score or binned-data plot.
  char label_type = ' ';
  const MergedAxis* merged = nullptr;
  std::vector<double> merged_values;
  std::vector<double> bin_counts;
};

// Slot of the summary values that holds the count-weighted mean.
inline constexpr int kMeanSummary = 5;

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_VIEW_H_
