#include "tools/select/met_stat.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kor::select {
namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Splits `line` into at most `max` tokens; returns their number.
template <std::size_t N>
int split(std::string_view line, std::array<std::string_view, N>& out) {
  int n = 0;
  std::size_t i = 0;
  while (i < line.size() && n < static_cast<int>(N)) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i == line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && !is_blank(line[i])) ++i;
    out[n++] = line.substr(start, i - start);
  }
  return n;
}

// The whole hours of a lead time HHMMSS (or HHHMMSS), and its minutes and seconds as MMSS when
// they are not zero.
bool lead_time(std::string_view lead, std::string& hours, std::string& rest) {
  if (lead.size() != 6 && lead.size() != 7) return false;
  for (char c : lead) {
    if (c < '0' || c > '9') return false;
  }
  long long h = 0;
  for (char c : lead.substr(0, lead.size() - 4)) h = h * 10 + (c - '0');
  hours = std::to_string(h);
  const std::string_view mmss = lead.substr(lead.size() - 4);
  rest = mmss == "0000" ? "-" : std::string(mmss);
  return true;
}

// A valid time YYYYMMDD_HHMMSS as YYYYMMDDHH and HHMM, and as minutes since year 0 for lengths.
bool valid_time(std::string_view t, std::string& ymdh, std::string& hhmm, long long& minutes) {
  if (t.size() != 15 || t[8] != '_') return false;
  const std::string digits = std::string(t.substr(0, 8)) + std::string(t.substr(9, 6));
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
  }
  ymdh = digits.substr(0, 10);
  hhmm = digits.substr(8, 4);
  const std::optional<long long> stamp = read_date_time(digits.substr(0, 12));
  if (!stamp) return false;
  // Days from a civil date (the proleptic Gregorian calendar).
  const int y0 = std::stoi(digits.substr(0, 4)), m = std::stoi(digits.substr(4, 2)),
            d = std::stoi(digits.substr(6, 2));
  const int y = m <= 2 ? y0 - 1 : y0;
  const int era = y / 400, yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long days = era * 146097LL + yoe * 365LL + yoe / 4 - yoe / 100 + doy;
  minutes = days * 1440 + std::stoi(digits.substr(8, 2)) * 60 + std::stoi(digits.substr(10, 2));
  return true;
}

std::string number_text(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

struct LineType {
  std::string_view name;
  std::string_view record_type;
  int columns;  // line-type columns read after LINE_TYPE (TOTAL first); PCT: the fixed ones
};

constexpr LineType kLineTypes[] = {
    {"FHO", "FHO", 4},          {"CTC", "FHO", 5},     {"SL1L2", "SL1L2", 6},
    {"SAL1L2", "SAL1L2", 6},    {"VL1L2", "VL1L2", 8}, {"VAL1L2", "VAL1L2", 8},
    {"PCT", kPctRecordType, 2},
};

}  // namespace

bool is_stat_header(std::string_view line) {
  std::array<std::string_view, 3> t;
  return split(line, t) == 3 && t[0] == "VERSION" && t[1] == "MODEL" && t[2] == "DESC";
}

bool read_stat_header(std::string_view line, StatColumns& c, std::string& error) {
  std::array<std::string_view, 64> t;
  const int n = split(line, t);
  struct Name {
    std::string_view name;
    int StatColumns::*column;
  };
  static constexpr Name kNames[] = {
      {"VERSION", &StatColumns::version},
      {"MODEL", &StatColumns::model},
      {"FCST_LEAD", &StatColumns::lead},
      {"FCST_VALID_BEG", &StatColumns::valid_beg},
      {"FCST_VALID_END", &StatColumns::valid_end},
      {"OBTYPE", &StatColumns::obtype},
      {"VX_MASK", &StatColumns::mask},
      {"FCST_VAR", &StatColumns::var},
      {"FCST_LEV", &StatColumns::lev},
      {"FCST_THRESH", &StatColumns::thresh},
      {"LINE_TYPE", &StatColumns::line_type},
  };
  StatColumns found;
  for (const Name& name : kNames) {
    for (int i = 0; i < n; ++i) {
      if (t[i] == name.name) {
        found.*name.column = i;
        break;
      }
    }
    if (found.*name.column < 0) {
      error = "the .stat header line has no column " + std::string(name.name);
      return false;
    }
  }
  for (const Name& name : kNames) {
    if (name.column != &StatColumns::line_type && found.*name.column > found.line_type) {
      error = "the .stat header line has " + std::string(name.name) + " after LINE_TYPE";
      return false;
    }
  }
  std::string_view header = line;
  while (!header.empty() && (header.back() == '\r' || is_blank(header.back())))
    header.remove_suffix(1);
  found.header = std::string(header);
  c = std::move(found);
  return true;
}

StatKind convert_stat_line(std::string_view line, const StatColumns& c, StatLine& s,
                           RecordTokens& t, std::string& error) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::array<std::string_view, 256> tok;
  const int n = split(line, tok);
  if (n == 0) return StatKind::kSkipped;
  if (tok[0] == "VERSION") {
    std::string_view header = line;
    while (!header.empty() && is_blank(header.back())) header.remove_suffix(1);
    if (header == c.header) return StatKind::kSkipped;
    error = "a header line that differs from the file's first one (split the file at it)";
    return StatKind::kBad;
  }
  if (n <= c.line_type) {
    error = "a .stat line has " + std::to_string(n) + " columns, LINE_TYPE is column " +
            std::to_string(c.line_type + 1);
    return StatKind::kBad;
  }
  s.line_type = std::string(tok[c.line_type]);
  const LineType* type = nullptr;
  for (const LineType& lt : kLineTypes) {
    if (lt.name == tok[c.line_type]) type = &lt;
  }
  if (type == nullptr) return StatKind::kOtherType;
  const int first = c.line_type + 1;  // TOTAL
  if (n < first + type->columns) {
    error = "a " + s.line_type + " line has " + std::to_string(n - first) +
            " columns after LINE_TYPE, " + std::to_string(type->columns) + " are needed";
    return StatKind::kBad;
  }
  s.na_values = 0;
  // A used column: a number, or NA for a missing value.
  auto value = [&](int column, double& v) -> bool {
    const std::string_view text = tok[column];
    if (text == "NA") {
      ++s.na_values;
      v = kMissingValue;
      return true;
    }
    const std::optional<double> x = read_number(text);
    if (!x) {
      error = "column " + std::to_string(column + 1) + " (" + s.line_type + ") \"" +
              std::string(text) + "\" is neither a number nor NA";
      return false;
    }
    v = *x;
    return true;
  };

  // The record fields.
  std::string vwindow = "-";
  std::string ymdh, hhmm, end_ymdh, end_hhmm;
  long long begin = 0, end = 0;
  if (!valid_time(tok[c.valid_beg], ymdh, hhmm, begin)) {
    error = "FCST_VALID_BEG \"" + std::string(tok[c.valid_beg]) + "\" is not YYYYMMDD_HHMMSS";
    return StatKind::kBad;
  }
  if (valid_time(tok[c.valid_end], end_ymdh, end_hhmm, end) && end > begin) {
    vwindow = number_text(static_cast<double>(end - begin) / 60.0);
  }
  std::string hours, rest;
  if (!lead_time(tok[c.lead], hours, rest)) {
    error = "FCST_LEAD \"" + std::string(tok[c.lead]) + "\" is not HHMMSS";
    return StatKind::kBad;
  }
  const std::string_view lev = tok[c.lev];
  std::size_t letters = 0;
  while (letters < lev.size() && ((lev[letters] >= 'A' && lev[letters] <= 'Z') ||
                                  (lev[letters] >= 'a' && lev[letters] <= 'z'))) {
    ++letters;
  }
  const bool split_level = letters > 0 && letters < lev.size() && read_number(lev.substr(letters));
  s.fields = {std::string(tok[c.version]),
              std::string(tok[c.model]),
              hours,
              rest,
              ymdh,
              vwindow,
              "-",
              std::string(tok[c.obtype]),
              std::string(tok[c.mask]),
              std::string(type->record_type),
              tok[c.thresh] == "NA" ? "-" : std::string(tok[c.thresh]),
              std::string(tok[c.var]),
              split_level ? std::string(lev.substr(0, letters)) : std::string(lev),
              split_level ? std::string(lev.substr(letters)) : "-",
              hhmm};
  for (int k = 0; k < kRecordFields; ++k) t.fields[k] = s.fields[k];

  // The count and the values.
  double total = 0;
  if (!value(first, total)) return StatKind::kBad;
  if (is_missing_value(total)) {
    error = "TOTAL is NA";
    return StatKind::kBad;
  }
  std::vector<double> v;
  auto share = [&](double x) {
    return is_missing_value(x) ? kMissingValue : total > 0 ? x / total : 0.0;
  };
  if (type->name == "CTC") {
    double hits = 0, false_alarms = 0, misses = 0, negatives = 0;
    if (!value(first + 1, hits) || !value(first + 2, false_alarms) || !value(first + 3, misses) ||
        !value(first + 4, negatives)) {
      return StatKind::kBad;
    }
    auto sum = [](double a, double b) {
      return is_missing_value(a) || is_missing_value(b) ? kMissingValue : a + b;
    };
    v = {share(sum(hits, false_alarms)), share(hits), share(sum(hits, misses))};
  } else if (type->name == "PCT") {
    double thresholds = 0;
    if (!value(first + 1, thresholds) || is_missing_value(thresholds) || thresholds < 3 ||
        thresholds != std::floor(thresholds) || thresholds > kMaxPctCategories + 1) {
      error = "N_THRESH of a PCT line must be a whole number from 3 to " +
              std::to_string(kMaxPctCategories + 1);
      return StatKind::kBad;
    }
    const int categories = static_cast<int>(thresholds) - 1;
    if (n < first + 2 + 3 * categories + 1) {
      error = "a PCT line of " + std::to_string(categories) + " categories needs " +
              std::to_string(3 + 3 * categories) + " columns after LINE_TYPE, it has " +
              std::to_string(n - first);
      return StatKind::kBad;
    }
    std::vector<double> forecasts(categories), events(categories);
    s.edges.assign(categories + 1, 0.0);
    for (int i = 0; i < categories; ++i) {
      const int at = first + 2 + 3 * i;
      double yes = 0, no = 0;
      if (!value(at, s.edges[i]) || !value(at + 1, yes) || !value(at + 2, no))
        return StatKind::kBad;
      forecasts[i] = is_missing_value(yes) || is_missing_value(no) ? kMissingValue : yes + no;
      events[i] = yes;
    }
    if (!value(first + 2 + 3 * categories, s.edges[categories])) return StatKind::kBad;
    for (int i = 1; i < categories; ++i) v.push_back(share(forecasts[i]));
    for (int i = 0; i < categories; ++i) v.push_back(share(events[i]));
  } else {
    for (int k = 1; k < type->columns; ++k) {
      double x = 0;
      if (!value(first + k, x)) return StatKind::kBad;
      v.push_back(x);
    }
  }
  t.numeric = true;
  t.count_number = total;
  t.value_count = static_cast<int>(v.size());
  for (int k = 0; k < t.value_count; ++k) t.numbers[k] = v[k];
  t.count = tok[first];
  for (int k = 0; k < t.value_count; ++k) {
    s.values[k] = is_missing_value(v[k]) ? "-" : number_text(v[k]);
    t.values[k] = s.values[k];
  }
  return StatKind::kRecord;
}

std::string pct_probability_file(const std::vector<double>& edges) {
  std::string text = "category probability (the middle of its edges), written by kor_select\n";
  char line[64];
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
    std::snprintf(line, sizeof line, "%zu %.6g\n", i + 1, 0.5 * (edges[i] + edges[i + 1]));
    text += line;
  }
  return text;
}

}  // namespace kor::select
