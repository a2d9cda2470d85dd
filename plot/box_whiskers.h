// The box-whisker objects of a plot run: the grouping of the listed traces by op code (each group
// repeating the first group's traces, its first trace the benchmark), the resampling of every
// abscissa point into the state's box-whisker tables, and the objects written to the box-whisker
// text file (PLT_TBXW) or drawn (BXW_RUN); BXW_ERRS reports the request errors found on the way.
#ifndef KOR_PLOT_BOX_WHISKERS_H_
#define KOR_PLOT_BOX_WHISKERS_H_

#include <array>
#include <iosfwd>
#include <vector>

#include "plot/draw/pen.h"
#include "plot/draw/view.h"
#include "plot/run_state.h"
#include "tracefile/reader.h"

namespace kor::plot {

// The box-whisker grouping of trace `number` (from 1) with op code `opcode` and file trace number
// `file_trace` in a list of `count` traces: records the groups of equal op codes, checks that
// later groups repeat the first group's traces, and records request errors 1 to 4.
void group_box_whisker(BoxWhiskerBook& book, int number, int count, int opcode, int file_trace);

// BXW_ERRS: when box-whisker objects are wanted (a colour above 0) and request errors were
// recorded, prints the error report.  Returns 0.
int BXW_ERRS(const PlotSettings& settings, const BoxWhiskerBook& book, std::ostream& os);

// Resamples every abscissa point of the plotted traces (at most 64) into state.bxw_tables,
// printing each result's median and skew ratio on `os`.  Returns 0, -38 (point counts differ),
// -39 (resampling failed) or -40 (wrong result count), recording the matching box-whisker request
// error.
[[nodiscard]] int resample_box_whiskers(DriverState& state, const tracefile::ReaderState& reader,
                                        std::ostream& os);

// One box-whisker object of the result tables: the plot positions (from 1) of its benchmark and
// paired traces, whether it has no object to show (colour or request 0), and at each point (at
// most 64) the six values of bxw_point_values, scaled by the benchmark's axis factor.
struct BoxWhiskerObject {
  int benchmark = 0, paired = 0;
  bool zero_colour = false;
  std::vector<std::array<double, 6>> points;
};

// The objects of the plot's results in result order, up to the first whose paired trace lies
// beyond the plotted traces.
std::vector<BoxWhiskerObject> box_whisker_objects(const DriverState& state);

// Writes the box-whisker objects of the result tables to `file`: the heading, then per result the
// two traces' labels and one line per point.  Returns 0, or -42 when a write failed.
[[nodiscard]] int write_box_whiskers(const DriverState& state, std::ostream& file);

// PLT_TBXW: when box-whisker objects are wanted, resample_box_whiskers and then
// write_box_whiskers to the box-whisker text file.  Returns 0 or the first failure's code.
[[nodiscard]] int PLT_TBXW(DriverState& state, const tracefile::ReaderState& reader,
                           std::ostream& os);

// BXW_RUN: when box-whisker objects are wanted, resample_box_whiskers and then the drawing of the
// objects on `view` through `pen`.  Returns 0 or the first failure's code.
[[nodiscard]] int BXW_RUN(DriverState& state, const tracefile::ReaderState& reader,
                          const draw::PlotView& view, draw::Pen& pen);

}  // namespace kor::plot

#endif  // KOR_PLOT_BOX_WHISKERS_H_
