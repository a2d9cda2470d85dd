// Checks a text against the shape of a line whose digits vary from run to run (a clock reading):
// in `shape`, '#' stands for any decimal digit and every other character for itself.  A small
// stand-in for a regular expression, which costs the tests much compile time and, in optimised
// sanitizer builds, a flood of compiler warnings from the library's own code.
#ifndef KOR_TESTS_SUPPORT_TEXT_SHAPE_H_
#define KOR_TESTS_SUPPORT_TEXT_SHAPE_H_

#include <string_view>

namespace kor::testing_support {

inline bool has_shape(std::string_view text, std::string_view shape) {
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (shape[i] == '#' ? !digit : text[i] != shape[i]) return false;
  }
  return true;
}

}  // namespace kor::testing_support

#endif  // KOR_TESTS_SUPPORT_TEXT_SHAPE_H_
