// What the plot methods draw: the settings of the graphics control file, the layout derived from
// them (axes, titles, labels, bar widths), the traces as plotted and what the plot driver found
// out about them.  The drawing only reads it.
#ifndef KOR_PLOT_DRAW_VIEW_H_
#define KOR_PLOT_DRAW_VIEW_H_

#include <array>
#include <string>
#include <vector>

#include "plot/axes.h"
#include "plot/diagram_results.h"
#include "plot/layout.h"
#include "plot/settings.h"
#include "resample/diagrams.h"

namespace kor::plot::draw {

// A legend entry of a diagram's background (the contours and lines of a performance or Taylor
// diagram): its text and the line its sample shows.
struct LegendKey {
  std::string text;
  int colour = 1, type = 1, width = 1;
};

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
  // Per trace: the six legend summary values (the count-weighted mean in kMeanSummary) and the
  // climatological frequency of an attribute diagram.
  std::array<std::array<double, kSummaryValues>, kMaxTraces> summary{};
  std::array<double, kMaxTraces> clim_freq{};
  // Abscissa labels: their type, the merged list, its numeric values, and the bin counts written
  // along the top of an FHO skill-score or binned-data plot.
  char label_type = ' ';
  const MergedAxis* merged = nullptr;
  std::vector<double> merged_values;
  std::vector<double> bin_counts;
  // The summary diagrams and the confidence intervals (none: nothing of them is drawn), and the
  // legend entries of a diagram's background, after the traces' entries.
  const DiagramResults* diagrams = nullptr;
  std::vector<LegendKey> keys;
};

}  // namespace kor::plot::draw

#endif  // KOR_PLOT_DRAW_VIEW_H_
