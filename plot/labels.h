// Titles and labels of a plot: the plot title and the automatic trace labels built from the
// plot's conditions, the axis titles chosen by final plot type, and the statistic label of the Y
// axes.  Texts given in the graphics control file (TIT, TRACEn, XLA, YLA, YRL) are kept; only
// blank ones are filled, and only with label level 1.
#ifndef KOR_PLOT_LABELS_H_
#define KOR_PLOT_LABELS_H_

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>

#include "plot/layout.h"
#include "tracefile/reader.h"

namespace kor::plot {

// Appends " name=value" (or " value" when the name is blank; trailing blanks of both removed) to
// `target`; an empty target takes the piece without its leading blank.  A piece that would make
// the target longer than `capacity` is dropped.  Returns 0, or +8 when the piece was dropped.
[[nodiscard]] int label_append(std::string_view name, std::string_view value, std::string& target,
                               int capacity);

struct TitleInput {
  int trace_count = 0;
  std::array<int, kMaxTraces> trace_list{};         // plot-relative trace numbers
  std::array<std::string, kMaxTraces> stat_labels;  // statistic label of each trace (20 characters)
  int method = 1;
  std::string stat_type;                           // statistic type of the plot's traces
  const tracefile::ReaderState* reader = nullptr;  // conditions of the plot; none: no pieces
  int final_type = 1;                              // FinalType
  bool rank_hist = false;                          // the traces are rank histograms
  bool depth_flag = false;                         // the traces are diagrams over the data fields
  bool rpf_flag = false;  // the histogram is the rank of the first trace among the others
};

// The Y-axis statistic label of one side: the first left (or right) trace's statistic label and,
// when the traces' labels differ and the method is not 3, 4 or 5, the other labels of that side
// after " | " (each distinct label once).  `warning` becomes 8 when a label did not fit.
std::string statistic_title(const PlotSettings& settings, const TitleInput& input, bool right,
                            int& warning);

// The titles and labels of the layout: those the settings give, and with label level 1 the blank
// ones built from the plot's conditions, the statistic labels and the final type (the title,
// the automatic trace labels, the axis titles).  A label that did not fit is reported here with
// the +08 warning, which is also returned; otherwise 0.
[[nodiscard]] int build_titles(const PlotSettings& settings, PlotLayout& layout,
                               const TitleInput& input, std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_LABELS_H_
