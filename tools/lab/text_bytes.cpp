#include "text_bytes.h"

#include <cstdio>

#include "utf8.h"

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
    } else if (const size_t length = decode_utf8(text, at).length) {
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
        if (byte == '"')
          field += "\"\"";
        else if (byte == '\\')
          field += "\\\\";
        else if (is_control_byte(byte))
          field += escaped_byte("\\x%02X", byte);
        else
          field += static_cast<char>(byte);
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
        if (byte == '"')
          json += "\\\"";
        else if (byte == '\\')
          json += "\\\\";
        else if (is_control_byte(byte))
          json += escaped_byte("\\u%04x", byte);
        else
          json += static_cast<char>(byte);
      },
      [&](size_t at, size_t length) { json.append(text.substr(at, length)); },
      [&](unsigned char byte) { json += escaped_byte("\\udc%02x", byte); });
  return json + "\"";
}
