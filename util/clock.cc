#include "util/clock.h"

#include <cstdio>

namespace kor::util {

int clock_time(std::time_t when, bool universal, ClockTime& out) {
  std::tm tm{};
  if (universal ? gmtime_r(&when, &tm) == nullptr : localtime_r(&when, &tm) == nullptr) return -1;
  ClockTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.day_of_year = tm.tm_yday + 1;
  if (universal) {
    t.zone = "GMT";
  } else {
    char zone[16] = {};
    if (std::strftime(zone, sizeof zone, "%Z", &tm) == 0) zone[0] = '\0';
    t.zone = zone;
  }
  t.zone.resize(3, ' ');
  out = t;
  return 0;
}

int CLK_NOW(bool universal, ClockTime& out) {
  const std::time_t now = std::time(nullptr);
  if (now == static_cast<std::time_t>(-1)) return -1;
  return clock_time(now, universal, out);
}

std::string clock_text(const ClockTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d%02d%02d/%02d%02d", ((t.year % 100) + 100) % 100, t.month,
                t.day, t.hour, t.minute);
  return text;
}

std::string CLK_TEXT() {
  ClockTime t;
  if (CLK_NOW(false, t) != 0) return std::string();
  return clock_text(t);
}

}  // namespace kor::util
