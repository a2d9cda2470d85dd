// kor_files' control file on any text: the condition groups scanned for the model names and the
// verifying date ranges, with the lists written to memory.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "fuzz/fuzz_support.h"
#include "tools/files/file_lists.h"
#include "util/unit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kor;
  const std::string path = kor::fuzz::write_file("input.ctl", {data, size});
  util::TextUnit control(11);
  if (!control.open(path)) return 0;
  const files::DefaultDates defaults = files::default_dates("201612311800", "201601010000");
  std::ostringstream dates, models, messages;
  files::ListCounts counts;
  const int rc = files::build_file_lists(control, defaults, dates, models, counts);
  if (rc != 0) files::report_files_code(messages, rc);
  return 0;
}
