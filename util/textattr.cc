#include "util/textattr.h"

#include <array>
#include <cmath>
#include <string>

#include "util/messages.h"
#include "util/text.h"

namespace kor::util {
namespace {

// A real read from a fixed field the way "Fw.d" input reads it: blanks do not count, an all-blank
// field is 0, and digits without a decimal point carry `decimals` implied decimals.
bool read_fixed_real(std::string_view field, int decimals, double& value) {
  const std::string text = ST_NOBL(field);
  if (text.empty()) {
    value = 0.0;
    return true;
  }
  if (text.find_first_of(".eEdD") == std::string::npos) {
    int whole = 0;
    if (ST_TINT(text, whole) != 0) return false;
    value = whole / std::pow(10.0, decimals);
    return true;
  }
  double v = 0.0;
  if (ST_TREL(text, v) != 0) return false;
  value = v;
  return true;
}

bool remove_first(std::string& s, std::string_view what) {
  const std::size_t pos = s.find(what);
  if (pos == std::string::npos) return false;
  s.erase(pos, what.size());
  return true;
}

}  // namespace

int TBL_FONTSZ(SupportState& state, std::string_view font, double& size, std::ostream& os) {
  size = 0.0;
  const std::string name = pad(ST_UPPR(ST_LJST(font)), 12);
  int unit = 0;
  const int rc = TBL_OPEN(state.units, "fontsz.tbl", "config", unit);
  if (rc != 0) {
    MSG_WRITE(state, 0, "FL", rc, "fontsz.tbl", os);
    return rc;
  }
  int result = 4;
  std::string line;
  while (TBL_READ(state.units, unit, line)) {
    const std::string record = pad(line, 32);
    const std::string left = ST_LJST(record);
    if (!left.empty() && left.front() == '!') continue;
    double value = 0.0;
    if (!read_fixed_real(std::string_view(record).substr(13, 7), 3, value)) continue;
    const std::string entry = ST_UPPR(record.substr(0, 12));
    if (entry.front() == name.front()) {
      size = value;
      result = 0;
      break;
    }
  }
  (void)TBL_CLOSE(state.units, unit);
  return result;
}

int TXT_ATTR(SupportState& state, std::string_view attributes, TextAttr& attr, std::ostream& os) {
  std::string text =
      ST_UPPR(attributes.substr(0, std::min<std::size_t>(attributes.size(), kWorkWidth)));
  TextAttr a;
  bool hw = remove_first(text, "/HW");
  bool sw = remove_first(text, "/SW");
  if (!hw && !sw) {
    hw = remove_first(text, "HW");
    sw = remove_first(text, "SW");
  }
  a.hardware = hw ? 2 : (sw ? 1 : 0);

  std::array<std::string, 6> items;
  int count = 0;
  (void)ST_SPLS(text, '/', " ", 160, items, count);

  int rc = 0;
  double value = 0.0;
  if (ST_TREL(items[0], value) == 0) {
    a.size = value;
  } else if (!ST_LJST(items[0]).empty() && TBL_FONTSZ(state, items[0], value, os) == 0) {
    a.size = value;
  } else {
    a.size = 0.0;
    rc = -1;
  }
  if (a.size <= 0.0) rc = -1;

  int v = 0;
  a.font = ST_TINT(items[1], v) == 0 ? v : 0;
  a.width = ST_TINT(items[2], v) == 0 && v > 0 ? v : 0;
  a.border = ST_TINT(items[3], v) == 0 && v > 0 ? v : 0;
  const std::string rot = ST_LJST(items[4]);
  a.rotation = rot.empty() ? 0 : (rot.front() == 'N' ? 2 : (rot.front() == 'S' ? 1 : 0));
  const std::string just = ST_LJST(items[5]);
  a.justification =
      just.empty()
          ? 0
          : (just.front() == 'R' ? 3 : (just.front() == 'C' ? 2 : (just.front() == 'L' ? 1 : 0)));
  attr = a;
  return rc;
}

}  // namespace kor::util
