// Free-form reading of standard input for kor's dialogue.
//
// The dialogue mixes whole-line reads with free-form reads of integers.  A free-form read starts at
// the next line, takes values separated by blanks or commas (continuing onto following lines until
// it has them all; blank lines are passed over), and discards the rest of the line on which it
// ends. A "/" ends the read early, leaving the remaining values as they were; two commas in a row
// leave the value between them unchanged.  Each read may first write a prompt that tells what it
// reads, to a prompt stream given to the constructor (none: nothing is written).
#ifndef KOR_DRIVER_FREE_INPUT_H_
#define KOR_DRIVER_FREE_INPUT_H_

#include <istream>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace kor::driver {

class FreeInput {
 public:
  explicit FreeInput(std::istream& in, std::ostream* prompt = nullptr) : in_(in), prompt_(prompt) {}

  // Reads the next line whole, cut to `width` characters and blank-padded.  False at the end of
  // input.
  [[nodiscard]] bool read_line(std::string& line, std::size_t width, std::string_view ask = {});

  // Reads the next line whole, as long as it is (a trailing carriage return dropped).  False at
  // the end of input.
  [[nodiscard]] bool read_whole_line(std::string& line, std::string_view ask = {});

  // Reads `values.size()` integers.  False at the end of input before all are read or when a value
  // is not an integer; the line on which the read stopped is consumed either way.
  [[nodiscard]] bool read_ints(std::span<int> values, std::string_view ask = {});

 private:
  std::istream& in_;
  std::ostream* prompt_;
};

}  // namespace kor::driver

#endif  // KOR_DRIVER_FREE_INPUT_H_
