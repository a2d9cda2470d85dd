// The plot lister of `kor_plots`: tells what a trace data file holds before `kor` is run on it.
//
// For one plot or for all plots of the file it lists the kind of plot, its trace count, its
// independent variable, its general labels and the labels of each trace, read with the same trace
// reader as `kor` (header section only, no data).  The trace count and plot type of the last plot
// listed go to the file "trace.num" in the working directory, for a calling script.
#ifndef KOR_TOOLS_PLOTS_PLOT_LISTER_H_
#define KOR_TOOLS_PLOTS_PLOT_LISTER_H_

#include <iosfwd>
#include <string>

namespace kor::plots {

// Stop codes of kor_plots.
inline constexpr int kStopInvalidPlotType = 1;
inline constexpr int kStopCannotOpen = 2;
inline constexpr int kStopIniFailed = 3;
inline constexpr int kStopBadPlotNumber = 4;
inline constexpr int kStopTraceNum = 5;

// Reads the input line (trace data file name and optional plot number, 0 or absent for all plots)
// from `in` and writes the banner and listing to `out`.  Returns 0 after a normal end (also when
// the listing ended at a reader error) or the stop code of a fatal error, whose message has been
// written.  Reader messages go to `out` as well.  A prompt for the line goes to `prompt` when it
// is not null.
//
// The file name may hold blanks, as kor's does: the whole line (without leading and trailing
// blanks) is the name when it names a file; else the line without its last word, when that names
// a file, and the last word is the plot number; else the first word is the name and the second
// the plot number.  A name longer than its 128-character field is refused, not cut.
[[nodiscard]] int list_plots(std::istream& in, std::ostream& out, std::ostream* prompt = nullptr);

// What kor_plots --plot-list writes: the lines of a plot list (kor_batch) for the plots that the
// input line names, with this op code and control file name.
struct PlotListRequest {
  int opcode = 0;
  std::string control;
  std::ostream* list = nullptr;      // the plot list: a comment line naming the fields, then
                                     // one line per plot
  std::ostream* messages = nullptr;  // what went wrong (the listing itself is not written)
};

// Reads the input line as list_plots does and writes the plot list of the plots it names (every
// plot of the file, or the one plot asked for); messages go to request.messages.  trace.num is
// written as by list_plots.  Returns 0 or the stop code of a fatal error.
[[nodiscard]] int write_plot_list(std::istream& in, const PlotListRequest& request,
                                  std::ostream* prompt = nullptr);

}  // namespace kor::plots

#endif  // KOR_TOOLS_PLOTS_PLOT_LISTER_H_
