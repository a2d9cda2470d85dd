#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kor::fuzz {

const std::string& scratch_dir() {
  static const std::string dir = [] {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path path = base / ("kor-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(path, ec);
    if (ec || ::chdir(path.c_str()) != 0) {
      std::fprintf(stderr, "cannot make the scratch folder %s\n", path.c_str());
      std::abort();
    }
    // The folder goes with the process.
    static const struct Remover {
      fs::path path;
      ~Remover() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
      }
    } remover{path};
    return path.string();
  }();
  return dir;
}

std::string write_file(const std::string& name, std::string_view text) {
  const std::string path = scratch_dir() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return path;
}

std::string write_file(const std::string& name, std::span<const std::uint8_t> bytes) {
  return write_file(name,
                    std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void copy_file(const std::string& source, const std::string& name) {
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", source.c_str());
    std::abort();
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  write_file(name, text);
}

}  // namespace kor::fuzz
