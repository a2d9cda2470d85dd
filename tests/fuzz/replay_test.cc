// Replays a fuzz target's inputs in the ordinary builds: its starting corpus (fuzz/corpus/<name>)
// and the inputs of the faults that fuzzing found (tests/data/fuzz/<name>, when there are any).
// The target's own checks abort on a broken rule, and the sanitizer build reports any bad access or
// overflow; here every input must also come back with the target's normal result.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

std::vector<std::filesystem::path> inputs_in(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The test suite is named after the target (KOR_REPLAY_SUITE), so that ctest tells them apart.
#define KOR_REPLAY_TEST(suite) TEST(suite, StartingCorpusAndFaultInputs)

KOR_REPLAY_TEST(KOR_REPLAY_SUITE) {
  if (LLVMFuzzerInitialize != nullptr) {
    int argc = 0;
    char** argv = nullptr;
    LLVMFuzzerInitialize(&argc, &argv);
  }
  std::vector<std::filesystem::path> files = inputs_in(KOR_CORPUS);
  // The starting corpus must be there, or the replay would pass without testing anything.
  ASSERT_FALSE(files.empty()) << KOR_CORPUS;
  for (const auto& f : inputs_in(KOR_FAULT_INPUTS)) files.push_back(f);
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << file;
  }
}

}  // namespace
