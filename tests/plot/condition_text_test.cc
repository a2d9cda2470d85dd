#include "plot/condition_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>

#include "tracefile/reader.h"
#include "util/text.h"
#include "util/unit.h"

namespace kor::plot {
namespace {

using tracefile::ReaderState;

constexpr int kNoCells = -1;  // the reader's cell count before any independent-variable group

struct GroupCase {
  const char* name;
  int group_count;
  int cell_count;
  int fields[tracefile::kMaxIndGroups];
  const char* first[tracefile::kMaxIndGroups];  // value 1 of each group's first cell
  const char* last[tracefile::kMaxIndGroups];   // value 1 of each group's last cell
  const char* expected;
};

// Fills the independent-variable tables of `state` the way the reader stores trace 1's groups:
// 24-character values, blank padded.
void fill_groups(ReaderState& state, const GroupCase& c) {
  state.ind_group_count = c.group_count;
  state.cell_count = c.cell_count;
  const int groups = std::min(c.group_count, tracefile::kMaxIndGroups);
  const int cells = std::min(c.cell_count, tracefile::kMaxCells);
  for (int g = 0; g < groups; ++g) {
    state.ind_group_field[g] = c.fields[g];
    if (cells <= 0) continue;
    for (int i = 0; i < cells; ++i) {
      state.cells[g][i].value1 = util::pad("MIDDLE", tracefile::kLabelWidth);
    }
    state.cells[g][0].value1 = util::pad(c.first[g] ? c.first[g] : "", tracefile::kLabelWidth);
    state.cells[g][cells - 1].value1 =
        util::pad(c.last[g] ? c.last[g] : "", tracefile::kLabelWidth);
  }
}

TEST(JoinedConditionText, FromTheIndependentVariableGroups) {
  constexpr GroupCase kCases[] = {
      {"no group gives a blank text", 0, kNoCells, {}, {}, {}, ""},
      {"one group gives its field name only", 1, 3, {11}, {">0.254"}, {">6.35"}, "THRSH"},
      {"second group adds name, first and last value",
       2,
       3,
       {11, 3},
       {">0.254", "12"},
       {">6.35", "48"},
       "THRSH FHOUR:12>48"},
      {"cells of condition type 0 read ALL",
       2,
       2,
       {11, 9},
       {"", "ALL"},
       {"", "ALL"},
       "THRSH V_RGN:ALL>ALL"},
      {"a single cell is first and last",
       2,
       1,
       {5, 3},
       {"", "24"},
       {"", "24"},
       "VYMDH FHOUR:24>24"},
      {"three groups, data column names",
       3,
       4,
       {2, 14, 102},
       {"GFS", "P850", "0"},
       {"NAM", "P250", "100"},
       "MODEL LEVEL:P850>P250 DV_01:0>100"},
      {"field ID 101 is named COUNT", 1, 2, {101}, {"1"}, {"2"}, "COUNT"},
      {"a field ID without a name gives a blank name, which the next piece closes up",
       2,
       3,
       {11, 50},
       {"", "12"},
       {"", "48"},
       "THRSH:12>48"},
      {"an unnamed first group leaves the text to the further groups",
       2,
       2,
       {0, 3},
       {"", "12"},
       {"", "24"},
       " FHOUR:12>24"},
      {"groups without cells give empty values", 2, kNoCells, {11, 3}, {}, {}, "THRSH FHOUR:>"},
  };
  for (const GroupCase& c : kCases) {
    auto state = std::make_unique<ReaderState>();
    fill_groups(*state, c);
    EXPECT_EQ(joined_condition_text(*state), c.expected) << c.name;
  }
}

TEST(JoinedConditionText, CountsBeyondTheTablesAreClamped) {
  // A group count above 8 uses the 8 groups of the table, a cell count above 64 the 64th cell.
  auto state = std::make_unique<ReaderState>();
  state->ind_group_count = 99;
  state->cell_count = 500;
  for (int g = 0; g < tracefile::kMaxIndGroups; ++g) {
    state->ind_group_field[g] = 3;
    state->cells[g][0].value1 = util::pad("0", tracefile::kLabelWidth);
    state->cells[g][tracefile::kMaxCells - 1].value1 = util::pad("63", tracefile::kLabelWidth);
  }
  std::string expected = "FHOUR";
  for (int g = 1; g < tracefile::kMaxIndGroups; ++g) expected += " FHOUR:0>63";
  EXPECT_EQ(joined_condition_text(*state), expected);
}

TEST(JoinedConditionText, FullWidthValuesAreNotCut) {
  // Eight groups whose values fill all 24 characters: 5 + 7 * (6 + 25 + 25) = 397 characters.
  auto state = std::make_unique<ReaderState>();
  state->ind_group_count = tracefile::kMaxIndGroups;
  state->cell_count = 2;
  const std::string first(24, 'A');
  const std::string last(24, 'Z');
  for (int g = 0; g < tracefile::kMaxIndGroups; ++g) {
    state->ind_group_field[g] = 12;
    state->cells[g][0].value1 = first;
    state->cells[g][1].value1 = last;
  }
  const std::string text = joined_condition_text(*state);
  EXPECT_EQ(text.size(), 397u);
  EXPECT_EQ(text.substr(0, 37), "PARAM PARAM:" + first + ">");
  EXPECT_EQ(text.substr(text.size() - 25), ">" + last);
}

struct FileCase {
  int plot;
  const char* expected;
};

TEST(JoinedConditionText, FromPlotsReadByTheReader) {
  constexpr FileCase kCases[] = {
      {1, "THRSH FHOUR:12>48"},
      {2, "V_RGN"},
      {3, "VYMDH"},
  };
  util::TextUnit unit(11);
  ASSERT_TRUE(unit.open(std::string(KOR_TEST_DATA) + "/plots/three.trc"));
  for (const FileCase& c : kCases) {
    auto state = std::make_unique<ReaderState>();
    int plots = 0;
    ASSERT_EQ(tracefile::RDTD_INI(*state, unit, plots), 0) << "plot " << c.plot;
    ASSERT_EQ(plots, 3);
    int traces = 0;
    int type = 0;
    std::ostringstream os;
    ASSERT_EQ(tracefile::RDTD_FND(*state, unit, c.plot, 0, traces, type, os), 0)
        << "plot " << c.plot;
    EXPECT_EQ(os.str(), "") << "plot " << c.plot;
    EXPECT_EQ(joined_condition_text(*state), c.expected) << "plot " << c.plot;
  }
}

}  // namespace
}  // namespace kor::plot
