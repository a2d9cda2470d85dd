#include "plot/box_whiskers.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "plot/draw/box_whisker.h"
#include "plot/text_output.h"
#include "resample/resample.h"
#include "util/listout.h"
#include "util/text.h"

namespace kor::plot {
namespace {

// What the resampling of the box-whisker objects needs to know of the traces: the statistic and
// label types, the ensemble size and the probability lists of the benchmark trace.
resample::MetricContext metric_context(const DriverState& st,
                                       const tracefile::ReaderState& reader) {
  resample::MetricContext context;
  context.stat_type = st.stat_type;
  context.label_type = st.label_type;
  context.ensemble_size = st.engine.has_ensemble_size ? st.engine.ensemble_size : 0;
  const int benchmark = st.first_trace;
  if (benchmark >= 1 && benchmark <= reader.trace_count) {
    const tracefile::TraceInfo& info = reader.traces[benchmark - 1];
    context.lists.pbs_count = std::clamp(info.pbs_count, 0, resample::kPbsCount);
    for (int i = 0; i < context.lists.pbs_count; ++i) context.lists.pbs[i] = info.pbs[i];
    context.lists.crps_count = std::clamp(info.crps_count, 0, resample::kCrpsCount);
    for (int i = 0; i < context.lists.crps_count; ++i) context.lists.crps[i] = info.crps[i];
  }
  return context;
}

}  // namespace

void group_box_whisker(BoxWhiskerBook& book, int number, int count, int opcode, int file_trace) {
  if (number == 1 && count > 1) {
    book.first_group_traces.assign(1, file_trace);
    book.group_opcodes.assign(1, opcode);
    book.group_start = 1;
    return;
  }
  if (number > 1 && number < count) {
    if (!book.group_opcodes.empty() && opcode == book.group_opcodes.back()) {
      if (!book.group_size_fixed) {
        book.first_group_traces.push_back(file_trace);
      } else {
        const int len = static_cast<int>(book.first_group_traces.size());
        int pos = len > 0 ? number % len : 0;
        if (pos == 0 || pos > kMaxTraces) pos = len;
        if (pos >= 1 && book.first_group_traces[pos - 1] != file_trace) book.flag[number - 1] = -1;
      }
    } else {
      book.group_opcodes.push_back(opcode);
      if (number == 2) book.add_error(1);
      if (!book.group_size_fixed) {
        book.group_size = number - book.group_start;
        book.group_size_fixed = true;
      } else if (number - book.group_start != book.group_size) {
        book.add_error(2);
      }
      book.group_start = number;
    }
    return;
  }
  if (number != count) return;
  if (book.group_opcodes.empty()) {
    book.add_error(3);
    return;
  }
  const bool differs = opcode != book.group_opcodes.back();
  const int len = static_cast<int>(book.first_group_traces.size());
  const bool exempt = differs && (book.group_opcodes.size() == 1 || (len > 0 && count % len == 1));
  if (!exempt) {
    if (differs) {
      book.add_error(4);
    } else if (!book.group_size_fixed) {
      book.first_group_traces.push_back(file_trace);
    }
  }
  book.pairs_per_group = static_cast<int>(book.first_group_traces.size()) - 1;
  if (book.pairs_per_group < 1) book.add_error(3);
}

int BXW_ERRS(const PlotSettings& settings, const BoxWhiskerBook& book, std::ostream& os) {
  if (!box_whiskers_wanted(settings) || book.error_count <= 0) return 0;
  static constexpr const char* kLines[] = {
      " COMP CODES must be same for paired/grouped traces.",
      " # of pairs must be same for all COMP CODE groups.",
      " There are no trace pairs.",
      " All COMP CODE groups must have same CODES.",
      " All traces must have the same number of X points.",
      " Resampling driver returned with errors.",
      " Unexpected box-whisker object count returned.",
      " BXWSKR objects not allowed for display methods 3--5.",
      " TRACE #s must be repeated for subsequent COMP CODES.",
  };
  util::list_write(os, {" ERRORS detected associated with box-whisker request:"});
  bool grouping = false;
  for (int i = 0; i < std::min(book.error_count, kMaxBxwErrors); ++i) {
    const int code = book.errors[i];
    if (code < 1 || code > 9) continue;
    util::list_write(os, {kLines[code - 1]});
    grouping = grouping || code <= 4;
  }
  if (grouping) util::list_write(os, {" Check trace number and COMP CODE specifications."});
  return 0;
}

int resample_box_whiskers(DriverState& st, const tracefile::ReaderState& reader, std::ostream& os) {
  const int n = st.trace_count;
  const int points = std::clamp(st.traces.count[0], 0, kMaxPoints);
  for (int h = 1; h < n; ++h) {
    if (st.traces.count[h] != points) {
      st.results.bxw.add_error(5);
      return -38;
    }
  }
  const int pairs = std::max(0, st.results.bxw.pairs_per_group);
  const int lines = static_cast<int>(st.results.bxw.group_opcodes.size());
  const int results = pairs * lines;
  const int used = std::min(points, kBxwPoints);
  st.bxw_tables.clear();
  const resample::MetricContext context = metric_context(st, reader);
  st.resampling.trials = st.settings.trials;
  st.resampling.serial_correlation = st.settings.sig_test;
  std::vector<int> codes(st.results.bxw.group_opcodes);
  const std::vector<int> traces(st.results.bxw.first_group_traces);

  for (int p = 1; p <= used; ++p) {
    resample::TrcInput in;
    in.plot = st.results.plot_number;
    in.traces = traces;
    in.codes = codes;
    in.point = p;
    in.alpha = static_cast<float>(st.settings.test_level);
    in.missing = resample::kMissingPoint;
    in.capacity = kMaxTraces;
    in.context = &context;
    resample::TrcOutput out;
    const int rc = resample::RSMP_TRC(in, st.resampling, out, os);
    int word = 0;
    resample::RSMP_ERR(rc, " ", word, os);
    if (rc != 0) {
      st.results.bxw.add_error(6);
      return -39;
    }
    if (out.count != results || results > kMaxTraces) {
      st.results.bxw.add_error(7);
      return -40;
    }
    for (int k = 0; k < results; ++k) {
      const std::size_t at = BoxWhiskerTables::at(k, p - 1);
      st.bxw_tables.minus_lower[at] = out.minus_lower[k];
      st.bxw_tables.upper[at] = out.upper[k];
      st.bxw_tables.upper_whisker[at] = out.upper_whisker[k];
      st.bxw_tables.lower_whisker[at] = out.lower_whisker[k];
      util::list_write(os, {k + 1, " - median of resampled differences = ", out.median[k]});
      if (util::IS_MISSING(out.skew[k])) {
        util::list_write(os, {k + 1, " - skew ratio is undefined."});
      } else {
        util::list_write(os, {k + 1, " - skew ratio of resampled differences = ", out.skew[k]});
      }
    }
  }
  return 0;
}

std::vector<BoxWhiskerObject> box_whisker_objects(const DriverState& st) {
  const int n = st.trace_count;
  const int pairs = std::max(0, st.results.bxw.pairs_per_group);
  const int results = pairs * static_cast<int>(st.results.bxw.group_opcodes.size());
  const int used = std::min(std::clamp(st.traces.count[0], 0, kMaxPoints), kBxwPoints);
  std::vector<BoxWhiskerObject> objects;
  for (int k = 0; k < std::min(results, kMaxTraces); ++k) {
    const int line = k / std::max(1, pairs);
    const int pair = k % std::max(1, pairs) + 1;
    BoxWhiskerObject o;
    o.benchmark = line * (pairs + 1) + 1;  // plot position of the group's benchmark trace
    o.paired = o.benchmark + pair;
    if (o.paired > n) break;
    o.zero_colour = st.settings.bxw_colour[k] < 1 || st.settings.bxw_request[k] <= 0;
    if (!o.zero_colour) {
      const bool right = st.settings.right_axis && st.settings.right_trace[o.benchmark - 1];
      const double scale = right ? st.settings.right_factor : st.settings.left_factor;
      for (int i = 0; i < used; ++i) {
        o.points.push_back(bxw_point_values(st.settings, st.traces.Y(o.benchmark - 1, i),
                                            st.traces.Y(o.paired - 1, i), st.bxw_tables,
                                            BoxWhiskerTables::at(k, i), scale));
      }
    }
    objects.push_back(std::move(o));
  }
  return objects;
}

int write_box_whiskers(const DriverState& st, std::ostream& file) {
  if (!file) return -42;
  util::list_write(file, {});
  file << "************************\n"
       << "BOX-WHISKER OBJECT DATA\n";
  util::list_write(file, {});
  file << util::rtrimmed(st.layout.title) << '\n';
  if (!file) return -42;
  for (const BoxWhiskerObject& o : box_whisker_objects(st)) {
    file << util::rtrimmed(st.layout.trace_labels[o.paired - 1]) << '\n'
         << "            VERSUS first trace:\n"
         << util::rtrimmed(st.layout.trace_labels[o.benchmark - 1]) << '\n';
    if (!file) return -42;
    file << " X# BENCHMRK_VAL PAIRED_VALUE MIN_WSKR_VAL  CI_LOWERBND  CI_UPPERBND MAX_WSKR_VAL\n";
    if (o.zero_colour) file << bxw_zero_colour_line() << '\n';
    for (std::size_t i = 0; i < o.points.size(); ++i) {
      file << bxw_point_line(static_cast<int>(i) + 1, o.points[i]) << '\n';
    }
    util::list_write(file, {});
    if (!file) return -42;
  }
  // A full disk shows only when the buffered lines reach the file.
  file.flush();
  return file ? 0 : -42;
}

int PLT_TBXW(DriverState& st, const tracefile::ReaderState& reader, std::ostream& os) {
  if (!box_whiskers_wanted(st.settings)) return 0;
  if (const int rc = resample_box_whiskers(st, reader, os); rc != 0) return rc;
  return write_box_whiskers(st, st.files.text.bxw);
}

int BXW_RUN(DriverState& st, const tracefile::ReaderState& reader, const draw::PlotView& view,
            draw::Pen& pen) {
  if (!box_whiskers_wanted(st.settings)) return 0;
  if (const int rc = resample_box_whiskers(st, reader, pen.os); rc != 0) return rc;
  const draw::BoxWhiskerGroups groups{std::max(0, st.results.bxw.pairs_per_group),
                                      static_cast<int>(st.results.bxw.group_opcodes.size())};
  return draw::draw_box_whiskers(pen, view, st.bxw_tables, groups);
}

}  // namespace kor::plot
