#include "tools/select/control.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>

#include "tools/select/record.h"
#include "tracefile/format.h"
#include "tracefile/messages.h"
#include "tracefile/reader.h"
#include "util/format.h"
#include "util/text.h"

namespace kor::select {
namespace {

using tracefile::kGroupRecordWidth;

std::string at_line(const std::string& name, std::size_t line) {
  return name + ":" + std::to_string(line) + ": ";
}

// A stream that swallows what the reader writes while it checks the header section.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

// Runs the trace data file's reader over the header section (with its "EOCF" record), as kor and
// kor_plots will read it: RDTD_INI, then RDTD_FND without data for every plot.  `lines` maps the
// header's lines to the control file's.
bool check_with_reader(const std::string& name, const std::string& header,
                       const std::vector<std::size_t>& lines, const std::vector<int>& plots,
                       std::string& error) {
  std::string path = (std::filesystem::temp_directory_path() / "kor_select_XXXXXX").string();
  const int fd = ::mkstemp(path.data());
  if (fd < 0) {
    error = "cannot write a scratch file to check the control file in " +
            std::filesystem::temp_directory_path().string();
    return false;
  }
  ::close(fd);
  {
    std::ofstream out(path, std::ios::binary);
    out << header << "EOCF\n";
  }
  auto reader = std::make_unique<tracefile::ReaderState>();
  NullBuffer null_buffer;
  std::ostream null_stream(&null_buffer);
  util::TextUnit unit(8);
  int rc = unit.open(path) ? 0 : -4;
  int plot_count = 0;
  int plot = 0;
  if (rc == 0) rc = tracefile::RDTD_INI(*reader, unit, plot_count);
  for (std::size_t i = 0; rc == 0 && i < plots.size(); ++i) {
    plot = plots[i];
    rc = tracefile::RDTD_INI(*reader, unit, plot_count);
    int traces = 0, type = 0;
    if (rc == 0)
      rc = tracefile::RDTD_FND(*reader, unit, plot, tracefile::kHeadersOnly, traces, type,
                               null_stream);
  }
  unit.close();
  std::remove(path.c_str());
  if (rc == 0) return true;
  const tracefile::ErrorPlace& place = reader->error_place;
  std::string where = name + ": ";
  if (place.known && place.line >= 1 && place.line <= lines.size() && !place.at_end) {
    where = at_line(name, lines[place.line - 1]);
  } else if (place.known && place.at_end) {
    where = name + ": at its end: ";
  }
  error = where + "the header section it makes is refused by the trace data file's reader" +
          (plot > 0 ? " (plot " + std::to_string(plot) + ")" : std::string()) + ": " +
          tracefile::reader_message(rc);
  return false;
}

// The number a cell's value stands for: the value itself, or the number after a comparison sign
// (">12.7", ">=5", "ge5", ...), so that thresholds label their cells by their numbers.
std::optional<double> cell_number(std::string_view value) {
  static constexpr std::string_view kSigns[] = {">=", "<=", "==", "!=", "ge", "gt", "le",
                                                "lt", "eq", "ne", ">",  "<",  "="};
  for (std::string_view sign : kSigns) {
    if (value.substr(0, sign.size()) == sign) {
      value.remove_prefix(sign.size());
      break;
    }
  }
  return read_number(value);
}

std::string cell_text(const tracefile::Condition& c) {
  std::string text(util::rtrim(tracefile::condition_value(c)));
  if (tracefile::is_pair_type(c.type))
    text += "-" + std::string(util::rtrim(tracefile::pair_value(c)));
  return text;
}

// The conditions of a trace on field `id`, as one text to compare between traces.
std::string field_conditions(const TraceSelection& t, int id) {
  std::string text;
  for (const FieldGroup& g : t.dependent) {
    if (g.field_id != id) continue;
    text += "[";
    for (const Selector& s : g.selectors) {
      text += std::to_string(s.type) + " " + s.low.text + " " + s.high.text + ";";
    }
    text += "]";
  }
  return text;
}

// The layout in which the reader turns a skill-score plot's labels to texts: "(F8.0)" when the
// plot's first trace is selected with a statistic type that contains "FSS", else "(F10.2)".
const char* skill_label_layout(const TraceSelection& first) {
  for (const FieldGroup& g : first.dependent) {
    if (g.field_id == kStatsField && !g.selectors.empty()) {
      return g.selectors[0].low.text.find("FSS") != std::string::npos ? "(F8.0)" : "(F10.2)";
    }
  }
  return "(F10.2)";
}

}  // namespace

bool parse_control(const std::string& name, const std::string& text, Control& out,
                   std::string& error) {
  Control control;
  control.path = name;
  std::vector<std::size_t> header_lines;  // control line of each header line
  std::vector<int> trace_plot;            // plot of each trace number seen, by first appearance
  std::vector<int> trace_numbers;
  // The first independent group's condition records of each trace, for the cell labels.
  std::vector<std::vector<tracefile::Condition>> label_cells;

  std::istringstream in(text);
  std::string line;
  std::size_t number = 0;
  int pending = 0;  // condition records still to come in the current group
  FieldGroup* group = nullptr;
  TraceSelection* trace = nullptr;
  std::vector<tracefile::Condition>* cells = nullptr;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (pending == 0 && util::rtrim(line).empty()) continue;
    if (pending == 0 && tracefile::is_eocf(line)) break;
    const std::string record = util::cut(line, kGroupRecordWidth);
    control.header += line + "\n";
    header_lines.push_back(number);
    if (pending > 0) {
      tracefile::Condition c;
      const int rc = tracefile::parse_condition(record, c);
      if (rc == -3) {
        error =
            at_line(name, number) + "a condition record needs five tokens (type and four values)";
        return false;
      }
      if (rc != 0) {
        error =
            at_line(name, number) + "the condition type \"" + c.tokens[0] + "\" is not a number";
        return false;
      }
      if (!is_selection_type(c.type)) {
        error = at_line(name, number) + "condition type " + std::to_string(c.type) +
                " cannot select records (types 0 to 8 and 10 to 18 can)";
        return false;
      }
      group->selectors.push_back(make_selector(c));
      if (cells != nullptr) cells->push_back(c);
      --pending;
      continue;
    }
    tracefile::GroupHeader h;
    if (tracefile::parse_group_header(record, h) != 0 || h.trace == -99 || h.field_id == -99 ||
        h.kind == -99 || h.n == -99 || h.plot == -99 || h.type == -99) {
      error = at_line(name, number) +
              "a group header holds seven integers: trace number, field ID, group kind, trace "
              "value, record count, plot number, plot type";
      return false;
    }
    if (h.plot < 1) {
      error = at_line(name, number) + "plot number " + std::to_string(h.plot) + " is below 1";
      return false;
    }
    if (h.type < 1 || h.type > 4) {
      error = at_line(name, number) + "plot type " + std::to_string(h.type) +
              " is none of 1 (time series), 2 (scatter), 3 (skill score), 4 (binned data)";
      return false;
    }
    if (!is_record_field_id(h.field_id)) {
      error = at_line(name, number) + "field ID " + std::to_string(h.field_id) +
              " names no field of a verification record (1 to 24, 101 to 128)";
      return false;
    }
    // The plot and the trace of the group.
    auto plot = std::find_if(control.plots.begin(), control.plots.end(),
                             [&](const PlotSelection& p) { return p.number == h.plot; });
    if (plot == control.plots.end()) {
      control.plots.push_back(PlotSelection{});
      plot = control.plots.end() - 1;
      plot->number = h.plot;
      plot->type = h.type;
    }
    const auto seen = std::find(trace_numbers.begin(), trace_numbers.end(), h.trace);
    if (seen != trace_numbers.end() && trace_plot[seen - trace_numbers.begin()] != h.plot) {
      error = at_line(name, number) + "trace number " + std::to_string(h.trace) +
              " belongs to plot " + std::to_string(trace_plot[seen - trace_numbers.begin()]) +
              " already; a trace data file holds each trace's data once";
      return false;
    }
    if (seen == trace_numbers.end()) {
      trace_numbers.push_back(h.trace);
      trace_plot.push_back(h.plot);
      label_cells.emplace_back();
    }
    auto t = std::find_if(plot->traces.begin(), plot->traces.end(),
                          [&](const TraceSelection& x) { return x.file_trace == h.trace; });
    if (t == plot->traces.end()) {
      plot->traces.push_back(TraceSelection{});
      t = plot->traces.end() - 1;
      t->file_trace = h.trace;
      t->line = number;
    }
    trace = &*t;
    std::vector<FieldGroup>& groups = h.kind == 1 ? trace->independent : trace->dependent;
    groups.push_back(FieldGroup{h.field_id, {}, number});
    group = &groups.back();
    cells = nullptr;
    if (h.kind == 1) {
      if (groups.size() > static_cast<std::size_t>(tracefile::kMaxIndGroups)) {
        error = at_line(name, number) + "trace " + std::to_string(h.trace) + " has more than " +
                std::to_string(tracefile::kMaxIndGroups) + " independent-variable groups";
        return false;
      }
      if (h.n > tracefile::kMaxCells) {
        error = at_line(name, number) + "an independent-variable group holds at most " +
                std::to_string(tracefile::kMaxCells) + " cells, this one " + std::to_string(h.n);
        return false;
      }
      if (groups.size() == 1) {
        cells = &label_cells[std::find(trace_numbers.begin(), trace_numbers.end(), h.trace) -
                             trace_numbers.begin()];
      }
    }
    pending = h.n;
    group->selectors.reserve(static_cast<std::size_t>(std::min(h.n, 64)));
  }
  if (pending > 0) {
    error = name + ": the file ends inside the group of line " + std::to_string(group->line) +
            " (" + std::to_string(pending) + " condition records missing)";
    return false;
  }
  if (control.plots.empty()) {
    error = name + ": no condition group: the control file describes no plot";
    return false;
  }
  std::sort(control.plots.begin(), control.plots.end(),
            [](const PlotSelection& a, const PlotSelection& b) { return a.number < b.number; });
  std::vector<int> plot_numbers;
  for (const PlotSelection& p : control.plots) plot_numbers.push_back(p.number);
  if (!check_with_reader(name, control.header, header_lines, plot_numbers, error)) return false;

  for (PlotSelection& p : control.plots) {
    if (p.traces.size() > static_cast<std::size_t>(tracefile::kMaxTraces)) {
      error = at_line(name, p.traces[tracefile::kMaxTraces].line) + "plot " +
              std::to_string(p.number) + " has more than " + std::to_string(tracefile::kMaxTraces) +
              " traces";
      return false;
    }
    const TraceSelection& first = p.traces.front();
    p.cells =
        first.independent.empty() ? 0 : static_cast<int>(first.independent[0].selectors.size());
    if (!tracefile::is_time_plot(p.type) && p.cells == 0) {
      error = at_line(name, first.line) + "plot " + std::to_string(p.number) +
              " has no independent-variable group (group kind 1): its cells are its points";
      return false;
    }
    for (TraceSelection& t : p.traces) {
      // A trace without independent-variable groups takes the plot's first trace's.
      if (t.independent.empty()) t.independent = first.independent;
      const auto& raw =
          label_cells[std::find(trace_numbers.begin(), trace_numbers.end(), t.file_trace) -
                      trace_numbers.begin()];
      const auto& source = raw.empty()
                               ? label_cells[std::find(trace_numbers.begin(), trace_numbers.end(),
                                                       first.file_trace) -
                                             trace_numbers.begin()]
                               : raw;
      if (tracefile::is_time_plot(p.type)) continue;
      t.real_labels = true;
      for (const tracefile::Condition& c : source) {
        std::optional<double> v =
            c.type == 0 ? std::nullopt : cell_number(util::rtrim(tracefile::condition_value(c)));
        // The label as the reader will see it: written under E24.7 and read back.
        if (v && std::fabs(*v) < 1e30) {
          v = read_number(util::rtrim(util::ST_LJST(util::format("(E24.7)", {*v}))));
        } else {
          v.reset();
        }
        t.cell_numbers.push_back(v.value_or(0.0));
        t.cell_texts.push_back(util::cut(cell_text(c), tracefile::kLabelWidth));
        if (!v) t.real_labels = false;
      }
      // The reader takes real labels within 0.001 of each other for one; texts must differ.
      for (std::size_t i = 0; i < source.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
          if (t.real_labels && std::fabs(t.cell_numbers[i] - t.cell_numbers[j]) <= 0.001) {
            t.real_labels = false;
          }
        }
      }
      for (std::size_t i = 0; !t.real_labels && i < source.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
          if (t.cell_texts[i] == t.cell_texts[j]) {
            error = at_line(name, t.independent[0].line) + "cells " + std::to_string(j + 1) +
                    " and " + std::to_string(i + 1) + " of trace " + std::to_string(t.file_trace) +
                    " have the same label \"" + t.cell_texts[i] + "\"";
            return false;
          }
        }
      }
      if (!t.real_labels && p.type == tracefile::kSkillScorePlot) {
        error = at_line(name, t.independent[0].line) + "plot " + std::to_string(p.number) +
                " is a skill-score plot (type 3), whose points need numbers as labels, but the "
                "cells of trace " +
                std::to_string(t.file_trace) +
                " are not all distinct numbers; a binned-data plot (type 4) takes text labels";
        return false;
      }
      // A skill-score plot writes its labels as texts of ten columns (F10.2; F8.0 for FSS).
      const char* layout = skill_label_layout(first);
      for (std::size_t i = 0; p.type == tracefile::kSkillScorePlot && i < source.size(); ++i) {
        if (util::format(layout, {t.cell_numbers[i]}).find('*') != std::string::npos) {
          error = at_line(name, t.independent[0].line) + "cell " + std::to_string(i + 1) +
                  " of trace " + std::to_string(t.file_trace) + ", " + t.cell_texts[i] +
                  ", is too large for the label of a skill-score plot " + layout;
          return false;
        }
      }
    }
    for (int id = 1; id <= kRecordFields; ++id) {
      const std::string ref = field_conditions(first, id);
      for (const TraceSelection& t : p.traces) {
        if (field_conditions(t, id) != ref) {
          p.trace_fields.push_back(id);
          break;
        }
      }
    }
  }
  out = std::move(control);
  return true;
}

bool read_control(const std::string& path, Control& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the control file";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return parse_control(path, text.str(), out, error);
}

}  // namespace kor::select
