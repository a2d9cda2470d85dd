// The verification record: one text line per model, forecast hour, verifying time, region, record
// type, threshold, parameter and level, with a sample count and the record type's data values.
//
//   V01 GLOBAL 24 - 2026110112 - - ADPSFC CONUS FHO >12.7 APCP/24 SFC 0 - = 1000 0.102 0.051 0.083
//
// Tokens are separated by blanks (or tabs).  Tokens 1 to 15 are the record fields of field IDs 1 to
// 15 (VRSN#, MODEL, FHOUR, FWNDO, VYMDH, VWNDO, TMINC, V_ANL, V_RGN, STATS, THRSH, PARAM, LVLID,
// LEVEL, VHHMM), token 16 is "=", token 17 the sample count (field ID 16, COUNT) and the tokens
// after it the data values DV_01, DV_02, ... (field IDs 17 up), at most 27, as means.  A field that
// does not apply is written "-", and so is a data value that is missing.  VYMDH is the verifying
// date-time as YYYYMMDDHH or YYYYMMDDHHMM.  Blank lines and lines starting with "#" are no records.
// docs/record-format.md is the full description.
#ifndef KOR_TOOLS_SELECT_RECORD_H_
#define KOR_TOOLS_SELECT_RECORD_H_

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "tracefile/format.h"

namespace kor::select {

inline constexpr int kRecordFields = 15;  // field IDs 1 to 15
inline constexpr int kCountField = 16;    // COUNT
inline constexpr int kFirstValueField = 17;
inline constexpr int kMaxValues = 27;   // DV_01 to DV_27: a data depth of 28 with the count
inline constexpr int kDateField = 5;    // VYMDH
inline constexpr int kStatsField = 10;  // STATS, the record type

// A missing data value, as the trace data file's tables hold one.
inline constexpr double kMissingValue = tracefile::kMissingFill;
constexpr bool is_missing_value(double v) { return tracefile::is_table_missing(v); }

// The tokens of one record, as views into its line.
struct RecordTokens {
  std::array<std::string_view, kRecordFields> fields;
  std::string_view count;
  std::array<std::string_view, kMaxValues> values;
  int value_count = 0;
  // Set for a record converted from another system's line, whose count and values are numbers
  // already (the texts above then only serve conditions).
  bool numeric = false;
  double count_number = 0;
  std::array<double, kMaxValues> numbers{};
};

enum class LineKind { kRecord, kSkipped, kBad };

// Splits `line` (without its end of line; a trailing carriage return is ignored) into the tokens of
// a record.  Blank lines and comments are kSkipped; kBad comes with the reason in `error`: fewer
// than 17 tokens, token 16 other than "=", more than 27 data values, or a VYMDH that is not a valid
// date-time.  The numbers of the record are not read here (read_numbers does that for the records
// that are selected).
LineKind split_record(std::string_view line, RecordTokens& t, std::string& error);

// The text of field `id` of a record: IDs 1 to 15 the record fields, 16 and 101 the count, 17 to 43
// and 102 to 128 the data values (DV_01 up).  A data value beyond the record's own is "-".  IDs
// that name no field of a record give nullopt.
std::optional<std::string_view> record_field(const RecordTokens& t, int id);

// True when `id` names a field of a verification record (see record_field).
bool is_record_field_id(int id);

// The count and data values of a record as numbers.  A value written "-" is missing
// (kMissingValue).  Returns false with the reason in `error` when the count is not a number of 0
// or more, or a value is neither a number nor "-".
bool read_numbers(const RecordTokens& t, double& count, std::array<double, kMaxValues>& values,
                  std::string& error);

// A token read as a number: the whole token must be a finite decimal number (an optional sign,
// digits with an optional point, an optional exponent).
std::optional<double> read_number(std::string_view token);

// A verifying date-time of 10 (YYYYMMDDHH) or 12 (YYYYMMDDHHMM) digits as the number YYYYMMDDHHMM,
// or nullopt when it is not one (a year before 1000, a month, day, hour or minute out of range).
std::optional<long long> read_date_time(std::string_view token);

// The twelve characters YYYYMMDDHHMM of such a number.
std::string date_time_text(long long stamp);

}  // namespace kor::select

#endif  // KOR_TOOLS_SELECT_RECORD_H_
