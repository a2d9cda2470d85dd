// `trace.ucd` on any bytes: the framed records read for a plot, then resampling of the first
// points of a three-trace plot from them (100 trials, one thread), for a 2x2 and a partial-sums
// statistic type.
#include <array>
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "fuzz/fuzz_support.h"
#include "resample/resample.h"
#include "resample/ucd.h"

namespace {

struct Use {
  const char* stat_type;
  std::array<int, 2> codes;
};
constexpr Use kUses[] = {{"FHO", {1001, 1004}}, {"SL1L2", {1101, 1105}}};
constexpr int kTrials = 100;  // the fewest trials the driver takes

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kor;
  const std::string path = kor::fuzz::write_file("trace.ucd", {data, size});
  for (int plot = 1; plot <= 2; ++plot) {
    resample::UcdRecords records;
    (void)resample::read_ucd(path, plot, records);
  }
  std::ostringstream os;
  const std::array<int, 3> traces{1, 2, 3};
  for (const Use& use : kUses) {
    resample::MetricContext context;
    context.stat_type = use.stat_type;
    for (int point = 1; point <= 2; ++point) {
      // A fresh state: the record cache must not keep an earlier input of the same size and time.
      resample::ResampleState state;
      state.trials = kTrials;
      state.threads = 1;
      state.ucd_path = path;
      std::array<int, 2> codes = use.codes;
      resample::TrcInput in;
      in.plot = 1;
      in.traces = traces;
      in.codes = codes;
      in.point = point;
      in.context = &context;
      resample::TrcOutput out;
      (void)resample::RSMP_TRC(in, state, out, os);
    }
  }
  return 0;
}
