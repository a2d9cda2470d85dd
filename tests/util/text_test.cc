#include "util/text.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace kor::util {
namespace {

using std::string_literals::operator""s;

// ---------------------------------------------------------------------------------------------------
// Lengths, justification, blanks, case.

TEST(TextLength, CountsUpToTheLastNonBlank) {
  struct Case {
    std::string in;
    int len;
  };
  const Case kCases[] = {
      {"", 0},        {"    ", 0},   {"abc  ", 3}, {" a b ", 4}, {"ab\t\t", 2},
      {"ab\0\0"s, 2}, {"\t \0"s, 0}, {"x", 1},     {"  x", 3},   {std::string(300, 'y'), 300},
  };
  for (const Case& c : kCases) EXPECT_EQ(ST_TLEN(c.in), c.len) << "[" << c.in << "]";
}

TEST(TextBlanks, LeftJustify) {
  struct Case {
    std::string in, out;
  };
  const Case kCases[] = {
      {"  ab  ", "ab"},
      {"\t\0x y"s, "x y"},
      {"", ""},
      {"    ", ""},
      {"ab", "ab"},
      // Justification only shifts: nothing of a long field is lost.
      {" " + std::string(200, 'z'), std::string(200, 'z')},
  };
  for (const Case& c : kCases) EXPECT_EQ(ST_LJST(c.in), c.out) << "[" << c.in << "]";
}

TEST(TextBlanks, RemoveAllBlanks) {
  struct Case {
    std::string in, out;
  };
  const Case kCases[] = {
      {" a b\tc ", "abc"},
      {"", ""},
      {"   ", ""},
      {"1, 2 ,3", "1,2,3"},
      // Only the first 160 characters take part.
      {std::string(150, ' ') + "abcdefghijklmnop", "abcdefghij"},
  };
  for (const Case& c : kCases) EXPECT_EQ(ST_NOBL(c.in), c.out) << "[" << c.in << "]";
}

TEST(TextBlanks, OneBlankBetweenWords) {
  struct Case {
    std::string in, out;
  };
  const Case kCases[] = {
      {"  a   b\t\tc  ", "a b c"},
      {"", ""},
      {" \t ", ""},
      {"word", "word"},
      {"a \t b", "a b"},
      {std::string(158, ' ') + "ab cd", "ab"},
  };
  for (const Case& c : kCases) EXPECT_EQ(ST_ONEB(c.in), c.out) << "[" << c.in << "]";
}

TEST(TextCase, UpperAndLower) {
  EXPECT_EQ(ST_UPPR("abcXYZ09-_ z"), "ABCXYZ09-_ Z");
  EXPECT_EQ(ST_LOWR("abcXYZ09-_ Z"), "abcxyz09-_ z");
  EXPECT_EQ(ST_UPPR(""), "");
  // Characters next to the letter ranges stay.
  EXPECT_EQ(ST_UPPR("`{@["), "`{@[");
  EXPECT_EQ(ST_LOWR("`{@["), "`{@[");
}

TEST(TextCase, CharacterClass) {
  struct Case {
    char c;
    CharClass cls;
  };
  constexpr Case kCases[] = {
      {'0', CharClass::kDigit}, {'9', CharClass::kDigit}, {'a', CharClass::kLower},
      {'z', CharClass::kLower}, {'A', CharClass::kUpper}, {'Z', CharClass::kUpper},
      {' ', CharClass::kOther}, {'_', CharClass::kOther}, {'@', CharClass::kOther},
      {'[', CharClass::kOther}, {'`', CharClass::kOther}, {'{', CharClass::kOther},
  };
  for (const Case& c : kCases) EXPECT_EQ(ST_CCLS(c.c), c.cls) << "[" << c.c << "]";
}

TEST(TextSymbols, KeepsLettersDigitsAndNumberSigns) {
  EXPECT_EQ(ST_SYMB("a,b;;c.d-e+f*g_h"), "a b c.d-e+f*g h");
  EXPECT_EQ(ST_SYMB("  (1.5E+3)  "), "1.5E+3");
  EXPECT_EQ(ST_SYMB("!!!"), "");
}

// ---------------------------------------------------------------------------------------------------
// Cutting and substituting.

TEST(TextCut, RemovesFirstOccurrence) {
  struct Case {
    std::string in, what, out;
  };
  const Case kCases[] = {
      {"12/HW/SW", "/HW", "12/SW"}, {"XAXA", "A", "XXA"}, {"abc", "zz", "abc"},  // absent
      {"abc", "   ", "abc"},     // blank text to cut
      {"abc", "", "abc"},        // empty text to cut
      {"abcbc", "bc  ", "abc"},  // trailing blanks of the text to cut do not count
      {"abc", "abc", ""},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ST_CUTS(c.in, c.what), c.out) << "[" << c.in << "] - [" << c.what << "]";
  }
}

TEST(TextSubstitute, ReplacesFirstOccurrence) {
  struct Case {
    std::string field, from, to;
    int rc;
    std::string out;
  };
  const Case kCases[] = {
      {"ABCABC", "B", "xy", 0, "AxyCABC"}, {"ABC", "Z", "y", 0, "ABC"},
      {"ABC", "ABC", "D", 0, "D"},         {"ABC", " ", "y", 3, "ABC"},
      {"ABC", "", "y", 3, "ABC"},          {"ABC", "B", "  ", 4, "ABC"},
      {"ABC", " ", " ", 3, "ABC"},
  };
  for (const Case& c : kCases) {
    std::string field = c.field;
    EXPECT_EQ(ST_SUBS(field, c.from, c.to), c.rc) << c.field << "/" << c.from << "/" << c.to;
    EXPECT_EQ(field, c.out) << c.field << "/" << c.from << "/" << c.to;
  }
}

// ---------------------------------------------------------------------------------------------------
// List splitting.

struct IntSplitCase {
  const char* name;
  std::string text;
  char sep;
  int n;
  int rc;
  int count;
  std::vector<int> items;  // all n items after the call
};

TEST(SplitIntegers, Table) {
  const IntSplitCase kCases[] = {
      {"empty piece keeps the default", "1,,3", ',', 5, 0, 3, {1, -1, 3, -1, -1}},
      {"more pieces than items", "1 2 3 4 5 6", ' ', 5, 1, 5, {1, 2, 3, 4, 5}},
      {"empty text", "", ',', 3, 0, 0, {-1, -1, -1}},
      {"blank text", "     ", ' ', 3, 0, 0, {-1, -1, -1}},
      {"runs of blanks are one separator", "  7   8  ", ' ', 3, 0, 2, {7, 8, -1}},
      {"blanks dropped around commas", " 1 , 2 ,3", ',', 4, 0, 3, {1, 2, 3, -1}},
      {"blanks inside a number dropped", "1 2,3", ',', 2, 0, 2, {12, 3}},
      {"trailing separator gives an empty piece", "1,2,", ',', 4, 0, 3, {1, 2, -1, -1}},
      {"bad piece keeps default", "1,x,3", ',', 3, -3, 3, {1, -1, 3}},
      {"bad piece wins over too many", "x,2,3", ',', 2, -3, 2, {-1, 2}},
      {"signs and final point", "-4,+5,6.", ',', 3, 0, 3, {-4, 5, 6}},
      {"no room at all", "1", ',', 0, 1, 0, {}},
      {"other separator", "10/20/30", '/', 3, 0, 3, {10, 20, 30}},
      {"only the first 160 characters", std::string(157, ' ') + "1 2 3", ' ', 3, 0, 2, {1, 2, -1}},
  };
  for (const IntSplitCase& c : kCases) {
    std::vector<int> out(static_cast<std::size_t>(c.n), 12345);
    int count = -7;
    EXPECT_EQ(ST_SPLI(c.text, c.sep, -1, out, count), c.rc) << c.name;
    EXPECT_EQ(count, c.count) << c.name;
    EXPECT_EQ(out, c.items) << c.name;
  }
}

TEST(SplitReals, Table) {
  struct Case {
    const char* name;
    std::string text;
    char sep;
    int rc;
    int count;
    std::vector<double> items;  // 4 items
  };
  const Case kCases[] = {
      {"mixed forms", "1.5/2E2/-.5", '/', 0, 3, {1.5, 200.0, -0.5, 9.0}},
      {"blank separated", " 0.25  -3  1e-2 ", ' ', 0, 3, {0.25, -3.0, 0.01, 9.0}},
      {"bad piece", "1.5,abc,2", ',', -3, 3, {1.5, 9.0, 2.0, 9.0}},
      {"exponent out of range reads as missing", "1E30,2", ',', 0, 2, {-9999.0, 2.0, 9.0, 9.0}},
      {"too many", "1 2 3 4 5", ' ', 1, 4, {1, 2, 3, 4}},
  };
  for (const Case& c : kCases) {
    std::vector<double> out(4, 0.0);
    int count = -7;
    EXPECT_EQ(ST_SPLR(c.text, c.sep, 9.0, out, count), c.rc) << c.name;
    EXPECT_EQ(count, c.count) << c.name;
    EXPECT_EQ(out, c.items) << c.name;
  }
}

TEST(SplitTexts, Table) {
  struct Case {
    const char* name;
    std::string text;
    char sep;
    int width;
    int rc;
    int count;
    std::vector<std::string> items;  // 3 items
  };
  const Case kCases[] = {
      {"blank separated, cut to width", "AB  CDEFG H", ' ', 3, 0, 3, {"AB", "CDE", "H"}},
      {"empty piece keeps default", "12//SW", '/', 8, 0, 3, {"12", "dflt", "SW"}},
      {"default is cut too", "", '/', 2, 0, 0, {"df", "df", "df"}},
      {"blanks removed with other separator", "A B/C", '/', 8, 0, 2, {"AB", "C", "dflt"}},
      {"too many", "a,b,c,d", ',', 8, 1, 3, {"a", "b", "c"}},
  };
  for (const Case& c : kCases) {
    std::array<std::string, 3> out;
    int count = -7;
    EXPECT_EQ(ST_SPLS(c.text, c.sep, "dflt", c.width, out, count), c.rc) << c.name;
    EXPECT_EQ(count, c.count) << c.name;
    EXPECT_EQ(std::vector<std::string>(out.begin(), out.end()), c.items) << c.name;
  }
}

// ---------------------------------------------------------------------------------------------------
// Number conversion.

TEST(TextToInteger, Table) {
  struct Case {
    const char* text;
    int rc;
    int value;
  };
  constexpr Case kCases[] = {
      {"  - 42.  ", 0, -42},
      {"4a2", -2, -9999},
      {"", -2, -9999},
      {"      ", -2, -9999},
      {"+7", 0, 7},
      {"0", 0, 0},
      {"1 2", 0, 12},
      {".", -2, -9999},
      {"-", -2, -9999},
      {"+.", -2, -9999},
      {"42..", -2, -9999},
      {"4.2", -2, -9999},
      {"--4", -2, -9999},
      {"4-", -2, -9999},
      {"2147483647", 0, 2147483647},
      {"-2147483648.", 0, -2147483647 - 1},
      {"2147483648", -2, -9999},     // beyond the integer range
      {"000000000042", 0, 42},       // twelve characters
      {"0000000000042", -2, -9999},  // thirteen characters
      {"1E3", -2, -9999},
  };
  for (const Case& c : kCases) {
    int v = 555;
    EXPECT_EQ(ST_TINT(c.text, v), c.rc) << "[" << c.text << "]";
    EXPECT_EQ(v, c.value) << "[" << c.text << "]";
  }
}

TEST(TextToReal, Table) {
  struct Case {
    const char* text;
    int rc;
    double value;
    int decimals;
  };
  constexpr Case kCases[] = {
      {"1.5", 0, 1.5, 1},
      {" - . 25 ", 0, -0.25, 2},
      {"3.", 0, 3.0, 0},
      {"+5", 0, 5.0, 0},
      {"1.5E2", 0, 150.0, 1},
      {"1.5e-2", 0, 0.015, 1},
      {"2E+3", 0, 2000.0, 0},
      {"1E-5.", 0, 1e-5, 0},
      {"1E20", 0, 1e20, 0},
      {"-1E-20", 0, -1e-20, 0},
      {"1E21", 0, -9999.0, 0},  // exponent out of range: missing, no error
      {"1.25E-21", 0, -9999.0, 2},
      {"E", -2, -9999.0, 0},
      {"e5", -2, -9999.0, 0},  // no digit before the exponent
      {"1E", -2, -9999.0, 0},
      {"1E+", -2, -9999.0, 0},
      {"1Ex", -2, -9999.0, 0},
      {"1E12345", -2, -9999.0, 0},  // more than four exponent characters
      {"1E-123", 0, -9999.0, 0},    // four exponent characters that convert, out of range
      {"1.2.3", -2, -9999.0, 0},
      {"1x", -2, -9999.0, 0},
      {"", -2, -9999.0, 0},
      {".", -2, -9999.0, 0},
      {"-", -2, -9999.0, 0},
      {"123456789.123456789", 0, 123456789.123456789, 9},
      // Ten digits on either side are read exactly rather than overflowing a 32-bit integer.
      {"1234567890.5", 0, 1234567890.5, 1},
      {"0.1234567890123", 0, 0.1234567890123, 13},
      {"1234567890123456789012345", -2, -9999.0, 0},  // 25 characters
  };
  for (const Case& c : kCases) {
    double v = 555;
    int decimals = 77;
    EXPECT_EQ(ST_TREL(c.text, v, decimals), c.rc) << "[" << c.text << "]";
    EXPECT_DOUBLE_EQ(v, c.value) << "[" << c.text << "]";
    if (c.rc == 0) {
      EXPECT_EQ(decimals, c.decimals) << "[" << c.text << "]";
    }
  }
  double v = 0;
  EXPECT_EQ(ST_TREL("2.5", v), 0);
  EXPECT_EQ(v, 2.5);
}

TEST(NumberToText, Integer) {
  struct Case {
    int value, width, rc;
    const char* out;
  };
  constexpr Case kCases[] = {
      {42, 5, 0, "42"}, {-123, 4, 0, "-123"}, {-123, 3, -2, ""},
      {0, 1, 0, "0"},   {10, 1, -2, ""},      {-2147483647 - 1, 11, 0, "-2147483648"},
  };
  for (const Case& c : kCases) {
    std::string out = "old";
    EXPECT_EQ(ST_IFMT(c.value, c.width, out), c.rc) << c.value;
    EXPECT_EQ(out, c.out) << c.value;
  }
}

TEST(NumberToText, Real) {
  struct Case {
    double value;
    int decimals, rc;
    const char* out;
  };
  const Case kCases[] = {
      {3.14159, 2, 0, "3.14"},
      {1234.5678, 3, 0, "1234.568"},
      {0.25, 9, 0, "0.250000000"},
      {-0.75, 1, 0, "-0.8"},
      {99.6, 0, 0, "100."},
      {0.0, 0, 0, "0."},
      {1e25, 9, 0, "********************"},  // does not fit 20 columns
      {1.0, 10, -1, ""},
      {1.0, -1, -1, ""},
  };
  for (const Case& c : kCases) {
    std::string out = "old";
    EXPECT_EQ(ST_RFMT(c.value, c.decimals, out), c.rc) << c.value << " " << c.decimals;
    EXPECT_EQ(out, c.out) << c.value << " " << c.decimals;
  }
}

TEST(Missing, Tolerance) {
  EXPECT_TRUE(IS_MISSING(-9999.0));
  EXPECT_TRUE(IS_MISSING(-9999.05));
  EXPECT_TRUE(IS_MISSING(-9998.95));
  EXPECT_FALSE(IS_MISSING(-9999.2));
  EXPECT_FALSE(IS_MISSING(-9998.8));
  EXPECT_FALSE(IS_MISSING(0.0));
  EXPECT_FALSE(IS_MISSING(std::nan("")));
}

// ---------------------------------------------------------------------------------------------------
// NUL-terminated copies and field helpers.

TEST(NulTerminated, FitsOrTruncatesWithWarning) {
  const std::string kWarning =
      " WARNING:  ST_NULL - Output string too small; input string truncated!\n";
  struct Case {
    const char* name;
    std::string field;
    std::size_t size;
    int rc;
    std::string out;  // up to the NUL
    bool warns;
  };
  const Case kCases[] = {
      {"roomy", "abc   ", 8, 0, "abc", false},         {"exact", "abc", 4, 0, "abc", false},
      {"one short", "abcd", 4, 1, "abc", true},        {"blank field", "    ", 1, 0, "", false},
      {"much too small", "abcdefgh", 2, 1, "a", true},
  };
  for (const Case& c : kCases) {
    std::vector<char> buf(c.size, 'Z');
    std::ostringstream os;
    const int rc = ST_NULL(c.field, buf, os);
    const std::string printed = os.str();
    EXPECT_EQ(rc, c.rc) << c.name;
    EXPECT_EQ(std::string(buf.data()), c.out) << c.name;
    EXPECT_EQ(printed, c.warns ? kWarning : "") << c.name;
  }
  std::ostringstream os;
  EXPECT_EQ(ST_NULL("x", std::span<char>(), os), 1);
  EXPECT_EQ(os.str(), kWarning);
}

TEST(FieldHelpers, PadAndTrim) {
  EXPECT_EQ(pad("ab", 4), "ab  ");
  EXPECT_EQ(pad("abcdef", 3), "abc");
  EXPECT_EQ(pad("", 2), "  ");
  EXPECT_EQ(pad("ab", 0), "");
  EXPECT_EQ(rtrim("ab \t\0 "s), "ab");
  EXPECT_EQ(rtrim(" a"), " a");
  EXPECT_EQ(rtrim("   "), "");
}

struct CutCase {
  const char* name;
  const char* text;
  std::size_t width;
  std::size_t length;  // bytes kept, counted by hand from the UTF-8 encoding
};

TEST(FieldHelpers, CutsNeverSplitAUtf8Character) {
  // e-acute is C3 A9, the euro sign E2 82 AC, the grinning face F0 9F 98 80.
  constexpr CutCase kCases[] = {
      {"ASCII is cut at the width", "abcdef", 3, 3},
      {"a text that fits is kept whole", "abc", 5, 3},
      {"width 0 keeps nothing", "abc", 0, 0},
      {"two-byte character across the cut", "ab\xC3\xA9", 3, 2},
      {"two-byte character ending at the cut", "ab\xC3\xA9z", 4, 4},
      {"three-byte character, cut after its first byte",
       "a\xE2\x82\xAC"
       "b",
       2, 1},
      {"three-byte character, cut after its second byte",
       "a\xE2\x82\xAC"
       "b",
       3, 1},
      {"three-byte character ending at the cut",
       "a\xE2\x82\xAC"
       "b",
       4, 4},
      {"four-byte character, cut after its third byte", "\xF0\x9F\x98\x80x", 3, 0},
      {"four-byte character ending at the cut", "\xF0\x9F\x98\x80x", 4, 4},
      {"a Latin-1 letter is one byte and cut anywhere",
       "ab\xE9"
       "cd",
       3, 3},
      {"a lone lead byte before the cut",
       "ab\xE9"
       "cd",
       2, 2},
      {"stray continuation bytes are cut where the width falls", "\xB0\xB0\xB0\xB0x", 2, 2},
      {"a sequence cut short by the end of the text", "ab\xE2\x82", 3, 3},
  };
  for (const CutCase& c : kCases) {
    EXPECT_EQ(cut_length(c.text, c.width), c.length) << c.name;
    EXPECT_EQ(cut(c.text, c.width), std::string(c.text).substr(0, c.length)) << c.name;
  }
  // A padded field keeps its byte width: the character that does not fit becomes a blank.
  EXPECT_EQ(pad("ab\xC3\xA9", 3), "ab ");
  std::array<std::string, 2> items;
  int count = 0;
  EXPECT_EQ(ST_SPLS("caf\xC3\xA9 x", ' ', "", 4, items, count), 0);
  EXPECT_EQ(items[0], "caf");
}

}  // namespace
}  // namespace kor::util
