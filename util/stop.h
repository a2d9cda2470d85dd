// The stop convention of the package's programs: a fatal input error writes "STOP <code>" on
// standard error and ends the program with exit status 0.
#ifndef KOR_UTIL_STOP_H_
#define KOR_UTIL_STOP_H_

#include <iosfwd>

namespace kor::util {

// Flushes `out` (the program's standard output) and the C library's, writes "STOP <code>" and a
// newline on standard error, exits with 0.
[[noreturn]] void stop(int code, std::ostream& out);

}  // namespace kor::util

#endif  // KOR_UTIL_STOP_H_
