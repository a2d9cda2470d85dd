// kor_files: builds the date-range list rova_Ymd and the model list rova_models from the MODEL and
// VYMDH conditions of a control file.  Standard input: the control file name, the default second
// date and the default first date (YYYYMMDDHHNN, one per line).
#include <iostream>

#include "tools/files/file_lists.h"
#include "util/program.h"

namespace {

constexpr const char* kUsage = R"(Usage: kor_files < three lines
kor_files writes, in the working folder, the lists from which the selection step builds the
names of its daily record files: rova_Ymd (date ranges, from the VYMDH conditions) and
rova_models (model names, from the MODEL conditions) of a control file.  It reads three lines:
the control file name, the default second date and the default first date (YYYYMMDDHHNN).
Example, from the top of the source tree:
  printf 'tests/data/files/verif.ctl\n201612311800\n201601010000\n' | build/bin/kor_files
On a terminal kor_files asks for each line.  docs/tools.md (section "kor_files") explains
more.
)";

}  // namespace

int main(int argc, char** argv) {
  using namespace kor;
  if (const auto status =
          util::answer_arguments("kor_files", argc, argv, kUsage, std::cout, std::cerr)) {
    return *status;
  }
  (void)files::run_kor_files(std::cin, std::cout, util::prompt_stream());
  std::cout.flush();
  return 0;
}
