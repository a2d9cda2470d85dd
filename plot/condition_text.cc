#include "plot/condition_text.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "tracefile/format.h"
#include "util/text.h"

namespace kor::plot {
namespace {

constexpr std::size_t kFieldNameWidth = 5;

std::string name_of(int field_id) {
  const std::optional<std::string> name = tracefile::field_name(field_id);
  return util::pad(name.value_or(""), kFieldNameWidth);
}

}  // namespace

std::string joined_condition_text(const tracefile::ReaderState& state) {
  const int groups = std::clamp(state.ind_group_count, 0, tracefile::kMaxIndGroups);
  const int cells = std::clamp(state.cell_count, 0, tracefile::kMaxCells);
  std::string text;
  auto append = [&text](std::string_view piece) {
    text.resize(static_cast<std::size_t>(util::ST_TLEN(text)));
    text += piece;
  };
  if (groups == 0) return text;
  append(name_of(state.ind_group_field[0]));
  for (int g = 1; g < groups; ++g) {
    // Every group has the same number of cells; without cells the values stay empty.
    const std::string first = cells > 0 ? state.cells[g][0].value1 : std::string();
    const std::string last = cells > 0 ? state.cells[g][cells - 1].value1 : std::string();
    append(" " + name_of(state.ind_group_field[g]));
    append(":" + first);
    append(">" + last);
  }
  text.resize(static_cast<std::size_t>(util::ST_TLEN(text)));
  return text;
}

}  // namespace kor::plot
