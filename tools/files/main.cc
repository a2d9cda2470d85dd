// kor_files: builds the date-range list rova_Ymd and the model list rova_models from the MODEL and
// VYMDH conditions of a control file.  Standard input: the control file name, the default second
// date and the default first date (YYYYMMDDHHNN, one per line).
#include <iostream>

#include "tools/files/file_lists.h"

int main() {
  (void)kor::files::run_kor_files(std::cin, std::cout);
  std::cout.flush();
  return 0;
}
