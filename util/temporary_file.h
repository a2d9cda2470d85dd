// Files written whole: a new file is made beside its target under a hidden temporary name and
// renamed over the target only when it is complete, so that a reader never sees half of it.
#ifndef KOR_UTIL_TEMPORARY_FILE_H_
#define KOR_UTIL_TEMPORARY_FILE_H_

#include <string>

namespace kor::util {

// Makes a new empty file ".<base>.XXXXXX" in the folder of `target` (the X's made unique), mode
// 0600, close-on-exec; `name` receives its path.  Returns its descriptor, or -1 with errno set.
[[nodiscard]] int make_temporary_beside(const std::string& target, std::string& name);

}  // namespace kor::util

#endif  // KOR_UTIL_TEMPORARY_FILE_H_
