// The selection: from archives of verification records to a trace data file (and trace.ucd).
//
// Every record of the inputs is matched against the traces of the control file.  A record belongs
// to a trace when it satisfies every dependent-variable group of the trace; it lands in the points
// of the independent-variable cells it lies in (cell i: the i-th condition record of each
// independent-variable group).  For time series and scatter plots every distinct verifying time
// of a trace's records in a cell is a point; for skill-score and binned-data plots every cell is
// one.  A point holds N, the sum of its records' counts, and for every data value the sum of count
// x value.  The inputs are read in parallel, in fixed pieces whose partial sums are added in input
// order, so the output does not depend on the number of threads.
#ifndef KOR_TOOLS_SELECT_SELECT_H_
#define KOR_TOOLS_SELECT_SELECT_H_

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/select/control.h"

namespace kor::select {

struct SelectOptions {
  std::string control;              // -c
  std::string output;               // -o: the trace data file
  std::string ucd;                  // -u: trace.ucd, or empty
  int jobs = 0;                     // -j: threads; 0 for every core
  bool equalise = false;            // -e: sum only the cases that every trace of a plot has
  std::vector<std::string> inputs;  // record files, or folders searched for them
};

// What a selection read, for the summary line.
struct SelectCounts {
  std::size_t files = 0;
  std::size_t bytes = 0;
  std::size_t records = 0;   // record lines read
  std::size_t selected = 0;  // records that at least one trace took
};

// Runs the selection; writes the output files (to temporary names, renamed when complete) and the
// summary and equalisation lines on `out`.  On failure writes one message naming the file and line
// to `err`, leaves no output file behind and returns false.
[[nodiscard]] bool run_selection(const SelectOptions& options, std::ostream& out, std::ostream& err,
                                 SelectCounts* counts = nullptr);

// The selection over records held in memory (one text), for the fuzz target and the tests: the
// trace data file's text in `trace_file` and, when `ucd` is not null, trace.ucd's bytes.  Returns
// false with the message in `error`.
[[nodiscard]] bool select_text(const Control& control, const std::string& name,
                               const std::string& records, bool equalise, std::string& trace_file,
                               std::string* ucd, std::string& error, std::ostream* out = nullptr);

}  // namespace kor::select

#endif  // KOR_TOOLS_SELECT_SELECT_H_
