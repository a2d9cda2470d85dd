#include "tracefile/header.h"

#include "tracefile/format.h"
#include "util/text.h"

namespace kor::tracefile {

bool is_eocf(std::string_view record) { return record.substr(0, 4) == "EOCF"; }

int parse_group_header(std::string_view record, GroupHeader& h) {
  std::array<int, 7> f{};
  int count = 0;
  (void)util::ST_SPLI(record, ' ', -99, f, count);  // -3 for a word: it reads as -99
  if (count < 7 || f[4] < 0) return -1;
  h = GroupHeader{f[0], f[1], f[2], f[3], f[4], f[5], f[6]};
  return 0;
}

int parse_condition(std::string_view record, Condition& c) {
  int count = 0;
  (void)util::ST_SPLS(record, ' ', "", kTokenWidth, c.tokens, count);
  if (count < 5) return -3;
  if (util::ST_TINT(c.tokens[0], c.type) != 0 || c.type < 0) return -8;
  return 0;
}

std::string condition_value(const Condition& c) {
  if (c.type == 0) return "ALL";
  return c.type <= 9 ? c.tokens[1] : c.tokens[3];
}

std::string pair_value(const Condition& c) {
  if (c.type >= 5 && c.type <= 8) return c.tokens[2];
  if (c.type >= 14 && c.type <= 17) return c.tokens[4];
  return {};
}

}  // namespace kor::tracefile
