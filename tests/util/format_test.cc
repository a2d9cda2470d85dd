#include "util/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace kor::util {
namespace {

struct Case {
  const char* name;
  const char* format;
  std::vector<FmtItem> items;
  std::string expected;
};

void run_table(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(format(c.format, c.items), c.expected) << c.name << ": " << c.format;
  }
}

const double kInf = std::numeric_limits<double>::infinity();

TEST(FormatLayouts, LayoutsOfThePackage) {
  run_table({
      {"point number and exponent values",
       "(1X,I2,6(1X,1P,E12.5))",
       {3, 1.0, -12.345, 0.0},
       "  3  1.00000E+00 -1.23450E+01  0.00000E+00"},
      {"date with leading zeros", "(I4.4,4I2.2)", {2016, 2, 29, 12, 0}, "201602291200"},
      {"F10.2", "(F10.2)", {3.14159}, "      3.14"},
      {"F8.0 rounds", "(F8.0)", {12.7}, "     13."},
      {"F8.0 zero", "(F8.0)", {0.0}, "      0."},
      {"E24.7", "(E24.7)", {12345.678}, "           0.1234568E+05"},
      {"D20.12", "(D20.12)", {3.14159}, "  0.314159000000D+01"},
      {"1PE12.5", "(1PE12.5)", {-9999.0}, "-9.99900E+03"},
      {"label and D columns",
       "(A24,29(D20.12))",
       {"LABEL", 1.0, 0.5},
       std::string(19, ' ') + "LABEL" + "  0.100000000000D+01" + "  0.500000000000D+00"},
      {"literal then I2.2", "('+0.',I2.2)", {5}, "+0.05"},
      {"I2.2", "(I2.2)", {7}, "07"},
      {"literal only when no item", "('D-',I2.2)", {}, "D-"},
      {"literal and item", "('D-',I2.2)", {12}, "D-12"},
      {"A then D columns with X",
       "(E24.7,29(X,A7))",
       {1.0, "abc"},
       std::string(11, ' ') + "0.1000000E+01" + "     abc"},
      {"fixed text columns", "(I3,3X,A5,4X,A)", {7, "ab", "rest"}, "  7      ab    rest"},
      {"I2.2,A1,I2.2", "(I2.2,A1,I2.2)", {9, ":", 5}, "09:05"},
      {"A,1P,E13.5", "(A,1P,E13.5)", {"x", 0.001}, "x  1.00000E-03"},
  });
}

TEST(FormatOverflow, Asterisks) {
  run_table({
      {"F too wide", "(F10.2)", {-1234567.891}, "**********"},
      {"F huge", "(F8.3)", {1e10}, "********"},
      {"I too wide", "(I2)", {123}, "**"},
      {"I2.2 of three digits", "(I2.2)", {123}, "**"},
      {"I2.2 negative", "(I2.2)", {-1}, "**"},
      {"I4.4 negative", "(I4.4)", {-12}, "****"},
      {"m larger than w", "(I2.3)", {5}, "**"},
      {"E too narrow", "(E6.3)", {1.5}, "******"},
      {"E exponent digits", "(E10.3E1)", {1e12}, "**********"},
      {"text under I", "(I3)", {"x"}, "***"},
      {"text under F", "(F5.1)", {"x"}, "*****"},
      {"scale factor too large for E", "(7PE12.5)", {1.0}, "************"},
      {"scale factor too small for E", "(-5PE12.5)", {1.0}, "************"},
  });
}

TEST(FormatExponent, FortranForms) {
  run_table({
      {"optional zero written", "(E12.5)", {12.345}, " 0.12345E+02"},
      {"optional zero dropped", "(E11.5)", {-12.345}, "-.12345E+02"},
      {"three-digit exponent", "(E12.5)", {1e100}, " 0.10000+101"},
      {"three-digit negative exponent", "(1PE12.5)", {-1e-100}, "-1.00000-100"},
      {"two-digit exponent at -99", "(E12.5)", {1e-100}, " 0.10000E-99"},
      {"D with three digits", "(D12.5)", {1e200}, " 0.10000+201"},
      {"zero", "(E12.5)", {0.0}, " 0.00000E+00"},
      {"zero with 1P", "(1PE12.5)", {0.0}, " 0.00000E+00"},
      {"rounding carries into the exponent", "(E10.3)", {0.99995}, " 0.100E+01"},
      {"1P rounding carries", "(1PE10.3)", {9.9996}, " 1.000E+01"},
      {"2P", "(2PE12.3)", {1234.6}, "   12.35E+02"},
      {"-2P", "(-2PE12.3)", {1234.5}, "   0.001E+06"},
      {"exponent width given", "(E10.3E3)", {1.5}, "0.150E+001"},
      {"exponent width given, narrow", "(E9.3E3)", {1.5}, ".150E+001"},
      {"many exponent digits", "(E20.3E12)", {1.5}, " 0.150E+000000000001"},
      {"integer item under E", "(E10.3)", {250}, " 0.250E+03"},
  });
}

TEST(FormatFixed, FortranForms) {
  run_table({
      {"optional zero dropped", "(F4.3)", {0.5}, ".500"},
      {"zero required with no decimals", "(F2.0)", {0.3}, "0."},
      {"negative below one", "(F6.2)", {-0.5}, " -0.50"},
      {"negative below one, tight", "(F4.2)", {-0.5}, "-.50"},
      {"integer item under F", "(F6.2)", {3}, "  3.00"},
      {"scale factor multiplies F", "(1PF8.3)", {1.5}, "  15.000"},
      {"F8.4", "(F8.4)", {0.12345678}, "  0.1235"},
      {"F5.3", "(F5.3)", {1.0}, "1.000"},
      {"F9.6", "(F9.6)", {-1.25}, "-1.250000"},
      {"F20.9", "(F20.9)", {2.0 / 3.0}, "         0.666666667"},
  });
}

TEST(FormatNegativeZero, SignOnlyForNegativeValues) {
  run_table({
      {"negative zero under F", "(F5.2)", {-0.0}, " 0.00"},
      {"negative zero under E", "(E12.5)", {-0.0}, " 0.00000E+00"},
      {"small negative rounds to zero", "(F5.2)", {-0.001}, "-0.00"},
      {"small negative, tight", "(F4.2)", {-0.001}, "-.00"},
      {"negative zero under F8.0", "(F8.0)", {-0.0}, "      0."},
  });
}

TEST(FormatInteger, Forms) {
  run_table({
      {"I5", "(I5)", {42}, "   42"},
      {"I5 negative", "(I5)", {-42}, "  -42"},
      {"I5.3", "(I5.3)", {7}, "  007"},
      {"I5.3 negative", "(I5.3)", {-7}, " -007"},
      {"I5.0 of zero is blank", "(I5.0)", {0}, "     "},
      {"I without width", "(I)", {-42}, "-42"},
      {"I1", "(I1)", {0}, "0"},
      {"real item rounded", "(I5)", {2.6}, "    3"},
      {"real item rounded away from zero", "(I5)", {-2.5}, "   -3"},
      {"real item not finite", "(I3)", {kInf}, "***"},
      {"long long", "(I20)", {-9223372036854775807LL - 1}, "-9223372036854775808"},
      {"unsigned count", "(I4)", {std::size_t{12}}, "  12"},
      {"unsigned", "(I4)", {7u}, "   7"},
  });
}

TEST(FormatText, Forms) {
  run_table({
      {"A at own length", "(A)", {"ab  "}, "ab  "},
      {"Aw right-justifies a shorter text", "(A5)", {"ab"}, "   ab"},
      {"Aw cuts a longer text", "(A2)", {"abcd"}, "ab"},
      {"Aw exact", "(A3)", {"abc"}, "abc"},
      {"integer under A", "(A,A4)", {12, 7}, "12   7"},
      {"real under A", "(A)", {1.0}, "1.000000"},
      {"quoted literals with doubled quotes",
       "('it''s',\"say \"\"hi\"\"\")",
       {},
       "it's"
       "say \"hi\""},
      {"mixed quotes", "(\"a'b\",'c\"d')", {}, "a'bc\"d"},
  });
}

TEST(FormatRecords, SlashAndSkip) {
  run_table({
      {"slash", "(I1,/,I1)", {1, 2}, "1\n2"},
      {"slash without commas", "(A/A)", {"x", "y"}, "x\ny"},
      {"trailing slash gives an empty record", "(A,/)", {"x"}, "x\n"},
      {"repeated slash", "(A,2/,A)", {"x", "y"}, "x\n\ny"},
      {"X alone is one blank", "(X,A)", {"a"}, " a"},
      {"X between items", "(A,3X,A)", {"a", "b"}, "a   b"},
      {"X at the end of a record adds nothing", "(I3,3X)", {5}, "  5"},
      {"X before a slash adds nothing", "(A,2X,/,A)", {"a", "b"}, "a\nb"},
      {"very many blanks that are never written", "(A,100(100(32767X)))", {"a"}, "a"},
      {"blanks before a literal are capped",
       "(A,100(100(32767X)),'b')",
       {"a"},
       "a" + std::string(1 << 20, ' ') + "b"},
      {"leading X", "(24X,A)", {"t"}, std::string(24, ' ') + "t"},
  });
}

TEST(FormatRecords, ReversionAndStopping) {
  run_table({
      {"reversion to the last top-level group",
       "(I3,(I3,1X),I2)",
       {1, 2, 3, 4, 5, 6},
       "  1  2  3\n  4  5\n  6"},
      {"reversion to the whole format", "(I2)", {1, 2, 3}, " 1\n 2\n 3"},
      {"reversion keeps the group's repeat count",
       "(A,2(I2))",
       {"x", 1, 2, 3, 4, 5},
       "x 1 2\n 3 4\n 5"},
      {"scale factor survives reversion",
       "(1X,I2,6(1X,1P,E12.5))",
       {1, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 2.0},
       "  1"
       "  1.00000E+00  1.00000E+00  1.00000E+00  1.00000E+00  1.00000E+00  1.00000E+00\n"
       "  2.00000E+00"},
      {"literals before the stopping descriptor are written",
       "(I2,' and',I2,' end')",
       {1},
       " 1 and"},
      {"literal after the last item is written", "(I2,' end')", {1}, " 1 end"},
      {"colon stops when no item is left", "(I2,:,' end')", {1}, " 1"},
      {"colon goes on while items are left", "(I2,:,' and',I2)", {1, 2}, " 1 and 2"},
      {"no data descriptor: items beyond are ignored", "('abc')", {1, 2}, "abc"},
      {"empty format", "()", {}, ""},
      {"no items", "(I5)", {}, ""},
  });
}

TEST(FormatGeneral, FixedOrExponentByMagnitude) {
  run_table({
      {"fixed", "(G12.5)", {1.5}, "  1.5000    "},
      {"zero", "(G12.5)", {0.0}, "  0.0000    "},
      {"large", "(G12.5)", {123456.0}, " 0.12346E+06"},
      {"small", "(G12.5)", {0.01}, " 0.10000E-01"},
      {"rounds up out of fixed range", "(G12.5)", {99999.5}, " 0.10000E+06"},
      {"one tenth", "(G12.5)", {0.1}, " 0.10000    "},
      {"scale factor only for the exponent form", "(1PG12.5)", {1.5}, "  1.5000    "},
      {"scale factor in the exponent form", "(1PG12.5)", {0.01}, " 1.00000E-02"},
      {"integer under G", "(G5.2)", {42}, "   42"},
  });
}

TEST(FormatNotFinite, InfinityAndNaN) {
  const double nan = std::nan("");
  run_table({
      {"infinity wide", "(F8.2)", {kInf}, "Infinity"},
      {"infinity narrow", "(F5.2)", {kInf}, "  Inf"},
      {"minus infinity", "(F5.2)", {-kInf}, " -Inf"},
      {"minus infinity wide", "(E10.3)", {-kInf}, " -Infinity"},
      {"not a number", "(E10.3)", {nan}, "       NaN"},
      {"no room", "(F2.0)", {nan}, "**"},
  });
}

TEST(FormatSyntax, Leniency) {
  run_table({
      {"small letters", "(i3,f6.2,1pe10.2)", {1, 2.5, 2.5}, "  1  2.50  2.50E+00"},
      {"blanks in the format", "( I3 , 2 X , A )", {1, "z"}, "  1  z"},
      {"no commas around P", "(1PE10.2,0PF6.2)", {2.5, 2.5}, "  2.50E+00  2.50"},
      {"nested groups", "(2(I1,2(A)))", {1, "a", "b", 2, "c", "d"}, "1ab2cd"},
  });
}

TEST(FormatSyntax, Errors) {
  const char* kBad[] = {
      "(I2",   "I2",   "(Q2)",  "(F5)",  "('abc)", "(F5.)",   "(E10)",     "(2)",
      "(0I2)", "(0X)", "((I2)", "(I2))", "(P)",    "(-E5.2)", "(99999I2)", "",
  };
  for (const char* f : kBad) {
    EXPECT_EQ(format(f, {1}), std::string("?FORMAT ERROR: ") + f) << f;
  }
}

// ---------------------------------------------------------------------------------------------------
// Agreement with the C library where both follow the same rules.

std::vector<double> sample_values() {
  std::vector<double> values;
  const double mantissas[] = {1.0, 1.25, 3.14159265358979, 9.99999, 0.5, 7.0 / 3.0, 2.718281828};
  for (int e = -9; e <= 12; ++e) {
    for (double m : mantissas) {
      const double v = m * std::pow(10.0, e);
      values.push_back(v);
      values.push_back(-v);
    }
  }
  return values;
}

std::string c_format_int(const char* f, long long v) {
  char buf[128];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}

std::string c_format_int(const char* f, int precision, long long v) {
  char buf[128];
  std::snprintf(buf, sizeof buf, f, precision, v);
  return buf;
}

std::string c_format(const char* f, double v) {
  char buf[128];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}

TEST(FormatAgreesWithC, Fixed) {
  for (double v : sample_values()) {
    const std::string c = c_format("%15.4f", v);
    if (c.size() > 15) {
      EXPECT_EQ(format("(F15.4)", {v}), std::string(15, '*')) << v;
    } else {
      EXPECT_EQ(format("(F15.4)", {v}), c) << v;
    }
  }
}

TEST(FormatAgreesWithC, ExponentWithOneDigitBeforeThePoint) {
  // 1PEw.d is C's %w.dE while the exponent has two digits.
  for (double v : sample_values()) {
    EXPECT_EQ(format("(1PE15.6)", {v}), c_format("%15.6E", v)) << v;
    EXPECT_EQ(format("(1PD15.6)", {v}), [&] {
      std::string s = c_format("%15.6E", v);
      s[s.find('E')] = 'D';
      return s;
    }()) << v;
  }
}

TEST(FormatAgreesWithC, ExponentWithLeadingZero) {
  // Ew.d writes the d digits of C's %.(d-1)E after "0." and an exponent one higher.
  for (double v : sample_values()) {
    const std::string c = c_format("%.5E", std::fabs(v));  // d.ddddde+xx
    const int x = std::atoi(c.c_str() + c.find('E') + 1) + 1;
    char expected[64];
    std::snprintf(
        expected, sizeof expected, "%14s",
        (std::string(v < 0 ? "-" : "") + "0." + c.substr(0, 1) + c.substr(2, 5) + "E" +
         (x < 0 ? "-" : "+") + (std::abs(x) < 10 ? "0" : "") + std::to_string(std::abs(x)))
            .c_str());
    EXPECT_EQ(format("(E14.6)", {v}), expected) << v;
  }
}

TEST(FormatAgreesWithC, ExactTiesAndLongDigitStrings) {
  // Binary values that stand exactly halfway between two decimals go to the even digit; long
  // fixed forms keep every digit of the binary value.
  struct Case {
    const char* fortran;
    const char* c;
    double v;
  };
  constexpr Case kCases[] = {
      {"(1PE12.1)", "%12.1E", 0.125},   {"(1PE12.1)", "%12.1E", 0.375},
      {"(1PE12.2)", "%12.2E", 1.0625},  {"(1PE12.2)", "%12.2E", -1.0625},
      {"(F8.1)", "%8.1f", 0.25},        {"(F8.1)", "%8.1f", 0.75},
      {"(F8.3)", "%8.3f", 1.0625},      {"(F8.3)", "%8.3f", 1.1875},
      {"(1PE15.5)", "%15.5E", 1.5e-99}, {"(F40.2)", "%40.2f", 1e30},
      {"(F60.50)", "%60.50f", 0.1},
  };
  for (const Case& c : kCases) EXPECT_EQ(format(c.fortran, {c.v}), c_format(c.c, c.v)) << c.v;
}

TEST(FormatAgreesWithC, Integers) {
  const long long kValues[] = {0, 1, -1, 7, -7, 42, 999, -1000, 123456, -9876543, 2147483647};
  for (long long v : kValues) {
    EXPECT_EQ(format("(I12)", {v}), c_format_int("%12lld", v)) << v;
    // C's precision on integers is Fortran's minimum digit count, including the blank field for
    // zero with no digits.
    for (int m = 0; m <= 11; ++m) {
      const std::string f = "(I12." + std::to_string(m) + ")";
      EXPECT_EQ(format(f, {v}), c_format_int("%12.*lld", m, v)) << f << " " << v;
    }
  }
}

}  // namespace
}  // namespace kor::util
