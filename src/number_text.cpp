#include "number_text.h"

#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool is_c_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Integer text as atoi reads it: white space and a sign up to `digits`,
// then decimal digits up to `end`.
struct Integer_Text {
  size_t digits;
  size_t end;
  bool negative;
};

Integer_Text scan_integer(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && is_c_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  size_t end = i;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  return {i, end, negative};
}

}  // namespace

int32_t saturating_atoi(std::string_view text) {
  const Integer_Text scan = scan_integer(text);
  // Accumulate the magnitude up to one past the largest negative value, then clamp.
  constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (size_t i = scan.digits; i < scan.end; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) magnitude = limit;
  }
  int64_t value = scan.negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

size_t atoi_length(std::string_view text) {
  const Integer_Text scan = scan_integer(text);
  return scan.end > scan.digits ? scan.end : 0;
}

double text_atof(std::string_view text) {
  std::string terminated(text);
  return std::strtod(terminated.c_str(), nullptr);
}

size_t atof_length(std::string_view text) {
  std::string terminated(text);
  char* end = nullptr;
  std::strtod(terminated.c_str(), &end);
  return static_cast<size_t>(end - terminated.c_str());
}
