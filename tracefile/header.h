// The records of a trace data file's header section: group headers and condition records.
//
// The reader of trace data files and the selection step (kor_select, whose control file is such a
// header section without its "EOCF" record) read them with the same routines, so that a control
// file means to the selection what the header section written from it means to the reader.
#ifndef KOR_TRACEFILE_HEADER_H_
#define KOR_TRACEFILE_HEADER_H_

#include <array>
#include <string>
#include <string_view>

namespace kor::tracefile {

// True for the end record of the header section (its first four characters are "EOCF").
bool is_eocf(std::string_view record);

// The seven integers of a group header record.
struct GroupHeader {
  int trace = 0, field_id = 0, kind = 0, value = 0, n = 0, plot = 0, type = 0;
};

// Splits a group header record into its seven integers; a token that is not an integer reads as
// -99, further tokens are ignored.  Returns 0, or -1 (fewer than seven tokens, or a negative record
// count) with `h` unchanged.
[[nodiscard]] int parse_group_header(std::string_view record, GroupHeader& h);

// One condition record: its condition type and its five tokens (each cut to 32 characters).
struct Condition {
  int type = 0;
  std::array<std::string, 5> tokens;
};

// Splits a condition record: 0, -3 (fewer than five tokens) or -8 (the condition type is not a
// non-negative integer).
[[nodiscard]] int parse_condition(std::string_view record, Condition& c);

// Condition types whose two values form a pair (the ends of a range): 5 to 8 with tokens 2 and 3,
// 14 to 17 with tokens 4 and 5.
constexpr bool is_pair_type(int type) {
  return (type >= 5 && type <= 8) || (type >= 14 && type <= 17);
}

// The value a condition record contributes: "ALL" for type 0, token 2 for types 1 to 9, token 4
// from type 10 on.
std::string condition_value(const Condition& c);

// The second value of a pair condition (token 3 for types 5 to 8, token 5 for 14 to 17), else
// empty.
std::string pair_value(const Condition& c);

}  // namespace kor::tracefile

#endif  // KOR_TRACEFILE_HEADER_H_
