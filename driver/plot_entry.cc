#include "driver/plot_entry.h"

#include <iostream>
#include <memory>

#include "plot/driver.h"

namespace kor::driver {

int run_plot(const PlotRequest& request, util::TextUnit& control, tracefile::ReaderState& reader) {
  plot::DriverRequest rq;
  rq.plot = request.plot;
  rq.traces = request.traces;
  rq.trace_count = request.trace_count;
  rq.method = request.method;
  rq.display = request.display;
  rq.opcodes = request.opcodes;
  rq.opcode_count = request.opcode_count;
  rq.smooth_window = request.smooth1;
  rq.smooth_align = request.smooth2;
  rq.plot_type = request.plot_type;
  rq.lags = request.lags;
  // The driver's tables are large: one set on the heap for the run.
  auto state = std::make_unique<plot::DriverState>();
  return plot::PLT_DRIV(rq, control, reader, *state, std::cout);
}

}  // namespace kor::driver
