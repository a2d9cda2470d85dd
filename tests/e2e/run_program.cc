#include "run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kor::e2e {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(const std::string& name) : path_(fs::current_path() / "scratch" / name) {
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  if (std::getenv("KOR_KEEP_SCRATCH") != nullptr) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void ScratchDir::write(const std::string& name, const std::string& text) const {
  std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << text;
}

void ScratchDir::copy_in(const fs::path& source, const std::string& name) const {
  fs::copy_file(source, path_ / name, fs::copy_options::overwrite_existing);
}

std::string ScratchDir::read(const std::string& name) const { return read_file(path_ / name); }

bool ScratchDir::exists(const std::string& name) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path_ / name, ec));
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

RunResult run_program(const std::string& program, const ScratchDir& dir, const std::string& input) {
  // Standard input, output and error go through files in the scratch directory's parent, so that
  // the program sees only the files a test put there.
  const fs::path io = dir.path().parent_path() / (dir.path().filename().string() + ".io");
  fs::create_directories(io);
  const fs::path in_path = io / "stdin";
  const fs::path out_path = io / "stdout";
  const fs::path err_path = io / "stderr";
  std::ofstream(in_path, std::ios::binary | std::ios::trunc) << input;

  RunResult result;
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int in_fd = open(in_path.c_str(), O_RDONLY);
    const int out_fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0 || dup2(in_fd, 0) < 0 || dup2(out_fd, 1) < 0 ||
        dup2(err_fd, 2) < 0 || chdir(dir.path().c_str()) != 0) {
      _exit(127);
    }
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  if (WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.status = 128 + WTERMSIG(status);
  }
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  std::error_code ec;
  if (std::getenv("KOR_KEEP_SCRATCH") == nullptr) fs::remove_all(io, ec);
  return result;
}

}  // namespace kor::e2e
