// Request words for the server tests: each helper builds one whole request, length word first,
// the way the client's request routines lay it out.
#ifndef KOR_TESTS_MPLT_REQUESTS_H_
#define KOR_TESTS_MPLT_REQUESTS_H_

#include <initializer_list>
#include <string>
#include <vector>

#include "graphics/words.h"
#include "mplt/server.h"

namespace kor::mplt::testing {

using graphics::Word;

// Where the files of every client go: `folder`.
inline Server::PlaceFinder in_folder(std::string folder) {
  return [folder](pid_t) {
    ClientPlace p;
    p.directory = folder;
    return p;
  };
}

inline Word r(double v) { return graphics::real_word(static_cast<float>(v)); }

// [n + 2, code, words...]
inline std::vector<Word> req(int code, std::initializer_list<Word> words = {}) {
  std::vector<Word> w = {static_cast<Word>(words.size() + 2), code};
  w.insert(w.end(), words.begin(), words.end());
  return w;
}

// 216: device (3 words), colour type, file (18 words), three reals.
inline std::vector<Word> device(const std::string& name, int colour_type, const std::string& file,
                                double x, double y) {
  std::vector<Word> w = {27, 216};
  for (Word v : graphics::pack_text(name, 3)) w.push_back(v);
  w.push_back(colour_type);
  for (Word v : graphics::pack_text(file, 18)) w.push_back(v);
  w.push_back(r(x));
  w.push_back(r(y));
  w.push_back(r(0));
  return w;
}

// 801, 803, 812: [2n + 4, code, system, n, x..., y...].
inline std::vector<Word> points(int code, int system, const std::vector<double>& x,
                                const std::vector<double>& y) {
  std::vector<Word> w = {static_cast<Word>(2 * x.size() + 4), code, system,
                         static_cast<Word>(x.size())};
  for (double v : x) w.push_back(r(v));
  for (double v : y) w.push_back(r(v));
  return w;
}

// A filled rectangle in `system`.
inline std::vector<Word> box(int system, double x1, double y1, double x2, double y2) {
  return points(812, system, {x1, x2, x2, x1}, {y1, y1, y2, y2});
}

// 802: [e + 8, 802, system, x, y, text words, rotation, x offset, y offset].
inline std::vector<Word> text(int system, double x, double y, const std::string& s,
                              double rotation = 0, int dx = 0, int dy = 0) {
  const int e = graphics::text_words(static_cast<int>(s.size()));
  std::vector<Word> w = {e + 8, 802, system, r(x), r(y)};
  for (Word v : graphics::pack_text(s, e)) w.push_back(v);
  w.push_back(r(rotation));
  w.push_back(dx);
  w.push_back(dy);
  return w;
}

// 901: [2n + 5, 901, from, to, n, x..., y...].
inline std::vector<Word> transform(int from, int to, const std::vector<double>& x,
                                   const std::vector<double>& y) {
  std::vector<Word> w = {static_cast<Word>(2 * x.size() + 5), 901, from, to,
                         static_cast<Word>(x.size())};
  for (double v : x) w.push_back(r(v));
  for (double v : y) w.push_back(r(v));
  return w;
}

}  // namespace kor::mplt::testing

#endif  // KOR_TESTS_MPLT_REQUESTS_H_
