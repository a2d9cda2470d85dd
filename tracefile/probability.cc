#include "tracefile/probability.h"

#include <array>
#include <filesystem>
#include <ostream>
#include <vector>

#include "tracefile/messages.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/text.h"
#include "util/unit.h"

namespace kor::tracefile {
namespace {

constexpr int kProbabilityUnit = 99;
constexpr std::size_t kProbabilityLineWidth = 72;
constexpr std::size_t kFileNameWidth = 32;

enum class FileState { kAbsent, kUnreadable, kRead };

// Reads the probabilities of `name` into `values`, at most `limit` of them.  A value beyond the
// limit sets `overflow` and ends the reading.  A path that exists but is not a readable regular
// file (a directory, a file without read permission) is unreadable.
FileState read_probability_file(const std::string& name, int limit, std::vector<double>& values,
                                bool& overflow) {
  namespace fs = std::filesystem;
  values.clear();
  overflow = false;
  std::error_code ec;
  if (!fs::exists(name, ec)) return FileState::kAbsent;
  if (!fs::is_regular_file(name, ec)) return FileState::kUnreadable;
  util::TextUnit unit(kProbabilityUnit);
  if (!unit.open(name)) return FileState::kUnreadable;
  std::string line;
  if (!unit.read(line)) {
    unit.close();
    return FileState::kRead;  // an empty file: no heading, no values
  }
  while (unit.read(line, kProbabilityLineWidth)) {
    std::array<std::string, 3> tokens;
    int count = 0;
    if (util::ST_SPLS(line, ' ', "", -1, tokens, count) != 0) continue;  // more than 3 tokens
    if (count < 2) continue;
    double value = 0.0;
    if (util::ST_TREL(tokens[1], value) != 0) continue;
    if (!(value >= 0.0 && value <= 1.0)) continue;
    if (static_cast<int>(values.size()) >= limit) {
      overflow = true;
      break;
    }
    values.push_back(value);
  }
  unit.close();
  return FileState::kRead;
}

// The name of a probability file padded to 32 characters, followed by the unreadable-file text.
void report_unreadable(const std::string& name, std::ostream& os) {
  RDTD_MSG(3, util::pad(name, kFileNameWidth) + " not readable -- defaults used", os);
}

std::string fixed(std::string_view fmt, double v) { return util::format(fmt, {v}); }
std::string fixed(std::string_view fmt, int v) { return util::format(fmt, {v}); }

bool valid_trace(int trace) { return trace >= 1 && trace <= kMaxTraces; }

}  // namespace

std::string pbs_set_name(std::string_view stat_type) {
  const std::string_view type = util::rtrim(stat_type);
  const std::size_t at = type.find("PBS_");
  if (at == std::string_view::npos) return {};
  std::string_view rest = type.substr(at + 4);
  const std::size_t end = rest.find_first_of("/(");
  if (end != std::string_view::npos) rest = rest.substr(0, end);
  return util::ST_LOWR(rest);
}

int load_pbs_probabilities(ReaderState& state, std::string_view set, int trace, int depth,
                           std::ostream& os) {
  if (!valid_trace(trace)) return -40;
  const int n = depth / 2;
  if (n >= kMaxPbs + 1) return -41;
  TraceInfo& info = state.traces[trace - 1];
  const std::string name = "pbs_" + std::string(set) + ".prob";
  std::vector<double> values;
  bool overflow = false;
  int rc = 0;
  const FileState file = read_probability_file(name, std::max(n, 0), values, overflow);
  if (file == FileState::kUnreadable) {
    rc = 3;
    report_unreadable(name, os);
  }
  if (overflow) {
    info.pbs_count = static_cast<int>(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) info.pbs[i] = values[i];
    return -53;
  }
  const int read = static_cast<int>(values.size());
  if (set != "wwx") {
    if (read < n || n < 1) {
      if (n < 3) {
        // The default list spaces categories 2 to n-1 by 1 / (n - 2): with fewer than three
        // categories it has no values, and a Brier score over such a list would mean nothing.
        info.pbs_count = 0;
        util::list_write(os,
                         {" No DEFAULT ", std::string(set),
                          " probabilities for fewer than 3 categories, trace # ", trace, ": ", n});
        return -40;
      }
      const double s = 1.0 / (n - 2);
      info.pbs[0] = 0.0;
      info.pbs[1] = s / 2.0;
      for (int i = 2; i < n - 1; ++i) info.pbs[i] = info.pbs[i - 1] + s;
      info.pbs[n - 1] = 1.0;
      info.pbs_count = n;
      util::list_write(os,
                       {" DEFAULT ", std::string(set), " probabilities for trace # ", trace, ": "});
    } else {
      for (int i = 0; i < n; ++i) info.pbs[i] = values[i];
      info.pbs_count = n;
      util::list_write(
          os, {" USER-DEFINED ", std::string(set), " probabilities for trace # ", trace, ": "});
    }
  } else if (read > 3) {
    for (int i = 0; i < read; ++i) info.pbs[i] = values[i];
    info.pbs_count = read;
    util::list_write(os, {" USER-SET WWX probabilities for trace # ", trace, ": "});
  } else {
    constexpr double kWwx[4] = {0.0, 0.25, 0.5, 1.0};
    for (int i = 0; i < 4; ++i) info.pbs[i] = kWwx[i];
    info.pbs_count = 4;
    util::list_write(os, {" DEFAULT WWX probabilities for trace # ", trace, ": "});
  }
  for (int i = 0; i < info.pbs_count; ++i) {
    util::list_write(
        os, {" Category ", fixed("(I3)", i + 1), " probability = ", fixed("(F5.2)", info.pbs[i])});
  }
  return rc;
}

int load_crps_probabilities(ReaderState& state, int trace, int depth, std::ostream& os) {
  if (!valid_trace(trace)) return -66;
  // Levels of a depth below 8 would be none or negative: such a trace has no levels.
  const int m = std::max(0, (depth - 6) / 2);
  if (m >= kMaxCrps + 1) return -64;
  TraceInfo& info = state.traces[trace - 1];
  const std::string name = "crps_" + std::to_string(depth) + ".prob";
  std::vector<double> values;
  bool overflow = false;
  int rc = 0;
  const FileState file = read_probability_file(name, m, values, overflow);
  if (file == FileState::kUnreadable) {
    rc = 3;
    report_unreadable(name, os);
  }
  const int read = static_cast<int>(values.size());
  for (int i = 0; i < read; ++i) info.crps[i] = values[i];
  info.crps_count = read;
  if (overflow) return -65;
  if (read < m) {
    util::list_write(os,
                     {" Too few or no user defined cumulative ", "probs -- using default values."});
  } else {
    util::list_write(os, {" Applying user defined cumulative probs."});
  }
  if (read < m) {
    static constexpr double k7[] = {0.05, 0.1, 0.25, 0.5, 0.75, 0.9, 0.95};
    static constexpr double k9[] = {0.05, 0.1, 0.25, 0.4, 0.5, 0.6, 0.75, 0.9, 0.95};
    static constexpr double k11[] = {0.05, 0.1, 0.15, 0.25, 0.4, 0.5, 0.6, 0.75, 0.85, 0.9, 0.95};
    const double* table = m == 7 ? k7 : m == 9 ? k9 : m == 11 ? k11 : nullptr;
    if (table == nullptr) return -66;
    for (int i = 0; i < m; ++i) info.crps[i] = table[i];
    info.crps_count = m;
  }
  util::list_write(os, {" Cumulative probabilities for trace # ", trace, ": "});
  for (int i = 0; i < info.crps_count; ++i) {
    util::list_write(os, {" Level ", fixed("(I3)", i + 1),
                          " cumulative probability = ", fixed("(F5.2)", info.crps[i])});
  }
  return rc;
}

int load_trace_probabilities(ReaderState& state, int trace, std::ostream& os) {
  if (!valid_trace(trace)) return 0;
  const TraceInfo& info = state.traces[trace - 1];
  int rc = 0;
  if (info.stat_type.find("PBS_") != std::string::npos) {
    rc = load_pbs_probabilities(state, pbs_set_name(info.stat_type), trace, info.depth, os);
  }
  if (info.stat_type.find("CRPS") != std::string::npos) {
    rc = load_crps_probabilities(state, trace, info.depth, os);
  }
  return rc;
}

}  // namespace kor::tracefile
