// The small text files read beside a trace data file, on any text: the PBS probability files
// ("pbs_<set>.prob", the ordinary and the "wwx" set), the CRPS cumulative probability files
// ("crps_<depth>.prob") for every data depth up to the capacity and beyond, and the label list
// file of plain data fields ("<statistic type>.lst") for every field.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "fuzz/fuzz_support.h"
#include "stats/internal.h"
#include "tracefile/probability.h"
#include "tracefile/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kor;
  const std::span<const std::uint8_t> bytes(data, size);
  static tracefile::ReaderState reader;
  std::ostringstream os;
  kor::fuzz::write_file("pbs_abc.prob", bytes);
  kor::fuzz::write_file("pbs_wwx.prob", bytes);
  for (int depth = 0; depth <= tracefile::kMaxDepth + 4; depth += 2) {
    (void)tracefile::load_pbs_probabilities(reader, "abc", 1 + depth % tracefile::kMaxTraces, depth,
                                            os);
    (void)tracefile::load_pbs_probabilities(reader, "wwx", 24, depth, os);
    kor::fuzz::write_file("crps_" + std::to_string(depth) + ".prob", bytes);
    (void)tracefile::load_crps_probabilities(reader, 2, depth, os);
  }
  kor::fuzz::write_file("XYZ.lst", bytes);
  for (int k = 0; k <= tracefile::kMaxColumns + 1; ++k) {
    std::string label;
    double perfect = 0.0;
    stats::detail::plain_field_label("XYZ", k, -9999.0, label, perfect);
  }
  return 0;
}
