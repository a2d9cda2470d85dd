// Shared pieces of the statistics engine's units; not part of its public interface.
#ifndef KOR_STATS_INTERNAL_H_
#define KOR_STATS_INTERNAL_H_

#include <iosfwd>
#include <string>
#include <string_view>

#include "metrics/metrics.h"
#include "stats/adjust.h"
#include "stats/engine.h"
#include "tracefile/reader.h"

namespace kor::stats::detail {

inline constexpr float kRangeStart =
    1.0e30f;  // ymin start of RDTD_TRC (ymax starts at its negative)

// Everything one RDTD_TRC call works with.
struct Call {
  Call(const tracefile::ReaderState& rs, TraceEngine& e, const TraceRequest& q, TraceResult& r,
       std::ostream& out)
      : reader(rs), engine(e), request(q), result(r), os(out) {}

  const tracefile::ReaderState& reader;
  TraceEngine& engine;
  const TraceRequest& request;
  TraceResult& result;
  std::ostream& os;  // messages of the call
  int trace = 0;     // plot-relative trace number
  int points = 0;    // the trace's point count P
  int depth = 0;     // the trace's data depth D
  int capacity = 0;  // points the output arrays take
  double missing = util::kPlotMissing;
  std::string stat;  // statistic type in force, 24 characters
  bool fho = false;
  bool has_ensemble = false;  // this trace's type carries an ensemble size
  int ensemble = 0;

  // Work values of the ordinary codes (points entries) and a second series for combined codes.
  double* values = nullptr;
  double* values2 = nullptr;
  TraceSums trace_sums;     // the engine's copy of the trace's sums, lag and prefix applied
  metrics::SumsView sums;  // the same copy as the metric library reads it, one sample per point

  float ymin = kRangeStart, ymax = -kRangeStart;
  std::string label;  // not padded
  double perfect = util::kPlotMissing;

  bool contains(std::string_view word) const { return stat.find(word) != std::string::npos; }
  // Field `field` of point `point`, both from 1, of the copied sums.
  double F(int field, int point) const { return trace_sums.at(field, point); }
};

// Computes the values of statistic code `code` (after prefix decoding) into call.values, or a whole
// special plot into call.result (then `special` is set).  Returns the code's return code.
[[nodiscard]] int compute_code(Call& call, int code, bool& special);

// The label and perfect value of plain data field k >= 2 of the statistic type, from the label list
// file when there is one, else from the built-in table.  `label` and `perfect` come in holding the
// values to keep when nothing applies.
void plain_field_label(std::string_view stat_type, int k, double missing, std::string& label,
                       double& perfect);

// The name of the label list file of a statistic type ("" when there is none).
std::string label_list_name(std::string_view stat_type);

// Track statistics (codes 10000 Q + S): Q 10 distance, 11 central pressure, 12 maximum wind, 13
// 850 hPa vorticity; S 1101..1115.  Returns 0, -55 (another Q) or -56/-57/-58 (data depth too small
// for Q), or the metric routine's code.
[[nodiscard]] int track_statistic(Call& call, int code);

// Special plots; each fills call.result itself.
[[nodiscard]] int roc_from_odds_ratio(Call& call);             // 1032
[[nodiscard]] int roc_from_pbs(Call& call, bool points);       // 1362 (points) and 1363
[[nodiscard]] int reliability_diagram(Call& call, bool crps);  // 1360 and 2307
[[nodiscard]] int cumulative_frequencies(Call& call);          // 9002
[[nodiscard]] int rank_histogram(Call& call);                  // 1600
[[nodiscard]] int summary_rank_plot(Call& call);               // 1605

// The constant-odds-ratio ROC curve of the totals n, f, h, o into call.result; `failure` is the
// code returned when the odds ratio cannot be formed.
[[nodiscard]] int constant_odds_roc(Call& call, double n, double f, double h, double o,
                                    int failure);

}  // namespace kor::stats::detail

#endif  // KOR_STATS_INTERNAL_H_
