// What each computational code computes, in words: the statistic column of the code reference
// (docs/codes.md, written by `kor --codes`).  Every row of the code table has a description; a
// test holds the two lists to each other.
#ifndef KOR_METRICS_CODE_DESCRIPTIONS_H_
#define KOR_METRICS_CODE_DESCRIPTIONS_H_

#include <string_view>

namespace kor::metrics {

// The statistic of `code` in a few words, or empty for a code that is no row of the table.
std::string_view code_description(int code);

}  // namespace kor::metrics

#endif  // KOR_METRICS_CODE_DESCRIPTIONS_H_
