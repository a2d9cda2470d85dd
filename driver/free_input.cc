#include "driver/free_input.h"

#include <climits>

#include "util/fixed_read.h"
#include "util/program.h"

namespace kor::driver {
namespace {

bool next_line(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ','; }

}  // namespace

bool FreeInput::read_line(std::string& line, std::size_t width, std::string_view ask) {
  if (!read_whole_line(line, ask)) return false;
  line.resize(width, ' ');
  return true;
}

bool FreeInput::read_whole_line(std::string& line, std::string_view ask) {
  util::ask(prompt_, ask);
  return next_line(in_, line);
}

bool FreeInput::read_ints(std::span<int> values, std::string_view ask) {
  util::ask(prompt_, ask);
  std::size_t filled = 0;
  std::string line;
  while (filled < values.size()) {
    if (!next_line(in_, line)) return false;
    std::size_t i = 0;
    // A comma right after the previous value (or at the start of a line) separates; a second comma
    // with nothing before it is an empty value.
    bool after_value = false;
    while (i < line.size() && filled < values.size()) {
      const char c = line[i];
      if (c == ' ' || c == '\t') {
        ++i;
        continue;
      }
      if (c == '/') return true;
      if (c == ',') {
        if (!after_value) ++filled;  // empty value: left unchanged
        after_value = false;
        ++i;
        continue;
      }
      std::size_t j = i;
      while (j < line.size() && !is_separator(line[j]) && line[j] != '/') ++j;
      long long v = 0;
      const std::string_view token(line.data() + i, j - i);
      if (token.find_first_of("0123456789") == std::string_view::npos ||
          !util::read_int_field(token, v) || v < INT_MIN || v > INT_MAX) {
        return false;
      }
      values[filled++] = static_cast<int>(v);
      after_value = true;
      i = j;
      // The separator that follows a value belongs to it.
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      if (i < line.size() && line[i] == ',') {
        ++i;
        after_value = false;
      }
    }
  }
  return true;
}

}  // namespace kor::driver
