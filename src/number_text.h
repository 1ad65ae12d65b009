// Conversions of number text as the C functions atoi and atof read it, made
// safe: the text is a bounded range rather than a terminated string, and an
// integer beyond the 32-bit range saturates instead of being undefined.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Optional leading white space, an optional sign, then decimal digits; the
// conversion stops at the first other character. No digits give 0.
int32_t saturating_atoi(std::string_view text);

// How many characters of the text saturating_atoi takes; 0 when there are
// no digits, so that the whole text reads as 0.
size_t atoi_length(std::string_view text);

// Optional leading white space, then a decimal or hexadecimal floating
// number, "inf" or "nan", as strtod reads it. No number gives 0.0.
double text_atof(std::string_view text);

// How many characters of the text text_atof takes; 0 when there is no number.
size_t atof_length(std::string_view text);
