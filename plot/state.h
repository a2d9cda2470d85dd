// The parts of a plot besides its settings and layout: the driver's results (the final plot type,
// the plot-level flags, the legend's summary values and the box-whisker bookkeeping) and the run's
// files (the text device's files and whether a graphics device was started).
//
// The plot driver owns one of each part for the run: the settings (plot/settings.h) come from the
// graphics control file, the layout (plot/layout.h) from the settings and the data, the results
// from the traces, and the files are opened (or the device started) as a step of their own.
#ifndef KOR_PLOT_STATE_H_
#define KOR_PLOT_STATE_H_

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "plot/diagram_results.h"
#include "plot/layout.h"
#include "plot/settings.h"

namespace kor::plot {

// How the traces group for box-whisker objects (runs of equal op codes, each repeating the first
// group's traces) and the request errors found on the way.
struct BoxWhiskerBook {
  std::vector<int> group_opcodes;       // distinct op codes in trace order, one per group
  std::vector<int> first_group_traces;  // file trace numbers of the first group
  bool group_size_fixed = false;
  int group_size = 0;
  int group_start = 1;
  std::array<int, kMaxTraces> flag{};  // -1: the trace cannot take part
  std::array<int, kMaxBxwErrors> errors{};
  int error_count = 0;  // errors recorded, also those beyond the 32 stored
  int pairs_per_group = 0;

  // Records a request error (codes beyond 32 are counted, not stored).
  void add_error(int code);
};

// Every summary value of one trace missing.
constexpr std::array<double, kSummaryValues> missing_summary() {
  std::array<double, kSummaryValues> a{};
  for (double& v : a) v = kPlotMissing;
  return a;
}

// The resampled box-whisker results of the plot (PLT_TBXW, BXW_RUN): for result k (0-based) and
// point p (0-based, below kBxwPoints) entry k * kBxwPoints + p of each table.
struct BoxWhiskerTables {
  std::vector<float> minus_lower;    // box lower half-width
  std::vector<float> upper;          // box upper half-width
  std::vector<float> upper_whisker;  // whisker extension above the box
  std::vector<float> lower_whisker;  // whisker extension below the box

  static std::size_t at(int result, int point) {
    return static_cast<std::size_t>(result) * kBxwPoints + static_cast<std::size_t>(point);
  }
  // Every table sized for 24 results and set to 0.
  void clear();
};

// What the plot driver finds out about the plot.  The member initialisers are the state before
// the traces are computed: final type 1, plot 1, no flags, every summary value and climate
// frequency missing, an empty box-whisker book.
struct PlotResults {
  int final_type = 1;  // FinalType
  int plot_number = 1;
  bool rank_hist = false, depth_flag = false, rpf_flag = false;
  std::string attr_param_label;  // 32 characters at most
  std::array<std::array<double, kSummaryValues>, kMaxTraces> summary = per_trace(missing_summary());
  std::array<double, kMaxTraces> clim_freq = per_trace(kPlotMissing);
  BoxWhiskerBook bxw;
  DiagramResults diagrams;
};

// The two text output files of the text device (units 51 and 52).  Each is written whole or not
// at all: its stream writes a temporary file beside the name, which replaces the named file when
// the stream is closed after good writes; after a failed write (a full file system) it is removed
// and the named file stays as it was.
struct TextDevice {
  std::string dump_name;  // text dump file
  std::string bxw_name;   // box-whisker text file
  std::ofstream dump;
  std::ofstream bxw;
  int open_error = 0;  // the system's error number of a file that could not be opened
  // The file whose write failed at the last close, with the system's error number.
  std::string failed_name;
  int write_error = 0;
  bool is_open() const { return dump.is_open(); }
  // Opens both files (only the dump without `with_bxw`) afresh, or (`append`) as copies of the
  // named files to write on after their end.  Returns 0, -22 (text dump) or -41 (box-whisker
  // text) with open_error set.
  [[nodiscard]] int open(bool append, bool with_bxw = true);
  // Closes the text dump: false when its writes failed (failed_name and write_error tell).
  bool close_dump();
  // Closes both files: false when a write failed.
  bool close();

 private:
  std::string dump_temp_, bxw_temp_;      // the temporary files being written
  std::string dump_target_, bxw_target_;  // the files they replace (links resolved)
};

// The files of the run and where they are written.
struct PlotFiles {
  TextDevice text;
  std::string output_dir;  // "" = the working directory
  bool graphics_started = false;

  // Path of an output file named `name` in the output directory.
  std::string output_path(const std::string& name) const;
};

}  // namespace kor::plot

#endif  // KOR_PLOT_STATE_H_
