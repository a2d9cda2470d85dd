#include "graphics/words.h"

#include <bit>
#include <cstring>

namespace kor::graphics {

Word real_word(float value) { return std::bit_cast<Word>(value); }

float word_real(Word word) { return std::bit_cast<float>(word); }

int text_words(int length) { return length <= 0 ? 1 : (length - 1) / 4 + 1; }

std::vector<Word> pack_text(std::string_view text, int words) {
  std::vector<Word> out(static_cast<std::size_t>(words < 0 ? 0 : words));
  for (std::size_t w = 0; w < out.size(); ++w) {
    char bytes[4] = {' ', ' ', ' ', ' '};
    for (std::size_t k = 0; k < 4; ++k) {
      const std::size_t i = 4 * w + k;
      if (i < text.size()) bytes[k] = text[i];
    }
    std::memcpy(&out[w], bytes, 4);
  }
  return out;
}

std::string unpack_text(std::span<const Word> words, int length) {
  std::string out(static_cast<std::size_t>(length < 0 ? 0 : length), ' ');
  for (std::size_t w = 0; w < words.size() && 4 * w < out.size(); ++w) {
    char bytes[4];
    std::memcpy(bytes, &words[w], 4);
    for (std::size_t k = 0; k < 4 && 4 * w + k < out.size(); ++k) out[4 * w + k] = bytes[k];
  }
  return out;
}

int coordinate_system(char letter) {
  const char upper =
      (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
  const std::size_t pos = kCoordinateSystems.find(upper);
  return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

}  // namespace kor::graphics
