// kor_select on any input: the text up to its first "EOCF" line is the control file, the rest the
// verification records.  A selection that succeeds must give a trace data file that the reader
// takes as it is, and a trace.ucd of whole framed records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tools/select/control.h"
#include "tools/select/select.h"
#include "tracefile/reader.h"
#include "util/unit.h"

namespace {

// Codes of the probability files the reader loads for PBS_ and CRPS traces: they depend on the
// files of the working folder, not on the selection.
bool probability_code(int rc) {
  return rc == -40 || rc == -41 || rc == -53 || rc == -64 || rc == -65 || rc == -66;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kor;
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)fuzz::scratch_dir();
  std::size_t cut = text.rfind("EOCF", 0) == 0 ? 0 : text.find("\nEOCF");
  std::string records;
  if (cut != std::string::npos) {
    const std::size_t end = text.find('\n', cut + 1);
    records = end == std::string::npos ? std::string() : text.substr(end + 1);
  }
  select::Control control;
  std::string error;
  if (!select::parse_control("input.ctl", text, control, error)) return 0;
  std::string trace_file, ucd;
  std::ostringstream out;
  const bool equalise = size > 0 && (data[size - 1] & 1) != 0;
  if (!select::select_text(control, "input.rec", records, equalise, trace_file, &ucd, error,
                           &out)) {
    return 0;
  }
  // trace.ucd: framed records, each with its length before and after.
  for (std::size_t at = 0; at < ucd.size();) {
    if (ucd.size() - at < 8) std::abort();
    std::uint32_t n = 0;
    for (int k = 0; k < 4; ++k)
      n |= static_cast<std::uint32_t>(static_cast<unsigned char>(ucd[at + k])) << (8 * k);
    if (ucd.size() - at < 8 + static_cast<std::size_t>(n) ||
        ucd.compare(at, 4, ucd, at + 4 + n, 4) != 0) {
      std::abort();
    }
    at += 8 + n;
  }
  const std::string path = fuzz::write_file("selected.trc", trace_file);
  util::TextUnit unit(8);
  if (!unit.open(path)) std::abort();
  static tracefile::ReaderState* reader = new tracefile::ReaderState();
  int plots = 0;
  if (tracefile::RDTD_INI(*reader, unit, plots) != 0) std::abort();
  std::ostringstream messages;
  for (const select::PlotSelection& p : control.plots) {
    if (tracefile::RDTD_INI(*reader, unit, plots) != 0) std::abort();
    int traces = 0, type = 0;
    const int rc =
        tracefile::RDTD_FND(*reader, unit, p.number, tracefile::kReadData, traces, type, messages);
    if ((rc < 0 && !probability_code(rc)) || traces != static_cast<int>(p.traces.size())) {
      std::abort();
    }
  }
  return 0;
}
