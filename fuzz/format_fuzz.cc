// The edit-descriptor formatter, the free-format line writer and the text conversions on any
// input.  The first line is a format text (and the text that the conversions and list splits
// read); every 9 bytes after it make one item: a kind byte (integer, real or text) and 8 bytes of
// value, so that any double (infinities, NaN, subnormals) and any 64-bit integer reach the
// formatter.  The formatter must give its text (or its format-error text) for anything.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "util/fixed_read.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/text.h"

namespace {

using namespace kor;

constexpr std::size_t kItemBytes = 9;
constexpr std::size_t kMostItems = 64;

std::vector<util::FmtItem> items_of(std::string_view bytes) {
  std::vector<util::FmtItem> items;
  for (std::size_t at = 0; at + kItemBytes <= bytes.size() && items.size() < kMostItems;
       at += kItemBytes) {
    const char kind = bytes[at];
    const char* value = bytes.data() + at + 1;
    if (kind % 3 == 0) {
      long long v = 0;
      std::memcpy(&v, value, sizeof v);
      items.emplace_back(v);
    } else if (kind % 3 == 1) {
      double v = 0.0;
      std::memcpy(&v, value, sizeof v);
      items.emplace_back(v);
    } else {
      items.emplace_back(std::string(value, 8));
    }
  }
  return items;
}

void conversions(std::string_view text) {
  int i = 0;
  double r = 0.0;
  int decimals = 0;
  (void)util::ST_TINT(text, i);
  (void)util::ST_TREL(text, r, decimals);
  long long l = 0;
  (void)util::read_int_field(text, l);
  for (int d : {0, 7, 12}) (void)util::read_real_field(text, d, r);
  std::array<int, 24> ints{};
  std::array<double, 24> reals{};
  std::array<std::string, 24> texts;
  int count = 0;
  for (char sep : {' ', ';', '/', ','}) {
    (void)util::ST_SPLI(text, sep, -1, ints, count);
    (void)util::ST_SPLR(text, sep, -1.0, reals, count);
    (void)util::ST_SPLS(text, sep, "", 16, texts, count);
  }
  std::string out;
  (void)util::ST_RFMT(r, decimals % 10, out);
  (void)util::ST_IFMT(i, 8, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = kor::fuzz::as_text(data, size);
  const std::size_t end = input.find('\n');
  const std::string_view format = input.substr(0, end);
  const std::string_view rest =
      end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  const std::vector<util::FmtItem> items = items_of(rest);
  (void)util::format(format, items);
  (void)util::list_text(items);
  conversions(format);
  return 0;
}
