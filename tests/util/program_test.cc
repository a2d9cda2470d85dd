#include "util/program.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace kor::util {
namespace {

constexpr const char* kUsage = "Usage: prog < answers\n";

struct ArgumentCase {
  const char* what;
  std::vector<const char*> argv;  // the program name first
  std::optional<int> status;      // nullopt: the program runs
  const char* out;
  const char* err;
};

TEST(ProgramArguments, OnlyHelpIsAnswered) {
  const ArgumentCase kCases[] = {
      {"no argument runs the program", {"prog"}, std::nullopt, "", ""},
      {"-h", {"prog", "-h"}, 0, kUsage, ""},
      {"--help, further arguments ignored", {"prog", "--help", "x"}, 0, kUsage, ""},
      {"an unknown option",
       {"prog", "-x"},
       2,
       "",
       "prog: unknown argument '-x'\nUsage: prog < answers\n"},
      {"a file name, which belongs on standard input",
       {"prog", "in.txt", "-h"},
       2,
       "",
       "prog: unknown argument 'in.txt'\nUsage: prog < answers\n"},
      {"an empty argument",
       {"prog", ""},
       2,
       "",
       "prog: unknown argument ''\nUsage: prog < answers\n"},
  };
  for (const ArgumentCase& c : kCases) {
    std::ostringstream out, err;
    const auto status =
        answer_arguments("prog", static_cast<int>(c.argv.size()), c.argv.data(), kUsage, out, err);
    EXPECT_EQ(status, c.status) << c.what;
    EXPECT_EQ(out.str(), c.out) << c.what;
    EXPECT_EQ(err.str(), c.err) << c.what;
  }
}

}  // namespace
}  // namespace kor::util
