#include "util/format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <utility>

#include "util/listout.h"

namespace kor::util {

namespace {

// Largest count, width or scale factor accepted in a format text.
constexpr int kMaxNumber = 32767;
// Most blanks that nX descriptors in a row can add to a record.
constexpr long long kMaxPending = 1 << 20;

struct Node {
  enum Kind {
    kInt,
    kFixed,
    kExp,
    kDouble,
    kGeneral,
    kText,
    kSkip,
    kSlash,
    kColon,
    kScale,
    kLiteral,
    kGroup
  };
  Kind kind = kLiteral;
  int repeat = 1;
  int w = -1;  // -1: absent
  int d = -1;
  int m = -1;  // Iw.m minimum digits
  int e = -1;  // Ew.dEe exponent digits
  int scale = 0;
  std::string text;
  std::vector<Node> children;
};

bool is_data(Node::Kind k) {
  return k == Node::kInt || k == Node::kFixed || k == Node::kExp || k == Node::kDouble ||
         k == Node::kGeneral || k == Node::kText;
}

bool has_data(const std::vector<Node>& nodes, std::size_t from = 0) {
  for (std::size_t i = from; i < nodes.size(); ++i) {
    if (is_data(nodes[i].kind)) return true;
    if (nodes[i].kind == Node::kGroup && has_data(nodes[i].children)) return true;
  }
  return false;
}

// Recursive-descent reader of a format text.  Blanks outside quoted literals are ignored, letters
// may be small or capital, and commas between items may be left out.
class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  std::optional<std::vector<Node>> parse() {
    skip_blanks();
    if (!take('(')) return std::nullopt;
    std::vector<Node> nodes;
    if (!parse_list(nodes)) return std::nullopt;
    skip_blanks();
    if (pos_ != s_.size()) return std::nullopt;
    return nodes;
  }

 private:
  void skip_blanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }
  char peek() {
    skip_blanks();
    return pos_ < s_.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(s_[pos_])))
                            : '\0';
  }
  bool take(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  bool digit_next() { return std::isdigit(static_cast<unsigned char>(peek())) != 0; }
  // Reads an unsigned number; false when there is none or it is too large.
  bool number(int& out) {
    if (!digit_next()) return false;
    long v = 0;
    while (digit_next()) {
      v = v * 10 + (s_[pos_++] - '0');
      if (v > kMaxNumber) return false;
    }
    out = static_cast<int>(v);
    return true;
  }

  // Items up to and including the closing parenthesis.
  bool parse_list(std::vector<Node>& nodes) {
    while (true) {
      const char c = peek();
      if (c == '\0') return false;
      if (c == ')') {
        ++pos_;
        return true;
      }
      if (c == ',') {
        ++pos_;
        continue;
      }
      if (!parse_item(nodes)) return false;
    }
  }

  bool parse_item(std::vector<Node>& nodes) {
    const char c = peek();
    Node node;
    if (c == '\'' || c == '"') return parse_literal(nodes);
    if (c == '/') {
      ++pos_;
      node.kind = Node::kSlash;
      nodes.push_back(node);
      return true;
    }
    if (c == ':') {
      ++pos_;
      node.kind = Node::kColon;
      nodes.push_back(node);
      return true;
    }
    if (c == '+' || c == '-') {  // signed scale factor
      ++pos_;
      int k = 0;
      if (!number(k) || !take('P')) return false;
      node.kind = Node::kScale;
      node.scale = c == '-' ? -k : k;
      nodes.push_back(node);
      return true;
    }
    int count = 1;
    bool counted = false;
    if (digit_next()) {
      if (!number(count)) return false;
      counted = true;
      const char next = peek();
      if (next == 'P') {
        ++pos_;
        node.kind = Node::kScale;
        node.scale = count;
        nodes.push_back(node);
        return true;
      }
      if (next == 'X') {
        ++pos_;
        if (count == 0) return false;
        node.kind = Node::kSkip;
        node.w = count;
        nodes.push_back(node);
        return true;
      }
      if (count == 0) return false;
    }
    node.repeat = count;
    const char d = peek();
    if (d == '(') {
      ++pos_;
      node.kind = Node::kGroup;
      if (!parse_list(node.children)) return false;
      nodes.push_back(std::move(node));
      return true;
    }
    if (d == '/') {
      ++pos_;
      node.kind = Node::kSlash;
      nodes.push_back(node);
      return true;
    }
    if (d == 'X' && !counted) {
      ++pos_;
      node.kind = Node::kSkip;
      node.w = 1;
      nodes.push_back(node);
      return true;
    }
    return parse_data(node, nodes);
  }

  bool parse_literal(std::vector<Node>& nodes) {
    const char quote = s_[pos_++];
    Node node;
    node.kind = Node::kLiteral;
    while (true) {
      if (pos_ >= s_.size()) return false;
      const char c = s_[pos_++];
      if (c == quote) {
        if (pos_ < s_.size() && s_[pos_] == quote) {
          node.text.push_back(quote);
          ++pos_;
          continue;
        }
        break;
      }
      node.text.push_back(c);
    }
    nodes.push_back(std::move(node));
    return true;
  }

  bool parse_data(Node& node, std::vector<Node>& nodes) {
    const char c = peek();
    ++pos_;
    switch (c) {
      case 'I':
        node.kind = Node::kInt;
        node.w = 0;
        if (digit_next()) {
          if (!number(node.w)) return false;
          if (take('.') && !number(node.m)) return false;
        }
        break;
      case 'F':
      case 'E':
      case 'D':
      case 'G':
        node.kind = c == 'F'   ? Node::kFixed
                    : c == 'E' ? Node::kExp
                    : c == 'D' ? Node::kDouble
                               : Node::kGeneral;
        if (!number(node.w) || !take('.') || !number(node.d)) return false;
        if (c != 'F' && peek() == 'E') {
          ++pos_;
          if (!number(node.e) || node.e == 0) return false;
        }
        break;
      case 'A':
        node.kind = Node::kText;
        if (digit_next() && !number(node.w)) return false;
        break;
      default:
        return false;
    }
    nodes.push_back(std::move(node));
    return true;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

// ---------------------------------------------------------------------------------------------------
// Fields.

std::string stars(int w) { return std::string(static_cast<std::size_t>(w > 0 ? w : 1), '*'); }

// `s` right-justified in `w` columns; asterisks when it does not fit; `s` itself for w = 0.
std::string fit(const std::string& s, int w) {
  if (w == 0) return s;
  if (static_cast<int>(s.size()) > w) return stars(w);
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

// A field whose leading zero is optional: `without` is the text without it, "0" goes in at
// `zero_at` when the field has room for it (a free-width field never takes it).
std::string fit_optional_zero(std::string without, std::size_t zero_at, int w) {
  if (w == 0) return without;
  if (static_cast<int>(without.size()) + 1 <= w) without.insert(zero_at, 1, '0');
  return fit(without, w);
}

std::string not_finite_text(double v, int w) {
  std::string s;
  if (std::isnan(v)) {
    s = "NaN";
  } else if (v > 0) {
    s = (w == 0 || w >= 8) ? "Infinity" : "Inf";
  } else {
    s = (w == 0 || w >= 9) ? "-Infinity" : "-Inf";
  }
  return fit(s, w);
}

// `v` written as the C library's "%.*e" (fmt "%.*e") or "%.*f" (any other fmt) writes it with
// `precision` decimals: the decimal nearest the exact binary value, a tie going to the even digit.
// std::to_chars gives those same characters (it rounds the exact value the same way) at a fraction
// of the cost; only a text too long for the buffer goes through snprintf.
std::string printf_text(const char* fmt, int precision, double v) {
  const bool exponent = std::string_view(fmt) == "%.*e";
  char buf[512];
  const auto r =
      std::to_chars(buf, buf + sizeof buf, v,
                    exponent ? std::chars_format::scientific : std::chars_format::fixed, precision);
  if (r.ec == std::errc()) return std::string(buf, r.ptr);
  const int n = std::snprintf(nullptr, 0, fmt, precision, v);
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), fmt, precision, v);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string render_int(long long v, int w, int m) {
  const unsigned long long mag =
      v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  std::string digits = (m == 0 && v == 0) ? std::string() : std::to_string(mag);
  if (m > 0 && static_cast<int>(digits.size()) < m) {
    digits.insert(0, static_cast<std::size_t>(m) - digits.size(), '0');
  }
  std::string s = (v < 0 ? "-" : "") + digits;
  if (w == 0 && s.empty()) s = " ";
  return fit(s, w);
}

// |v| times 10^k rounded to d decimals: its integer digits (no leading zeros, empty for zero) and
// its d decimals.
void fixed_digits(double a, int d, int k, std::string& int_part, std::string& frac) {
  std::string s;
  int shift = k;
  if (d + k >= 0) {
    s = printf_text("%.*f", d + k, a);
  } else {
    s = printf_text("%.*f", d, a * std::pow(10.0, k));
    shift = 0;
  }
  const std::size_t point = s.find('.');
  int_part = s.substr(0, point);
  frac = point == std::string::npos ? std::string() : s.substr(point + 1);
  if (shift > 0) {
    int_part += frac.substr(0, static_cast<std::size_t>(shift));
    frac.erase(0, static_cast<std::size_t>(shift));
  } else if (shift < 0) {
    const std::size_t n = static_cast<std::size_t>(-shift);
    if (int_part.size() < n + 1) int_part.insert(0, n + 1 - int_part.size(), '0');
    frac = int_part.substr(int_part.size() - n) + frac;
    int_part.erase(int_part.size() - n);
  }
  const std::size_t first = int_part.find_first_not_of('0');
  int_part = first == std::string::npos ? std::string() : int_part.substr(first);
}

std::string render_fixed(double v, int w, int d, int k) {
  if (!std::isfinite(v)) return not_finite_text(v, w);
  std::string int_part, frac;
  fixed_digits(std::fabs(v), d, k, int_part, frac);
  const std::string sign = v < 0 ? "-" : "";  // -0.0 is written as zero without a sign
  const std::string tail = "." + frac;
  if (!int_part.empty()) return fit(sign + int_part + tail, w);
  if (d == 0) return fit(sign + "0" + tail, w);
  return fit_optional_zero(sign + tail, sign.size(), w);
}

// Appends the exponent part of an E or D field to `out`: letter, sign and two digits, or sign and
// three digits past +-99; with `e` > 0 letter, sign and e digits.  False (nothing appended) when
// the exponent does not fit.
bool append_exponent(std::string& out, int x, int e, char letter) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, x < 0 ? -x : x).ptr;
  const std::size_t n = static_cast<std::size_t>(end - digits);
  const char sign = x < 0 ? '-' : '+';
  std::size_t width = 2;  // digits written, leading zeros included
  if (e > 0) {
    if (n > static_cast<std::size_t>(e)) return false;
    width = static_cast<std::size_t>(e);
  } else if (n == 3) {
    out += sign;
    out.append(digits, n);
    return true;
  } else if (n > 3) {
    return false;
  }
  out += letter;
  out += sign;
  out.append(width - n, '0');
  out.append(digits, n);
  return true;
}

std::string render_exp(double v, int w, int d, int e, int k, char letter) {
  if (!std::isfinite(v)) return not_finite_text(v, w);
  if ((k <= 0 && d + k <= 0) || (k > 0 && k >= d + 2)) return stars(w);
  const int n = k > 0 ? d + 1 : d + k;  // significant digits written
  const double a = std::fabs(v);
  // The digits without the point, then the exponent of the first digit: a = d.ddd x 10^x.
  std::string digits;
  int x = 0;
  if (a == 0) {
    digits.assign(static_cast<std::size_t>(n), '0');
  } else {
    digits = printf_text("%.*e", n - 1, a);
    const std::size_t epos = digits.find('e');
    std::from_chars(digits.data() + epos + (digits[epos + 1] == '+' ? 2 : 1),
                    digits.data() + digits.size(), x);
    digits.resize(epos);
    if (digits.size() > 1) digits.erase(1, 1);  // the point after the first digit
  }
  // The field without its optional leading zero: sign, digits with the point, exponent.
  std::string body;
  body.reserve(static_cast<std::size_t>(n + (k < 0 ? -k : 0)) + 8);
  if (v < 0) body += '-';
  if (k > 0) {
    const std::size_t ku = static_cast<std::size_t>(k);
    body.append(digits, 0, ku);
    body += '.';
    body.append(digits, ku, std::string::npos);
  } else {
    body += '.';
    body.append(static_cast<std::size_t>(-k), '0');
    body += digits;
  }
  if (!append_exponent(body, a == 0 ? 0 : x + 1 - k, e, letter)) return stars(w);
  if (k > 0) return fit(body, w);
  return fit_optional_zero(std::move(body), v < 0 ? 1 : 0, w);
}

std::string render_general(double v, int w, int d, int e, int k) {
  if (!std::isfinite(v)) return not_finite_text(v, w);
  const int n = e > 0 ? e + 2 : 4;  // blanks that stand for the exponent in the fixed form
  if (d >= 1) {
    const double a = std::fabs(v);
    int s = 1;  // zero is written as F(w-n).(d-1)
    if (a != 0) {
      const std::string t = printf_text("%.*e", d - 1, a);
      s = std::atoi(t.c_str() + t.find('e') + 1) + 1;
    }
    if (s >= 0 && s <= d) {
      const int fw = w == 0 ? 0 : std::max(w - n, 1);
      const std::string f = render_fixed(v, fw, d - s, 0);
      if (w != 0 && f.find_first_not_of('*') == std::string::npos) return stars(w);
      return w == 0 ? f : f + std::string(static_cast<std::size_t>(n), ' ');
    }
  }
  return render_exp(v, w, d, e, k, 'E');
}

std::string render_text(const std::string& s, int w) {
  if (w < 0) return s;
  if (static_cast<int>(s.size()) >= w) return s.substr(0, static_cast<std::size_t>(w));
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

// ---------------------------------------------------------------------------------------------------
// Running a format over the items.

class Writer {
 public:
  explicit Writer(std::span<const FmtItem> items) : items_(items) {}

  std::string run(const std::vector<Node>& nodes) {
    std::size_t revert = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      if (nodes[i].kind == Node::kGroup) revert = i;
    }
    const bool revert_has_data = has_data(nodes, revert);
    bool stopped = !run_list(nodes, 0);
    while (!stopped && next_ < items_.size() && revert_has_data) {
      end_record();
      stopped = !run_list(nodes, revert);
    }
    if (records_.empty()) return std::move(line_);
    std::string out;
    for (const std::string& r : records_) {
      out += r;
      out += '\n';
    }
    out += line_;
    return out;
  }

 private:
  void emit(const std::string& s) {
    line_.append(static_cast<std::size_t>(pending_), ' ');
    pending_ = 0;
    line_ += s;
  }
  void end_record() {
    records_.push_back(line_);
    line_.clear();
    pending_ = 0;
  }

  // Runs `nodes` from `from`; false when output stopped for want of an item.
  bool run_list(const std::vector<Node>& nodes, std::size_t from) {
    for (std::size_t i = from; i < nodes.size(); ++i) {
      const Node& node = nodes[i];
      for (int r = 0; r < node.repeat; ++r) {
        switch (node.kind) {
          case Node::kLiteral:
            emit(node.text);
            break;
          case Node::kSkip:
            // Blanks only matter when something follows them; the cap keeps an absurd format from
            // asking for more memory than a record can use.
            pending_ = std::min(pending_ + node.w, kMaxPending);
            break;
          case Node::kSlash:
            end_record();
            break;
          case Node::kColon:
            if (next_ >= items_.size()) return false;
            break;
          case Node::kScale:
            scale_ = node.scale;
            break;
          case Node::kGroup:
            if (!run_list(node.children, 0)) return false;
            break;
          default:
            if (next_ >= items_.size()) return false;
            emit(render(node, items_[next_++].value()));
            break;
        }
      }
    }
    return true;
  }

  std::string render(const Node& node, const std::variant<long long, double, std::string>& item) {
    const int w = node.w;
    if (node.kind == Node::kText) {
      std::string s;
      if (const auto* t = std::get_if<std::string>(&item)) {
        s = *t;
      } else if (const auto* i = std::get_if<long long>(&item)) {
        s = std::to_string(*i);
      } else {
        s = list_real(std::get<double>(item));
      }
      return render_text(s, w);
    }
    if (std::holds_alternative<std::string>(item)) {
      return node.kind == Node::kGeneral ? render_text(std::get<std::string>(item), w) : stars(w);
    }
    if (node.kind == Node::kInt ||
        (node.kind == Node::kGeneral && std::holds_alternative<long long>(item))) {
      long long v = 0;
      if (const auto* i = std::get_if<long long>(&item)) {
        v = *i;
      } else {
        const double x = std::get<double>(item);
        if (!std::isfinite(x) || std::fabs(x) >= 9.2e18) return stars(w);
        v = std::llround(x);
      }
      return render_int(v, w, node.kind == Node::kInt ? node.m : -1);
    }
    const double v = std::holds_alternative<double>(item)
                         ? std::get<double>(item)
                         : static_cast<double>(std::get<long long>(item));
    switch (node.kind) {
      case Node::kFixed:
        return render_fixed(v, w, node.d, scale_);
      case Node::kExp:
        return render_exp(v, w, node.d, node.e, scale_, 'E');
      case Node::kDouble:
        return render_exp(v, w, node.d, node.e, scale_, 'D');
      default:
        return render_general(v, w, node.d, node.e, scale_);
    }
  }

  std::span<const FmtItem> items_;
  std::size_t next_ = 0;
  std::vector<std::string> records_;
  std::string line_;
  long long pending_ = 0;
  int scale_ = 0;
};

}  // namespace

namespace {

using Parsed = std::optional<std::vector<Node>>;

// Parsed formats by their text.  The programs use a few dozen fixed format texts, many of them for
// every line of a long table, so each is parsed once per thread; past kMaxCached texts new ones are
// parsed at every use.
constexpr std::size_t kMaxCached = 512;

const Parsed& parsed(std::string_view format, Parsed& scratch) {
  thread_local std::map<std::string, Parsed, std::less<>> cache;
  if (const auto it = cache.find(format); it != cache.end()) return it->second;
  scratch = Parser(format).parse();
  if (cache.size() >= kMaxCached) return scratch;
  return cache.emplace(std::string(format), std::move(scratch)).first->second;
}

}  // namespace

namespace {

std::string format_items(std::string_view format, std::span<const FmtItem> items) {
  Parsed scratch;
  const Parsed& nodes = parsed(format, scratch);
  if (!nodes) return "?FORMAT ERROR: " + std::string(format);
  return Writer(items).run(*nodes);
}

}  // namespace

std::string format(std::string_view format, const std::vector<FmtItem>& items) {
  return format_items(format, items);
}

// The items are formatted where they stand, without a copy into a vector.
std::string format(std::string_view format, std::initializer_list<FmtItem> items) {
  return format_items(format, std::span<const FmtItem>(items.begin(), items.size()));
}

}  // namespace kor::util
