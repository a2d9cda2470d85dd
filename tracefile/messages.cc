#include "tracefile/messages.h"

#include <ostream>
#include <string>

#include "tracefile/reader.h"
#include "util/listout.h"
#include "util/text.h"

namespace kor::tracefile {
namespace {

struct Row {
  int code;
  const char* first;
  const char* second;  // written right after the first piece on the same line, or nullptr
};

constexpr Row kRows[] = {
    {6, "+06 = Warning:  Traces have different label types.", nullptr},
    {5, "+05 = Warning:  Invalid n in E_L1L2/n stat, 1000 used.", nullptr},
    {4, "+04 = Warning:  # of trace pts > 1, all pts combined.", nullptr},
    {3, "+03 = Probability file could not be used.", nullptr},
    {2, "+02 = ALL TRACE POINTS ARE MISSING", nullptr},
    {1, "+01 = too many general label lines", nullptr},
    {0, "  0 = normal return", nullptr},
    {-1, "-01 = invalid header record", nullptr},
    {-2, "-02 = too few condition records", nullptr},
    {-3, "-03 = invalid condition record", nullptr},
    {-4, "-04 = No EOCF record in trace data file", nullptr},
    {-5, "-05 = too many traces", nullptr},
    {-6, "-06 = trace plot types differ for this plot", nullptr},
    {-7, "-07 = ind var cell count disagreement", nullptr},
    {-8, "-08 = invalid condition type number", nullptr},
    {-9, "-09 = more than one pair of dep var conditions", nullptr},
    {-10, "-10 = too many general conditions", nullptr},
    {-12, "-12 = too many specific trace conditions", nullptr},
    {-13, "-13 = too many list elements in temporary trace cond", nullptr},
    {-14, "-14 = invalid data header record", nullptr},
    {-15, "-15 = invalid data header integer data", nullptr},
    {-16, "-16 = error in skipping unneeded trace data", nullptr},
    {-17, "-17 = premature end of trace data file", nullptr},
    {-18, "-18 = invalid t axis labels for time series", nullptr},
    {-19, "-19 = time series starting points > 1 year apart", nullptr},
    {-20, "-20 = time change along a time series < 0", nullptr},
    {-21, "-21 = time change along a time series > 1 year", nullptr},
    {-23, "-23 = label type is already c -- cannot convert", nullptr},
    {-24, "-24 = real to char label conversion error", nullptr},
    {-25, "-25 = cannot add more discrete x axis labels", nullptr},
    {-26, "-26 = label not found for relative position", nullptr},
    {-27, "-27 = invalid label type for sort", nullptr},
    {-28, "-28 = not all trace data was found", nullptr},
    {-29, "-29 = cannot compute stats based on FHO values", nullptr},
    {-30, "-30 = trace data depth field # is not valid", nullptr},
    {-31, "-31 = too many points in trace to return to user", nullptr},
    {-32, "-32 = invalid computational code number", nullptr},
    {-33, "-33 = invalid field header ID number", nullptr},
    {-34, "-34 = invalid  number of temp conds in RDTD_SDV", nullptr},
    {-35, "-35 = there are no trace labels", nullptr},
    {-36, "-36 = insufficient data depth for stats", nullptr},
    {-37, "-37 = invalid trace number in RDTD_TLB", nullptr},
    {-38, "-38 = too many fill-in points required.", nullptr},
    {-39, "-39 = master trace point label not found", nullptr},
    {-40, "-40 = invalid PBS_ statistic type", nullptr},
    {-41, "-41 = too many PBS_ probability categories", nullptr},
    {-42, "-42 = Panofsky-Brier score computation failed", nullptr},
    {-43, "-43 = Invalid forecast risk category", nullptr},
    {-44, "-44 = # of trace pnts does not match DTRACE", nullptr},
    {-45, "-45 = no trace weight values were found", nullptr},
    {-46, "-46 = bias adjustment not valid for this trace", nullptr},
    {-47, "-47 = ROC curve from OR could not be computed", nullptr},
    {-48, "-48 = Invalid threshold lag # for adjusting N", nullptr},
    {-49, "-49 = Lag adjustment of N not valid for this trace", nullptr},
    {-50, "-50 = Invalid time range", nullptr},
    {-51, "-51 = Cannot complete Ranked Histogram analysis plot", nullptr},
    {-52, "-52 = Cannot complete summary analysis rank plot", nullptr},
    {-53, "-53 = too many user defined PBS probability values", nullptr},
    {-54, "-54 = time reversal occurred along the time axis", nullptr},
    {-55, "-55 = invalid prefix comp code for TRK stats", nullptr},
    {-56, "-56 = insufficient data for TRK CENPRS comp codes", nullptr},
    {-57, "-57 = insufficient data for TRK MAXWND comp codes", nullptr},
    {-58, "-58 = insufficient data for TRK 850VOR comp codes", nullptr},
    {-59, "-59 = The number of trace points in an attribute ", "diagram trace must be even."},
    {-60, "-60 = Computational code 1360 requires the ", "PBS statistic type."},
    {-61, "-61 = Data depth is not valid for ", "PBS statistic type."},
    {-62, "-62 = All points on ROC curve from PBS statistic ", "type are missing."},
    {-63, "-63 = Parametric ROC curve from PBS could not be ", "computed."},
    {-64, "-64 = Too many CRPS cumulative probabilities.", nullptr},
    {-65, "-65 = Too many CRPS cumulative probabilities ", " in user file."},
    {-66, "-66 = Too few CRPS cumulative probabilities.", nullptr},
    {-67, "-67 = Computational code 2307 requires the ", "CRPS statistic type."},
};

const Row* find_row(int code) {
  for (const Row& row : kRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace

std::string reader_message(int code) {
  const Row* row = find_row(code);
  if (row == nullptr) return {};
  std::string joined = row->first;
  if (row->second != nullptr) joined += row->second;
  return joined;
}

int RDTD_MSG(int code, std::string_view routine, std::ostream& os) {
  if (util::ST_TLEN(routine) > 0) util::list_write(os, {util::rtrim(routine)});
  if (const Row* row = find_row(code)) {
    if (row->second != nullptr) {
      util::list_write(os, {row->first, row->second});
    } else {
      util::list_write(os, {row->first});
    }
  }
  return 0;
}

void write_error_place(const ErrorPlace& place, std::ostream& os) {
  if (!place.known) return;
  os << " in file " << place.file;
  if (place.at_end) {
    if (place.line == 0) {
      os << ", which is empty";
    } else {
      os << ", at its end after line " << place.line;
    }
  } else if (place.line > 0) {
    os << ", line " << place.line;
  }
  os << '\n';
  if (!place.why.empty()) os << "  " << place.why << '\n';
}

}  // namespace kor::tracefile
