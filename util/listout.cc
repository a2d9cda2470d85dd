#include "util/listout.h"

#include <cstdio>
#include <ostream>

namespace kor::util {

namespace {

// Last column a line may reach.
constexpr std::size_t kLineWidth = 80;

std::string item_text(const ListItem& item) {
  const auto& v = item.value();
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* i = std::get_if<long long>(&v)) return " " + std::to_string(*i);
  return " " + list_real(std::get<double>(v));
}

template <typename Range>
std::string lines_of(const Range& items) {
  std::string out;
  std::string line = " ";
  for (const ListItem& item : items) {
    const std::string text = item_text(item);
    // An item never splits: when it would pass the last column, it opens a new line (unless the
    // line holds nothing yet, as for one item wider than a whole line).
    if (line.size() > 1 && line.size() + text.size() > kLineWidth) {
      out += line;
      out += '\n';
      line = " ";
    }
    line += text;
  }
  out += line;
  out += '\n';
  return out;
}

}  // namespace

std::string list_real(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%#.7G", v);
  return buf;
}

std::string list_text(std::initializer_list<ListItem> items) { return lines_of(items); }
std::string list_text(const std::vector<ListItem>& items) { return lines_of(items); }

void list_write(std::ostream& os, std::initializer_list<ListItem> items) { os << lines_of(items); }
void list_write(std::ostream& os, const std::vector<ListItem>& items) { os << lines_of(items); }

}  // namespace kor::util
