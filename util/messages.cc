#include "util/messages.h"

#include <array>

#include "util/clock.h"
#include "util/text.h"

namespace kor::util {

void GR_RESET(SupportState& state) {
  state.units.reset();
  state.messages = MessageState{};
}

void MSG_SETUP(SupportState& state, int level, int mode, int setting) {
  state.messages.level = level < 0 ? 0 : (level > 3 ? 4 : level);
  state.messages.mode = (mode == -1 || mode == 1) ? mode : 0;
  state.messages.setting = setting;
}

namespace {

// Text of message `number` in the message file of `group` (given in capitals, as message files
// are named); false when the file or the line is missing.
bool find_message(SupportState& state, const std::string& group, int number, std::string& text) {
  int unit = 0;
  if (TBL_OPEN(state.units, "$MOBERR/" + group + ".ERR", "", unit) != 0) return false;
  bool found = false;
  std::string line;
  while (TBL_READ(state.units, unit, line)) {
    const std::size_t bang = line.find('!');
    if (bang == std::string::npos) continue;
    int value = 0;
    if (ST_TINT(std::string_view(line).substr(0, bang), value) != 0 || value != number) continue;
    text = std::string(rtrim(std::string_view(line).substr(bang + 1)));
    found = true;
    break;
  }
  (void)TBL_CLOSE(state.units, unit);
  return found;
}

}  // namespace

std::string message_line(SupportState& state, std::string_view group, int number,
                         std::string_view insert) {
  const std::string g = ST_UPPR(ST_LJST(group));
  const std::string prefix =
      "[" + (g.empty() ? std::string("MOBPAK") : g) + " " + std::to_string(number) + "] ";
  std::string text;
  if (g.empty() || !find_message(state, g, number, text)) {
    return prefix + std::string(rtrim(insert));
  }
  // Line breaks first, so that an insert is taken as it stands.
  for (std::size_t pos = text.find("!/"); pos != std::string::npos; pos = text.find("!/", pos)) {
    text.replace(pos, 2, "\r\n");
    pos += 2;
  }
  const std::size_t as = text.find("!AS");
  if (as != std::string::npos) text.replace(as, 3, std::string(rtrim(insert)));
  return prefix + text;
}

void MSG_WRITE(SupportState& state, int level, std::string_view group, int number,
               std::string_view insert, std::ostream& out) {
  MessageState& m = state.messages;
  if (number == 0 || level > m.level || m.mode == -1) return;
  std::string line = message_line(state, group, number, insert);
  if (m.setting != 0) line = CLK_TEXT() + " " + line;
  if (m.mode == 1) {
    std::array<char, kMessageTextSize> kept{};
    (void)ST_NULL(line, kept, out);
    if (static_cast<int>(m.history.size()) >= kMessageHistory) m.history.pop_front();
    m.history.emplace_back(kept.data());
    return;
  }
  out << ' ' << line << '\n';
}

}  // namespace kor::util
