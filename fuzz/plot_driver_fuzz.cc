// The plot driver on any trace data file: for each of the first plots, the requests that reach
// every branch of the driver (the statistics page, the text dump of the plot's own type, scatter,
// histogram and time-series displays, the RPF rank histogram, differences and skill scores, the
// paired significance report, attribute and CRPS reliability diagrams with confidence intervals,
// performance and Taylor diagrams), each with smoothing and lags, through the text device into the
// scratch folder.  The file's values, labels and point
// counts reach the driver's arithmetic this way, as the dialogue's numbers do in dialogue_fuzz.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>

#include "fuzz/fuzz_support.h"
#include "plot/driver.h"
#include "tracefile/reader.h"
#include "util/unit.h"

namespace {

using namespace kor;

struct Request {
  int method, display;
  int traces;  // 0: every trace of the plot
  int code1, code2;
  int window, align, lag;
};
constexpr Request kRequests[] = {
    {1, 0, 0, 1001, 0, 3, 0, 0},    {1, 1, 0, 1101, 0, 2, -1, 2},
    {2, 3, 3, 1001, 1001, 0, 0, 0}, {1, 4, 0, 1004, 0, 0, 0, -2},
    {3, 1, 2, 1001, 0, 4, 1, 0},    {5, 1, 2, 1102, 1102, 0, 0, 0},
    {6, 1, 2, 1001, 1001, 0, 0, 0}, {1, 6, 0, 1360, 0, 0, 0, 0},
    {1, 7, 0, 2307, 0, 0, 0, 0},    {1, 2, 0, 2, 0, 0, 0, 1},
    {4, 5, 2, 1301, 0, 0, 0, 0},    {1, 3, 0, 1203, 0, 5, 0, 0},
    {1, 8, 0, 1003, 0, 0, 0, 2},    {2, 8, 2, 1021003, 1003, 0, 0, 0},
    {1, 9, 0, 1101, 0, 0, 0, 0},
};
constexpr int kPlots = 2;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kor::fuzz::write_file("tx.ctl", "DEV = TX\nCIL = 0.95\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = kor::fuzz::write_file("input.trc", {data, size});
  static tracefile::ReaderState reader;
  static auto state = std::make_unique<plot::DriverState>();
  state->files.output_dir = kor::fuzz::scratch_dir();
  std::ostringstream os;
  util::TextUnit unit(8);
  if (!unit.open(path)) return 0;
  int plots = 0;
  if (tracefile::RDTD_INI(reader, unit, plots) != 0) return 0;
  for (int plot = 1; plot <= std::min(plots, kPlots); ++plot) {
    for (const Request& q : kRequests) {
      int traces = 0, type = 0;
      if (tracefile::RDTD_INI(reader, unit, plots) != 0) return 0;
      if (tracefile::RDTD_FND(reader, unit, plot, 1, traces, type, os) != 0) break;
      plot::DriverRequest rq;
      rq.plot = plot;
      rq.method = q.method;
      rq.display = q.display;
      rq.trace_count = q.traces == 0 ? std::min(traces, plot::kMaxTraces) : q.traces;
      for (int h = 0; h < rq.trace_count; ++h) {
        rq.traces[h] = q.traces == 0 ? h + 1 : (h % std::max(traces, 1)) + 1;
        rq.opcodes[h] = h == 0 ? q.code1 : q.code2;
        rq.lags[h] = q.lag;
      }
      rq.opcode_count = rq.trace_count;
      rq.smooth_window = q.window;
      rq.smooth_align = q.align;
      rq.plot_type = type;
      util::TextUnit control(9);
      if (!control.open(kor::fuzz::scratch_dir() + "/tx.ctl")) return 0;
      (void)plot::PLT_DRIV(rq, control, reader, *state, os);
    }
  }
  return 0;
}
