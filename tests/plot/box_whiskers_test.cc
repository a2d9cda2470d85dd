// The box-whisker rules of a plot run: the grouping of the trace list and the error report.
#include "plot/box_whiskers.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace kor::plot {
namespace {

struct GroupCase {
  const char* what;
  std::vector<int> files, opcodes;
  std::vector<int> want_first_group, want_opcodes;
  int want_pairs;
  std::vector<int> want_errors;
  int flagged;  // trace position marked -1, or 0
};

TEST(BoxWhiskerGrouping, GroupsPairsAndRequestErrors) {
  const GroupCase kCases[] = {
      {"two traces, one code", {11, 12}, {1001, 1001}, {11, 12}, {1001}, 1, {}, 0},
      {"two groups repeating the traces",
       {11, 12, 11, 12},
       {1001, 1001, 1002, 1002},
       {11, 12},
       {1001, 1002},
       1,
       {},
       0},
      {"one trace has no pair", {11}, {1001}, {}, {}, 0, {3}, 0},
      {"code changes at the second trace",
       {11, 12, 13},
       {1001, 1002, 1002},
       {11},
       {1001, 1002},
       0,
       {1, 3},
       0},
      {"later group of another size",
       {11, 12, 11, 12, 13},
       {1, 1, 2, 3, 3},
       {11, 12},
       {1, 2, 3},
       1,
       {2},
       0},
      {"last trace starts a group of its own",
       {11, 12, 11, 12, 11, 12},
       {1, 1, 2, 2, 2, 3},
       {11, 12},
       {1, 2},
       1,
       {4},
       0},
      {"later group does not repeat the traces",
       {11, 12, 13, 11, 14, 13},
       {5, 5, 5, 6, 6, 6},
       {11, 12, 13},
       {5, 6},
       2,
       {},
       5},
      {"last trace of a single group with another code",
       {11, 12, 13},
       {7, 7, 8},
       {11, 12},
       {7},
       1,
       {},
       0},
  };
  for (const GroupCase& c : kCases) {
    BoxWhiskerBook book;
    const int n = static_cast<int>(c.files.size());
    for (int h = 1; h <= n; ++h) group_box_whisker(book, h, n, c.opcodes[h - 1], c.files[h - 1]);
    if (!c.want_first_group.empty()) {
      EXPECT_EQ(book.first_group_traces, c.want_first_group) << c.what;
      EXPECT_EQ(book.group_opcodes, c.want_opcodes) << c.what;
      EXPECT_EQ(book.pairs_per_group, c.want_pairs) << c.what;
    }
    const std::vector<int> errors(book.errors.begin(), book.errors.begin() + book.error_count);
    EXPECT_EQ(errors, c.want_errors) << c.what;
    for (int h = 1; h <= n; ++h) {
      EXPECT_EQ(book.flag[h - 1], h == c.flagged ? -1 : 0) << c.what << " trace " << h;
    }
  }
}

struct ErrsCase {
  const char* what;
  bool colour;
  std::vector<int> errors;
  const char* want;
};

TEST(BoxWhiskerErrors, ReportOnlyWhenObjectsWantedAndErrorsRecorded) {
  const ErrsCase kCases[] = {
      {"no objects wanted", false, {5}, ""},
      {"no errors", true, {}, ""},
      {"point counts differ",
       true,
       {5},
       "  ERRORS detected associated with box-whisker request:\n"
       "  All traces must have the same number of X points.\n"},
      {"grouping error adds the advice",
       true,
       {1, 8},
       "  ERRORS detected associated with box-whisker request:\n"
       "  COMP CODES must be same for paired/grouped traces.\n"
       "  BXWSKR objects not allowed for display methods 3--5.\n"
       "  Check trace number and COMP CODE specifications.\n"},
      {"every code",
       true,
       {2, 3, 4, 6, 7, 9},
       "  ERRORS detected associated with box-whisker request:\n"
       "  # of pairs must be same for all COMP CODE groups.\n"
       "  There are no trace pairs.\n"
       "  All COMP CODE groups must have same CODES.\n"
       "  Resampling driver returned with errors.\n"
       "  Unexpected box-whisker object count returned.\n"
       "  TRACE #s must be repeated for subsequent COMP CODES.\n"
       "  Check trace number and COMP CODE specifications.\n"},
  };
  for (const ErrsCase& c : kCases) {
    PlotSettings settings;
    BoxWhiskerBook book;
    reset_settings(settings, 2, true);
    if (c.colour) settings.bxw_colour[0] = 3;
    for (int e : c.errors) book.add_error(e);
    std::ostringstream os;
    EXPECT_EQ(BXW_ERRS(settings, book, os), 0) << c.what;
    EXPECT_EQ(os.str(), c.want) << c.what;
  }
}

TEST(BoxWhiskerErrors, ErrorsBeyondTheStoredOnesAreNotPrinted) {
  PlotSettings settings;
  BoxWhiskerBook book;
  reset_settings(settings, 2, true);
  settings.bxw_colour[0] = 1;
  for (int i = 0; i < kMaxBxwErrors; ++i) book.add_error(5);
  book.add_error(1);  // the 33rd is counted, not stored
  std::ostringstream os;
  (void)BXW_ERRS(settings, book, os);
  EXPECT_EQ(os.str().find("COMP CODES"), std::string::npos);
  EXPECT_EQ(os.str().find("Check trace"), std::string::npos);
}

}  // namespace
}  // namespace kor::plot
