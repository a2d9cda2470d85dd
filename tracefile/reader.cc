#include "tracefile/reader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>
#include <sstream>
#include <unordered_map>
#include <utility>

#include "tracefile/header.h"
#include "tracefile/messages.h"
#include "tracefile/probability.h"
#include "util/fixed_read.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/text.h"

namespace kor::tracefile {
namespace {

using util::pad;
using util::rtrim;

const std::string kBlankLabel(kLabelWidth, ' ');

// The line of the data record of point `p` of plot-relative trace `t`.
std::size_t point_record(const ReaderState& s, int t, int p) {
  return s.traces[t - 1].first_record + static_cast<std::size_t>(p - 1);
}

// Returns `rc` after noting where it was found: the record a step named, or else the record last
// read (or the end of the file, when the last read met it).
int fail_at(ReaderState& s, const util::TextUnit& unit, int rc) {
  ErrorPlace& place = s.error_place;
  place.known = true;
  place.file = unit.path();
  place.line = s.error_record.value_or(unit.record_number());
  place.at_end = !s.error_record && unit.at_end();
  place.why = std::move(s.error_why);
  s.error_record.reset();
  s.error_why.clear();
  return rc;
}

// Why `record` is no group header, in words: a data header met before any "EOCF" record is named
// as what it is.
std::string no_group_header(std::string_view record) {
  std::array<std::string, 6> tok;
  int count = 0;
  (void)util::ST_SPLS(record, ' ', "", kHeaderTokenWidth, tok, count);
  int number = 0;
  const bool data_header = count >= 5 && util::ST_TINT(tok[0], number) == 0 &&
                           util::ST_TINT(tok[1], number) == 0 &&
                           util::ST_TINT(tok[2], number) == 0 && !tok[3].empty() &&
                           (tok[3][0] == 'r' || tok[3][0] == 'c');
  if (data_header) {
    return "This record looks like the data header of trace " + std::string(rtrim(tok[0])) +
           ": the EOCF record that ends the header section is missing before it.";
  }
  return "A group header holds seven integers: trace number, field ID, group kind, trace value, "
         "record count, plot number, plot type.";
}

// Reads the next group header of the header section: 0 with `h` filled, 1 at the "EOCF" record,
// -4 when the file ends first, -1 for a short header (explained in `s.error_why`).
int next_group_header(ReaderState& s, util::TextUnit& unit, GroupHeader& h) {
  std::string record;
  if (!unit.read(record, kGroupRecordWidth)) return -4;
  if (is_eocf(record)) return 1;
  const int rc = parse_group_header(record, h);
  if (rc != 0) {
    std::array<int, 7> f{};
    int count = 0;
    const int words = util::ST_SPLI(record, ' ', -99, f, count);
    s.error_why = count >= 7 && words == 0
                      ? "The record count of this group header (its fifth integer) is negative."
                      : no_group_header(record);
  }
  return rc;
}

// Reads and discards the `n` condition records of a group; the end of the file or an "EOCF" record
// before the last one gives -2.
int skip_conditions(util::TextUnit& unit, int n) {
  std::string record;
  for (int i = 0; i < n; ++i) {
    if (!unit.read(record, kGroupRecordWidth) || is_eocf(record)) return -2;
  }
  return 0;
}

// Reads one condition record: 0, -2 (end of file or "EOCF"), -3 (fewer than five tokens) or -8
// (condition type not a non-negative integer).
int read_condition(util::TextUnit& unit, Condition& c) {
  std::string record;
  if (!unit.read(record, kGroupRecordWidth) || is_eocf(record)) return -2;
  return parse_condition(record, c);
}

// The independent-variable label of a trace from a condition record: "ALL" for type 0, otherwise
// tokens 2 to 5 that are not "0", joined.
std::string indvar_label(const Condition& c) {
  if (c.type == 0) return pad("ALL", kLabelWidth);
  std::string label;
  for (int i = 1; i < 5; ++i) {
    if (rtrim(c.tokens[i]) != "0") label += rtrim(c.tokens[i]);
  }
  return pad(label, kLabelWidth);
}

bool same_set(const ConditionSet& a, const ConditionSet& b) {
  if (a.field_id != b.field_id || a.last_type != b.last_type || a.count != b.count) return false;
  for (int i = 0; i < a.count; ++i) {
    if (a.values[i] != b.values[i]) return false;
  }
  return a.pair_value == b.pair_value;
}

// The text of one condition set as a label line: value 1, "-" and the pair value when there is
// one, or all values joined by "+".
std::string condition_text(const ConditionSet& set) {
  std::string text(rtrim(set.values[0]));
  if (set.count > 1) {
    for (int i = 1; i < set.count; ++i) {
      text += '+';
      text += rtrim(set.values[i]);
    }
  } else if (util::ST_TLEN(set.pair_value) > 0) {
    text += '-';
    text += rtrim(set.pair_value);
  }
  return text;
}

// Adds one label line for `set`; -33 when its field ID has no name.
int add_line(const ConditionSet& set, int text_width, LabelLines& out) {
  const auto name = field_name(set.field_id);
  if (!name) return -33;
  const std::string text = condition_text(set);
  out.text.push_back(pad(text, text_width));
  out.length.push_back(std::min<int>(util::ST_TLEN(text), text_width));
  out.name.push_back(pad(*name, 5));
  out.field_id.push_back(set.field_id);
  ++out.count;
  return 0;
}

void clear_lines(LabelLines& out) { out = LabelLines{}; }

// --- data section --------------------------------------------------------------------------

struct DataHeader {
  int trace = -99, depth = -99, points = -99;
  std::string label_kind;  // token 4, not padded
  bool packed = false;
  bool weighted = false;
};

int parse_data_header(const std::string& record, DataHeader& h) {
  std::array<std::string, 6> tok;
  int count = 0;
  (void)util::ST_SPLS(record, ' ', "", kHeaderTokenWidth, tok, count);
  if (count < 5) return -14;
  int* ints[3] = {&h.trace, &h.depth, &h.points};
  for (int i = 0; i < 3; ++i) {
    if (util::ST_TINT(tok[i], *ints[i]) != 0) *ints[i] = -99;
  }
  h.label_kind = tok[3];
  h.packed = !tok[4].empty() && (tok[4][0] == 'T' || tok[4][0] == 't');
  h.weighted = count >= 6;
  return 0;
}

// Reads the data records of plot-relative trace `t`.  Returns 0 or -17.
int read_trace_records(ReaderState& s, util::TextUnit& unit, int t, const DataHeader& h) {
  const int nvals = h.depth + (h.weighted ? 1 : 0);
  const int width = h.packed ? kPackedValueWidth : kPlainValueWidth;
  const std::size_t full = kLabelWidth + static_cast<std::size_t>(nvals) * width;
  const std::size_t needed = full - width + 1;  // the last value field must at least begin
  const bool real_labels = !h.label_kind.empty() && h.label_kind[0] == 'r';
  TraceInfo& info = s.traces[t - 1];
  bool all_missing = true;
  std::string record;
  // The texts of the messages are made only when a record fails: they would cost a few strings
  // per value of every record otherwise.
  const auto layout = [&] {
    return std::to_string(nvals) +
           (h.packed ? " packed values of 8 columns" : " values of 20 columns (D20.12)");
  };
  for (int p = 1; p <= h.points; ++p) {
    const auto point = [&] {
      return "point " + std::to_string(p) + " of trace " + std::to_string(info.file_trace);
    };
    if (!unit.read(record)) {
      s.error_why = "The file ends before " + point() + " (the data header announced " +
                    std::to_string(h.points) + " points).";
      return -17;
    }
    if (record.size() < needed) {
      s.error_why = "The data record of " + point() + " has " + std::to_string(record.size()) +
                    " characters; its 24-column label and " + layout() + " need " +
                    std::to_string(full) +
                    ": the values stand in fixed columns, not separated by "
                    "blanks.";
      return -17;
    }
    record.resize(full, ' ');
    const std::string_view rec(record);
    for (int k = 0; k < nvals; ++k) {
      const std::size_t at = kLabelWidth + static_cast<std::size_t>(k) * width;
      const std::string_view field = rec.substr(at, width);
      const auto columns = [&] {
        return "Columns " + std::to_string(at + 1) + "-" + std::to_string(at + width) +
               " of the data record of " + point();
      };
      double v = 0.0;
      if (h.packed) {
        const auto unpacked = unpack_value(field.substr(1));
        if (!unpacked) {
          s.error_why = columns() + " hold no packed value (a blank and seven characters).";
          return -17;
        }
        v = *unpacked;
      } else if (!util::read_real_field(field, 12, v)) {
        const std::string_view value = util::rtrim(field.substr(
            field.find_first_not_of(' ') == std::string_view::npos ? field.size()
                                                                   : field.find_first_not_of(' ')));
        s.error_why = columns() + " hold \"" + std::string(field) +
                      "\", which is no value of 20 columns (D20.12, e.g. 0.699010871245D+03)" +
                      (value.find(' ') != std::string_view::npos
                           ? ": the values stand in fixed columns, not separated by blanks or tabs."
                           : ".");
        return -17;
      }
      if (k < h.depth) {
        s.sum(t, k + 1, p) = v;
      } else {
        s.weight(t, p) = v;
      }
    }
    if (!is_table_missing(s.sum(t, 1, p))) all_missing = false;
    const std::string_view label = rec.substr(0, kLabelWidth);
    if (real_labels) {
      double x = 0.0;
      if (!util::read_real_field(label, 7, x)) {
        s.error_why =
            "Columns 1-24 of the data record of " + point() + " hold no real label (E24.7).";
        return -17;
      }
      s.real_label(t, p) = x;
    } else {
      s.set_label(t, p, label);
    }
  }
  info.points = h.points;
  info.depth = h.depth;
  info.has_weight = h.weighted;
  info.all_missing = all_missing;
  return 0;
}

// Places the points of plot-relative trace `t` on the time axis: minutes from the reference
// date-time.  The earliest trace start is the reference; an earlier start moves the traces before
// it.  Returns 0, -18, -19, -20, -21 or -54.
int place_time_labels(ReaderState& s, int t, const DataHeader& h, std::ostream& os) {
  TraceInfo& info = s.traces[t - 1];
  if (rtrim(h.label_kind) != "c") {
    s.error_record = info.header_record;
    return -18;
  }
  if (info.points < 1) return 0;
  const auto start = read_label_time(s.label(t, 1));
  if (!start) {
    util::list_write(os, {" Warning -- nonstandard time series trace point labels."});
    return 0;
  }
  if (!s.has_reference) {
    s.reference = *start;
    s.has_reference = true;
  } else {
    const auto diff = minutes_between(*start, s.reference);
    if (!diff) {
      s.error_record = point_record(s, t, 1);
      return -19;
    }
    if (*diff < 0) {
      s.reference = *start;
      for (int e = 1; e < t; ++e) {
        for (int p = 1; p <= s.traces[e - 1].points; ++p) s.xpos(e, p) -= *diff;
      }
    }
  }
  for (int p = 1; p <= info.points; ++p) {
    const auto when = read_label_time(s.label(t, p));
    std::optional<long long> minutes;
    if (when) minutes = minutes_between(*when, s.reference);
    const int rc = !minutes ? -21 : *minutes < 0 ? -20 : 0;
    if (rc != 0) {
      s.error_record = point_record(s, t, p);
      return rc;
    }
    if (p > 1 && *minutes <= s.xpos(t, p - 1)) {
      util::list_write(os, {"AFTER ", rtrim(s.label(t, p - 1))});
      s.error_record = point_record(s, t, p);
      return -54;
    }
    s.xpos(t, p) = *minutes;
  }
  return 0;
}

// Real labels match when they differ by at most this much; text labels when all 24 characters
// are equal.
constexpr double kLabelTolerance = 0.001;

// An index over the merged-list entries, so that finding the entries that match a point's label
// costs a search instead of a pass over the list: real labels in value order, text labels by text.
// Candidates are tested with the same comparison as a pass over the list, so the answers agree.
class LabelIndex {
 public:
  LabelIndex(const ReaderState& s, char type) : s_(s), real_(type == 'r') {}

  // Entry `entry` (1-based) was appended to the merged list.
  void add(int entry) {
    if (real_) {
      const std::pair<double, int> key{s_.merged_real[entry - 1], entry};
      by_value_.insert(std::upper_bound(by_value_.begin(), by_value_.end(), key), key);
    } else {
      by_text_[s_.merged_label[entry - 1]].push_back(entry);
    }
  }

  // Calls `f(entry)` for every entry matching point `p` of trace `t`.
  template <class F>
  void for_each_match(int t, int p, F f) const {
    if (real_) {
      const double x = s_.real_label(t, p);
      // A slightly wider window than the tolerance; the exact test decides.
      const double margin = 2.0 * kLabelTolerance;
      auto it = std::lower_bound(by_value_.begin(), by_value_.end(),
                                 std::pair<double, int>{x - margin, 0});
      for (; it != by_value_.end() && it->first <= x + margin; ++it) {
        if (std::fabs(it->first - x) <= kLabelTolerance) f(it->second);
      }
    } else {
      const auto found = by_text_.find(std::string(s_.label(t, p)));
      if (found == by_text_.end()) return;
      for (int entry : found->second) f(entry);
    }
  }

  // The first entry of the list (smallest number) matching point `p` of trace `t`, or 0.
  int first_match(int t, int p) const {
    int first = 0;
    for_each_match(t, p, [&](int entry) {
      if (first == 0 || entry < first) first = entry;
    });
    return first;
  }

 private:
  const ReaderState& s_;
  bool real_;
  std::vector<std::pair<double, int>> by_value_;
  std::unordered_map<std::string, std::vector<int>> by_text_;
};

int add_merged(ReaderState& s, LabelIndex& index, int t, int p) {
  if (s.merged_count >= kMaxMerged) {
    s.error_record = point_record(s, t, p);
    return -25;
  }
  s.merged_real[s.merged_count] = s.real_label(t, p);
  s.merged_label[s.merged_count] = std::string(s.label(t, p));
  ++s.merged_count;
  index.add(s.merged_count);
  return 0;
}

// Merges the x-axis labels of plot types 3 and 4 into one list, decides the display order and
// gives every point its position on the merged axis.  Returns 0, -25, -26, -27 or -39.
int merge_labels(ReaderState& s) {
  const char type = s.label_type;
  s.merged_count = 0;
  LabelIndex index(s, type);
  int base = 0;
  bool added = false;
  if (s.trace_count == 1) {
    base = 1;
    for (int p = 1; p <= s.traces[0].points; ++p) {
      if (int rc = add_merged(s, index, 1, p)) return rc;
    }
  } else {
    for (int t = 1; t <= s.trace_count && base == 0; ++t) {
      if (!s.traces[t - 1].all_missing) base = t;
    }
    if (base > 0) {
      for (int p = 1; p <= s.traces[base - 1].points; ++p) {
        if (int rc = add_merged(s, index, base, p)) return rc;
      }
      for (int t = 1; t <= s.trace_count; ++t) {
        if (t == base || s.traces[t - 1].all_missing) continue;
        for (int p = 1; p <= s.traces[t - 1].points; ++p) {
          if (index.first_match(t, p) != 0) continue;
          if (int rc = add_merged(s, index, t, p)) return rc;
          added = true;
        }
      }
    }
  }
  int master = 0;
  if (!added) {
    master = base;
  } else {
    for (int t = 2; t <= s.trace_count && master == 0; ++t) {
      if (!s.traces[t - 1].all_missing && s.traces[t - 1].points == s.merged_count) master = t;
    }
  }
  s.merged_order.assign(kMaxMerged, 0);
  if (master != 0 && master != s.trace_count) {
    for (int p = 1; p <= s.traces[master - 1].points; ++p) {
      const int at = index.first_match(master, p);
      if (at == 0) {
        s.error_record = point_record(s, master, p);
        return -39;
      }
      s.merged_order[p - 1] = at;
    }
  } else {
    if (type != 'r' && type != 'c') {
      s.error_record = 0;  // a property of the plot, not of one record
      return -27;
    }
    std::vector<int> order(s.merged_count);
    for (int i = 0; i < s.merged_count; ++i) order[i] = i + 1;
    // A stable sort keeps equal labels in list order, as exchanging neighbours does.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      if (type == 'r') return s.merged_real[a - 1] < s.merged_real[b - 1];
      return s.merged_label[a - 1] < s.merged_label[b - 1];
    });
    std::copy(order.begin(), order.end(), s.merged_order.begin());
  }
  // Display position of every entry, then each point takes the first position whose entry
  // matches its label.
  std::vector<int> position_of(s.merged_count + 1, 0);
  for (int j = 1; j <= s.merged_count; ++j) {
    const int entry = s.merged_order[j - 1];
    if (entry >= 1 && entry <= s.merged_count && position_of[entry] == 0) position_of[entry] = j;
  }
  for (int t = 1; t <= s.trace_count; ++t) {
    if (s.traces[t - 1].all_missing) continue;
    for (int p = 1; p <= s.traces[t - 1].points; ++p) {
      int position = 0;
      index.for_each_match(t, p, [&](int entry) {
        const int j = position_of[entry];
        if (j != 0 && (position == 0 || j < position)) position = j;
      });
      if (position == 0) {
        s.error_record = point_record(s, t, p);
        return -26;
      }
      s.xpos(t, p) = position;
    }
  }
  s.no_common_axis = false;
  return 0;
}

// A real label as the text of a skill-score axis: "(F10.2)", or "(F8.0)" for FSS plots; blank for
// a missing label.  Returns false when the value does not fit the field.
bool real_label_text(double x, bool fss, std::string& text) {
  if (is_table_missing(x)) {
    text = kBlankLabel;
    return true;
  }
  const std::string formatted = util::format(fss ? "(F8.0)" : "(F10.2)", {x});
  if (formatted.find('*') != std::string::npos) return false;
  text = pad(formatted, kLabelWidth);
  return true;
}

// Plot type 3 shows its real labels as text.  Returns 0, -23 or -24.
int convert_labels(ReaderState& s) {
  if (s.label_type == 'c') {
    // The label type in force is the one of the last trace's data header.
    s.error_record = s.traces[std::max(s.trace_count, 1) - 1].header_record;
    return -23;
  }
  const bool fss = s.traces[0].stat_type.find("FSS") != std::string::npos;
  std::string text;
  for (int t = 1; t <= s.trace_count; ++t) {
    for (int p = 1; p <= s.traces[t - 1].points; ++p) {
      if (!real_label_text(s.real_label(t, p), fss, text)) {
        s.error_record = point_record(s, t, p);
        return -24;
      }
      s.set_label(t, p, text);
    }
  }
  for (int i = 0; i < s.merged_count; ++i) {
    if (!real_label_text(s.merged_real[i], fss, text)) {
      s.error_record = 0;  // an entry of the merged axis, which every trace shares
      return -24;
    }
    s.merged_label[i] = text;
  }
  s.label_type = 'c';
  return 0;
}

int read_data_section(ReaderState& s, util::TextUnit& unit, std::ostream& os) {
  char data_label_type = ' ';
  std::string record;
  for (int wanted = 1; wanted <= s.trace_count;) {
    if (!unit.read(record, kDataHeaderWidth)) return -28;
    DataHeader h;
    if (int rc = parse_data_header(record, h)) return rc;
    if (h.points < 0) return -15;
    if (h.trace != s.traces[wanted - 1].file_trace) {
      for (int p = 0; p < h.points; ++p) {
        if (!unit.read(record)) return -16;
      }
      continue;
    }
    if (h.depth < 1 || h.depth > kMaxDepth || h.points > kMaxPoints) return -15;
    s.traces[wanted - 1].header_record = unit.record_number();
    s.traces[wanted - 1].first_record = unit.record_number() + 1;
    if (int rc = read_trace_records(s, unit, wanted, h)) return rc;
    const char kind = !h.label_kind.empty() && h.label_kind[0] == 'r' ? 'r' : 'c';
    if (wanted > 1 && kind != data_label_type) RDTD_MSG(6, "", os);
    data_label_type = kind;
    s.label_type = kind;
    if (is_time_plot(s.plot_type)) {
      if (int rc = place_time_labels(s, wanted, h, os)) return rc;
      s.label_type = 't';
    }
    ++wanted;
  }
  if (s.plot_type == kSkillScorePlot || s.plot_type == kBinnedDataPlot) {
    if (s.trace_count > 0) {
      if (int rc = merge_labels(s)) return rc;
    }
    if (s.plot_type == kSkillScorePlot) {
      if (int rc = convert_labels(s)) return rc;
    }
  }
  return 0;
}

}  // namespace

// --- state ---------------------------------------------------------------------------------

ReaderState::ReaderState() { reset(); }

void ReaderState::reset() {
  read_messages.clear();
  trace_count = 0;
  plot_type = 0;
  label_type = ' ';
  plot_stat_type = kBlankLabel;
  for (TraceInfo& t : traces) {
    t = TraceInfo{};
    t.stat_type = t.param_label = t.indvar_label = kBlankLabel;
  }
  general_count = 0;
  for (ConditionSet& g : general) g = ConditionSet{};
  ind_group_count = 0;
  cell_count = -1;
  ind_group_field.fill(0);
  for (auto& group : cells) group.fill(Cell{});
  first_ind_field = 0;
  no_common_axis = true;
  merged_count = 0;
  merged_real.assign(kMaxMerged, kMissingFill);
  merged_label.assign(kMaxMerged, kBlankLabel);
  merged_order.assign(kMaxMerged, 0);
  reference = DateTime{};
  has_reference = false;
  const std::size_t per_point = static_cast<std::size_t>(kMaxTraces) * kMaxPoints;
  sums.assign(per_point * kMaxDepth, kMissingFill);
  weights.assign(per_point, -1.0);
  real_labels.assign(per_point, kMissingFill);
  xpositions.resize(per_point);
  for (std::size_t i = 0; i < per_point; ++i)
    xpositions[i] = static_cast<long long>(i % kMaxPoints) + 1;
  char_labels.assign(per_point * kLabelWidth, ' ');
  pending.clear();
  pending_identical = true;
  error_place = ErrorPlace{};
  error_record.reset();
}

void ReaderState::set_label(int trace, int point, std::string_view text) {
  char* out = char_labels.data() + pt_index(trace, point) * kLabelWidth;
  for (int i = 0; i < kLabelWidth; ++i) {
    out[i] = i < static_cast<int>(text.size()) ? text[i] : ' ';
  }
}

// --- routines ------------------------------------------------------------------------------

int RDTD_INI(ReaderState& state, util::TextUnit& unit, int& plot_count) {
  unit.rewind();
  state.reset();
  plot_count = 0;
  GroupHeader h;
  while (true) {
    const int rc = next_group_header(state, unit, h);
    if (rc == 1) break;
    if (rc != 0) return fail_at(state, unit, rc);
    plot_count = std::max(plot_count, h.plot);
    if (int rc = skip_conditions(unit, h.n)) return fail_at(state, unit, rc);
  }
  unit.rewind();
  return 0;
}

int RDTD_SDV(ReaderState& s) {
  if (s.pending.empty()) return -34;
  if (s.pending.size() > 1 && s.pending_identical) {
    if (s.general_count >= kMaxGeneralSets) return -10;
    s.general[s.general_count++] = s.pending.front().set;
  } else {
    for (const auto& p : s.pending) {
      TraceInfo& info = s.traces[p.trace - 1];
      if (info.specific_count >= kMaxSpecific) return -12;
      info.specific[info.specific_count++] = p.set;
    }
  }
  s.pending.clear();
  s.pending_identical = true;
  return 0;
}

namespace {

// RDTD_FND up to the probability lists: the plot's groups and, with `read_data`, its data.
// An independent-variable group of plot-relative trace `t`: the cells of the plot's x axis
// (kept from trace 1) and the trace's independent-variable label.  Returns 0 or the reader's code.
int read_ind_group(ReaderState& s, util::TextUnit& unit, const GroupHeader& h, int t,
                   bool& have_ind_group) {
  Condition c;
  if (h.n > kMaxCells) return -1;
  if (s.cell_count < 0) {
    s.cell_count = h.n;
  } else if (h.n != s.cell_count) {
    return -7;
  }
  if (t == 1) {
    if (s.ind_group_count >= kMaxIndGroups) return -1;
    ++s.ind_group_count;
  }
  const int g = s.ind_group_count;  // 1-based group of trace 1
  for (int i = 0; i < h.n; ++i) {
    if (int rc = read_condition(unit, c)) return rc;
    if (t == 1) {
      Cell& cell = s.cells[g - 1][i];
      cell.type = c.type;
      if (c.type == 0) {
        cell.value1 = pad("ALL", kLabelWidth);
        cell.value2 = kBlankLabel;
      } else {
        cell.value1 = pad(condition_value(c), kLabelWidth);
        cell.value2 = pad(pair_value(c), kLabelWidth);
      }
      if (i == 0 && h.field_id == 10 && util::ST_TLEN(s.plot_stat_type) == 0) {
        s.plot_stat_type = cell.value1;
      }
    }
    if (i == 0 && s.ind_group_count == 1) s.traces[t - 1].indvar_label = indvar_label(c);
  }
  if (t == 1) s.ind_group_field[g - 1] = h.field_id;
  if (!have_ind_group) {
    s.first_ind_field = h.field_id;
    have_ind_group = true;
  }
  return 0;
}

// A dependent-variable group of plot-relative trace `t`: the values the trace's records were
// selected with, kept waiting for RDTD_SDV.  A trace has at most one group waiting; a second one
// files the waiting groups first, as trace 1 does.  Returns 0 or the reader's code.
int read_dep_group(ReaderState& s, util::TextUnit& unit, const GroupHeader& h, int t) {
  Condition c;
  bool waiting = false;
  for (const auto& p : s.pending) waiting = waiting || p.trace == t;
  if (!s.pending.empty() && (t == 1 || waiting)) {
    if (int rc = RDTD_SDV(s)) return rc;
  }
  if (h.n > kMaxDepValues) return -13;
  ReaderState::Pending group;
  group.trace = t;
  ConditionSet& set = group.set;
  set.field_id = h.field_id;
  set.pair_value = kBlankLabel;
  for (auto& v : set.values) v = kBlankLabel;
  TraceInfo& info = s.traces[t - 1];
  for (int i = 0; i < h.n; ++i) {
    if (int rc = read_condition(unit, c)) return rc;
    if (h.field_id == 10 && util::ST_TLEN(info.stat_type) == 0) {
      info.stat_type = pad(c.tokens[3], kLabelWidth);
    }
    if (h.field_id == 12 && util::ST_TLEN(info.param_label) == 0) {
      info.param_label = pad(c.tokens[3], kLabelWidth);
    }
    set.values[i] = pad(condition_value(c), kLabelWidth);
    if (is_pair_type(c.type)) {
      if (h.n > 1) return -9;
      set.pair_value = pad(pair_value(c), kLabelWidth);
    }
    set.last_type = c.type;
  }
  set.count = h.n;
  if (!s.pending.empty()) {
    s.pending_identical = s.pending_identical && same_set(s.pending.back().set, set);
  }
  s.pending.push_back(std::move(group));
  return 0;
}

// Trace t of the plot for the group header `h`: the known trace of its file trace number, or a
// new one.  Returns 0 or -5 (a 25th trace).
int trace_of_group(ReaderState& s, const GroupHeader& h, int& t) {
  t = 0;
  for (int i = 1; i <= s.trace_count && t == 0; ++i) {
    if (s.traces[i - 1].file_trace == h.trace) t = i;
  }
  if (t != 0) return 0;
  if (s.trace_count >= kMaxTraces) return -5;
  t = ++s.trace_count;
  s.traces[t - 1].file_trace = h.trace;
  s.traces[t - 1].trace_value = h.value;
  return 0;
}

// Once the groups are read: the waiting groups filed, and a trace without specific conditions
// labelled by its independent-variable label.  Returns 0 or RDTD_SDV's code.
int finish_groups(ReaderState& s, bool have_ind_group) {
  if (!s.pending.empty()) {
    if (int rc = RDTD_SDV(s)) return rc;
  }
  if (have_ind_group) {
    for (int t = 1; t <= s.trace_count; ++t) {
      TraceInfo& info = s.traces[t - 1];
      if (info.specific_count > 0) continue;
      ConditionSet& set = info.specific[info.specific_count++];
      set = ConditionSet{};
      set.field_id = s.first_ind_field;
      set.count = 1;
      for (auto& v : set.values) v = kBlankLabel;
      set.values[0] = info.indvar_label;
      set.pair_value = kBlankLabel;
    }
  }
  return 0;
}

int find_plot(ReaderState& s, util::TextUnit& unit, int plot, int read_data, int& trace_count,
              int& plot_type, std::ostream& os) {
  trace_count = 0;
  plot_type = 0;
  bool have_plot_type = false;
  bool have_ind_group = false;
  GroupHeader h;
  while (true) {
    const int rc = next_group_header(s, unit, h);
    if (rc == 1) break;
    if (rc != 0) return rc;
    if (h.plot != plot) {
      if (int rc = skip_conditions(unit, h.n)) return rc;
      continue;
    }
    int t = 0;
    if (int rc = trace_of_group(s, h, t)) return rc;
    if (!have_plot_type) {
      // The plot type is kept as the file gives it: the plot lister reports types outside 1 to 4.
      s.plot_type = h.type;
      have_plot_type = true;
    } else if (h.type != s.plot_type) {
      return -6;
    }
    const int group =
        h.kind == 1 ? read_ind_group(s, unit, h, t, have_ind_group) : read_dep_group(s, unit, h, t);
    if (group != 0) return group;
  }
  if (int rc = finish_groups(s, have_ind_group)) return rc;
  trace_count = s.trace_count;
  plot_type = s.plot_type;
  return read_data != 0 ? read_data_section(s, unit, os) : 0;
}

}  // namespace

int RDTD_FND(ReaderState& s, util::TextUnit& unit, int plot, int read_data, int& trace_count,
             int& plot_type, std::ostream& os) {
  s.error_place = ErrorPlace{};
  s.error_record.reset();
  std::ostringstream text;  // what the reading writes, kept for the statistics engine
  int rc = find_plot(s, unit, plot, read_data, trace_count, plot_type, text);
  if (rc != 0) {
    rc = fail_at(s, unit, rc);
  } else if (read_data != 0) {
    // Probability lists: every trace is loaded even when an earlier one failed, and the code of the
    // last load is the result.
    for (int t = 1; t <= s.trace_count; ++t) rc = load_trace_probabilities(s, t, text);
  }
  s.read_messages = read_data != 0 ? text.str() : std::string();
  os << text.str();
  return rc;
}

int RDTD_GLB(const ReaderState& s, int max_lines, int text_width, LabelLines& out) {
  clear_lines(out);
  // Trace 1's type when all traces share it; no type when they differ; else the plot's type or
  // "NONE".
  bool differ = false;
  for (int t = 2; t <= s.trace_count; ++t) {
    differ = differ || s.traces[t - 1].stat_type != s.traces[0].stat_type;
  }
  std::string_view common = rtrim(s.traces[0].stat_type);
  if (differ) {
    common = {};
  } else if (common.empty()) {
    common = util::ST_TLEN(s.plot_stat_type) > 0 ? rtrim(s.plot_stat_type) : "NONE";
  }
  out.stat_type = pad(common, kLabelWidth);
  for (int i = 0; i < s.general_count; ++i) {
    if (out.count >= max_lines) return 1;
    if (int rc = add_line(s.general[i], text_width, out)) return rc;
  }
  return 0;
}

int RDTD_TLB(const ReaderState& s, int trace, int max_lines, int text_width, LabelLines& out) {
  clear_lines(out);
  if (trace < 1 || trace > s.trace_count) return -37;
  const TraceInfo& info = s.traces[trace - 1];
  if (info.specific_count == 0) return -35;
  bool shared = true;
  for (int t = 2; t <= s.trace_count; ++t) {
    shared = shared && s.traces[t - 1].stat_type == s.traces[0].stat_type;
  }
  out.stat_type = shared ? kBlankLabel : info.stat_type;
  out.param_label = info.param_label;
  for (int i = 0; i < info.specific_count; ++i) {
    if (out.count >= max_lines) return 1;
    if (int rc = add_line(info.specific[i], text_width, out)) return rc;
  }
  return 0;
}

int RDTD_OTN(const ReaderState& s, int graph_trace, int plot_trace, int& file_trace,
             std::ostream& os) {
  file_trace = plot_trace >= 1 && plot_trace <= s.trace_count ? s.traces[plot_trace - 1].file_trace
                                                              : util::kMissingInt;
  util::list_write(os, {" Graph rel trc # = ", graph_trace, " Plot rel trc # = ", plot_trace,
                        " Orig trc # = ", file_trace});
  return 0;
}

}  // namespace kor::tracefile
