// The word encoding of the graphics link: every request and reply is a stream of 32-bit words.
// Integers travel as two's complement, reals as single-precision bit patterns, and text packed four
// characters to a word with the first character in the word's lowest-addressed byte.  All
// routines here are pure.
#ifndef KOR_GRAPHICS_WORDS_H_
#define KOR_GRAPHICS_WORDS_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kor::graphics {

using Word = std::int32_t;

// The coordinate-system letters, in the order of their numbers 1 to 12.
inline constexpr std::string_view kCoordinateSystems = "SDNVPLUWMQIG";

// The bit pattern of a single-precision real, and back.
Word real_word(float value);
float word_real(Word word);

// Number of words a text of `length` characters takes: (length - 1) / 4 + 1 (1 for length 0).
int text_words(int length);

// Packs `text` into `words` words, four characters to a word, first character in the
// lowest-addressed byte; characters past the end of `text` are blanks.
std::vector<Word> pack_text(std::string_view text, int words);

// Unpacks `words` into a text of `length` characters: at most four characters per word, blanks
// where the words do not reach.
std::string unpack_text(std::span<const Word> words, int length);

// Number 1 to 12 of a coordinate-system letter (either case); 0 for any other character.
int coordinate_system(char letter);

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_WORDS_H_
