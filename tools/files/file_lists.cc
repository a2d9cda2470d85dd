#include "tools/files/file_lists.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <system_error>
#include <vector>

#include "util/format.h"
#include "util/listout.h"
#include "util/program.h"
#include "util/text.h"

namespace kor::files {
namespace {

// One row of the message table: a code and its text, in one or two pieces written on one line.
struct MessageRow {
  int code;
  std::string_view first;
  std::string_view second;
};

constexpr std::array<MessageRow, 15> kMessages = {{
    {3, "+03 = ", ""},
    {2, "+02 = ", ""},
    {1, "+01 = ", ""},
    {0, "  0 = normal return", ""},
    {-1, "-01 = invalid header record", ""},
    {-2, "-02 = too few condition records", ""},
    {-3, "-03 = invalid condition record", ""},
    {-4, "-04 = no dates found", ""},
    {-5, "-05 = beginning date predates archive", ""},
    {-6, "-06 = REWIND failed for control/trace data file", ""},
    {-7, "-07 = error writing to ROVA file name list file", ""},
    {-8, "-08 = invalid condition code for model names", ""},
    {-9, "-09 = model name has zero length", ""},
    {-10, "-10 = error writing to ROVA model name list file", ""},
    {-11, "-11 = no model names found in search conditions--", "      cannot build file names"},
}};

const MessageRow* find_message(int code) {
  for (const MessageRow& row : kMessages) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

// The number of items a group header must hold, and the positions of the two that are used.
constexpr int kHeaderItems = 5;
constexpr int kFieldIdItem = 1;
constexpr int kCountItem = 4;
// The number of tokens of a condition record.
constexpr int kConditionTokens = 5;

// A group header: its field ID and its condition record count.  Returns 0 or kInvalidHeader.
int parse_header(const std::string& record, int& field_id, int& count) {
  std::array<std::string, kHeaderItems> items;
  int taken = 0;
  // More than five items is fine (return code +1): the rest is ignored.
  if (util::ST_SPLS(record, ' ', "", static_cast<int>(kRecordWidth), items, taken) < 0 ||
      taken < kHeaderItems) {
    return kInvalidHeader;
  }
  std::array<int, kHeaderItems> values{};
  for (int i = 0; i < kHeaderItems; ++i) {
    if (util::ST_TINT(items[i], values[i]) != 0) return kInvalidHeader;
  }
  field_id = values[kFieldIdItem];
  count = values[kCountItem];
  return 0;
}

// The five tokens of a condition record, each cut to 24 characters.  Returns 0 or
// kInvalidCondition when the record holds fewer than five tokens (further tokens are ignored).
int parse_condition(const std::string& record, std::array<std::string, kConditionTokens>& tokens) {
  int taken = 0;
  if (util::ST_SPLS(record, ' ', "", static_cast<int>(kTokenWidth), tokens, taken) < 0 ||
      taken < kConditionTokens) {
    return kInvalidCondition;
  }
  return 0;
}

// Reads the next condition record of a group.  Returns 0, or kTooFewConditions at the end of the
// file.
int read_condition(util::TextUnit& control, std::string& record) {
  return control.read(record, kRecordWidth) ? 0 : kTooFewConditions;
}

bool write_line(std::ostream& os, const std::string& line) {
  os << line << '\n';
  os.flush();
  return static_cast<bool>(os);
}

// The first eight characters of a 12-character date-time token, or an empty text when the token
// does not have exactly 12 characters.
std::string date_of(const std::string& token) {
  if (util::ST_TLEN(token) != static_cast<int>(kDateTimeWidth)) return {};
  return token.substr(0, kDateWidth);
}

class ListBuilder {
 public:
  ListBuilder(const DefaultDates& defaults, std::ostream& dates, std::ostream& models,
              ListCounts& counts)
      : defaults_(defaults), dates_(dates), models_(models), counts_(counts) {}

  int model_group(util::TextUnit& control, int n) {
    std::string record;
    std::array<std::string, kConditionTokens> tokens;
    for (int i = 0; i < n; ++i) {
      if (int rc = read_condition(control, record); rc != 0) return rc;
      if (int rc = parse_condition(record, tokens); rc != 0) return rc;
      int type = 0;
      if (util::ST_TINT(tokens[0], type) != 0 || type != kSingleValueType) {
        return kInvalidModelCondition;
      }
      if (util::ST_TLEN(tokens[3]) == 0) return kEmptyModelName;
      const std::string name = model_name(tokens[3]);
      // A value that starts with a character outside the name alphabet gives no name; it is
      // neither an error nor a list entry.
      if (name.empty()) continue;
      if (std::find(names_.begin(), names_.end(), name) != names_.end()) continue;
      names_.push_back(name);
      if (!write_line(models_, util::format("(A)", {name + " "}))) return kModelWriteFailed;
      ++counts_.models;
    }
    return 0;
  }

  int date_group(util::TextUnit& control, int n) {
    std::string record;
    std::array<std::string, kConditionTokens> tokens;
    for (int i = 0; i < n; ++i) {
      if (int rc = read_condition(control, record); rc != 0) return rc;
      if (int rc = parse_condition(record, tokens); rc != 0) return rc;
      int type = 0;
      // The condition type decides which dates are used; one that is not an integer makes the
      // record unusable.
      if (util::ST_TINT(tokens[0], type) != 0) return kInvalidCondition;
      std::string first = date_of(tokens[3]);
      std::string second = date_of(tokens[4]);
      if (first.empty()) first = defaults_.first;
      if (second.empty()) second = defaults_.second;
      if (type == kSingleValueType) second = first;
      if (type > kSingleValueType) {
        fallback_first_ = first;
        fallback_second_ = second;
        has_fallback_ = true;
        continue;
      }
      if (int rc = write_dates(first, second); rc != 0) return rc;
    }
    return 0;
  }

  // The end of the control file: the fallback range when no range was written, then the check
  // that some model was found.
  int finish() {
    if (counts_.dates == 0 && has_fallback_) {
      if (int rc = write_dates(fallback_first_, fallback_second_); rc != 0) return rc;
    }
    return counts_.models == 0 ? kNoModels : 0;
  }

 private:
  int write_dates(const std::string& first, const std::string& second) {
    const std::string line =
        util::format("(A,1X,A)", {util::pad(first, kDateWidth), util::pad(second, kDateWidth)});
    if (!write_line(dates_, line)) return kDateWriteFailed;
    ++counts_.dates;
    return 0;
  }

  const DefaultDates& defaults_;
  std::ostream& dates_;
  std::ostream& models_;
  ListCounts& counts_;
  std::vector<std::string> names_;
  std::string fallback_first_;
  std::string fallback_second_;
  bool has_fallback_ = false;
};

// An input line without a trailing carriage return (files written on other systems read alike).
bool read_input_line(std::istream& in, std::string& line) {
  line.clear();
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace

DefaultDates default_dates(std::string_view second_line, std::string_view first_line) {
  auto date = [](std::string_view line) {
    return util::pad(util::pad(util::ST_LJST(line), kDateTimeWidth), kDateWidth);
  };
  return DefaultDates{date(first_line), date(second_line)};
}

std::string model_name(std::string_view value) {
  std::size_t n = 0;
  while (n < value.size()) {
    const char c = value[n];
    const bool allowed =
        (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
    if (!allowed) break;
    ++n;
  }
  return std::string(value.substr(0, n));
}

int build_file_lists(util::TextUnit& control, const DefaultDates& defaults, std::ostream& dates,
                     std::ostream& models, ListCounts& counts) {
  counts = ListCounts{};
  ListBuilder builder(defaults, dates, models, counts);
  std::string record;
  while (control.read(record, kRecordWidth)) {
    int field_id = 0;
    int n = 0;
    if (int rc = parse_header(record, field_id, n); rc != 0) return rc;
    int rc = 0;
    if (field_id == kModelFieldId) {
      rc = builder.model_group(control, n);
    } else if (field_id == kDateFieldId) {
      rc = builder.date_group(control, n);
    } else {
      for (int i = 0; i < n && rc == 0; ++i) rc = read_condition(control, record);
    }
    if (rc != 0) return rc;
  }
  return builder.finish();
}

std::string files_code_text(int code) {
  const MessageRow* row = find_message(code);
  if (row == nullptr) return {};
  return std::string(row->first) + std::string(row->second);
}

void report_files_code(std::ostream& os, int code, std::string_view routine) {
  if (util::ST_TLEN(routine) > 0) util::list_write(os, {util::rtrim(routine)});
  const MessageRow* row = find_message(code);
  if (row == nullptr) return;
  if (row->second.empty()) {
    util::list_write(os, {row->first});
  } else {
    util::list_write(os, {row->first, row->second});
  }
}

int run_kor_files(std::istream& in, std::ostream& out, std::ostream* prompt) {
  // A missing input line reads as a blank one.
  std::string name_line;
  std::string second_line;
  std::string first_line;
  util::ask(prompt, "Control file name: ");
  (void)read_input_line(in, name_line);
  util::ask(prompt, "Default second date (YYYYMMDDHHNN): ");
  (void)read_input_line(in, second_line);
  util::ask(prompt, "Default first date (YYYYMMDDHHNN): ");
  (void)read_input_line(in, first_line);

  const std::string name{util::rtrim(util::ST_LJST(name_line))};
  util::TextUnit control(11);
  std::error_code ec;
  // A name longer than the name field is refused rather than cut to a name that may exist; a
  // directory is refused as well, although it opens as a stream.
  if (name.size() > kRecordWidth || std::filesystem::is_directory(name, ec) ||
      !control.open(name)) {
    util::list_write(out, {" Could not open ", name});
    if (name.size() > kRecordWidth) util::write_name_too_long(out, kRecordWidth);
    return 1;
  }
  std::ofstream dates("rova_Ymd", std::ios::out | std::ios::trunc);
  if (!dates.is_open()) {
    util::list_write(out, {" Could not open rova_Ymd."});
    return 1;
  }
  std::ofstream models("rova_models", std::ios::out | std::ios::trunc);
  if (!models.is_open()) {
    util::list_write(out, {" Could not open rova_models."});
    return 1;
  }

  const DefaultDates defaults = default_dates(second_line, first_line);
  ListCounts counts;
  const int rc = build_file_lists(control, defaults, dates, models, counts);
  if (rc != 0) report_files_code(out, rc);
  return rc;
}

}  // namespace kor::files
