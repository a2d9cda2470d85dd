#include "util/temporary_file.h"

#include <fcntl.h>
#include <stdlib.h>

namespace kor::util {

int make_temporary_beside(const std::string& target, std::string& name) {
  const std::size_t slash = target.rfind('/');
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  name = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + "." + base +
         ".XXXXXX";
  return mkostemp(name.data(), O_CLOEXEC);
}

}  // namespace kor::util
