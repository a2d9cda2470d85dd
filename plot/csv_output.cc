#include "plot/csv_output.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <ostream>

#include "plot/device.h"
#include "plot/kinds.h"
#include "plot/messages.h"
#include "tracefile/format.h"
#include "util/missing.h"
#include "util/text.h"

namespace kor::plot {
namespace {

// A label's cell: the label without its leading and trailing blanks.
std::string label_cell(std::string_view label) {
  return csv_text(util::ST_LJST(util::rtrim(label)));
}

constexpr std::size_t kColumnCount = std::size(kCsvColumns);

// Column positions of kCsvColumns.
enum Column : std::size_t {
  kPlot,
  kTrace,
  kTraceLabel,
  kPoint,
  kX,
  kXLabel,
  kY,
  kStatistic,
  kBxwBenchmark,  // then the lower whisker, box lower and upper ends, upper whisker
  kBinCount = kBxwBenchmark + 5,
  kSuccessRatio,                    // then POD, CSI, bias
  kSampleSize = kSuccessRatio + 4,  // then the Taylor statistics and their two ratios
  kRocArea = kSampleSize + 7,
  kRocStdError,
  kEvents,
  kNonEvents,
  kForecasts,
  kObservedFrequency,
  kCiLower,
  kCiUpper,
  kBrierScore,              // then the Brier skill score
  kRps = kBrierScore + 2,   // then the RPS skill score
  kReliability = kRps + 2,  // then resolution and uncertainty
  kPotentialRps = kReliability + 3,
};
static_assert(kPotentialRps + 1 == kColumnCount, "every column has its position");

// The probabilities of a reliability bin and of an observed-frequency point are the same within
// this (the merge of the diagram's probabilities takes values this close as one).
constexpr double kProbabilityTolerance = 5e-5;

using Row = std::array<std::string, kColumnCount>;

void set(Row& row, std::size_t column, double value) { row[column] = csv_number(value); }

// The summary scores of a diagram trace into their columns: attribute diagrams give the Brier
// score, its skill, reliability, resolution and uncertainty, CRPS reliability diagrams the RPS,
// its skill, reliability, resolution, uncertainty and the potential RPS.
void set_summary(Row& row, int final_type, const std::array<double, kSummaryValues>& s) {
  if (final_type == kAttributeDiagram) {
    set(row, kBrierScore, s[0]);
    set(row, kBrierScore + 1, s[1]);
    for (int i = 0; i < 3; ++i) set(row, kReliability + i, s[2 + i]);
  } else if (final_type == kCrpsReliability) {
    set(row, kRps, s[0]);
    set(row, kRps + 1, s[1]);
    for (int i = 0; i < 3; ++i) set(row, kReliability + i, s[2 + i]);
    set(row, kPotentialRps, s[5]);
  }
}

void set_roc(Row& row, const RocSummary& roc) {
  if (!roc.area) return;
  set(row, kRocArea, *roc.area);
  if (roc.standard_error) set(row, kRocStdError, *roc.standard_error);
  set(row, kEvents, roc.events);
  set(row, kNonEvents, roc.non_events);
  if (roc.interval) {
    set(row, kCiLower, roc.interval->lower);
    set(row, kCiUpper, roc.interval->upper);
  }
}

void set_bin(Row& row, const ReliabilityBin& b) {
  set(row, kForecasts, b.forecasts);
  set(row, kEvents, b.events);
  if (b.forecasts > 0) set(row, kObservedFrequency, b.frequency());
  if (b.interval) {
    set(row, kCiLower, b.interval->lower);
    set(row, kCiUpper, b.interval->upper);
  }
}

void set_performance(Row& row, const std::optional<metrics::PerformancePoint>& p) {
  if (!p) return;
  set(row, kSuccessRatio, p->success_ratio);
  set(row, kSuccessRatio + 1, p->pod);
  set(row, kSuccessRatio + 2, p->csi);
  set(row, kSuccessRatio + 3, p->bias);
}

void set_taylor(Row& row, const metrics::TaylorStatistics& t) {
  const double v[] = {t.n,          t.forecast_sd, t.observed_sd, t.correlation, t.centred_rmsd,
                      t.sd_ratio(), t.rmsd_ratio()};
  for (std::size_t i = 0; i < std::size(v); ++i) set(row, kSampleSize + i, v[i]);
}

// Writes one row; false when the stream failed.
bool write_row(std::ostream& os, const Row& row) {
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (i > 0) os << ',';
    os << row[i];
  }
  os << '\n';
  return static_cast<bool>(os);
}

// The rows of one plot, trace by trace.
class TableWriter {
 public:
  TableWriter(const CsvInput& in, std::ostream& os)
      : in_(in),
        dump_(*in.dump),
        os_(os),
        merged_(dump_.merged ? *dump_.merged : empty_),
        index_(merged_.position, used_merged_count(merged_)) {}

  int run() {
    const int count = std::min<int>(static_cast<int>(dump_.traces.size()), kMaxTraces);
    for (int p = 1; p <= count; ++p) {
      if (!trace(p, count)) return -23;
    }
    os_.flush();
    return os_ ? 0 : -23;
  }

 private:
  // The abscissa's label: the merged label, or for real labels the merged value (the abscissa
  // itself when it has none); empty for an abscissa without a merged entry.
  std::string x_label(double x) const {
    const int found = index_.find(x);
    if (dump_.label_type == 'r') {
      const bool valued = found >= 0 && found < static_cast<int>(dump_.merged_values.size());
      return csv_number(valued ? dump_.merged_values[found] : x);
    }
    if (found < 0) return {};
    return label_cell(merged_.label[found]);
  }

  // The cells every row of trace `p` starts with.
  Row trace_row(int p) const {
    Row row;
    row[kPlot] = std::to_string(in_.plot);
    row[kTrace] = std::to_string(p);
    const int type = dump_.final_type;
    if (type == kAttributeDiagram || type == kCrpsReliability) {
      set_summary(row, type, dump_.summary[p - 1]);
    } else if (type == kRocDiagram && dump_.diagrams) {
      set_roc(row, dump_.diagrams->roc[p - 1]);
    }
    row[kTraceLabel] = label_cell(shown_trace_label(in_.layout->trace_labels[p - 1], dump_, p));
    if (p - 1 < static_cast<int>(in_.stat_labels.size())) {
      row[kStatistic] = label_cell(in_.stat_labels[p - 1]);
    }
    return row;
  }

  // The box-whisker object whose paired trace is `p`, or none.
  const BoxWhiskerObject* object_of(int p) const {
    for (const BoxWhiskerObject& o : in_.box_whiskers) {
      if (o.paired == p) return &o;
    }
    return nullptr;
  }

  // The reliability bin of an observed-frequency point at probability `x`, or none.  The table
  // shows the traces as drawn: the reliability curves first, then their use frequencies.
  const ReliabilityBin* bin_of(int p, int count, double x) const {
    if (dump_.final_type != kAttributeDiagram || !dump_.diagrams || p > count / 2) return nullptr;
    for (const ReliabilityBin& b : dump_.diagrams->reliability[p - 1]) {
      if (std::fabs(b.probability - x) <= kProbabilityTolerance) return &b;
    }
    return nullptr;
  }

  bool trace(int p, int count) {
    const DiagramResults* d = dump_.diagrams;
    const Row head = trace_row(p);
    if (d && dump_.final_type == kTaylorDiagram) {
      Row row = head;
      if (d->taylor[p - 1]) set_taylor(row, *d->taylor[p - 1]);
      return write_row(os_, row);
    }
    if (d && dump_.final_type == kPerformanceDiagram) {
      const PerformanceTrace& pt = d->performance[p - 1];
      for (std::size_t i = 0; i < pt.entries.size(); ++i) {
        Row row = head;
        row[kPoint] = std::to_string(i + 1);
        set(row, kX, pt.entries[i].x);
        row[kXLabel] = x_label(pt.entries[i].x);
        set_performance(row, pt.entries[i].point);
        if (!write_row(os_, row)) return false;
      }
      if (pt.has_total) {
        Row row = head;
        row[kXLabel] = "ALL POINTS";
        set_performance(row, pt.total);
        if (!write_row(os_, row)) return false;
      }
      return true;
    }
    const TraceData& t = dump_.traces[p - 1];
    const int points = used_points(t);
    const BoxWhiskerObject* object = object_of(p);
    for (int i = 0; i < points; ++i) {
      Row row = head;
      row[kPoint] = std::to_string(i + 1);
      set(row, kX, t.x[i]);
      row[kXLabel] = x_label(t.x[i]);
      set(row, kY, t.y[i]);
      if (object && i < static_cast<int>(object->points.size())) {
        const std::array<double, 6>& v = object->points[i];
        set(row, kBxwBenchmark, v[0]);
        for (int k = 0; k < 4; ++k) set(row, kBxwBenchmark + 1 + k, v[2 + k]);
      }
      if (i < static_cast<int>(in_.bin_counts.size())) set(row, kBinCount, in_.bin_counts[i]);
      if (const ReliabilityBin* b = bin_of(p, count, t.x[i])) set_bin(row, *b);
      if (!write_row(os_, row)) return false;
    }
    return true;
  }

  const CsvInput& in_;
  const TextDumpInput& dump_;
  std::ostream& os_;
  const MergedAxis empty_;
  const MergedAxis& merged_;
  const MergedIndex index_;
};

}  // namespace

std::string csv_number(double value) {
  if (!std::isfinite(value) || util::IS_MISSING(value) || tracefile::is_table_missing(value)) {
    return {};
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string csv_text(std::string_view text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

int write_csv(const CsvInput& input, std::ostream& os, bool header) {
  if (header) {
    for (std::size_t i = 0; i < kColumnCount; ++i) os << (i > 0 ? "," : "") << kCsvColumns[i];
    os << '\n';
  }
  if (!os) return -23;
  if (!input.dump || !input.layout) return 0;
  return TableWriter(input, os).run();
}

int write_csv_output(DriverState& st, const TextDumpInput& dump,
                     const tracefile::ReaderState* reader, std::ostream& os) {
  CsvInput in;
  in.plot = st.results.plot_number;
  in.layout = &st.layout;
  in.dump = &dump;
  in.stat_labels.assign(st.stat_labels.begin(), st.stat_labels.end());
  in.bin_counts = st.bin_counts;
  int rc = 0;
  if (reader && st.settings.resample && box_whiskers_wanted(st.settings)) {
    rc = resample_box_whiskers(st, *reader, os);
    if (rc != 0) {
      PLT_MSG(rc, "PLT_DRIV", os);
    } else {
      in.box_whiskers = box_whisker_objects(st);
    }
  }
  std::ofstream& file = st.files.text.dump;
  if (!file.is_open()) {
    PLT_MSG(-22, "PLT_DRIV", os);
    return -22;
  }
  // Appending to a table (CLE = N) adds rows under the header it has.
  file.seekp(0, std::ios::end);
  const bool header = file.tellp() <= 0;
  const int w = write_csv(in, file, header);
  if (w != 0) {
    PLT_MSG(w, "PLT_DRIV", os);
    rc = w;
  }
  return close_text(st.files.text, true, rc, -23, "PLT_DRIV", os);
}

}  // namespace kor::plot
