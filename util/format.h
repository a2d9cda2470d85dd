// Edit-descriptor formatting: writes values under a Fortran-style format text such as
// "(1X,I2,6(1X,1P,E12.5))".  This is the one place that knows the fixed-layout rules:
//   I, Iw, Iw.m  integer right-justified in w columns, at least m digits (leading zeros); Iw.0
//   writes
//                zero as w blanks; I (or I0) uses as many columns as needed
//   Fw.d         fixed point, d decimals; the zero before the point of a value below one is left
//                out when the field has no room for it (F4.3: ".500"), except under Fw.0 ("0.")
//   Ew.d, Dw.d   exponent form 0.ddddE+xx (D writes "D" in place of "E"); the leading zero is left
//                out when there is no room for it; an exponent beyond +-99 is written with three
//                digits and no letter ("0.10000+101"); Ew.dEe writes e exponent digits
//   Gw.d         Fw'.d' and four blanks when the value rounds to 0.1 <= |v| < 10**d, else Ew.d
//   kP           scale factor (k may be signed): with E/D, k digits before the point
//                (1P: d.dddE+xx); with F, the value times 10**k.  It holds for the rest of the
//                format, through reversion, until another kP (0P resets it)
//   A, Aw        text at its own length, or in w columns (a text shorter than w is right-justified,
//                a longer one is cut to its first w characters)
//   nX, X        n (1) blanks before whatever is written next in the record (blanks left at the end
//                of a record are not written)
//   /  ends the record;  :  ends the output when no item is left;  'text' or "text" is written
//   unchanged (a doubled quote inside stands for one quote)
//   n(...)       repeat counts on descriptors, groups and /
// Blanks in the format, the case of the letters and commas between items do not matter.
// Rounding is to the nearest value, a tie going to the even digit (as the C library does).
// A value that does not fit its field is written as w asterisks; an infinity or NaN is written as
// "Infinity", "Inf" or "NaN" right-justified.  A negative value keeps its minus sign even when it
// rounds to zero ("-0.00"), but a negative zero is written as zero.
// Items and descriptors of different kinds: a real under I is rounded to the nearest integer
// (halves away from zero); an integer under F, E, D is converted to a real; under G an integer is
// written as by Iw and a text as by Aw; a number under A is written as text (a real as list_real
// writes it); a text under I, F, E or D gives w asterisks. When the items outlast the format,
// output goes on in a new record from the last top-level group, with its repeat count (format
// reversion), or from the start when there is no group; output stops at the first data descriptor
// (or colon) for which no item is left, after the literals and blanks before it.  A format without
// data descriptors writes its literals once and ignores the items.
#ifndef KOR_UTIL_FORMAT_H_
#define KOR_UTIL_FORMAT_H_

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace kor::util {

// One output item: an integer, a real or a text (also the item of the free-format writer).
class FmtItem {
 public:
  FmtItem(int v) : v_(static_cast<long long>(v)) {}
  FmtItem(long v) : v_(static_cast<long long>(v)) {}
  FmtItem(long long v) : v_(v) {}
  // Unsigned counts and sizes (values beyond the long long range are not expected).
  FmtItem(unsigned v) : v_(static_cast<long long>(v)) {}
  FmtItem(unsigned long v) : v_(static_cast<long long>(v)) {}
  FmtItem(unsigned long long v) : v_(static_cast<long long>(v)) {}
  FmtItem(float v) : v_(static_cast<double>(v)) {}
  FmtItem(double v) : v_(v) {}
  FmtItem(const char* v) : v_(std::string(v)) {}
  FmtItem(std::string_view v) : v_(std::string(v)) {}
  FmtItem(std::string v) : v_(std::move(v)) {}
  const std::variant<long long, double, std::string>& value() const { return v_; }

 private:
  std::variant<long long, double, std::string> v_;
};

// Formats `items` under `format` (with its outer parentheses).  Records are separated by '\n'; the
// result has no trailing newline.  A malformed format text gives the text "?FORMAT ERROR:
// <format>".
std::string format(std::string_view format, const std::vector<FmtItem>& items);
std::string format(std::string_view format, std::initializer_list<FmtItem> items);

}  // namespace kor::util

#endif  // KOR_UTIL_FORMAT_H_
