#include "run_program.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
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
// file left in the scratch folder.  The scratch folder's path is written as "<dir>", so two
// captures of the same suite compare byte for byte (diff -r) when the programs behave the same.
void capture(const std::string& program, const ScratchDir& dir, const std::string& input,
             const ProgramRun& run) {
  const char* folder = std::getenv("KOR_E2E_CAPTURE");
  if (folder == nullptr || *folder == '\0') return;
  static std::map<std::string, int> runs;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "run";
  std::replace(name.begin(), name.end(), '/', '_');
  name += "." + std::to_string(++runs[name]);
  const std::string here = dir.path().string();
  std::ostringstream os;
  os << "program " << fs::path(program).filename().string() << "\n--- stdin\n"
     << input << "\n--- status " << run.status << "\n--- stdout\n"
     << run.out << "\n--- stderr\n"
     << run.err;
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    const std::string rel = fs::relative(file, dir.path()).string();
    if (rel == ".stdin" || rel == ".stdout" || rel == ".stderr") continue;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    os << "\n--- file " << rel << "\n" << text.str();
  }
  fs::create_directories(folder);
  std::ofstream(fs::path(folder) / (name + ".txt"), std::ios::binary)
      << replace_all(os.str(), here, "<dir>");
}

}  // namespace

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
  capture(program, dir, input, run);
  return run;
}

}  // namespace kor::e2e
