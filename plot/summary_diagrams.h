// The plot driver's work for the diagrams and the confidence intervals: what the statistics
// engine gives of each trace turned into the points of a performance diagram (display 8) or a
// Taylor diagram (display 9), the reliability traces and probability bins of an attribute diagram
// (display 6) or a CRPS reliability diagram (display 7), and the ROC areas of a ROC diagram
// (display 5).  The results go to DriverState::results.diagrams (plot/diagram_results.h), and the
// drawn points into the plot's trace arrays.
#ifndef KOR_PLOT_SUMMARY_DIAGRAMS_H_
#define KOR_PLOT_SUMMARY_DIAGRAMS_H_

#include <iosfwd>
#include <string_view>

#include "plot/run_state.h"
#include "tracefile/reader.h"

namespace kor::plot {

// True when a statistic type holds 2x2 counts (fields 2 to 4 the forecast, hit and observed
// events): it contains "FHO".
bool is_fho_type(std::string_view stat_type);

// True when a statistic type holds scalar partial sums (fields 2 to 6 the sums of f, o, f o, f f
// and o o): an "L1L2" type with no "V" before the "L1L2" (SL1L2, SAL1L2, SSAL1L2, ESL1L2/n,
// ML1L2; not the vector types VL1L2, VAL1L2, VSAL1L2, EVL1L2).
bool is_scalar_sums_type(std::string_view stat_type);

// Display 8.  For every listed trace the forecast, hit and observed sums of each point (the
// engine's plain fields 2, 3 and 4, with the op code's bias-adjustment or threshold-lag prefix and
// the trace's lag) become its success ratio and probability of detection; on a time series the sums
// of all points, without the lag, give one more point per trace.  The drawn trace holds the
// defined points in abscissa order (x the success ratio, y the detection).  A point whose sums are
// there but whose ratios are not defined is left out and counted in a line per trace.  Returns 0,
// or -3 (reported, with a line that says why) for a METHOD other than 1 or 2 or a trace that does
// not hold FHO counts; an engine failure is reported as the driver reports it (-6).
[[nodiscard]] int performance_data(const DriverRequest& request,
                                   const tracefile::ReaderState& reader, DriverState& state,
                                   std::ostream& os);

// The texts written beside the points of a performance diagram, once the control file is read:
// the user's abscissa labels (XUD) of a binned-data plot, the value of a real abscissa label (4
// significant digits), a character label without blanks, or "DD/HHZ" of a date-time.
void performance_tags(DriverState& state);

// Display 9.  For every listed trace the count and the sums of f, o, f o, f f and o o of all its
// points (the engine's plain fields 1 to 6, without lags; a line says so when a lag was given)
// become its Taylor statistics; the drawn trace is one point at the normalised standard deviation
// and the angle whose cosine is the correlation.  A trace without statistics is left out with a
// line that says so.  Returns 0, or -3 (reported, with a line that says why) for a METHOD other
// than 1 or 2 or a trace that does not hold scalar partial sums; an engine failure gives -6.
[[nodiscard]] int taylor_data(const DriverRequest& request, const tracefile::ReaderState& reader,
                              DriverState& state, std::ostream& os);

// True when some trace of a Taylor diagram has a negative correlation (it is drawn on the half
// circle).
bool taylor_half_circle(const DiagramResults& results);

// Displays 6 and 7 (`attribute` for 6): the attribute-diagram (ATTR_DATA) or CRPS reliability
// (CRPS_DATA) preparation of the traces, their summary scores (and climate frequencies) kept in the
// results; an attribute diagram's frequency companions follow the traces, with their value ranges.
// `spacing` becomes the closest spacing of neighbouring abscissas.  Returns the preparation's code
// (a negative one reported).
[[nodiscard]] int reliability_data(bool attribute, DriverState& state, float& spacing,
                                   std::ostream& os);

// Displays 8 and 9, once the layout is derived: square axes (a half circle twice as wide as high)
// unless the control file sets a ratio; the ratios of a performance diagram run from 0 to 1
// exactly unless XAX or YAX say otherwise, a Taylor diagram's axes follow its frame.
void summary_layout(bool performance, DriverState& state);

// Display 6, before the attribute-diagram preparation rewrites the traces: the probability bins of
// each of the first `traces` traces from its category fractions and its total count.
void reliability_bins(DriverState& state, int traces);

// Display 5: the ROC area of every trace that a ROC code drew, with the events and non-events
// behind it.
void roc_summaries(DriverState& state);

// The intervals at the level the control file asked for (CIL; none without it).
void confidence_intervals(DriverState& state);

}  // namespace kor::plot

#endif  // KOR_PLOT_SUMMARY_DIAGRAMS_H_
