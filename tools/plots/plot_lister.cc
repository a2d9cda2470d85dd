#include "tools/plots/plot_lister.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <istream>
#include <cctype>
#include <memory>
#include <sstream>
#include <ostream>
#include <string>
#include <string_view>

#include "plot/condition_text.h"
#include "tracefile/messages.h"
#include "tracefile/reader.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/program.h"
#include "util/text.h"
#include "util/unit.h"

namespace kor::plots {
namespace {

constexpr std::size_t kInputWidth = 512;  // the input line
constexpr std::size_t kNameWidth = 128;   // the trace data file name
constexpr int kMaxLabelLines = 24;        // label lines asked of the reader per call
constexpr int kLabelTextWidth = 64;       // width of one label line
constexpr std::size_t kStatWidth = 16;    // statistic type and parameter label as listed
constexpr int kTraceDataUnit = 11;

constexpr std::string_view kPlotKinds[] = {
    " is a time series",
    " is a scatter plot",
    " is a skill score plot",
    " is a binned data plot",
};

class Lister {
 public:
  // The listing and its messages go to `out`; with `plot_list`, the messages go to `messages`
  // and the listing is dropped for the plot list's lines.
  Lister(std::ostream& out, std::ostream& messages, const PlotListRequest* plot_list)
      : out_(out), msg_(messages), plot_list_(plot_list) {}

  int run(std::istream& in, std::ostream* prompt);

 private:
  void say(std::initializer_list<util::ListItem> items) { util::list_write(out_, items); }
  void tell(std::initializer_list<util::ListItem> items) { util::list_write(msg_, items); }
  void plot_list_line(int plot);
  void line(const std::string& text) { out_ << text << '\n'; }
  void label_lines(const tracefile::LabelLines& lines);
  [[nodiscard]] bool write_trace_num(int trace_count, int plot_type);
  [[nodiscard]] int list_plot(int plot, bool last, bool& go_on);
  void list_general_labels();
  void list_trace_labels(int trace_count);

  std::ostream& out_;
  std::ostream& msg_;
  const PlotListRequest* plot_list_;
  util::TextUnit unit_{kTraceDataUnit};
  std::string trace_file_;
  std::unique_ptr<tracefile::ReaderState> state_ = std::make_unique<tracefile::ReaderState>();
};

// The first line of `in` cut to the input width; blank when there is none.
std::string read_input_line(std::istream& in) {
  std::string text;
  if (!std::getline(in, text)) text.clear();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  if (text.size() > kInputWidth) text.resize(kInputWidth);
  return text;
}

bool is_file(const std::string& name) {
  struct stat st {};
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// The file name and the plot number text of the input line (see list_plots).
std::array<std::string, 2> name_and_plot(const std::string& input) {
  const std::string line = util::ST_LJST(input);
  if (is_file(line)) return {line, ""};
  const std::size_t last_blank = line.find_last_of(" \t");
  if (last_blank != std::string::npos) {
    std::string name(util::rtrim(line.substr(0, last_blank)));
    if (is_file(name)) return {std::move(name), line.substr(last_blank + 1)};
  }
  // The first two words, taken whole so that a name longer than the name field is refused
  // instead of being cut to the name of some other file.
  const std::size_t name_end = std::min(line.find_first_of(" \t"), line.size());
  const std::string rest = util::ST_LJST(line.substr(name_end));
  return {line.substr(0, name_end),
          rest.substr(0, std::min(rest.find_first_of(" \t"), rest.size()))};
}

// A statistic type or parameter label as the listing shows it: cut to 16 characters.
std::string listed(std::string_view label) { return util::pad(label, kStatWidth); }

int Lister::run(std::istream& in, std::ostream* prompt) {
  say({});
  say({"Version of kor = 2017.10"});
  say({});

  util::ask(prompt, "Trace data file name and plot number (none or 0: every plot): ");
  const std::array<std::string, 2> tokens = name_and_plot(read_input_line(in));
  const std::string& name = tokens[0];
  trace_file_ = name;
  if (name.size() > kNameWidth || !is_file(name) || !unit_.open(name)) {
    tell({" Cannot open ", name});
    if (name.size() > kNameWidth) util::write_name_too_long(msg_, kNameWidth);
    return kStopCannotOpen;
  }

  int plot = 0;
  if (util::ST_TLEN(tokens[1]) > 0) {
    // A plot number that is not a number, or a negative one, names no plot of any file.
    if (util::ST_TINT(tokens[1], plot) != 0 || plot < 0) {
      tell({" Plot number ", std::string(util::rtrim(tokens[1])), " is invalid."});
      return kStopBadPlotNumber;
    }
  }

  int plot_count = 0;
  if (int rc = tracefile::RDTD_INI(*state_, unit_, plot_count); rc != 0) {
    tracefile::RDTD_MSG(rc, "RDTD_INI", msg_);
    tracefile::write_error_place(state_->error_place, msg_);
    return kStopIniFailed;
  }
  if (plot > plot_count) {
    tell({plot, " exceeds plot count = ", plot_count});
    return kStopBadPlotNumber;
  }
  say({});
  say({" Number of plots available = ", plot_count});
  if (plot_list_) {
    *plot_list_->list << "# CONTROL | TRACEFILE | PLOT METHOD DISPLAY LAG | TRACES | OPCODES | "
                         "SMOOTHING | LAGS | NAME\n";
  }

  const int first = plot != 0 ? plot : 1;
  const int last = plot != 0 ? plot : plot_count;
  bool go_on = true;
  for (int p = first; p <= last && go_on; ++p) {
    if (int code = list_plot(p, p == last, go_on); code != 0) return code;
  }
  unit_.close();
  return 0;
}

// Lists plot `plot`.  Returns 0 or a stop code; `go_on` turns false when the reader failed on the
// plot, which ends the listing.
int Lister::list_plot(int plot, bool last, bool& go_on) {
  if (plot != 1) {
    unit_.rewind();
    int plot_count = 0;
    (void)tracefile::RDTD_INI(*state_, unit_, plot_count);
  }
  int trace_count = 0;
  int plot_type = 0;
  const int rc = tracefile::RDTD_FND(*state_, unit_, plot, 0, trace_count, plot_type, msg_);
  if (last && !write_trace_num(trace_count, plot_type)) {
    tell({"Cannot write to file trace.num"});
    return kStopTraceNum;
  }
  if (rc != 0) {
    tracefile::RDTD_MSG(rc, "", msg_);
    tracefile::write_error_place(state_->error_place, msg_);
  }
  if (rc < 0) {
    go_on = false;
    return 0;
  }

  say({});
  if (plot_type < 1 || plot_type > static_cast<int>(std::size(kPlotKinds))) {
    tell({plot_type, " is not a valid plot type."});
    unit_.close();
    return kStopInvalidPlotType;
  }
  say({" PLOT # ", plot, kPlotKinds[plot_type - 1], " composed of ", trace_count, " trace(s)."});
  if (plot_list_) plot_list_line(plot);

  say({});
  say({" INDEPENDENT VARIABLE FOR THIS PLOT:"});
  say({});
  line(util::format("(5X,A)", {plot::joined_condition_text(*state_)}));

  list_general_labels();
  list_trace_labels(trace_count);
  return 0;
}

// One plot of the file in the plot list: all its traces (METHOD 1) with the request's op code
// on the plot's own display, no lag and no smoothing, named after the trace data file, the plot
// and the op code.
void Lister::plot_list_line(int plot) {
  std::string stem = trace_file_.substr(trace_file_.find_last_of('/') + 1);
  if (const std::size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0) {
    stem.resize(dot);
  }
  for (char& c : stem) {
    const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' ||
                       c == '-' || c == '+';
    if (!plain) c = '_';
  }
  const std::string code = std::to_string(plot_list_->opcode);
  *plot_list_->list << plot_list_->control << " | " << trace_file_ << " | " << plot
                    << " 1 1 0 | 0 | " << code << " | 0 0 |  | " << stem << "-p" << plot << "-"
                    << code << '\n';
}

bool Lister::write_trace_num(int trace_count, int plot_type) {
  std::ofstream file("trace.num", std::ios::out | std::ios::trunc);
  if (!file.is_open()) return false;
  util::list_write(file, {trace_count, plot_type});
  file.close();
  return !file.fail();
}

void Lister::label_lines(const tracefile::LabelLines& lines) {
  const int n = std::min<int>(lines.count, static_cast<int>(lines.text.size()));
  for (int i = 0; i < n; ++i) {
    const std::string& text = lines.text[i];
    const std::size_t length =
        std::min<std::size_t>(text.size(), static_cast<std::size_t>(std::max(0, lines.length[i])));
    line(util::format("(I3,3X,A5,4X,A)", {i + 1, lines.name[i], text.substr(0, length)}));
  }
}

void Lister::list_general_labels() {
  tracefile::LabelLines lines;
  if (int rc = tracefile::RDTD_GLB(*state_, kMaxLabelLines, kLabelTextWidth, lines); rc != 0) {
    tracefile::RDTD_MSG(rc, "RDTD_GLB", msg_);
    return;
  }
  const std::string stat(util::rtrim(listed(lines.stat_type)));
  if (lines.count == 0) {
    say({});
    say({" There are no general labels."});
    say({});
    say({" STAT = ", stat});
    return;
  }
  say({});
  say({" STAT = ", stat});
  say({});
  line("             GENERAL LABELS");
  line("  #  FLD NAM      LABEL");
  label_lines(lines);
}

void Lister::list_trace_labels(int trace_count) {
  for (int t = 1; t <= trace_count; ++t) {
    tracefile::LabelLines lines;
    if (int rc = tracefile::RDTD_TLB(*state_, t, kMaxLabelLines, kLabelTextWidth, lines); rc != 0) {
      tracefile::RDTD_MSG(rc, "RDTD_TLB", msg_);
      continue;
    }
    say({});
    say({" STAT = ", listed(lines.stat_type),
         " PARM = ", std::string(util::rtrim(listed(lines.param_label)))});
    say({});
    line(util::format("('    TRACE # ',I2,' LABELS')", {t}));
    line("  #  FLD NAM      LABEL");
    label_lines(lines);
  }
}

}  // namespace

int list_plots(std::istream& in, std::ostream& out, std::ostream* prompt) {
  Lister lister(out, out, nullptr);
  return lister.run(in, prompt);
}

int write_plot_list(std::istream& in, const PlotListRequest& request, std::ostream* prompt) {
  std::ostringstream listing;
  Lister lister(listing, *request.messages, &request);
  const int code = lister.run(in, prompt);
  request.list->flush();
  return code;
}

}  // namespace kor::plots
