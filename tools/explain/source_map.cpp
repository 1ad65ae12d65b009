#include "source_map.h"

#include <algorithm>

#include "formula/notation_reader.h"
#include "printable_text.h"

namespace {

// Bytes shown on either side of the offset in a long line.
constexpr int64_t WINDOW = 60;

// How a byte of a quoted line is shown, and the blank text under it.
std::string shown(char c) { return c == '\t' ? std::string(1, c) : printable_text(std::string_view(&c, 1)); }
std::string under(char c) { return c == '\t' ? std::string(1, c) : std::string(shown(c).size(), ' '); }

}  // namespace

Source_Map map_Source(std::string_view raw) {
  Source_Map map{raw, {}, {0}};
  for (size_t offset = 0; offset < raw.size(); ++offset) {
    if (raw[offset] == '\n') map.line_starts.push_back(static_cast<int64_t>(offset) + 1);
    if (!is_formula_white_space(raw[offset])) map.raw_of.push_back(static_cast<int64_t>(offset));
  }
  return map;
}

Location locate(const Source_Map& map, int64_t offset) {
  const auto after = std::upper_bound(map.line_starts.begin(), map.line_starts.end(), offset);
  const auto line = static_cast<int64_t>(after - map.line_starts.begin());
  return {line, offset - *(after - 1) + 1};
}

std::string quote_line(std::string_view raw, int64_t offset) {
  const auto at = static_cast<size_t>(offset);
  const size_t newline_before = at == 0 ? std::string_view::npos : raw.rfind('\n', at - 1);
  const size_t start = newline_before == std::string_view::npos ? 0 : newline_before + 1;
  size_t end = std::min(raw.find('\n', at), raw.size());
  if (end > start && end - 1 != at && raw[end - 1] == '\r') --end;  // a Windows line end
  const size_t first = static_cast<size_t>(std::max<int64_t>(static_cast<int64_t>(start), offset - WINDOW));
  const size_t last = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(end), offset + WINDOW + 1));
  std::string line = "    ", caret = "    ";
  if (first > start) line += "...", caret += "   ";
  for (size_t i = first; i < last; ++i) {
    line += shown(raw[i]);
    if (i < at) caret += under(raw[i]);
  }
  if (last < end) line += "...";
  return line + "\n" + caret + "^\n";
}
