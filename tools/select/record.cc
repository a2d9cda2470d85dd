#include "tools/select/record.h"

#include <charconv>
#include <cmath>

namespace kor::select {
namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool all_digits(std::string_view s) {
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int digits_value(std::string_view s) {
  int v = 0;
  for (char c : s) v = v * 10 + (c - '0');
  return v;
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

LineKind split_record(std::string_view line, RecordTokens& t, std::string& error) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (i < n && is_blank(line[i])) ++i;
  if (i == n || line[i] == '#') return LineKind::kSkipped;
  int token = 0;   // tokens found so far
  int values = 0;  // data values found so far
  while (i < n) {
    const std::size_t start = i;
    while (i < n && !is_blank(line[i])) ++i;
    const std::string_view tok = line.substr(start, i - start);
    if (token < kRecordFields) {
      t.fields[token] = tok;
    } else if (token == kRecordFields) {
      if (tok != "=") {
        error = "token 16 must be \"=\", found " + quoted(tok);
        return LineKind::kBad;
      }
    } else if (token == kRecordFields + 1) {
      t.count = tok;
    } else {
      if (values == kMaxValues) {
        error = "more than " + std::to_string(kMaxValues) + " data values";
        return LineKind::kBad;
      }
      t.values[values++] = tok;
    }
    ++token;
    while (i < n && is_blank(line[i])) ++i;
  }
  if (token < kRecordFields + 2) {
    error = "a record has 15 fields, \"=\" and the count before its data values; found " +
            std::to_string(token) + (token == 1 ? " token" : " tokens");
    return LineKind::kBad;
  }
  t.value_count = values;
  t.numeric = false;
  if (!read_date_time(t.fields[kDateField - 1])) {
    error = "VYMDH " + quoted(t.fields[kDateField - 1]) +
            " is not a date-time YYYYMMDDHH or YYYYMMDDHHMM";
    return LineKind::kBad;
  }
  return LineKind::kRecord;
}

bool is_record_field_id(int id) {
  return (id >= 1 && id <= kFirstValueField + 7) || (id >= 101 && id <= 101 + kMaxValues);
}

std::optional<std::string_view> record_field(const RecordTokens& t, int id) {
  if (id >= 1 && id <= kRecordFields) return t.fields[id - 1];
  if (id == kCountField || id == 101) return t.count;
  int value = 0;  // 1-based data value
  if (id >= kFirstValueField && id <= kFirstValueField + 7) {
    value = id - kFirstValueField + 1;
  } else if (id >= 102 && id <= 101 + kMaxValues) {
    value = id - 101;
  } else {
    return std::nullopt;
  }
  return value <= t.value_count ? t.values[value - 1] : std::string_view("-");
}

std::optional<double> read_number(std::string_view token) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty()) return std::nullopt;
  // from_chars also takes "inf" and "nan", which are no numbers of a record.
  const char c = token.front() == '-' && token.size() > 1 ? token[1] : token.front();
  if (!((c >= '0' && c <= '9') || c == '.')) return std::nullopt;
  double v = 0;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
  if (ec != std::errc() || end != token.data() + token.size() || !std::isfinite(v)) {
    return std::nullopt;
  }
  return v;
}

bool read_numbers(const RecordTokens& t, double& count, std::array<double, kMaxValues>& values,
                  std::string& error) {
  if (t.numeric) {
    count = t.count_number;
    values = t.numbers;
    return true;
  }
  const std::optional<double> n = read_number(t.count);
  if (!n || *n < 0) {
    error = "the count " + quoted(t.count) + " is not a number of 0 or more";
    return false;
  }
  count = *n;
  for (int k = 0; k < t.value_count; ++k) {
    if (t.values[k] == "-") {
      values[k] = kMissingValue;
      continue;
    }
    const std::optional<double> v = read_number(t.values[k]);
    if (!v) {
      error = "data value " + std::to_string(k + 1) + " " + quoted(t.values[k]) +
              " is neither a number nor \"-\"";
      return false;
    }
    values[k] = *v;
  }
  return true;
}

std::optional<long long> read_date_time(std::string_view token) {
  if ((token.size() != 10 && token.size() != 12) || !all_digits(token)) return std::nullopt;
  const int year = digits_value(token.substr(0, 4));
  const int month = digits_value(token.substr(4, 2));
  const int day = digits_value(token.substr(6, 2));
  const int hour = digits_value(token.substr(8, 2));
  const int minute = token.size() == 12 ? digits_value(token.substr(10, 2)) : 0;
  if (year < 1000 || month < 1 || month > 12 || day < 1 ||
      day > tracefile::days_in_month(year, month) || hour > 23 || minute > 59) {
    return std::nullopt;
  }
  return (((static_cast<long long>(year) * 100 + month) * 100 + day) * 100 + hour) * 100 + minute;
}

std::string date_time_text(long long stamp) {
  std::string s(12, '0');
  for (int i = 11; i >= 0; --i) {
    s[i] = static_cast<char>('0' + stamp % 10);
    stamp /= 10;
  }
  return s;
}

}  // namespace kor::select
