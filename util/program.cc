#include "util/program.h"

#include <unistd.h>

#include <iostream>
#include <string>

#include "util/listout.h"

namespace kor::util {

std::optional<int> answer_arguments(std::string_view program, int argc, const char* const* argv,
                                    std::string_view usage, std::ostream& out, std::ostream& err) {
  if (argc < 2 || argv == nullptr || argv[1] == nullptr) return std::nullopt;
  const std::string_view first = argv[1];
  if (first == "-h" || first == "--help") {
    out << usage << std::flush;
    return 0;
  }
  if (first == "--version") {
    out << program << " " << kPackageVersion << "\n" << std::flush;
    return 0;
  }
  err << program << ": unknown argument '" << first << "'\n" << usage << std::flush;
  return 2;
}

std::ostream* prompt_stream() { return ::isatty(STDIN_FILENO) ? &std::cout : nullptr; }

void ask(std::ostream* prompt, std::string_view text) {
  if (prompt == nullptr) return;
  *prompt << text << std::flush;
}

void write_name_too_long(std::ostream& os, std::size_t width) {
  list_write(os, {" The file name is longer than " + std::to_string(width) +
                  " characters; it is not cut to fit."});
}

}  // namespace kor::util
