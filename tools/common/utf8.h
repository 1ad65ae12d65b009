// UTF-8 as the tools read it: only the shortest encoding of each code point,
// no surrogates and nothing beyond U+10FFFF (RFC 3629), so that a text they
// take as UTF-8 is what every other reader takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct Utf8_Character {
  size_t length = 0;  // 1 to 4 bytes; 0 when no valid character starts there
  uint32_t code = 0;  // the code point, when valid
};

// The character whose encoding starts at `at`, an index into `text`. A byte
// below 0x80 is one character. No character starts at a continuation byte,
// at a lead byte whose sequence is cut short (by the end of the text or a
// byte that is no continuation), at an overlong form (C0 AF, E0 80 80), at a
// surrogate U+D800 to U+DFFF (ED A0 80) or at a code point above U+10FFFF
// (F4 90 80 80, and every lead byte from F5 on).
Utf8_Character decode_utf8(std::string_view text, size_t at);
