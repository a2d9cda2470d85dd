#include "util/stop.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace kor::util {

void stop(int code, std::ostream& out) {
  out.flush();
  std::fflush(stdout);
  std::cerr << "STOP " << code << '\n';
  std::cerr.flush();
  std::exit(0);
}

}  // namespace kor::util
