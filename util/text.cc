#include "util/text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <vector>

#include "util/format.h"
#include "util/listout.h"

namespace kor::util {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_blank_or_nul(char c) { return c == ' ' || c == '\t' || c == '\0'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The part of `s` that the splitting and blank-handling routines look at.
std::string_view work_part(std::string_view s) {
  return s.substr(0, std::min<std::size_t>(s.size(), kWorkWidth));
}

// Strips trailing blanks (only blanks: the length of a fixed-length argument text).
std::string_view strip_trailing_blanks(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

bool all_blank(std::string_view s) {
  for (char c : s) {
    if (!is_blank_or_nul(c)) return false;
  }
  return true;
}

// Cuts a list text into its pieces at `sep` after the blank handling that goes with the separator.
// An empty text gives no pieces; otherwise there is one piece more than there are separators.
std::vector<std::string_view> split_pieces(const std::string& prepared, char sep) {
  std::vector<std::string_view> pieces;
  if (prepared.empty()) return pieces;
  std::string_view rest(prepared);
  while (true) {
    std::size_t at = rest.find(sep);
    if (at == std::string_view::npos) {
      pieces.push_back(rest);
      break;
    }
    pieces.push_back(rest.substr(0, at));
    rest.remove_prefix(at + 1);
  }
  return pieces;
}

std::string prepare_list(std::string_view text, char sep) {
  return sep == ' ' ? ST_ONEB(text) : ST_NOBL(text);
}

// Runs the common splitting loop; `store(i, piece)` stores piece `i` (non-empty) and returns false
// when it did not convert.
template <typename Store>
int split_common(std::string_view text, char sep, std::size_t n, int& count, Store store) {
  const std::string prepared = prepare_list(text, sep);
  const std::vector<std::string_view> pieces = split_pieces(prepared, sep);
  int rc = 0;
  bool bad = false;
  std::size_t taken = 0;
  for (std::string_view piece : pieces) {
    if (taken >= n) {
      rc = 1;
      break;
    }
    if (!piece.empty() && !store(taken, piece)) bad = true;
    ++taken;
  }
  count = static_cast<int>(taken);
  return bad ? -3 : rc;
}

}  // namespace

std::string_view rtrim(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && is_blank_or_nul(s[n - 1])) --n;
  return s.substr(0, n);
}

std::size_t cut_length(std::string_view s, std::size_t width) {
  if (s.size() <= width) return s.size();
  auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
  // The start of the character that holds byte `width`: at most three continuation bytes back.
  std::size_t start = width;
  while (start > 0 && width - start < 3 && continuation(static_cast<unsigned char>(s[start]))) {
    --start;
  }
  const auto lead = static_cast<unsigned char>(s[start]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  // Only a lead byte whose continuation bytes are all there starts a character that the cut would
  // split; anything else is not UTF-8 and is cut where the width falls.
  if (start == width || length == 1 || start + length > s.size()) return width;
  for (std::size_t i = start + 1; i < start + length; ++i) {
    if (!continuation(static_cast<unsigned char>(s[i]))) return width;
  }
  return start + length <= width ? width : start;
}

std::string cut(std::string_view s, std::size_t width) {
  return std::string(s.substr(0, cut_length(s, width)));
}

std::string pad(std::string_view s, std::size_t width) {
  std::string out = cut(s, width);
  out.resize(width, ' ');
  return out;
}

int ST_TLEN(std::string_view s) { return static_cast<int>(rtrim(s).size()); }

std::string ST_LJST(std::string_view s) {
  std::size_t first = 0;
  while (first < s.size() && is_blank_or_nul(s[first])) ++first;
  return std::string(rtrim(s.substr(first)));
}

std::string ST_NOBL(std::string_view s) {
  std::string out;
  for (char c : work_part(s)) {
    if (!is_blank(c)) out.push_back(c);
  }
  return std::string(rtrim(out));
}

std::string ST_ONEB(std::string_view s) {
  std::string out;
  bool gap = false;
  for (char c : work_part(s)) {
    if (is_blank(c)) {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out.push_back(' ');
    gap = false;
    out.push_back(c);
  }
  return std::string(rtrim(out));
}

std::string ST_UPPR(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string ST_LOWR(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

CharClass ST_CCLS(char c) {
  if (is_digit(c)) return CharClass::kDigit;
  if (c >= 'a' && c <= 'z') return CharClass::kLower;
  if (c >= 'A' && c <= 'Z') return CharClass::kUpper;
  return CharClass::kOther;
}

std::string ST_SYMB(std::string_view s) {
  std::string out(work_part(s));
  for (char& c : out) {
    if (!is_letter(c) && !is_digit(c) && c != '.' && c != '-' && c != '+' && c != '*') c = ' ';
  }
  return ST_ONEB(out);
}

std::string ST_CUTS(std::string_view s, std::string_view what) {
  what = strip_trailing_blanks(what);
  if (what.empty() || all_blank(what)) return std::string(s);
  const std::size_t at = s.find(what);
  if (at == std::string_view::npos) return std::string(s);
  std::string out(s.substr(0, at));
  out.append(s.substr(at + what.size()));
  return out;
}

int ST_SUBS(std::string& field, std::string_view from, std::string_view to) {
  from = strip_trailing_blanks(from);
  to = strip_trailing_blanks(to);
  if (from.empty() || all_blank(from)) return 3;
  if (to.empty() || all_blank(to)) return 4;
  const std::size_t at = field.find(from);
  if (at != std::string::npos) field.replace(at, from.size(), to);
  return 0;
}

int ST_SPLS(std::string_view text, char sep, std::string_view def, int width,
            std::span<std::string> out, int& count) {
  auto item_text = [width](std::string_view s) {
    return width >= 0 ? cut(s, static_cast<std::size_t>(width)) : std::string(s);
  };
  for (std::string& item : out) item = item_text(def);
  return split_common(text, sep, out.size(), count, [&](std::size_t i, std::string_view piece) {
    out[i] = item_text(piece);
    return true;
  });
}

int ST_SPLI(std::string_view text, char sep, int def, std::span<int> out, int& count) {
  for (int& item : out) item = def;
  return split_common(text, sep, out.size(), count, [&](std::size_t i, std::string_view piece) {
    int v = 0;
    if (ST_TINT(piece, v) != 0) return false;
    out[i] = v;
    return true;
  });
}

int ST_SPLR(std::string_view text, char sep, double def, std::span<double> out, int& count) {
  for (double& item : out) item = def;
  return split_common(text, sep, out.size(), count, [&](std::size_t i, std::string_view piece) {
    double v = 0;
    if (ST_TREL(piece, v) != 0) return false;
    out[i] = v;
    return true;
  });
}

int ST_TINT(std::string_view text, int& value) {
  value = kMissingInt;
  std::string t;
  for (char c : text) {
    if (!is_blank_or_nul(c)) t.push_back(c);
  }
  if (t.empty() || t.size() > 12) return -2;
  if (t.back() == '.') t.pop_back();
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  if (i == t.size()) return -2;
  long long v = 0;
  for (; i < t.size(); ++i) {
    if (!is_digit(t[i])) return -2;
    v = v * 10 + (t[i] - '0');  // at most 12 digits: no overflow of 64 bits
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return -2;
  value = static_cast<int>(v);
  return 0;
}

int ST_TREL(std::string_view text, double& value, int& decimals) {
  value = kPlotMissing;
  decimals = 0;
  std::string t;
  for (char c : text) {
    if (!is_blank_or_nul(c)) t.push_back(c);
  }
  if (t.empty() || t.size() > 24) return -2;
  std::size_t i = 0;
  bool negative = false;
  if (t[i] == '+' || t[i] == '-') {
    negative = t[i] == '-';
    ++i;
  }
  std::string before, after;
  bool point = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (is_digit(c)) {
      (point ? after : before).push_back(c);
    } else if (c == '.') {
      if (point) return -2;
      point = true;
    } else {
      break;
    }
  }
  if (before.empty() && after.empty()) return -2;  // no digit at all ("", ".", "-", "E5")
  int exponent = 0;
  if (i < t.size()) {
    if (t[i] != 'E' && t[i] != 'e') return -2;
    const std::string_view exp_text = std::string_view(t).substr(i + 1);
    if (exp_text.size() > 4) return -2;
    if (ST_TINT(exp_text, exponent) != 0) return -2;
  }
  decimals = static_cast<int>(after.size());
  if (std::abs(exponent) > 20) return 0;  // out of range: missing, but not an error
  // The digits were checked above; the C library turns them into the nearest double.
  std::string canonical =
      (before.empty() ? "0" : before) + "." + after + "e" + std::to_string(exponent);
  double v = std::strtod(canonical.c_str(), nullptr);
  value = negative ? -v : v;
  return 0;
}

int ST_TREL(std::string_view text, double& value) {
  int decimals = 0;
  return ST_TREL(text, value, decimals);
}

int ST_IFMT(int value, int width, std::string& out) {
  std::string s = std::to_string(value);
  if (static_cast<int>(s.size()) > width) {
    out.clear();
    return -2;
  }
  out = std::move(s);
  return 0;
}

int ST_RFMT(double value, int decimals, std::string& out) {
  if (decimals < 0 || decimals > 9) {
    out.clear();
    return -1;
  }
  const std::string fmt = "(F20." + std::to_string(decimals) + ")";
  out = ST_LJST(format(fmt, {value}));
  return 0;
}

int ST_NULL(std::string_view field, std::span<char> out, std::ostream& os) {
  const std::string_view text = rtrim(field);
  if (text.size() < out.size()) {
    text.copy(out.data(), text.size());
    out[text.size()] = '\0';
    return 0;
  }
  if (!out.empty()) {
    text.copy(out.data(), out.size() - 1);
    out[out.size() - 1] = '\0';
  }
  list_write(os, {"WARNING:  ST_NULL - Output string too small; input string truncated!"});
  return 1;
}

}  // namespace kor::util
