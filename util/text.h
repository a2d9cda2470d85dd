// Text routines over fixed-length, blank-padded text fields.
//
// Every program of the package handles names, labels and lines as blank-padded fields; "the length"
// of a text is its length without trailing blanks.  The routines here are the only place that knows
// the splitting and conversion rules, so that all programs read lists and numbers alike.  None of
// them keeps state between calls.
#ifndef KOR_UTIL_TEXT_H_
#define KOR_UTIL_TEXT_H_

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "util/missing.h"

namespace kor::util {

// List splitting, ST_NOBL, ST_ONEB and ST_SYMB look at no more than this many characters of their
// input.  ST_LJST only shifts a text and keeps all of it.
inline constexpr int kWorkWidth = 160;
// Value of a failed integer conversion.
inline constexpr int kMissingInt = -9999;

// Character classes returned by ST_CCLS.
enum class CharClass { kDigit, kLower, kUpper, kOther };

// Length of `s` without trailing blanks, tabs and NULs; 0 for an all-blank field.
int ST_TLEN(std::string_view s);

// `s` without leading blanks, tabs and NULs and without trailing ones (its length is the result's
// size); empty for an empty text.
std::string ST_LJST(std::string_view s);

// `s` with every blank and tab (and trailing NULs) removed.
std::string ST_NOBL(std::string_view s);

// `s` left-justified, every run of blanks and tabs replaced by one blank, no trailing blank.
std::string ST_ONEB(std::string_view s);

// Letters a-z to capitals (ST_UPPR) or A-Z to small letters (ST_LOWR); other characters unchanged.
std::string ST_UPPR(std::string_view s);
std::string ST_LOWR(std::string_view s);

CharClass ST_CCLS(char c);

// Every character that is not a letter, a digit or one of . - + * becomes a blank, then ST_ONEB.
std::string ST_SYMB(std::string_view s);

// `s` with the first occurrence of `what` removed (unchanged when absent or `what` is blank).
// Trailing blanks of `what` do not count (it may be a padded field).
std::string ST_CUTS(std::string_view s, std::string_view what);

// Replaces the first occurrence of `from` in `field` by `to` (trailing blanks of both do not count;
// the field grows or shrinks by the difference).  Returns 0 (also when `from` does not occur); 3
// when `from` is blank and 4 when `to` is blank, leaving `field` unchanged.
[[nodiscard]] int ST_SUBS(std::string& field, std::string_view from, std::string_view to);

// List splitting.  Every element of `out` is first set to `def`; then `text` (its first 160
// characters) is cut at `sep` (a blank separator treats runs of blanks as one; any other separator
// removes all blanks first).  Pieces fill `out` in order; an empty piece keeps the default. `count`
// is the number of pieces taken, empty ones included.  Returns 0, +1 when more pieces than
// `out.size()` occurred (the rest is dropped), or -3 when a piece did not convert (that item keeps
// the default; splitting goes on; -3 outranks +1).  A separator at the end of the text ends an
// empty last piece, which counts.  Text items (and the default) are cut to `width` bytes (as `cut`
// does; not cut for a negative width); they are not padded.
[[nodiscard]] int ST_SPLS(std::string_view text, char sep, std::string_view def, int width,
                          std::span<std::string> out, int& count);
[[nodiscard]] int ST_SPLI(std::string_view text, char sep, int def, std::span<int> out, int& count);
[[nodiscard]] int ST_SPLR(std::string_view text, char sep, double def, std::span<double> out,
                          int& count);

// Text to integer: blanks removed, at most 12 characters, an optional final ".", an optional sign,
// then digits only.  Returns 0, or -2 with `value` = -9999 (also for more than 12 characters and
// for a number outside the int range).
[[nodiscard]] int ST_TINT(std::string_view text, int& value);

// Text to real: blanks removed, at most 24 characters: optional sign, digits with at most one ".",
// optional exponent E/e and up to four characters read by ST_TINT.  At least one digit must stand
// before the exponent ("." or "E5" are not numbers).  Returns 0, or -2 with `value` = -9999 and
// `decimals` = 0.  `decimals` is the number of digits after the point.  An exponent beyond +-20
// gives -9999 with return code 0.  Any number of digits is read exactly (nearest double), not only
// nine.
[[nodiscard]] int ST_TREL(std::string_view text, double& value, int& decimals);
[[nodiscard]] int ST_TREL(std::string_view text, double& value);

// Integer to left-justified text.  Returns 0, or -2 (and an empty text) when it needs more than
// `width` characters.
[[nodiscard]] int ST_IFMT(int value, int width, std::string& out);

// Real to left-justified text with `decimals` (0-9) decimals, as "(F20.d)" writes it (20 asterisks
// when it does not fit).  Returns 0, or -1 for a decimals argument outside 0 to 9 (empty text).
[[nodiscard]] int ST_RFMT(double value, int decimals, std::string& out);

// Copies `field` without trailing blanks into `out` as a NUL-terminated text of at most
// `out.size()` bytes, the NUL included.  When it does not fit, copies what fits and writes the
// truncation warning as a free-format line to `os`.  Returns 0, or 1 when the text was truncated.
int ST_NULL(std::string_view field, std::span<char> out, std::ostream& os);

// Helpers for fixed-length fields.
// The length of the longest start of `s` of at most `width` bytes that does not end inside a
// multi-byte UTF-8 character: a character that does not fit whole is left out, never split.  Bytes
// that are not UTF-8 (a Latin-1 text, say) count one column each and are cut anywhere.
std::size_t cut_length(std::string_view s, std::size_t width);
// `s` cut to at most `width` bytes at a character boundary (cut_length).
std::string cut(std::string_view s, std::size_t width);
// `s` cut (at a character boundary) or blank-padded to exactly `width` bytes.
std::string pad(std::string_view s, std::size_t width);
// `s` without trailing blanks, tabs and NULs.
std::string_view rtrim(std::string_view s);
// The same as a string of its own.
inline std::string rtrimmed(std::string_view s) { return std::string(rtrim(s)); }

}  // namespace kor::util

#endif  // KOR_UTIL_TEXT_H_
