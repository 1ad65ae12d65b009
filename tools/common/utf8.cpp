#include "utf8.h"

namespace {

// The length of the sequence a lead byte starts, or 0 for a byte that starts
// none: a continuation byte, or a lead byte beyond what four bytes hold.
size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC0) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  return 0;
}

}  // namespace

Utf8_Character decode_utf8(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const size_t length = sequence_length(lead);
  if (length == 0) return {};
  if (length == 1) return {1, lead};
  if (text.size() - at < length) return {};
  uint32_t code = lead & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return {};
    code = code << 6 | (next & 0x3Fu);
  }
  // The smallest code point of each length: anything below has a shorter form.
  constexpr uint32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < SMALLEST[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return {};
  return {length, code};
}
