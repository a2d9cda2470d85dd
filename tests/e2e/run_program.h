// Runs a built program in a scratch directory with a given standard input and collects what it
// writes, for the end-to-end tests.
#ifndef KOR_TESTS_E2E_RUN_PROGRAM_H_
#define KOR_TESTS_E2E_RUN_PROGRAM_H_

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kor::e2e {

// What kor prints first, what the reader prints of the bundled example's plot 1 (its two traces),
// and the last line of a run that drew on a graphics device: many end-to-end tests expect them.
inline const std::string kBanner = " \n Version of kor = 2017.10\n \n";
inline const std::string kMap1 =
    "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  11\n"
    "  Graph rel trc # =  2 Plot rel trc # =  2 Orig trc # =  12\n";
inline const std::string kStillRunning = "  Warning:  MOBPLT subprocesses are still running.\n";

struct ProgramRun {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// A fresh, empty directory under the system's temporary directory, removed by the destructor.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // Copies `source` into the directory under `name`.
  void copy_in(const std::filesystem::path& source, const std::string& name) const;
  void write(const std::string& name, const std::string& text) const;
  std::string read(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Runs `program` in `dir` with `input` on standard input.
ProgramRun run_program(const std::string& program, const ScratchDir& dir, const std::string& input);
// The same with command-line arguments (each passed as one word).
ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const ScratchDir& dir, const std::string& input = "");

// Runs `program` in `dir` with a terminal (a pseudo-terminal, without echo) as standard input,
// on which `input` is typed and then the end-of-input key; standard output and error go to files
// as with run_program.
ProgramRun run_on_terminal(const std::string& program, const ScratchDir& dir,
                           const std::string& input);

// A program started straight from the test process (no shell between), so that every run of one
// test computes the same graphics queue key (the test's pid + 12340000).  `env` holds
// "NAME=value" settings added to the environment ("NAME=" alone removes NAME).
struct Started {
  pid_t pid = -1;
  std::filesystem::path dir;
  std::string input;
};
Started start_program(const std::string& program, const std::filesystem::path& dir,
                      const std::string& input, const std::vector<std::string>& env = {});
// Waits for a started program and collects what it wrote.
ProgramRun finish_program(const std::string& program, const Started& started);

}  // namespace kor::e2e

#endif  // KOR_TESTS_E2E_RUN_PROGRAM_H_
