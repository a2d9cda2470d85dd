// Free-form reading of standard input for kor's dialogue.
//
// The dialogue mixes whole-line reads with free-form reads of integers.  A free-form read starts at
// the next line, takes values separated by blanks or commas (continuing onto following lines until
// it has them all; blank lines are passed over), and discards the rest of the line on which it
// ends. A "/" ends the read early, leaving the remaining values as they were; two commas in a row
// leave the value between them unchanged.
#ifndef KOR_DRIVER_FREE_INPUT_H_
#define KOR_DRIVER_FREE_INPUT_H_

#include <istream>
#include <span>
#include <string>

namespace kor::driver {

class FreeInput {
 public:
  explicit FreeInput(std::istream& in) : in_(in) {}

  // Reads the next line whole, cut to `width` characters and blank-padded.  False at the end of
  // input.
  [[nodiscard]] bool read_line(std::string& line, std::size_t width);

  // Reads `values.size()` integers.  False at the end of input before all are read or when a value
  // is not an integer; the line on which the read stopped is consumed either way.
  [[nodiscard]] bool read_ints(std::span<int> values);

 private:
  std::istream& in_;
};

}  // namespace kor::driver

#endif  // KOR_DRIVER_FREE_INPUT_H_
