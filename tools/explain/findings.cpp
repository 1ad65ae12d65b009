#include "findings.h"

#include <algorithm>

#include "printable_text.h"
#include "source_map.h"

namespace {

std::string format_Finding(const std::string& name, const Source_Map& map, const Finding& finding) {
  std::string out = name;
  if (finding.offset >= 0) {
    const Location where = locate(map, finding.offset);
    out += ":" + std::to_string(where.line) + ":" + std::to_string(where.column);
  }
  out += finding.severity == Severity::ERROR ? ": error: " : ": warning: ";
  out += finding.message + "\n";
  if (finding.offset >= 0) out += quote_line(map.raw, finding.offset);
  if (!finding.explanation.empty()) out += "  " + finding.explanation + "\n";
  return out;
}

}  // namespace

std::string format_Findings(const std::string& file_name, const Source_Map& map, std::vector<Finding> findings) {
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.offset < b.offset; });
  const std::string name = printable_text(file_name);
  std::string out;
  size_t warnings = 0;
  for (const Finding& finding : findings)
    if (finding.severity == Severity::ERROR || ++warnings <= MAX_SHOWN_WARNINGS)
      out += format_Finding(name, map, finding);
  if (warnings > MAX_SHOWN_WARNINGS)
    out += name + ": note: " + std::to_string(warnings - MAX_SHOWN_WARNINGS) + " more warnings not shown\n";
  return out;
}
