// What the three programs share around their standard input: the command line, which only asks
// for the usage text; the prompts that tell a user at a terminal what the next answer is; and the
// refusal of a file name longer than its field.
#ifndef KOR_UTIL_PROGRAM_H_
#define KOR_UTIL_PROGRAM_H_

#include <iosfwd>
#include <optional>
#include <string_view>

namespace kor::util {

// The version of the package, which every program prints for --version ("<program> <version>").
// The banner of kor and kor_plots keeps the version of the trace data format it was made for.
inline constexpr std::string_view kPackageVersion = "2026.12";

// The programs take every answer from standard input, so an argument can only ask for help or
// the version.  With no argument: nullopt, the program runs.  "-h" or "--help" (first argument):
// the usage on `out`, status 0; "--version": "<program> <version>" on `out`, status 0.  Anything
// else: "<program>: unknown argument '<arg>'" and the usage on `err`, status 2.  `argc` and `argv`
// are main's.
[[nodiscard]] std::optional<int> answer_arguments(std::string_view program, int argc,
                                                  const char* const* argv, std::string_view usage,
                                                  std::ostream& out, std::ostream& err);

// Where prompts go: standard output when standard input is a terminal, else nowhere (nullptr), so
// that a run fed from a file or a pipe prints exactly what it always printed.
std::ostream* prompt_stream();

// Writes `text` and flushes it, when `prompt` is not null.
void ask(std::ostream* prompt, std::string_view text);

// Writes the line that follows " Cannot open <name>" when the name is longer than the `width`
// characters of its field: the name is refused rather than cut to a shorter name, which may be
// another file.
void write_name_too_long(std::ostream& os, std::size_t width);

}  // namespace kor::util

#endif  // KOR_UTIL_PROGRAM_H_
