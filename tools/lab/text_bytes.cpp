#include "text_bytes.h"

#include <cstdint>
#include <cstdio>

size_t utf8_sequence_at(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  // The lead byte tells the length and the first bits of the code point.
  size_t length = 0;
  uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(at + i) & 0x3Fu);
  }
  // No overlong forms, no surrogates, nothing beyond U+10FFFF.
  const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < smallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

namespace {

std::string escaped_byte(const char* format, unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, format, byte);
  return text;
}

// Calls `ascii(byte)` for each ASCII byte, `sequence(at, length)` for each
// valid UTF-8 sequence of more bytes, `stray(byte)` for each other byte.
template <typename Ascii, typename Sequence, typename Stray>
void walk_bytes(std::string_view text, Ascii ascii, Sequence sequence, Stray stray) {
  for (size_t at = 0; at < text.size();) {
    auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      ascii(byte);
      ++at;
    } else if (size_t length = utf8_sequence_at(text, at)) {
      sequence(at, length);
      at += length;
    } else {
      stray(byte);
      ++at;
    }
  }
}

}  // namespace

std::string csv_text_field(std::string_view text) {
  std::string field = "\"";
  walk_bytes(
      text,
      [&](unsigned char byte) {
        if (byte == '"') field += "\"\"";
        else if (byte == '\\') field += "\\\\";
        else if (is_control_byte(byte)) field += escaped_byte("\\x%02X", byte);
        else field += static_cast<char>(byte);
      },
      [&](size_t at, size_t length) { field.append(text.substr(at, length)); },
      [&](unsigned char byte) { field += escaped_byte("\\x%02X", byte); });
  return field + "\"";
}

std::string json_string(std::string_view text) {
  std::string json = "\"";
  walk_bytes(
      text,
      [&](unsigned char byte) {
        if (byte == '"') json += "\\\"";
        else if (byte == '\\') json += "\\\\";
        else if (is_control_byte(byte)) json += escaped_byte("\\u%04x", byte);
        else json += static_cast<char>(byte);
      },
      [&](size_t at, size_t length) { json.append(text.substr(at, length)); },
      [&](unsigned char byte) { json += escaped_byte("\\udc%02x", byte); });
  return json + "\"";
}
