// The clock of the graphics client: the current date and time in universal or local time, and the
// short time text that stamps messages.
#ifndef KOR_UTIL_CLOCK_H_
#define KOR_UTIL_CLOCK_H_

#include <ctime>
#include <string>

namespace kor::util {

struct ClockTime {
  int year = 0;         // four digits
  int month = 0;        // 1 to 12
  int day = 0;          // 1 to 31
  int hour = 0;         // 0 to 23
  int minute = 0;       // 0 to 59
  int second = 0;       // 0 to 60
  int day_of_year = 0;  // 1 to 366
  std::string zone;     // three characters: "GMT" for universal time, else the local abbreviation
};

// The broken-down form of `when`, in universal time ("GMT") or local time.  Returns 0, or -1 when
// the time cannot be converted (`out` unchanged).
[[nodiscard]] int clock_time(std::time_t when, bool universal, ClockTime& out);

// The current time.  Returns 0, or -1 when the clock cannot be read (`out` unchanged).
[[nodiscard]] int CLK_NOW(bool universal, ClockTime& out);

// "%02d%02d%02d/%02d%02d" of year modulo 100, month, day, hour and minute ("250307/1405").
std::string clock_text(const ClockTime& t);

// The current local time as clock_text; empty when the time cannot be had.
std::string CLK_TEXT();

}  // namespace kor::util

#endif  // KOR_UTIL_CLOCK_H_
