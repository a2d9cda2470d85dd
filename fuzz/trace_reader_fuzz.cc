// The trace data file reader and the statistics engine on any file: RDTD_INI, RDTD_FND with the
// data for one of the first plots, the label lines of RDTD_GLB and RDTD_TLB, and RDTD_TRC on the
// first traces with a window of a spread of computational codes (every code group, the bias and
// threshold-lag prefixes, track codes, plain fields) and lags.  Nothing may crash, read or write
// past a table, or overflow; the return codes themselves are not judged here.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "fuzz/fuzz_support.h"
#include "stats/engine.h"
#include "tracefile/reader.h"
#include "util/unit.h"

namespace {

using namespace kor;

// One or more codes of every group of the code table, and the code forms around them.
constexpr int kCodes[] = {
    1,       2,        5,       -3,      29,       1001,       1004,           1009, 1012,  1016,
    1020,    1021,     1030,    1044,    1051,     1060,       1068,           1101, 1105,  1110,
    1116,    1201,     1208,    1217,    1301,     1310,       1320,           1330, 1340,  1350,
    1354,    1359,     1360,    1363,    1401,     1407,       1500,           1505, 1509,  1551,
    1559,    1590,     1600,    1606,    1700,     1801,       1901,           1903, 2001,  2005,
    2101,    2201,     2204,    2301,    2305,     2307,       9001,           9002, 10001, 30002,
    1021004, -1011001, 2031002, 1041003, -2021001, 2147483647, -2147483647 - 1};
// Lags taken in turn with the codes: none, a trailing sum, a restarting cumulative sum, the ends.
constexpr int kLags[] = {0, 3, -2, 0, 1, -1, 2147483647, -2147483647 - 1};
// Codes computed per trace and call, a window of the list that the input moves.
constexpr std::size_t kCodesPerTrace = 12;
constexpr int kTraces = 4;  // traces computed per plot

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = kor::fuzz::write_file("input.trc", {data, size});
  util::TextUnit unit(8);
  if (!unit.open(path)) return 0;
  std::ostringstream os;
  static tracefile::ReaderState reader;  // 11 MB of tables: made once
  static stats::TraceEngine engine;
  static stats::TraceArrays arrays;
  int plots = 0;
  if (tracefile::RDTD_INI(reader, unit, plots) != 0 || plots < 1) return 0;
  // The last bytes choose the plot (of the first three) and where the window of codes starts; as
  // a file ends with a line end or a short last line, they seldom change what the reader sees.
  const std::uint8_t last = size > 0 ? data[size - 1] : 0;
  const std::uint8_t before = size > 1 ? data[size - 2] : 0;
  const int plot = 1 + last % std::min(plots, 3);
  int traces = 0, type = 0;
  const int found = tracefile::RDTD_FND(reader, unit, plot, 1, traces, type, os);
  tracefile::LabelLines lines;
  (void)tracefile::RDTD_GLB(reader, 5, 40, lines);
  for (int t = 0; t <= traces + 1; ++t) (void)tracefile::RDTD_TLB(reader, t, 5, 40, lines);
  if (found < 0) return 0;
  std::size_t turn = before;
  for (int t = 1; t <= std::min(traces, kTraces); ++t) {
    for (std::size_t k = 0; k < kCodesPerTrace; ++k, ++turn) {
      stats::TraceResult result;
      arrays.attach(result);
      stats::TraceRequest request;
      request.trace = t;
      request.code = kCodes[turn % std::size(kCodes)];
      // A lag (the engine accumulates a copy of the trace) on one code of each trace.
      request.lag = k == 0 ? kLags[(turn / std::size(kCodes)) % std::size(kLags)] : 0;
      (void)stats::RDTD_TRC(reader, engine, request, result, os);
    }
  }
  return 0;
}
