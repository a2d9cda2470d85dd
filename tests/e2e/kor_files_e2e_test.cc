// End-to-end runs of kor_files: standard input, the control file in a scratch directory, and the
// two list files it writes there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "run_program.h"

namespace kor::e2e {
namespace {

using namespace std::string_view_literals;

const std::string kProgram = KOR_FILES_PROGRAM;
const std::filesystem::path kData = std::filesystem::path(KOR_TEST_DATA) / "files";

// True when `name` exists in `dir` (a link to nowhere counts too).
bool exists_in(const ScratchDir& dir, const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(dir.path() / name, ec));
}

// The -11 line: both pieces of the row on one free-format line.
constexpr const char* kNoModelsLine =
    " -11 = no model names found in search conditions--      cannot build file names\n";

struct RunCase {
  const char* name;
  const char* control;  // file under tests/data/files copied in as "test.ctl"; "" for none
  const char* input;    // standard input
  const char* out;      // expected standard output
  const char* dates;    // expected rova_Ymd; nullptr when it must not exist
  const char* models;   // expected rova_models; nullptr when it must not exist
};

TEST(KorFiles, ControlFiles) {
  constexpr RunCase kCases[] = {
      {"two traces with models, ranges and skipped groups", "verif.ctl",
       "test.ctl\n201612311800\n201601010000\n", "",
       "20160101 20160131\n20160201 20161231\n20160215 20160215\n", "GFS \nNAM \n"},
      {"only ranges of type above 18: the last one is written", "fallback.ctl",
       "test.ctl\n201612311800\n201601010000\n", "", "20160601 20161231\n", "ECMWF \n"},
      {"no model group", "nomodel.ctl", "test.ctl\n201612311800\n201601010000\n", kNoModelsLine,
       "20160101 20160131\n", ""},
      {"garbage header line ends the scan", "garbage.ctl", "test.ctl\n201612311800\n201601010000\n",
       " -01 = invalid header record\n", "", "GFS \n"},
      {"file name with blanks around it and CRLF input lines", "verif.ctl",
       "  test.ctl  \r\n201612311800\r\n201601010000\r\n", "",
       "20160101 20160131\n20160201 20161231\n20160215 20160215\n", "GFS \nNAM \n"},
      {"missing date lines leave the defaults blank", "verif.ctl", "test.ctl\n", "",
       "20160101 20160131\n20160201         \n20160215 20160215\n", "GFS \nNAM \n"},
  };
  for (const RunCase& c : kCases) {
    ScratchDir dir(std::string("files_") + c.control);
    if (*c.control != '\0') dir.copy_in(kData / c.control, "test.ctl");
    const ProgramRun r = run_program(kProgram, dir, c.input);
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_EQ(r.err, "") << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
    ASSERT_TRUE(exists_in(dir, "rova_Ymd")) << c.name;
    ASSERT_TRUE(exists_in(dir, "rova_models")) << c.name;
    EXPECT_EQ(dir.read("rova_Ymd"), c.dates) << c.name;
    EXPECT_EQ(dir.read("rova_models"), c.models) << c.name;
  }
}

struct InputCase {
  const char* name;
  std::string_view control_text;  // written as "test.ctl" unless null
  const char* input;
  const char* out;
  bool lists_written;
};

TEST(KorFiles, BadInput) {
  const std::string long_name(81, 'x');
  const std::string long_input = long_name + "\n201612311800\n201601010000\n";
  // The name does not fit after the text on an 80-column line, so it starts a new line.
  const std::string long_out =
      "  Could not open \n " + long_name +
      "\n  The file name is longer than 80 characters; it is not cut to fit.\n";
  const InputCase kCases[] = {
      {"missing control file",
       {},
       "nofile.ctl\n201612311800\n201601010000\n",
       "  Could not open nofile.ctl\n",
       false},
      {"empty standard input", {}, "", "  Could not open \n", false},
      {"control file name longer than 80 characters",
       {},
       long_input.c_str(),
       long_out.c_str(),
       false},
      {"empty control file", "", "test.ctl\n201612311800\n201601010000\n", kNoModelsLine, true},
      {"binary garbage", "\x01\x02\xff\n\0\0\0\n"sv, "test.ctl\n201612311800\n201601010000\n",
       " -01 = invalid header record\n", true},
      {"very long lines: records are cut to 80 characters, which loses token 5 here",
       "1 2 2 0 1 1 1 999999999999999999999999999999999999999999999999999999999999999999999999999"
       "9999999999999999999999999999999999999999999999999999999999999999999999\n18 0 0 "
       "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ 0\n",
       "test.ctl\n201612311800\n201601010000\n", " -03 = invalid condition record\n", true},
      {"header announcing more records than the file holds", "1 2 2 0 2000000000 1 1\n",
       "test.ctl\n201612311800\n201601010000\n", " -02 = too few condition records\n", true},
  };
  for (const InputCase& c : kCases) {
    ScratchDir dir("files_bad_input");
    if (c.control_text.data() != nullptr) dir.write("test.ctl", std::string(c.control_text));
    const ProgramRun r = run_program(kProgram, dir, c.input);
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_EQ(r.err, "") << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(exists_in(dir, "rova_Ymd"), c.lists_written) << c.name;
    EXPECT_EQ(exists_in(dir, "rova_models"), c.lists_written) << c.name;
  }
}

TEST(KorFiles, LongModelNameIsCutToTheTokenWidth) {
  ScratchDir dir("files_long_name");
  dir.write("test.ctl", "1 2 2 0 1 1 1\n18 0 0 ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEF 0\n");
  const ProgramRun r = run_program(kProgram, dir, "test.ctl\n201612311800\n201601010000\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(dir.read("rova_models"), "ABCDEFGHIJKLMNOPQRSTUVWX \n");
}

struct OutputFileCase {
  const char* name;
  const char* blocked;  // list file replaced by a directory, or by a link to a full device
  bool full_device;
  const char* out;
};

TEST(KorFiles, ListFilesThatCannotBeWritten) {
  constexpr OutputFileCase kCases[] = {
      {"rova_Ymd is a directory", "rova_Ymd", false, "  Could not open rova_Ymd.\n"},
      {"rova_models is a directory", "rova_models", false, "  Could not open rova_models.\n"},
      {"rova_models on a full device", "rova_models", true,
       " -10 = error writing to ROVA model name list file\n"},
      {"rova_Ymd on a full device", "rova_Ymd", true,
       " -07 = error writing to ROVA file name list file\n"},
  };
  for (const OutputFileCase& c : kCases) {
    if (c.full_device && !std::filesystem::exists("/dev/full")) continue;
    ScratchDir dir("files_blocked");
    dir.copy_in(kData / "verif.ctl", "test.ctl");
    if (c.full_device) {
      std::filesystem::create_symlink("/dev/full", dir.path() / c.blocked);
    } else {
      std::filesystem::create_directory(dir.path() / c.blocked);
    }
    const ProgramRun r = run_program(kProgram, dir, "test.ctl\n201612311800\n201601010000\n");
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_EQ(r.err, "") << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
  }
}

}  // namespace
}  // namespace kor::e2e
