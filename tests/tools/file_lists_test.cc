#include "tools/files/file_lists.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace kor::files {
namespace {

// Default dates used by every builder case: first date 2016-01-01, second date 2016-12-31.
const DefaultDates kDefaults{"20160101", "20161231"};

// Writes `text` to a file named after the running test and opens it on a unit.
class ControlFile {
 public:
  explicit ControlFile(const std::string& text) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::string("control_") + info->test_suite_name() + "_" + info->name() + ".txt";
    std::ofstream(path_, std::ios::trunc) << text;
    EXPECT_TRUE(unit_.open(path_)) << path_;
  }
  ~ControlFile() { std::remove(path_.c_str()); }
  util::TextUnit& unit() { return unit_; }

 private:
  std::string path_;
  util::TextUnit unit_{11};
};

struct MessageCase {
  int code;
  const char* text;
};

TEST(FilesMessages, EveryRowHasItsFixedText) {
  constexpr MessageCase kCases[] = {
      {3, "+03 = "},
      {2, "+02 = "},
      {1, "+01 = "},
      {0, "  0 = normal return"},
      {-1, "-01 = invalid header record"},
      {-2, "-02 = too few condition records"},
      {-3, "-03 = invalid condition record"},
      {-4, "-04 = no dates found"},
      {-5, "-05 = beginning date predates archive"},
      {-6, "-06 = REWIND failed for control/trace data file"},
      {-7, "-07 = error writing to ROVA file name list file"},
      {-8, "-08 = invalid condition code for model names"},
      {-9, "-09 = model name has zero length"},
      {-10, "-10 = error writing to ROVA model name list file"},
      {-11, "-11 = no model names found in search conditions--      cannot build file names"},
      {4, ""},
      {-12, ""},
  };
  for (const MessageCase& c : kCases) {
    EXPECT_EQ(files_code_text(c.code), c.text) << "code " << c.code;
  }
}

struct ReportCase {
  const char* name;
  int code;
  const char* routine;
  const char* expected;
};

TEST(FilesMessages, ReportWritesRoutineLineThenCodeLine) {
  // Free-format lines: one leading blank, then the text items without separators.
  constexpr ReportCase kCases[] = {
      {"normal return, no routine", 0, "", "   0 = normal return\n"},
      {"blank routine name is not written", -1, "        ", " -01 = invalid header record\n"},
      {"routine name without its trailing blanks", -3, "KOR_FILES   ",
       " KOR_FILES\n -03 = invalid condition record\n"},
      {"two pieces on one line", -11, "",
       " -11 = no model names found in search conditions--      cannot build file names\n"},
      {"code without a row writes only the name", -12, "KOR_FILES", " KOR_FILES\n"},
      {"code without a row and no name writes nothing", 7, "", ""},
  };
  for (const ReportCase& c : kCases) {
    std::ostringstream os;
    report_files_code(os, c.code, c.routine);
    EXPECT_EQ(os.str(), c.expected) << c.name;
  }
}

struct NameCase {
  const char* value;
  const char* name;
};

TEST(ModelName, KeepsLeadingCapitalsDigitsAndNamePunctuation) {
  constexpr NameCase kCases[] = {
      {"GFS-2.0_X", "GFS-2.0_X"}, {"NAM/AWIP", "NAM"}, {"gfs", ""}, {"Nam", "N"},
      {"ECM12 ", "ECM12"},        {"+RUC", ""},        {"", ""},
  };
  for (const NameCase& c : kCases) {
    EXPECT_EQ(model_name(c.value), c.name) << "value '" << c.value << "'";
  }
}

struct DefaultCase {
  const char* second_line;
  const char* first_line;
  const char* second;
  const char* first;
};

TEST(DefaultDates, TakesTheFirstEightCharactersOfEachLine) {
  constexpr DefaultCase kCases[] = {
      {"201612311800", "201601010000", "20161231", "20160101"},
      {"2016123118001234", "20160101", "20161231", "20160101"},
      {"  201612311800", "2016", "20161231", "2016    "},
      {"", "", "        ", "        "},
  };
  for (const DefaultCase& c : kCases) {
    const DefaultDates d = default_dates(c.second_line, c.first_line);
    EXPECT_EQ(d.second, c.second) << "line '" << c.second_line << "'";
    EXPECT_EQ(d.first, c.first) << "line '" << c.first_line << "'";
  }
}

struct BuildCase {
  const char* name;
  const char* control;
  int rc;
  const char* dates;
  const char* models;
};

void check(const BuildCase& c) {
  ControlFile file(c.control);
  std::ostringstream dates;
  std::ostringstream models;
  ListCounts counts;
  EXPECT_EQ(build_file_lists(file.unit(), kDefaults, dates, models, counts), c.rc) << c.name;
  EXPECT_EQ(dates.str(), c.dates) << c.name;
  EXPECT_EQ(models.str(), c.models) << c.name;
}

// A MODEL group naming GFS, used where a case is about the dates only.
#define GFS_GROUP "1 2 0 0 1 1 1\n18 0 0 GFS 0\n"

TEST(BuildFileLists, DateRanges) {
  constexpr BuildCase kCases[] = {
      {"type 14 with two 12-character tokens gives both dates",
       GFS_GROUP "1 5 0 0 1 1 1\n14 0 0 201602010000 201602291200\n", 0, "20160201 20160229\n",
       "GFS \n"},
      {"a 10-character token 5 takes the default second date",
       GFS_GROUP "1 5 0 0 1 1 1\n14 0 0 201602010000 2016022912\n", 0, "20160201 20161231\n",
       "GFS \n"},
      {"placeholder tokens take both defaults", GFS_GROUP "1 5 0 0 1 1 1\n14 0 0 0 0\n", 0,
       "20160101 20161231\n", "GFS \n"},
      {"type 10 without a date takes the default first date",
       GFS_GROUP "1 5 0 0 1 1 1\n10 0 0 0 0\n", 0, "20160101 20161231\n", "GFS \n"},
      {"type 18 repeats the first date",
       GFS_GROUP "1 5 0 0 1 1 1\n18 0 0 201603150000 201604010000\n", 0, "20160315 20160315\n",
       "GFS \n"},
      {"one line per record of a group",
       GFS_GROUP "1 5 0 0 2 1 1\n14 0 0 201601010000 201601311200\n"
                 "14 0 0 201603010000 201603311200\n",
       0, "20160101 20160131\n20160301 20160331\n", "GFS \n"},
      {"a range of type above 18 alone is written at the end",
       "1 5 0 0 2 1 1\n19 0 0 201605010000 201605311200\n19 0 0 201606010000 "
       "201606300000\n" GFS_GROUP,
       0, "20160601 20160630\n", "GFS \n"},
      {"a range of type above 18 is dropped when another range was written",
       GFS_GROUP "1 5 0 0 1 1 1\n20 0 0 201605010000 201605311200\n"
                 "1 5 0 0 1 1 1\n14 0 0 201601010000 201601311200\n",
       0, "20160101 20160131\n", "GFS \n"},
      {"a 24-character token is not a date-time",
       GFS_GROUP "1 5 0 0 1 1 1\n14 0 0 201601010000201601010000 201601311200\n", 0,
       "20160101 20160131\n", "GFS \n"},
      {"other field IDs are skipped whatever their records hold",
       GFS_GROUP "1 3 0 0 2 1 1\nnot a condition\n\n1 5 0 0 1 1 1\n14 0 0 201601010000 0\n", 0,
       "20160101 20161231\n", "GFS \n"},
      {"a negative record count reads no records", GFS_GROUP "1 5 0 0 -3 1 1\n", 0, "", "GFS \n"},
  };
  for (const BuildCase& c : kCases) check(c);
}

TEST(BuildFileLists, ModelNames) {
  constexpr BuildCase kCases[] = {
      {"a name of capitals, digits, hyphen, point and underscore is kept whole",
       "1 2 0 0 1 1 1\n18 0 0 GFS-2.0_X 0\n", 0, "", "GFS-2.0_X \n"},
      {"a slash ends the name", "1 2 0 0 1 1 1\n18 0 0 NAM/AWIP 0\n", 0, "", "NAM \n"},
      {"the same name in two groups is written once",
       "1 2 0 0 1 1 1\n18 0 0 GFS 0\n2 2 0 0 2 1 1\n18 0 0 NAM 0\n18 0 0 GFS 0\n", 0, "",
       "GFS \nNAM \n"},
      {"a name inside another name is still a new name",
       "1 2 0 0 2 1 1\n18 0 0 ANAM 0\n18 0 0 NAM 0\n", 0, "", "ANAM \nNAM \n"},
      {"a name that starts in lower case is not written",
       "1 2 0 0 2 1 1\n18 0 0 gfs 0\n18 0 0 ECM 0\n", 0, "", "ECM \n"},
      {"a long value is cut to 24 characters",
       "1 2 0 0 1 1 1\n18 0 0 ABCDEFGHIJKLMNOPQRSTUVWXYZ 0\n", 0, "",
       "ABCDEFGHIJKLMNOPQRSTUVWX \n"},
      {"only a lower-case name gives no model", "1 2 0 0 1 1 1\n18 0 0 gfs 0\n", kNoModels, "", ""},
      {"no MODEL group gives no model but the dates are written",
       "1 5 0 0 1 1 1\n14 0 0 201601010000 201601311200\n", kNoModels, "20160101 20160131\n", ""},
      {"an empty control file gives no model", "", kNoModels, "", ""},
      {"tokens after the fifth are ignored", "1 2 0 0 1 1 1\n18 0 0 GFS 0 extra tokens\n", 0, "",
       "GFS \n"},
  };
  for (const BuildCase& c : kCases) check(c);
}

TEST(BuildFileLists, ErrorsEndTheScanAndKeepWhatWasWritten) {
  constexpr BuildCase kCases[] = {
      {"header with four integers", "1 2 0 0\n", kInvalidHeader, "", ""},
      {"header with a word among the first five", "1 2 0 x 1 1 1\n18 0 0 GFS 0\n", kInvalidHeader,
       "", ""},
      {"header with a word after the fifth is accepted",
       "1 2 0 0 1 plot seven eight\n"
       "18 0 0 GFS 0\n",
       0, "", "GFS \n"},
      {"blank line where a header is due", GFS_GROUP "\n", kInvalidHeader, "", "GFS \n"},
      {"garbage header after a written model", GFS_GROUP "garbage line here\n", kInvalidHeader, "",
       "GFS \n"},
      {"end of file inside a MODEL group", "1 2 0 0 2 1 1\n18 0 0 GFS 0\n", kTooFewConditions, "",
       "GFS \n"},
      {"end of file inside a VYMDH group", GFS_GROUP "1 5 0 0 3 1 1\n14 0 0 0 0\n",
       kTooFewConditions, "20160101 20161231\n", "GFS \n"},
      {"end of file inside a skipped group", GFS_GROUP "1 9 0 0 3 1 1\n0 0 0 0 0\n",
       kTooFewConditions, "", "GFS \n"},
      {"condition record with four tokens", "1 2 0 0 1 1 1\n18 0 0 GFS\n", kInvalidCondition, "",
       ""},
      {"date record with four tokens", GFS_GROUP "1 5 0 0 1 1 1\n14 0 0 201601010000\n",
       kInvalidCondition, "", "GFS \n"},
      {"date record whose condition type is a word",
       GFS_GROUP "1 5 0 0 1 1 1\nXX 0 0 201601010000 201601311200\n", kInvalidCondition, "",
       "GFS \n"},
      {"model record of condition type 17", "1 2 0 0 1 1 1\n17 0 0 GFS 0\n", kInvalidModelCondition,
       "", ""},
      {"model record whose condition type is a word", "1 2 0 0 1 1 1\nX 0 0 GFS 0\n",
       kInvalidModelCondition, "", ""},
      {"no fallback range after an error",
       "1 5 0 0 1 1 1\n19 0 0 201605010000 201605311200\n1 2 0 0\n", kInvalidHeader, "", ""},
  };
  for (const BuildCase& c : kCases) check(c);
}

TEST(BuildFileLists, CountsFollowTheLinesWritten) {
  ControlFile file(
      "1 2 0 0 3 1 1\n18 0 0 GFS 0\n18 0 0 NAM 0\n18 0 0 GFS 0\n"
      "1 5 0 0 2 1 1\n14 0 0 0 0\n18 0 0 201601050000 0\n");
  std::ostringstream dates;
  std::ostringstream models;
  ListCounts counts;
  ASSERT_EQ(build_file_lists(file.unit(), kDefaults, dates, models, counts), 0);
  EXPECT_EQ(counts.models, 2);
  EXPECT_EQ(counts.dates, 2);
}

struct WriteFailCase {
  const char* name;
  bool dates_fail;
  bool models_fail;
  int rc;
};

TEST(BuildFileLists, FailedWritesAreReported) {
  constexpr WriteFailCase kCases[] = {
      {"model list not writable", false, true, kModelWriteFailed},
      {"date list not writable", true, false, kDateWriteFailed},
  };
  for (const WriteFailCase& c : kCases) {
    ControlFile file(GFS_GROUP "1 5 0 0 1 1 1\n14 0 0 0 0\n");
    std::ostringstream dates;
    std::ostringstream models;
    if (c.dates_fail) dates.setstate(std::ios::badbit);
    if (c.models_fail) models.setstate(std::ios::badbit);
    ListCounts counts;
    EXPECT_EQ(build_file_lists(file.unit(), kDefaults, dates, models, counts), c.rc) << c.name;
  }
}

}  // namespace
}  // namespace kor::files
