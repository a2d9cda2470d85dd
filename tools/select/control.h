// The control file of the selection: condition groups laid out as the header section of a trace
// data file (group header of seven integers, then its condition records), without "EOCF" and data.
// It says which plots the trace data file holds, their traces, and the conditions that choose each
// trace's records and points.  (kor_files reads the same file for its date and model lists.)
#ifndef KOR_TOOLS_SELECT_CONTROL_H_
#define KOR_TOOLS_SELECT_CONTROL_H_

#include <cstddef>
#include <string>
#include <vector>

#include "tools/select/conditions.h"

namespace kor::select {

// One condition group: the field it constrains and its condition records; a record is in the group
// when its field satisfies any of them.
struct FieldGroup {
  int field_id = 0;
  std::vector<Selector> selectors;
  std::size_t line = 0;  // line of the group header in the control file
};

struct TraceSelection {
  int file_trace = 0;                   // the trace number of the file
  std::size_t line = 0;                 // line of the trace's first group header
  std::vector<FieldGroup> dependent;    // a record of the trace satisfies every one
  std::vector<FieldGroup> independent;  // cell i: the i-th record of every group
  // Labels of the cells (plot types 3 and 4), from the first independent-variable group: numbers
  // when every cell's value is a number (after a comparison sign such as ">" or ">="), else texts.
  bool real_labels = false;
  std::vector<double> cell_numbers;
  std::vector<std::string> cell_texts;
};

struct PlotSelection {
  int number = 0;
  int type = 0;                        // 1 time series, 2 scatter, 3 skill score, 4 binned data
  std::vector<TraceSelection> traces;  // in plot-relative order
  int cells = 0;                       // cells of the independent-variable groups (0: none)
  // The record fields (IDs 1 to 15) in which the plot's traces differ: a case of the plot is what
  // is left of a record without them.
  std::vector<int> trace_fields;
};

struct Control {
  std::string path;
  std::string header;  // the header section to write: the control's records as they stand
  std::vector<PlotSelection> plots;  // in plot-number order
};

// Reads the control file at `path` and checks it as the trace data file's reader will check the
// header section written from it.  Returns false with a message naming the file and the line in
// `error` when it cannot be used: a record the reader refuses, a condition type or field ID that
// cannot select records, more cells or traces than a trace data file holds, a trace number in two
// plots, a skill-score plot whose cells are not numbers.
[[nodiscard]] bool read_control(const std::string& path, Control& out, std::string& error);

// The same from the control's text (the name is used in messages only).
[[nodiscard]] bool parse_control(const std::string& name, const std::string& text, Control& out,
                                 std::string& error);

}  // namespace kor::select

#endif  // KOR_TOOLS_SELECT_CONTROL_H_
