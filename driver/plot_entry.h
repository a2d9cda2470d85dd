// The hand-over from kor's dialogue to the plot driver.
#ifndef KOR_DRIVER_PLOT_ENTRY_H_
#define KOR_DRIVER_PLOT_ENTRY_H_

#include "driver/dialogue.h"
#include "tracefile/reader.h"
#include "util/unit.h"

namespace kor::driver {

// Makes the plot of `request` from the tables in `reader`, reading the graphics control file from
// `control`.  Returns the plot driver's return code, which kor does not act on.
int run_plot(const PlotRequest& request, util::TextUnit& control, tracefile::ReaderState& reader);

}  // namespace kor::driver

#endif  // KOR_DRIVER_PLOT_ENTRY_H_
