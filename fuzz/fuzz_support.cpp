#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "error.h"
#include "formula/notation_reader.h"

Formula* read_fuzzed(std::string_view bytes) {
  try {
    return parse_Formula(strip_white_space(bytes));
  } catch (const Fatal_Error&) {
    return nullptr;  // a rejection the reader reports: not a finding
  }
}

void finding(const std::string& what, std::string_view text) {
  std::fprintf(stderr, "FINDING: %s\ntext (%zu bytes): %.*s\n", what.c_str(), text.size(),
               static_cast<int>(std::min<size_t>(text.size(), 2000)), text.data());
  std::abort();
}
