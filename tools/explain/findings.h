// What the explainer finds in a file, located as compilers locate theirs:
//
//   FILE:LINE:COLUMN: error: MESSAGE        (or warning)
//       the source line
//       ^ under the column
//     a plain explanation (errors)
//
// A finding about the file as a whole (it cannot be opened, it is too
// large) has no line and column: "FILE: error: MESSAGE".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "source_map.h"

enum class Severity { ERROR, WARNING };

struct Finding {
  Severity severity;
  int64_t offset;  // the byte of the file it points at; -1 for the file as a whole
  std::string message;
  std::string explanation;  // "" for none
};

// Most warnings shown for one file (errors are always shown); a note says
// how many more there are.
constexpr size_t MAX_SHOWN_WARNINGS = 50;

// The findings of one file, in the order of the bytes they point at.
std::string format_Findings(const std::string& file_name, const Source_Map& map, std::vector<Finding> findings);
