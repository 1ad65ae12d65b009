// Positions in a formula file. The reader works on the file's text without
// white space; a finding is shown at the byte of the file as written, by
// line and column (from 1, columns counted in bytes, white space included),
// with its line and a caret under the column.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Source_Map {
  std::string_view raw;              // the file's bytes
  std::vector<int64_t> raw_of;       // for each position of the text, its offset in the file
  std::vector<int64_t> line_starts;  // the offset of each line's first byte
};

// The map of a file whose text is strip_white_space(raw).
Source_Map map_Source(std::string_view raw);

struct Location {
  int64_t line;
  int64_t column;
};

Location locate(const Source_Map& map, int64_t offset);

// The line holding `offset`, indented by four blanks, and under it a caret at
// the offset. Bytes outside printable ASCII show as \xNN, so the caret line
// keeps their width; a tab stays a tab in both lines. Long lines show a
// window around the offset.
std::string quote_line(std::string_view raw, int64_t offset);
