// The single-thread reference kernel of the resampling (tests/reference) as a whole program, so
// that a whole kor run can be timed side by side with it (bench/whole_run_bench.cc):
//
//   resample_reference_run UCD PLOT POINTS TRIALS CODE TRACE...
//
// It reads UCD once, then for abscissa points 1..POINTS of plot PLOT resamples the listed traces
// (the first is the benchmark) with TRIALS trials and computational code CODE on SL1L2 records:
// one draw per record and trial, the sums of both members, the metric, the percentiles and the
// median of every pair.  The resampling messages and one line per pair and point (median, lower
// and upper bound) go to standard output.  Exit status 1 on bad arguments or a failed call.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <vector>

#include "resample/resample.h"
#include "tests/reference/resample_reference.h"

namespace {

bool to_int(const char* text, int& value) {
  const char* end = text + std::strlen(text);
  const auto [ptr, ec] = std::from_chars(text, end, value);
  return ec == std::errc() && ptr == end;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kor::resample;
  int plot = 0, points = 0, trials = 0, code = 0;
  std::vector<int> traces;
  bool ok = argc >= 7 && to_int(argv[2], plot) && to_int(argv[3], points) &&
            to_int(argv[4], trials) && to_int(argv[5], code);
  for (int i = 6; ok && i < argc; ++i) {
    int t = 0;
    ok = to_int(argv[i], t);
    traces.push_back(t);
  }
  if (!ok || points < 1 || traces.size() > static_cast<std::size_t>(kMaxTraces)) {
    std::fprintf(stderr, "usage: resample_reference_run UCD PLOT POINTS TRIALS CODE TRACE...\n");
    return 1;
  }
  ResampleState state;
  state.ucd_path = argv[1];
  state.trials = trials;
  MetricContext context;
  context.stat_type = "SL1L2";
  std::vector<int> codes = {code};
  std::ostringstream os;
  char line[128];
  for (int point = 1; point <= points; ++point) {
    TrcInput in;
    in.plot = plot;
    in.traces = traces;
    in.codes = codes;
    in.point = point;
    in.context = &context;
    TrcOutput out;
    if (reference::rsmp_trc_serial(in, state, out, os) != 0) {
      std::cout << os.str();
      std::fprintf(stderr, "resampling failed at point %d\n", point);
      return 1;
    }
    for (int k = 0; k < out.count; ++k) {
      std::snprintf(line, sizeof line, " %3d %3d %14.6E %14.6E %14.6E\n", point, k + 1,
                    out.median[k], -out.minus_lower[k], out.upper[k]);
      os << line;
    }
  }
  std::cout << os.str();
  return 0;
}
