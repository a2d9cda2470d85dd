#include "run_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

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

ProgramRun run_program(const std::string& program, const ScratchDir& dir,
                       const std::string& input) {
  dir.write(".stdin", input);
  const std::string command =
      "cd '" + dir.path().string() + "' && '" + program + "' < .stdin > .stdout 2> .stderr";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = dir.read(".stdout");
  run.err = dir.read(".stderr");
  return run;
}

}  // namespace kor::e2e
