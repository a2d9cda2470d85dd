#include "util/listout.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kor::util {
namespace {

TEST(ListReal, SevenSignificantDigits) {
  struct Case {
    double v;
    const char* text;
  };
  const Case kCases[] = {
      {1.0, "1.000000"},      {0.5, "0.5000000"},           {-9999.0, "-9999.000"},
      {1e-5, "1.000000E-05"}, {1e-4, "0.0001000000"},       {1234567.0, "1234567."},
      {1e7, "1.000000E+07"},  {12345678.0, "1.234568E+07"}, {0.0, "0.000000"},
      {-2.5, "-2.500000"},    {1.0 / 3.0, "0.3333333"},     {1e100, "1.000000E+100"},
  };
  for (const Case& c : kCases) EXPECT_EQ(list_real(c.v), c.text) << c.v;
}

TEST(ListText, ItemForms) {
  struct Case {
    const char* name;
    std::vector<ListItem> items;
    std::string text;
  };
  const Case kCases[] = {
      {"no items", {}, " \n"},
      {"one text", {"abc"}, " abc\n"},
      {"texts have no separator", {"a", "b", "c"}, " abc\n"},
      {"integer has a blank", {"Error code", -42}, " Error code -42\n"},
      {"integer first", {5}, "  5\n"},
      {"real has a blank", {"x=", 1.0}, " x= 1.000000\n"},
      {"mixed", {"a", "b", 1, "c", 2.5}, " ab 1c 2.500000\n"},
      {"long and long long", {7L, 8LL}, "  7 8\n"},
      {"unsigned count", {"n=", std::size_t{3}}, " n= 3\n"},
      {"float", {0.5f}, "  0.5000000\n"},
      {"blank text kept", {"  "}, "   \n"},
  };
  for (const Case& c : kCases) EXPECT_EQ(list_text(c.items), c.text) << c.name;
}

TEST(ListText, LineWrapAtColumn80) {
  const std::string a77(77, 'a');
  const std::string a78(78, 'a');
  const std::string a79(79, 'a');
  const std::string a100(100, 'b');
  struct Case {
    const char* name;
    std::vector<ListItem> items;
    std::string text;
  };
  const Case kCases[] = {
      {"text reaching column 80 stays", {a79}, " " + a79 + "\n"},
      {"integer reaching column 80 stays", {a77, 5}, " " + a77 + " 5\n"},
      {"integer passing column 80 moves", {a78, 5}, " " + a78 + "\n  5\n"},
      {"text passing column 80 moves", {a79, "x"}, " " + a79 + "\n x\n"},
      {"real passing column 80 moves", {a77, 1.0}, " " + a77 + "\n  1.000000\n"},
      {"long item alone on its line", {a100}, " " + a100 + "\n"},
      {"long item after text", {"ab", a100, "c"}, " ab\n " + a100 + "\n c\n"},
      {"several continuation lines", {a79, a79, a79}, " " + a79 + "\n " + a79 + "\n " + a79 + "\n"},
  };
  for (const Case& c : kCases) EXPECT_EQ(list_text(c.items), c.text) << c.name;
}

TEST(ListText, RowOfNumbersWraps) {
  // Each integer takes " 1234567890" = 11 columns after the leading blank: seven fit in 78 columns,
  // the eighth would reach column 89.
  std::vector<ListItem> items(8, ListItem(1234567890));
  std::string first = " ";
  for (int i = 0; i < 7; ++i) first += " 1234567890";
  EXPECT_EQ(list_text(items), first + "\n  1234567890\n");
}

TEST(ListWrite, WritesTheSameText) {
  std::ostringstream a, b;
  list_write(a, {"value", 3, 2.0});
  list_write(b, std::vector<ListItem>{"value", 3, 2.0});
  EXPECT_EQ(a.str(), " value 3 2.000000\n");
  EXPECT_EQ(b.str(), a.str());
  EXPECT_EQ(list_text({"value", 3, 2.0}), a.str());
}

}  // namespace
}  // namespace kor::util
