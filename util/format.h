// Edit-descriptor formatting: writes values under a Fortran-style format text such as
// "(1X,I2,6(1X,1P,E12.5))".  This is the one place that knows the fixed-layout rules:
//   Iw, Iw.m     integer right-justified in w columns, at least m digits (leading zeros)
//   Fw.d         fixed point, d decimals
//   Ew.d, Dw.d   exponent form 0.ddddE+xx (D writes "D" in place of "E"); with a scale factor kP
//                k digits stand before the point (1P: d.dddE+xx)
//   kP           scale factor for the following E/D/F descriptors of the same format
//   A, Aw        text at its own length, or in w columns (right-justified when longer than the
//                text, cut to its first w characters when shorter)
//   nX           n blanks;  /  ends the record;  'text' or "text" is written unchanged
//   n(...)       repeat counts on descriptors and groups
// A value that does not fit its field is written as w asterisks.  When the items outlast the format,
// output goes on in a new record from the last top-level group (format reversion); output stops at
// the first data descriptor for which no item is left.
#ifndef KOR_UTIL_FORMAT_H_
#define KOR_UTIL_FORMAT_H_

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kor::util {

// One output item: an integer, a real or a text.
class FmtItem {
 public:
  FmtItem(int v) : v_(static_cast<long long>(v)) {}
  FmtItem(long v) : v_(static_cast<long long>(v)) {}
  FmtItem(long long v) : v_(v) {}
  FmtItem(float v) : v_(static_cast<double>(v)) {}
  FmtItem(double v) : v_(v) {}
  FmtItem(const char* v) : v_(std::string(v)) {}
  FmtItem(std::string_view v) : v_(std::string(v)) {}
  FmtItem(const std::string& v) : v_(v) {}
  const std::variant<long long, double, std::string>& value() const { return v_; }

 private:
  std::variant<long long, double, std::string> v_;
};

// Formats `items` under `format` (with its outer parentheses).  Records are separated by '\n'; the
// result has no trailing newline.  A malformed format text gives the text "?FORMAT ERROR: <format>".
std::string format(std::string_view format, const std::vector<FmtItem>& items);
std::string format(std::string_view format, std::initializer_list<FmtItem> items);

}  // namespace kor::util

#endif  // KOR_UTIL_FORMAT_H_
