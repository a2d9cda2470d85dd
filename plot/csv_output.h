// The CSV device (DEV = CSV or DEV = CSV|name.csv): the plotted values as one tidy table, one row
// per point of every trace, for spreadsheets and data-frame libraries.
//
// The header line is the same whatever the plot (kCsvColumns); a plot fills the columns it has and
// leaves the others empty: the box-whisker ends of a resampled skill-score or binned-data plot,
// the observation counts of an FHO skill-score or binned-data plot, the point values of a
// performance diagram, the statistics of a Taylor diagram, the area of a ROC curve, the bins and
// intervals of an attribute diagram and the summary scores of the attribute and CRPS reliability
// diagrams.  Every number is written with "%.17g"; a missing value is an empty cell.  Texts are
// quoted when they hold a comma, a quote, a line end or blanks at either end.
#ifndef KOR_PLOT_CSV_OUTPUT_H_
#define KOR_PLOT_CSV_OUTPUT_H_

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "plot/box_whiskers.h"
#include "plot/run_state.h"
#include "plot/text_output.h"
#include "tracefile/reader.h"

namespace kor::plot {

// The columns of the table, in order.
inline constexpr std::string_view kCsvColumns[] = {
    "plot",           "trace",           "trace_label",        "point",
    "x",              "x_label",         "y",                  "statistic",
    "bxw_benchmark",  "bxw_min_whisker", "bxw_ci_lower",       "bxw_ci_upper",
    "bxw_max_whisker", "bin_count",      "success_ratio",      "pod",
    "csi",            "bias",            "sample_size",        "forecast_sd",
    "observed_sd",    "correlation",     "centred_rmsd",       "sd_ratio",
    "centred_rmsd_ratio", "roc_area",    "roc_std_error",      "events",
    "non_events",     "forecasts",       "observed_frequency", "ci_lower",
    "ci_upper",       "brier_score",     "brier_skill_score",  "rps",
    "rps_skill_score", "reliability",    "resolution",         "uncertainty",
    "potential_rps",
};

// What the table shows: the text dump's input (traces as plotted, merged abscissas, final type,
// summary values and diagram results), the layout's trace labels, and per trace position its
// statistic label; the observation counts by point and the box-whisker objects, where the plot
// has them.
struct CsvInput {
  int plot = 1;
  const PlotLayout* layout = nullptr;
  const TextDumpInput* dump = nullptr;
  std::vector<std::string> stat_labels;
  std::vector<double> bin_counts;
  std::vector<BoxWhiskerObject> box_whiskers;
};

// One cell as written: "" for a missing value (-9999 within 0.1, a data table's missing value or
// not finite), else "%.17g".
std::string csv_number(double value);

// A text cell, quoted when it has to be.
std::string csv_text(std::string_view text);

// Writes the table (the header line first when `header`) to `os`.  Returns 0, or -23 when a write
// fails.
[[nodiscard]] int write_csv(const CsvInput& input, std::ostream& os, bool header);

// The CSV device's step of a plot run: with `reader` given and box-whisker objects asked for, the
// abscissa points are resampled first (the messages of resampling on `os`); then the table of
// `dump` goes to the CSV file opened by the device set-up (the header line when the file is
// empty), which is closed.  Returns 0 or the code of the failure (reported on `os`).
[[nodiscard]] int write_csv_output(DriverState& state, const TextDumpInput& dump,
                                   const tracefile::ReaderState* reader, std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_CSV_OUTPUT_H_
