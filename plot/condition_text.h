// The joined condition text of a plot: one line that names the plot's independent variable.
//
// It is built from the independent-variable groups that the trace reader stored for trace 1: the
// field name of the first group, then for every further group its field name with the value of its
// first and of its last cell, as in "THRSH FHOUR:12>48" (a threshold axis drawn for forecast hours
// 12 to 48).  The plot driver uses it as the X title of skill-score and binned-data plots, and
// kor_plots lists it as the plot's independent variable.
#ifndef KOR_PLOT_CONDITION_TEXT_H_
#define KOR_PLOT_CONDITION_TEXT_H_

#include <string>

#include "tracefile/reader.h"

namespace kor::plot {

// The joined condition text of the plot held in `state`, without trailing blanks; empty when the
// plot has no independent-variable group.  Each piece (" " + name, ":" + first value, ">" + last
// value) is appended after the trailing blanks of the text so far are removed.  A field ID without
// a name contributes a blank name; a group count or cell count outside the tables' capacities is
// clamped to them.  The text is not cut: a caller with a fixed-width field cuts it to its width.
std::string joined_condition_text(const tracefile::ReaderState& state);

}  // namespace kor::plot

#endif  // KOR_PLOT_CONDITION_TEXT_H_
