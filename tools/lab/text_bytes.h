// Bytes of formula text and file names in the lab's CSV and JSON files.
// Formula text may hold any byte but white space; both files must stay
// valid UTF-8 text, so that every reader loads them as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Whether a byte is a control character: 0x00 to 0x1F, or 0x7F.
inline bool is_control_byte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// The text as one RFC 4180 CSV field, always between double quotes, a
// double quote doubled. A backslash is written "\\", and a control byte or
// a byte outside valid UTF-8 as "\xNN" (two upper-case hex digits): the
// field reads back to the exact bytes, and the file is UTF-8 text.
std::string csv_text_field(std::string_view text);

// The text as a JSON string with its quotes. A control byte is written
// "\u00NN"; a byte outside valid UTF-8 as "\uDCNN" (the convention of
// Python's surrogateescape, which os.fsencode turns back into the byte).
std::string json_string(std::string_view text);
