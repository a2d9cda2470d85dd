// Helpers shared by the fuzz targets: a private scratch folder in memory that every target works
// in, and writing one input to a file there.
//
// Each target runs in its own folder under /dev/shm (or the temporary folder when /dev/shm is not
// there), made once when the process starts and entered with chdir, so that the files a reader
// looks for in the working directory (probability files, label lists, text outputs) are the
// target's own and no input can reach a file outside it.
#ifndef KOR_FUZZ_FUZZ_SUPPORT_H_
#define KOR_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kor::fuzz {

// The scratch folder of this process (made and entered on the first call).
const std::string& scratch_dir();

// Writes `bytes` to `name` in the scratch folder (replacing it) and returns its path.
std::string write_file(const std::string& name, std::span<const std::uint8_t> bytes);
std::string write_file(const std::string& name, std::string_view text);

// Copies the file `source` into the scratch folder as `name`; aborts when it cannot be read (the
// target would otherwise test nothing).
void copy_file(const std::string& source, const std::string& name);

// The bytes as text.
inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Reads input bytes from the front, little-endian; past the end every read gives zero bytes, so a
// target can always take what it needs.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::int32_t word() {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(byte()) << (8 * i);
    return static_cast<std::int32_t>(u);
  }
  bool empty() const { return at_ >= size_; }
  std::size_t left() const { return at_ < size_ ? size_ - at_ : 0; }
  // The rest of the input, consumed.
  std::string_view rest() {
    const std::string_view r(reinterpret_cast<const char*>(data_) + at_, left());
    at_ = size_;
    return r;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace kor::fuzz

#endif  // KOR_FUZZ_FUZZ_SUPPORT_H_
