#include "run_program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace kor::e2e {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(const std::string& name) {
  path_ = fs::temp_directory_path() / ("kor_e2e_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void ScratchDir::copy_in(const fs::path& source, const std::string& name) const {
  fs::copy_file(source, path_ / name, fs::copy_options::overwrite_existing);
}

void ScratchDir::write(const std::string& name, const std::string& text) const {
  std::ofstream out(path_ / name, std::ios::binary);
  out << text;
}

std::string ScratchDir::read(const std::string& name) const {
  std::ifstream in(path_ / name, std::ios::binary);
  std::ostringstream os;
  os << in.rdbuf();
  return os.str();
}

namespace {

// Replaces every occurrence of `from` in `text` by `to`.
std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// With KOR_E2E_CAPTURE set to a folder, every run is written there as one file named after the
// test and the run's number within it: the input, exit status, standard output and error, and every
// file left in the scratch folder.  The scratch folder's path is written as "<dir>" (and the pid
// that ends the names of other scratch folders as "<pid>"), so two
// captures of the same suite compare byte for byte (diff -r) when the programs behave the same.
void capture(const std::string& program, const fs::path& dir_path, const std::string& input,
             const ProgramRun& run, const std::string& args = "") {
  const char* folder = std::getenv("KOR_E2E_CAPTURE");
  if (folder == nullptr || *folder == '\0') return;
  static std::map<std::string, int> runs;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "run";
  std::replace(name.begin(), name.end(), '/', '_');
  name += "." + std::to_string(++runs[name]);
  const std::string here = dir_path.string();
  std::ostringstream os;
  os << "program " << fs::path(program).filename().string() << args << "\n--- stdin\n"
     << input << "\n--- status " << run.status << "\n--- stdout\n"
     << run.out << "\n--- stderr\n"
     << run.err;
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir_path)) {
    // A link is set up by the test (to an example file, a program), not written by the run.
    if (entry.is_regular_file() && !entry.is_symlink()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    const std::string rel = fs::relative(file, dir_path).string();
    if (rel == ".stdin" || rel == ".stdout" || rel == ".stderr") continue;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    os << "\n--- file " << rel << "\n" << text.str();
  }
  fs::create_directories(folder);
  // Other scratch folders of the test (a program folder, say) end in the test's pid.
  std::ofstream(fs::path(folder) / (name + ".txt"), std::ios::binary) << replace_all(
      replace_all(os.str(), here, "<dir>"), "_" + std::to_string(::getpid()), "_<pid>");
}

}  // namespace

ProgramRun run_program(const std::string& program, const ScratchDir& dir,
                       const std::string& input) {
  return run_program(program, {}, dir, input);
}

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const ScratchDir& dir, const std::string& input) {
  dir.write(".stdin", input);
  std::string words;
  for (const std::string& a : args) words += " '" + replace_all(a, "'", "'\\''") + "'";
  const std::string command = "cd '" + dir.path().string() + "' && '" + program + "'" + words +
                              " < .stdin > .stdout 2> .stderr";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = dir.read(".stdout");
  run.err = dir.read(".stderr");
  capture(program, dir.path(), input, run, words);
  return run;
}

ProgramRun run_on_terminal(const std::string& program, const ScratchDir& dir,
                           const std::string& input) {
  ProgramRun run;
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return run;
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  termios mode{};
  if (terminal < 0 || tcgetattr(terminal, &mode) != 0) return run;
  mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);  // what is typed does not come back
  (void)tcsetattr(terminal, TCSANOW, &mode);
  // Lines wait in the terminal until the program reads them; the end-of-input key at the start of
  // a line ends the input.
  const std::string typed = input + static_cast<char>(mode.c_cc[VEOF]);
  if (write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) return run;
  const std::string out = (dir.path() / ".stdout").string(),
                    err = (dir.path() / ".stderr").string();
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd1 = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int fd2 = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (chdir(dir.path().c_str()) != 0 || fd1 < 0 || fd2 < 0) _exit(127);
    dup2(terminal, 0);
    dup2(fd1, 1);
    dup2(fd2, 2);
    close(master);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(terminal);
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
  }
  close(master);
  run.out = dir.read(".stdout");
  run.err = dir.read(".stderr");
  capture(program, dir.path(), input, run);
  return run;
}

namespace {

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream os;
  os << in.rdbuf();
  return os.str();
}

}  // namespace

Started start_program(const std::string& program, const fs::path& dir, const std::string& input,
                      const std::vector<std::string>& env) {
  Started s{-1, dir, input};
  std::ofstream(dir / ".stdin", std::ios::binary) << input;
  const std::string in = (dir / ".stdin").string(), out = (dir / ".stdout").string(),
                    err = (dir / ".stderr").string();
  s.pid = fork();
  if (s.pid != 0) return s;
  // The child: only async-signal-safe work would be strictly right here, but the test process is
  // single-threaded at this point.
  if (chdir(dir.c_str()) != 0) _exit(127);
  const int fd0 = open(in.c_str(), O_RDONLY);
  const int fd1 = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int fd2 = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd0 < 0 || fd1 < 0 || fd2 < 0) _exit(127);
  dup2(fd0, 0);
  dup2(fd1, 1);
  dup2(fd2, 2);
  for (const std::string& e : env) {
    const auto eq = e.find('=');
    if (eq == e.size() - 1) {
      unsetenv(e.substr(0, eq).c_str());
    } else {
      setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
    }
  }
  execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

ProgramRun finish_program(const std::string& program, const Started& started) {
  ProgramRun run;
  int status = 0;
  if (started.pid > 0 && waitpid(started.pid, &status, 0) == started.pid && WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
  }
  run.out = read_file(started.dir / ".stdout");
  run.err = read_file(started.dir / ".stderr");
  capture(program, started.dir, started.input, run);
  return run;
}

}  // namespace kor::e2e
