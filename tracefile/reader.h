// The trace file reader: turns a trace data file into the tables that the statistics engine and the
// plot driver work on.
//
// RDTD_INI scans the header section and counts the plots; RDTD_FND gathers one plot's traces and
// conditions and, on request, reads the traces' data records, checks time-series labels and merges
// the discrete x-axis labels; RDTD_GLB and RDTD_TLB turn the stored conditions into label lines;
// RDTD_SDV files pending dependent-variable groups; RDTD_OTN maps a plot-relative trace number back
// to the file's trace number.  Every routine returns a reader return code (texts in RDTD_MSG):
// 0 normal, positive a warning, negative an error; on an error the tables are left partly filled.
//
// Numbering follows the file: traces, fields, points, cells and positions count from 1 in every
// accessor and table index of this interface.
#ifndef KOR_TRACEFILE_READER_H_
#define KOR_TRACEFILE_READER_H_

#include <array>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tracefile/format.h"
#include "util/unit.h"

namespace kor::tracefile {

// One set of conditions: a dependent-variable group of one trace (a specific condition or a pending
// group) or a general condition set shared by all traces.
struct ConditionSet {
  int field_id = 0;
  int last_type = 0;                              // condition type of the last record
  int count = 0;                                  // number of values (records)
  std::array<std::string, kMaxDepValues> values;  // 24 characters each, blank padded
  std::string pair_value;                         // second value of a pair condition, or blank
};

// One cell of an independent-variable group.
struct Cell {
  int type = 0;
  std::string value1, value2;  // 24 characters each
};

struct TraceInfo {
  int file_trace = 0;             // field 1 of the group header
  int trace_value = 0;            // field 4 of the group header
  std::string stat_type;          // 24 characters
  std::string param_label;        // 24 characters
  std::string indvar_label;       // 24 characters
  int points = 0;                 // data records read
  int depth = 0;                  // data values per record
  std::size_t header_record = 0;  // line of the trace's data header in the file
  std::size_t first_record = 0;   // line of its first data record; the others follow it
  bool has_weight = false;        // the data records carried a weight
  bool all_missing = false;
  int specific_count = 0;
  std::array<ConditionSet, kMaxSpecific> specific;
  int pbs_count = 0;
  std::array<double, kMaxPbs> pbs{};
  int crps_count = 0;
  std::array<double, kMaxCrps> crps{};
};

// Where RDTD_INI or RDTD_FND found the error it returned, so that a message can name the file and
// the record.
struct ErrorPlace {
  bool known = false;    // false: no error, or a code from the probability files
  std::string file;      // the trace data file, as it was opened
  std::size_t line = 0;  // the record (line, from 1) of the error; 0 when it is no one record
  bool at_end = false;   // the file ended before a record that was needed; `line` is its last
  std::string why;       // what is wrong with the record, in words, when the reader can tell
};

struct ReaderState {
  ReaderState();

  // Puts every table back to its initial value (RDTD_INI does this first).
  void reset();

  // The plot read.
  int trace_count = 0;
  int plot_type = 0;
  char label_type = ' ';       // ' ' before data, 'r' real, 'c' character, 't' time labels
  std::string plot_stat_type;  // 24 characters, from an independent-variable group with ID 10

  std::array<TraceInfo, kMaxTraces> traces;

  // Plot-wide conditions.
  int general_count = 0;
  std::array<ConditionSet, kMaxGeneralSets> general;
  int ind_group_count = 0;  // independent-variable groups of trace 1
  int cell_count = 0;       // cells per independent-variable group (-1 before the first group)
  std::array<int, kMaxIndGroups> ind_group_field{};
  std::array<std::array<Cell, kMaxCells>, kMaxIndGroups> cells;
  int first_ind_field = 0;  // field ID of the plot's first independent-variable group

  // Merged x axis of plot types 3 and 4, in the order labels were added, and its display order:
  // position j (1..merged_count) of the axis shows entry merged_order[j-1] (1-based) of the list.
  bool no_common_axis = true;  // set while no common axis has been built
  int merged_count = 0;
  std::vector<double> merged_real;        // kMaxMerged
  std::vector<std::string> merged_label;  // kMaxMerged, 24 characters
  std::vector<int> merged_order;          // kMaxMerged

  // Reference date-time of a time-series plot: position 0 of the time axis.
  DateTime reference{};
  bool has_reference = false;

  // Per point tables.
  double& sum(int trace, int field, int point) { return sums[sum_index(trace, field, point)]; }
  double sum(int trace, int field, int point) const { return sums[sum_index(trace, field, point)]; }
  double& weight(int trace, int point) { return weights[pt_index(trace, point)]; }
  double& real_label(int trace, int point) { return real_labels[pt_index(trace, point)]; }
  long long& xpos(int trace, int point) { return xpositions[pt_index(trace, point)]; }
  double weight(int trace, int point) const { return weights[pt_index(trace, point)]; }
  double real_label(int trace, int point) const { return real_labels[pt_index(trace, point)]; }
  long long xpos(int trace, int point) const { return xpositions[pt_index(trace, point)]; }
  std::string_view label(int trace, int point) const {
    return std::string_view(char_labels.data() + pt_index(trace, point) * kLabelWidth, kLabelWidth);
  }
  void set_label(int trace, int point, std::string_view text);

  // sums[(trace-1) + kMaxTraces * ((field-1) + kMaxDepth * (point-1))]: the layout of the metric
  // library's sums view (leading dimension 24 traces, 28 fields, then points), so that a trace is
  // read as metrics::SumsView{sums.data(), kMaxTraces, kMaxDepth, points, trace-1}.
  std::vector<double> sums;
  std::vector<double> weights;
  std::vector<double> real_labels;
  std::vector<long long> xpositions;
  std::vector<char> char_labels;

  // Dependent-variable groups waiting to be filed by RDTD_SDV.
  struct Pending {
    int trace = 0;  // plot-relative
    ConditionSet set;
  };
  std::vector<Pending> pending;
  bool pending_identical = true;

  // What RDTD_FND wrote while it read the plot with its data (warnings, the probability lists
  // loaded): the statistics engine writes it again where the reading of the plot belongs to its
  // call (stats/engine.h).
  std::string read_messages;

  // The place of the last error of RDTD_INI or RDTD_FND; cleared when either starts.
  ErrorPlace error_place;
  // Set by a step that knows the record of the error it returns (0: none), when that is not the
  // record last read.
  std::optional<std::size_t> error_record;
  // Set with error_record by a step that can say in words what is wrong with the record.
  std::string error_why;

  static std::size_t sum_index(int trace, int field, int point) {
    return static_cast<std::size_t>(trace - 1) +
           kMaxTraces * ((field - 1) + static_cast<std::size_t>(kMaxDepth) * (point - 1));
  }
  static std::size_t pt_index(int trace, int point) {
    return static_cast<std::size_t>(trace - 1) * kMaxPoints + (point - 1);
  }
};

// Scans the header section of `unit` up to "EOCF" and counts the plots (the largest plot number).
// Resets `state` first and rewinds the unit before and after.  Returns 0, -1 (short group header),
// -2 (file ends inside a group) or -4 (no "EOCF"); the place of an error is kept in
// `state.error_place`.
[[nodiscard]] int RDTD_INI(ReaderState& state, util::TextUnit& unit, int& plot_count);

// The `read_data` argument of RDTD_FND: the header section only, or the traces' data too.
inline constexpr int kHeadersOnly = 0;
inline constexpr int kReadData = 1;

// Gathers plot `plot` from the header section (the unit must stand at the start of the file, as
// RDTD_INI leaves it) and, when `read_data` is nonzero (kReadData), reads its traces' data, checks
// time labels, merges the x axis and loads the probability lists.  A plot with no group returns 0
// with a trace count of 0.  Warnings and the lists loaded are written to `os` (and kept in
// state.read_messages when the data are read).  The place of an error found in the trace data
// file is kept in `state.error_place` (a code of the probability files has none).
[[nodiscard]] int RDTD_FND(ReaderState& state, util::TextUnit& unit, int plot, int read_data,
                           int& trace_count, int& plot_type, std::ostream& os);

// Files the pending dependent-variable groups: as one general condition set when there are several
// and all are identical, else as specific conditions of their traces.  Returns 0, -10 (a 17th
// general set), -12 (a 17th specific condition) or -34 (nothing pending).
[[nodiscard]] int RDTD_SDV(ReaderState& state);

// Label lines of RDTD_GLB and RDTD_TLB.  Texts are cut or blank-padded to `text_width`.
struct LabelLines {
  int count = 0;
  std::vector<std::string> text;
  std::vector<int> length;
  std::vector<std::string> name;  // five-character field names
  std::vector<int> field_id;
  std::string stat_type;    // 24 characters
  std::string param_label;  // 24 characters (RDTD_TLB only)
};

// General labels: the common statistic type and one line per general condition set, at most
// `max_lines`.  Returns 0, +1 (sets remain) or -33 (a set's field ID has no name).
[[nodiscard]] int RDTD_GLB(const ReaderState& state, int max_lines, int text_width,
                           LabelLines& out);

// Labels of plot-relative trace `trace` from its specific conditions.  Returns 0, +1, -33, -35 (no
// specific conditions) or -37 (trace number outside 1 to the trace count).
[[nodiscard]] int RDTD_TLB(const ReaderState& state, int trace, int max_lines, int text_width,
                           LabelLines& out);

// File trace number of plot-relative trace `plot_trace`; writes the mapping line to `os`.
// Returns 0; `file_trace` is -9999 for a trace number outside the plot.
int RDTD_OTN(const ReaderState& state, int graph_trace, int plot_trace, int& file_trace,
             std::ostream& os);

}  // namespace kor::tracefile

#endif  // KOR_TRACEFILE_READER_H_
