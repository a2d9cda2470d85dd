#include "graphics/words.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace kor::graphics {
namespace {

static_assert(std::endian::native == std::endian::little, "the expected words assume x86 order");

TEST(RealWords, BitPatterns) {
  struct Case {
    float value;
    std::uint32_t bits;
  };
  // sign | exponent (bias 127) | 23-bit mantissa, worked out by hand.
  constexpr Case kCases[] = {
      {0.0f, 0x00000000}, {-0.0f, 0x80000000}, {1.0f, 0x3f800000},     {-2.0f, 0xc0000000},
      {0.5f, 0x3f000000}, {1.5f, 0x3fc00000},  {-9999.0f, 0xc61c3c00},  // 9999 = 1.22058... * 2^13:
                                                                        // exponent 140, mantissa
                                                                        // 0x1c3c00
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(static_cast<std::uint32_t>(real_word(c.value)), c.bits) << c.value;
    const float back = word_real(static_cast<Word>(c.bits));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back), c.bits) << c.value;
  }
  EXPECT_TRUE(std::isnan(word_real(real_word(std::numeric_limits<float>::quiet_NaN()))));
}

TEST(TextWords, CountOfWords) {
  struct Case {
    int length, words;
  };
  constexpr Case kCases[] = {{0, 1},  {1, 1},  {4, 1},     {5, 2},
                             {24, 6}, {25, 7}, {400, 100}, {401, 101}};
  for (const Case& c : kCases) EXPECT_EQ(text_words(c.length), c.words) << c.length;
}

TEST(TextWords, PackingPutsTheFirstCharacterInTheLowByte) {
  struct Case {
    const char* text;
    int words;
    std::vector<std::uint32_t> packed;
  };
  const Case kCases[] = {
      {"ABCD", 1, {0x44434241}},
      {"ABCDE", 2, {0x44434241, 0x20202045}},
      {"AB", 3, {0x20204241, 0x20202020, 0x20202020}},
      {"ABCDEFGH", 1, {0x44434241}},  // cut to the words given
      {"", 1, {0x20202020}},
  };
  for (const Case& c : kCases) {
    const std::vector<Word> got = pack_text(c.text, c.words);
    ASSERT_EQ(got.size(), c.packed.size()) << c.text;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(static_cast<std::uint32_t>(got[i]), c.packed[i]) << c.text << " word " << i;
    }
  }
}

TEST(TextWords, UnpackingFillsTheCallersLength) {
  const std::vector<Word> words = pack_text("colour name", 3);  // 12 characters
  struct Case {
    int length;
    const char* text;
  };
  constexpr Case kCases[] = {
      {5, "colou"}, {11, "colour name"}, {12, "colour name "}, {16, "colour name     "}, {0, ""}};
  for (const Case& c : kCases) EXPECT_EQ(unpack_text(words, c.length), c.text) << c.length;
}

TEST(TextWords, RoundTrip) {
  const std::string texts[] = {"", "x", "AXIS LABEL 24 CHARACTERS", std::string(401, 'q'),
                               "line\rbreak"};
  for (const std::string& t : texts) {
    const int n = text_words(static_cast<int>(t.size()));
    const std::vector<Word> w = pack_text(t, n);
    EXPECT_EQ(unpack_text(w, static_cast<int>(t.size())), t) << t;
    EXPECT_EQ(unpack_text(w, 4 * n),
              t + std::string(static_cast<std::size_t>(4 * n) - t.size(), ' '))
        << t;
  }
}

TEST(CoordinateSystems, LettersAndNumbers) {
  struct Case {
    char letter;
    int number;
  };
  constexpr Case kCases[] = {{'S', 1}, {'s', 1},  {'D', 2},  {'N', 3},  {'V', 4},
                             {'P', 5}, {'L', 6},  {'U', 7},  {'W', 8},  {'M', 9},
                             {'m', 9}, {'Q', 10}, {'I', 11}, {'G', 12}, {'g', 12},
                             {'X', 0}, {' ', 0},  {'\0', 0}, {'1', 0}};
  for (const Case& c : kCases) EXPECT_EQ(coordinate_system(c.letter), c.number) << c.letter;
}

}  // namespace
}  // namespace kor::graphics
