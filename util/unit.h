// A sequential text file opened on a numbered unit: read line by line, rewound on request.
// Records are lines; a trailing carriage return is dropped so that files written on other systems
// read alike.
#ifndef KOR_UTIL_UNIT_H_
#define KOR_UTIL_UNIT_H_

#include <fstream>
#include <string>
#include <string_view>

namespace kor::util {

class TextUnit {
 public:
  TextUnit() = default;
  explicit TextUnit(int number) : number_(number) {}

  // Opens an existing file for reading.  Returns false when it cannot be opened.
  [[nodiscard]] bool open(const std::string& path);
  void close();
  bool is_open() const { return in_.is_open(); }
  int number() const { return number_; }
  const std::string& path() const { return path_; }
  // The number of the last record read since the file was opened or rewound (its line number,
  // from 1; 0 before the first), and whether the last read found the end of the file instead of a
  // record.
  std::size_t record_number() const { return record_; }
  bool at_end() const { return at_end_; }

  // Reads the next record into `line`.  Returns false at the end of the file or on a read error.
  [[nodiscard]] bool read(std::string& line);
  // Reads the next record cut to its first `width` characters and blank-padded to `width`.
  [[nodiscard]] bool read(std::string& line, std::size_t width);
  // Positions the unit before its first record.
  void rewind();

 private:
  int number_ = 0;
  std::string path_;
  std::ifstream in_;
  std::size_t record_ = 0;
  bool at_end_ = false;
};

}  // namespace kor::util

#endif  // KOR_UTIL_UNIT_H_
