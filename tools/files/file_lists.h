// The data-file list builder of `kor_files`.
//
// A control file holds condition groups laid out like the header section of a trace data file: a
// group header of at least five integers (trace number, field ID, group kind, trace value, record
// count N, ...) followed by N condition records of five tokens.  From the MODEL groups the builder
// collects the distinct model names, from the VYMDH groups the verifying date ranges, and writes
// them to the list files from which the selection step builds the names of its daily record files:
//   rova_Ymd     one line per date range, "YYYYMMDD YYYYMMDD"
//   rova_models  one line per distinct model name, the name followed by a blank
// Every other group is skipped.  The first error ends the scan; lines already written stay.
#ifndef KOR_TOOLS_FILES_FILE_LISTS_H_
#define KOR_TOOLS_FILES_FILE_LISTS_H_

#include <iosfwd>
#include <string>
#include <string_view>

#include "util/unit.h"

namespace kor::files {

// Return codes of the builder.  The table of their texts (report_files_code) also holds rows that
// this builder does not produce.
inline constexpr int kInvalidHeader = -1;
inline constexpr int kTooFewConditions = -2;
inline constexpr int kInvalidCondition = -3;
inline constexpr int kDateWriteFailed = -7;
inline constexpr int kInvalidModelCondition = -8;
inline constexpr int kEmptyModelName = -9;
inline constexpr int kModelWriteFailed = -10;
inline constexpr int kNoModels = -11;

// Widths of the fixed-length fields.
inline constexpr std::size_t kRecordWidth = 80;    // control file records and the file name
inline constexpr std::size_t kTokenWidth = 24;     // condition record tokens
inline constexpr std::size_t kDateTimeWidth = 12;  // YYYYMMDDHHNN
inline constexpr std::size_t kDateWidth = 8;       // YYYYMMDD

// Field IDs the builder looks at.
inline constexpr int kModelFieldId = 2;
inline constexpr int kDateFieldId = 5;
// Condition type of a single model name, and of a single verifying date.
inline constexpr int kSingleValueType = 18;

// The two default dates of standard input, each the first 8 characters of a 12-character
// date-time line ("YYYYMMDD", blank-padded).
struct DefaultDates {
  std::string first;   // default first date (third input line)
  std::string second;  // default second date (second input line)
};

// Builds a DefaultDates from the two raw input lines.
DefaultDates default_dates(std::string_view second_line, std::string_view first_line);

struct ListCounts {
  int dates = 0;   // lines written to the date list
  int models = 0;  // lines written to the model list
};

// Scans `control` from its current position to its end and writes the date ranges to `dates` and
// the distinct model names to `models`, flushing after each line.  Returns 0 or the first negative
// return code; `counts` holds the lines written so far in either case.
[[nodiscard]] int build_file_lists(util::TextUnit& control, const DefaultDates& defaults,
                                   std::ostream& dates, std::ostream& models, ListCounts& counts);

// The model name of a MODEL condition value: its leading characters up to the first one that is
// not a capital letter, a digit, ".", "-" or "_" (empty when the value starts with such a
// character).
std::string model_name(std::string_view value);

// The message routine of `kor_files`: writes `routine` (when not blank) on a line of its own, then
// the text of `code` as one free-format line; a code without a text writes nothing more.
void report_files_code(std::ostream& os, int code, std::string_view routine = {});

// The text of `code` in the message table (both pieces of a two-piece row joined), or empty when
// the code has no row.
std::string files_code_text(int code);

// The whole program below the dialogue: reads the three input lines from `in`, opens the control
// file and the two list files in the working directory, builds the lists and reports a nonzero
// return code on `out`.  Failed opens are reported on `out` and end the run (a control file name
// longer than its 80-character field is refused, not cut).  Returns the builder's return code, or
// 1 when a file could not be opened.  Prompts for the three lines go to `prompt` when it is not
// null.
int run_kor_files(std::istream& in, std::ostream& out, std::ostream* prompt = nullptr);

}  // namespace kor::files

#endif  // KOR_TOOLS_FILES_FILE_LISTS_H_
