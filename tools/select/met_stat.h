// The .stat files of the Model Evaluation Tools as verification records.
//
// A .stat file starts with a header line "VERSION MODEL DESC ..." that names its common columns;
// every further line is one statistic: the common columns, LINE_TYPE, and the columns of its line
// type.  The common columns are found by their names, so files with and without the units columns
// read alike.  The line types of partial sums become records:
//   FHO    -> FHO     F_RATE, H_RATE, O_RATE
//   CTC    -> FHO     (FY_OY + FY_ON) / TOTAL, FY_OY / TOTAL, (FY_OY + FN_OY) / TOTAL
//   SL1L2  -> SL1L2   FBAR, OBAR, FOBAR, FFBAR, OOBAR      (SAL1L2 likewise)
//   VL1L2  -> VL1L2   UFBAR, VFBAR, UOBAR, VOBAR, UVFOBAR, UVFFBAR, UVOOBAR   (VAL1L2 likewise)
//   PCT    -> PBS_PCT the forecasts of categories 2 to K and the observed events of categories 1
//                     to K, as fractions of TOTAL (K = N_THRESH - 1 categories)
// and the record fields come from the common columns (docs/record-format.md has the table).  Other
// line types are skipped and counted; a value NA in a used column is a missing value.
#ifndef KOR_TOOLS_SELECT_MET_STAT_H_
#define KOR_TOOLS_SELECT_MET_STAT_H_

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tools/select/record.h"

namespace kor::select {

// The record type of PCT lines; the probability list of its traces is pbs_pct.prob.
inline constexpr std::string_view kPctRecordType = "PBS_PCT";
inline constexpr std::string_view kPctProbabilityFile = "pbs_pct.prob";
inline constexpr int kMaxPctCategories = 14;  // a PBS_ trace holds at most 14 categories

// True for the header line of a .stat file.
bool is_stat_header(std::string_view line);

// The positions (from 0) of the columns a .stat line is read by.
struct StatColumns {
  int version = -1, model = -1, lead = -1, valid_beg = -1, valid_end = -1, obtype = -1, mask = -1,
      var = -1, lev = -1, thresh = -1, line_type = -1;
  std::string header;  // the header line itself, to recognise it again further down the file
};

// Finds the columns by their names in the header line; false with `error` naming the first one
// that is missing.
bool read_stat_header(std::string_view line, StatColumns& columns, std::string& error);

// The texts and numbers of one converted line (the record's views point into it).
struct StatLine {
  std::array<std::string, kRecordFields> fields;
  std::array<std::string, kMaxValues> values;  // the data values as texts, for conditions
  std::string line_type;                       // LINE_TYPE as written
  int na_values = 0;                           // values written NA among the used columns
  std::vector<double> edges;                   // PCT: the category edges THRESH_1 .. THRESH_n
};

enum class StatKind { kRecord, kSkipped, kOtherType, kBad };

// Converts one line of a .stat file into the record `t` (its views point into `scratch`):
// kRecord; kSkipped for a blank line or the header line again; kOtherType for a line type that is
// not read (scratch.line_type names it); kBad with the reason in `error`.  The count and values
// are numbers already (t.numeric).
StatKind convert_stat_line(std::string_view line, const StatColumns& columns, StatLine& scratch,
                           RecordTokens& t, std::string& error);

// The text of pbs_pct.prob for category edges `edges`: a heading, then one line per category with
// its number and its probability, the middle of the category's edges.
std::string pct_probability_file(const std::vector<double>& edges);

}  // namespace kor::select

#endif  // KOR_TOOLS_SELECT_MET_STAT_H_
