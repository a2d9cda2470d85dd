// Reading numbers from fixed-width fields, as a formatted read under an edit descriptor does:
// blanks inside a field are ignored and an all-blank field reads as zero.
#ifndef KOR_UTIL_FIXED_READ_H_
#define KOR_UTIL_FIXED_READ_H_

#include <string_view>

namespace kor::util {

// Reads `field` under "Iw": optional sign and decimal digits.  Returns false for any other text
// and for a number outside the range of a long long.
[[nodiscard]] bool read_int_field(std::string_view field, long long& value);

// Reads `field` under "Fw.d", "Ew.d" or "Dw.d": optional sign, digits with at most one point, and
// an optional exponent written as E, D or Q with an optionally signed integer, or as a sign and an
// integer alone ("1.5+03").  Without a decimal point the last `d` digits are decimals.  Returns
// false for any other text, for an exponent beyond +-100000 (however many digits it has) and for a
// value outside the range of a double; a value too small for a double reads as zero.
[[nodiscard]] bool read_real_field(std::string_view field, int d, double& value);

// digits x 10^exponent, correctly rounded as strtod would give it, when that needs a single
// rounding: the digits fit in 53 bits and |exponent| <= 22, so both operands are exact.  Returns
// false (value unchanged) otherwise.
[[nodiscard]] bool scale_exactly(unsigned long long digits, int exponent, double& value);

}  // namespace kor::util

#endif  // KOR_UTIL_FIXED_READ_H_
