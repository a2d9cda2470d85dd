// PLT_DRIV: the plot driver, the single entry of the plotting subsystem.
//
// kor calls it once per run after the dialogue has found the plot.  A run goes in steps, each in
// a file of its own: the listed traces are computed by the statistics engine, smoothed and checked
// (plot/traces.h, grouped for box-whisker objects by plot/box_whiskers.h); the statistics page of
// display 0 is written at once; otherwise the diagrams' own data are prepared
// (plot/summary_diagrams.h), the graphics control file is parsed (plot/control.h), the layout is
// derived (plot/layout_derivation.h) and the output device is started (plot/device.h).  Then, by
// the kind of device, the text dump and its box-whisker companion are written
// (plot/text_output.h), or the plot is drawn through the plot methods of plot/draw/ and graphics
// are ended; METHOD 6 writes the paired significance report instead.
//
// Everything the user needs to know is printed on the caller's stream as it happens; the returned
// plotting code (PLT_MSG) is for the caller's information only.
#ifndef KOR_PLOT_DRIVER_H_
#define KOR_PLOT_DRIVER_H_

#include <iosfwd>

#include "plot/run_state.h"
#include "tracefile/reader.h"
#include "util/unit.h"

namespace kor::plot {

// Runs the plot of `request`: reads the graphics control file from `control` and the plot's
// tables from `reader`, writing its messages (and those of the engine, resampling and the
// significance test) to `os`.  The settings, results, layout and traces of `state` start afresh;
// its files keep their output directory.  Returns the plotting return code (0, a warning or the
// error that ended the run, already reported).
int PLT_DRIV(const DriverRequest& request, util::TextUnit& control,
             const tracefile::ReaderState& reader, DriverState& state, std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_DRIVER_H_
