#include "driver/dialogue.h"

#include <sys/stat.h>

#include <iostream>
#include <string>

#include "driver/free_input.h"
#include "plot/kinds.h"
#include "tracefile/messages.h"
#include "util/listout.h"
#include "util/program.h"
#include "util/text.h"

namespace kor::driver {
namespace {

constexpr std::size_t kNameWidth = 128;
constexpr std::size_t kListWidth = 256;

// The prompts of a user at a terminal: what the next answer is.
constexpr std::string_view kAskControl = "Graphics control file name: ";
constexpr std::string_view kAskTrace = "Trace data file name: ";
constexpr std::string_view kAskPlotLine = "Plot number, METHOD, display number, LAG: ";
constexpr std::string_view kAskIgnored = "Any number (it is read and ignored): ";
constexpr std::string_view kAskOpCode = "Op code: ";
constexpr std::string_view kAskTwoOpCodes = "Two op codes: ";
constexpr std::string_view kAskSmoothing = "Smoothing window and alignment (0 0 for none): ";
constexpr std::string_view kAskTraceList = "Trace numbers, on one line: ";
constexpr std::string_view kAskOpCodeList = "Op codes, one per trace: ";
constexpr std::string_view kAskLagList = "Lags, one per trace: ";
constexpr std::string_view kAskTracePair = "Two trace numbers: ";

void say(std::initializer_list<util::ListItem> items) { util::list_write(std::cout, items); }

// Opens an existing regular file named by `line` without trailing blanks.  A name longer than
// the name field is refused, not cut: its first 128 characters may name another file.  On failure
// the message is written and false returned.
bool open_old(util::TextUnit& unit, const std::string& line) {
  const std::string name(util::rtrim(line));
  struct stat st {};
  if (name.size() <= kNameWidth && !name.empty() && ::stat(name.c_str(), &st) == 0 &&
      !S_ISDIR(st.st_mode) && unit.open(name)) {
    return true;
  }
  say({" Cannot open ", name});
  if (name.size() > kNameWidth) util::write_name_too_long(std::cout, kNameWidth);
  return false;
}

DialogueResult stop_with(int code) {
  DialogueResult r;
  r.stop_code = code;
  return r;
}

// The two smoothing numbers; a failed read means no smoothing.
void read_smoothing(FreeInput& input, PlotRequest& req) {
  std::array<int, 2> s{};
  if (!input.read_ints(s, kAskSmoothing)) {
    say({" Smoothing input failed -- no smoothing done."});
    s = {0, 0};
  }
  req.smooth1 = s[0];
  req.smooth2 = s[1];
}

}  // namespace

void write_banner() {
  say({});
  say({"Version of kor = 2017.10"});
  say({});
}

namespace {

// The two file names: the graphics control file on `control`, the trace data file on `trace`.
// Returns 0 or the stop code.
int open_files(FreeInput& input, util::TextUnit& control, util::TextUnit& trace) {
  std::string name;
  if (!input.read_whole_line(name, kAskControl)) {
    say({" Standard input for graphics control file", " name failed."});
    return 1;
  }
  if (!open_old(control, name)) return 2;
  if (!input.read_whole_line(name, kAskTrace)) {
    say({" Standard input for trace data file name", " failed."});
    return 3;
  }
  if (!open_old(trace, name)) return 4;
  return 0;
}

// METHOD 1: every trace of the plot with one op code (after a value that is read and ignored).
// Returns 0 or the stop code.
int read_all_traces(FreeInput& input, int lag, int trace_count, PlotRequest& req) {
  std::array<int, 1> discard{};
  // A value kept for old dialogue files; a failure is ignored.
  (void)input.read_ints(discard, kAskIgnored);
  std::array<int, 1> op{};
  if (!input.read_ints(op, kAskOpCode)) {
    say({" Standard input for Op Code failed."});
    return 9;
  }
  req.opcode_count = 1;
  req.opcodes[0] = op[0];
  read_smoothing(input, req);
  req.trace_count = std::min(trace_count, tracefile::kMaxTraces);
  for (int i = 0; i < req.trace_count; ++i) {
    req.traces[i] = i + 1;
    req.lags[i] = lag;
  }
  return 0;
}

// METHOD 2: a line of trace numbers, a line of as many op codes, the smoothing numbers and, with
// LAG = -9999, a line of lags.  Returns 0 or the stop code.
int read_listed_traces(FreeInput& input, int lag, PlotRequest& req) {
  std::string line;
  if (!input.read_line(line, kListWidth, kAskTraceList)) {
    say({" Standard input for trace #s failed."});
    return 10;
  }
  req.traces.fill(0);
  int rc = util::ST_SPLI(line, ' ', -1, req.traces, req.trace_count);
  if (req.trace_count < 1 || req.traces[0] < 1 || rc < 0) {
    say({"Invalid trace numbers."});
    return 11;
  }
  // A plot holds 24 traces: more numbers are dropped, and the run says so.
  if (rc > 0) {
    const std::string most = std::to_string(tracefile::kMaxTraces);
    say({" More than " + most + " trace numbers: only the first " + most + " are plotted."});
  }
  if (!input.read_line(line, kListWidth, kAskOpCodeList)) {
    say({" Standard input for Op Codes failed."});
    return 14;
  }
  rc = util::ST_SPLI(line, ' ', -1, req.opcodes, req.opcode_count);
  if (req.opcode_count < 1 || rc < 0) {
    say({"Invalid Op Codes."});
    return 15;
  }
  if (req.opcode_count != req.trace_count) {
    say({"# of Op codes must equal # of traces."});
    return 16;
  }
  read_smoothing(input, req);
  if (lag != kLagList) {
    req.lags.fill(0);
    for (int i = 0; i < req.trace_count; ++i) req.lags[i] = lag;
    return 0;
  }
  if (!input.read_line(line, kListWidth, kAskLagList)) {
    say({" ", "Standard input for individual lag numbers failed."});
    return 17;
  }
  int lag_count = 0;
  (void)util::ST_SPLI(line, ' ', -1, req.lags, lag_count);
  if (lag_count != req.trace_count) {
    say({" ", "# of lag numbers must equal # of traces."});
    return 18;
  }
  return 0;
}

// METHODs 3 to 6: two trace numbers and one op code (METHODs 5 and 6 with the same trace twice:
// two op codes), then the smoothing numbers.  Returns 0 or the stop code.
int read_trace_pair(FreeInput& input, int method, int lag, PlotRequest& req) {
  std::array<int, 2> pair{};
  if (!input.read_ints(pair, kAskTracePair)) {
    say({" Standard input for trace #s failed."});
    return 10;
  }
  req.trace_count = 2;
  req.traces[0] = pair[0];
  req.traces[1] = pair[1];
  const bool two_codes = method == plot::kSkillAgainst || method == plot::kSignificance;
  if (pair[0] == pair[1] && two_codes) {
    std::array<int, 2> ops{};
    if (!input.read_ints(ops, kAskTwoOpCodes)) {
      say({" Same trace requires two different op codes."});
      return 9;
    }
    req.opcode_count = 2;
    req.opcodes[0] = ops[0];
    req.opcodes[1] = ops[1];
  } else {
    std::array<int, 1> op{};
    if (!input.read_ints(op, kAskOpCode)) {
      say({" Standard input for Op Code failed."});
      return 9;
    }
    req.opcode_count = 1;
    req.opcodes[0] = op[0];
    if (two_codes) {
      req.opcode_count = 2;
      req.opcodes[1] = op[0];
    }
  }
  read_smoothing(input, req);
  req.lags[0] = req.lags[1] = lag;
  return 0;
}

}  // namespace

DialogueResult run_dialogue(std::istream& in, util::TextUnit& control, util::TextUnit& trace,
                            tracefile::ReaderState& reader, std::ostream* prompt) {
  FreeInput input(in, prompt);
  if (const int stop = open_files(input, control, trace); stop != 0) return stop_with(stop);
  int plot_count = 0;
  if (int rc = tracefile::RDTD_INI(reader, trace, plot_count)) {
    tracefile::RDTD_MSG(rc, "RDTD_INI", std::cout);
    tracefile::write_error_place(reader.error_place, std::cout);
    return stop_with(5);
  }
  std::array<int, 4> plot_line{};
  if (!input.read_ints(plot_line, kAskPlotLine)) {
    say({" Standard input for plot, method,", " display, and lag numbers failed."});
    return stop_with(6);
  }
  DialogueResult result;
  PlotRequest& req = result.request;
  req.plot = plot_line[0];
  req.method = plot_line[1];
  req.display = plot_line[2];
  const int lag = plot_line[3];
  if (req.plot < 1 || req.plot > plot_count) {
    say({" Plot number ", req.plot, " is invalid."});
    return stop_with(7);
  }
  int trace_count = 0;
  if (int rc = tracefile::RDTD_FND(reader, trace, req.plot, tracefile::kReadData, trace_count,
                                   req.plot_type, std::cout)) {
    tracefile::RDTD_MSG(rc, "RDTD_FND", std::cout);
    tracefile::write_error_place(reader.error_place, std::cout);
    return stop_with(8);
  }

  const int method = req.method;
  int stop = 0;
  if (method == plot::kAllTraces && lag != kLagList) {
    stop = read_all_traces(input, lag, trace_count, req);
  } else if (method == plot::kListedTraces) {
    stop = read_listed_traces(input, lag, req);
  } else if (method >= plot::kDifference && method <= plot::kSignificance && lag != kLagList) {
    stop = read_trace_pair(input, method, lag, req);
  } else {
    if (lag == kLagList) {
      say({" LAG = -9999 is not valid for ", "METHOD = ", method, "."});
    } else {
      say({" METHOD = ", method, " is invalid."});
    }
    return result;  // no plot; the run ends normally
  }
  if (stop != 0) return stop_with(stop);
  result.plot = true;
  return result;
}

}  // namespace kor::driver
