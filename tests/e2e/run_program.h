// Support for the end-to-end tests: runs a built program in a scratch directory with a given
// standard input and collects what it wrote.
#ifndef KOR_TESTS_E2E_RUN_PROGRAM_H_
#define KOR_TESTS_E2E_RUN_PROGRAM_H_

#include <filesystem>
#include <string>

namespace kor::e2e {

struct RunResult {
  int status = -1;  // exit status, or 128 + signal number when the program was killed
  std::string out;  // standard output
  std::string err;  // standard error
};

// A fresh, empty directory below the test's working directory, named after `name`, removed when the
// object goes away (kept when the KOR_KEEP_SCRATCH environment variable is set).
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `text` to the file `name` inside the directory.
  void write(const std::string& name, const std::string& text) const;
  // Copies the file `source` into the directory as `name`.
  void copy_in(const std::filesystem::path& source, const std::string& name) const;
  // The contents of the file `name`, or an empty text when it does not exist.
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// The name the kor dialogue test uses for the same result.
using ProgramRun = RunResult;

// Runs `program` with the working directory `dir` and `input` on standard input.
RunResult run_program(const std::string& program, const ScratchDir& dir, const std::string& input);

// The contents of a file outside the scratch directory (test data).
std::string read_file(const std::filesystem::path& path);

}  // namespace kor::e2e

#endif  // KOR_TESTS_E2E_RUN_PROGRAM_H_
