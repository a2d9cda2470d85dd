#include "tools/select/conditions.h"

#include "tools/select/record.h"
#include "util/text.h"

namespace kor::select {

Operand make_operand(std::string_view text) {
  Operand op;
  op.text = std::string(util::rtrim(text));
  op.number = read_number(op.text);
  op.date_time = read_date_time(op.text);
  return op;
}

Selector make_selector(const tracefile::Condition& c) {
  Selector s;
  s.type = c.type;
  if (c.type == 0) return s;
  s.low = make_operand(tracefile::condition_value(c));
  if (tracefile::is_pair_type(c.type)) s.high = make_operand(tracefile::pair_value(c));
  return s;
}

int compare_field(std::string_view field, const Operand& value, bool date_field) {
  if (date_field && value.date_time) {
    if (const std::optional<long long> t = read_date_time(field)) {
      return *t < *value.date_time ? -1 : (*t > *value.date_time ? 1 : 0);
    }
  }
  if (value.number) {
    if (const std::optional<double> x = read_number(field)) {
      return *x < *value.number ? -1 : (*x > *value.number ? 1 : 0);
    }
  }
  const int c = field.compare(value.text);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool selects(const Selector& s, std::string_view field, bool date_field) {
  if (s.type == 0) return true;
  // Equal texts are equal whichever way they compare.
  const int base = s.type <= 9 ? s.type : s.type - 9;  // 1..9 for types 1 to 8 and 10 to 18
  if (base == 1 || base == 9) {
    return field == s.low.text || compare_field(field, s.low, date_field) == 0;
  }
  if (base == 2) return field != s.low.text && compare_field(field, s.low, date_field) != 0;
  const int lo = compare_field(field, s.low, date_field);
  if (base == 3) return lo < 0;
  if (base == 4) return lo > 0;
  const int hi = compare_field(field, s.high, date_field);
  switch (base) {
    case 5:
      return lo >= 0 && hi <= 0;
    case 6:
      return lo > 0 && hi < 0;
    case 7:
      return lo >= 0 && hi < 0;
    case 8:
      return lo > 0 && hi <= 0;
    default:
      return false;
  }
}

}  // namespace kor::select
