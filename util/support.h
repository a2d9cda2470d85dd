// State of the graphics client's support routines: the table-file unit pool and the message
// control with its history.  One SupportState lives for a run; it is owned by the caller (the
// graphics link keeps one) and reset by GR_RESET at the start of plotting.
#ifndef KOR_UTIL_SUPPORT_H_
#define KOR_UTIL_SUPPORT_H_

#include <deque>
#include <string>

#include "util/tables.h"

namespace kor::util {

// Number of texts kept in the message history, and the size of one text including its NUL.
inline constexpr int kMessageHistory = 100;
inline constexpr int kMessageTextSize = 512;

struct MessageState {
  int level = 0;                    // messages above this level are not written (0 to 4)
  int mode = 0;                     // -1 silent, 0 standard output, 1 message history
  int setting = 0;                  // nonzero: lines start with the time text
  std::deque<std::string> history;  // oldest first, at most kMessageHistory texts
};

struct SupportState {
  UnitPool units;
  MessageState messages;
};

// Frees every unit of the pool (closing its file), sets message level, mode and setting to 0 and
// empties the message history.
void GR_RESET(SupportState& state);

}  // namespace kor::util

#endif  // KOR_UTIL_SUPPORT_H_
