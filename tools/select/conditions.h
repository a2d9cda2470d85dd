// Condition records as the selection applies them to verification records.
//
// A condition record (type and five tokens, as in a trace data file's header section) compares one
// field of a record with one or two values:
//   type 0              always true (ALL)
//   1, 2, 3, 4          the field equals, differs from, is below, is above token 2
//   5, 6, 7, 8          the field lies from token 2 to token 3: both ends in, both out, the low end
//                       in, the high end in
//   10 to 13, 14 to 17  the same with tokens 4 and 5
//   18                  the field equals token 4
// Values compare as numbers when both read as numbers, the verifying date-time (VYMDH) as
// date-times (10 digits are 12 with minute 00), otherwise as texts (byte by byte).
#ifndef KOR_TOOLS_SELECT_CONDITIONS_H_
#define KOR_TOOLS_SELECT_CONDITIONS_H_

#include <optional>
#include <string>
#include <string_view>

#include "tracefile/header.h"

namespace kor::select {

// One value of a condition record, read every way it may be compared.
struct Operand {
  std::string text;
  std::optional<double> number;
  std::optional<long long> date_time;  // YYYYMMDDHHMM
};

Operand make_operand(std::string_view text);

// A condition record ready to be applied.
struct Selector {
  int type = 0;
  Operand low, high;  // the value, or the two ends of a range
};

// True for the condition types above.
constexpr bool is_selection_type(int type) {
  return (type >= 0 && type <= 8) || (type >= 10 && type <= 18);
}

// The selector of a condition record whose type is_selection_type.
Selector make_selector(const tracefile::Condition& c);

// Whether `field` (the text of a record's field) satisfies `s`; `date_field` tells that the field
// is the verifying date-time.
bool selects(const Selector& s, std::string_view field, bool date_field);

// The order of `field` against `value` (negative, 0, positive) by the comparison rules above.
int compare_field(std::string_view field, const Operand& value, bool date_field);

}  // namespace kor::select

#endif  // KOR_TOOLS_SELECT_CONDITIONS_H_
