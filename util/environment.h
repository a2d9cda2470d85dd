// Environment variables and file inquiry of the graphics client.
//
// Paths of table files, message files and the graphics server may start with an environment
// variable, written either as "$NAME/rest" or as "NAME:rest"; these routines expand such a prefix
// and answer whether the expanded file exists.  They read the process environment and keep no
// state of their own.
#ifndef KOR_UTIL_ENVIRONMENT_H_
#define KOR_UTIL_ENVIRONMENT_H_

#include <string>
#include <string_view>

namespace kor::util {

// Value of the environment variable `name` (trailing blanks ignored, changed to capitals).  When
// the name carries a leading "$" and that spelling has no value, the name without the "$" is tried.
// Returns 0, or -1 with `value` empty when the variable is unset or empty.
[[nodiscard]] int ENV_GET(std::string_view name, std::string& value);

// Expands a leading "$NAME/" or "NAME:" (NAME made of letters, digits and underscores, starting
// with a letter or underscore) into the variable's value followed by "/".  A lone "$NAME" becomes
// the value itself.  A path without such a prefix is returned unchanged (trailing blanks removed).
// Returns 0, or -1 when the variable has no value; `out` then holds the unexpanded path.
[[nodiscard]] int ENV_EXPAND(std::string_view path, std::string& out);

// Expands `path` as ENV_EXPAND does and tells whether a file (anything but a directory) exists
// under the expanded name.  `expanded` receives the expanded path (the unexpanded one when the
// expansion failed, in which case the result is false).
bool FIL_EXISTS(std::string_view path, std::string& expanded);

}  // namespace kor::util

#endif  // KOR_UTIL_ENVIRONMENT_H_
