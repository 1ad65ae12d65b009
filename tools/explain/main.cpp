// ipdlogic-explain: the notation's linter, and what a strategy file says and
// how it plays.
//
//   ipdlogic-explain [--society PATH]... [--] FILE...
//
// For each file, in order, also after a file with an error: its name and
// text, its findings on standard error (FILE:LINE:COLUMN: error|warning:
// MESSAGE, the source line and a caret), and, when it reads, its
// explanation. The exit status is 1 when any file has an error, else 0.
// Failures of the tool itself (an unknown option, a society that does not
// read, a failed write) follow the program's convention: one "Error: ..."
// line and status 1.
#include <cstdio>
#include <string>
#include <vector>

#include "behaviour_section.h"
#include "error.h"
#include "explanation.h"
#include "findings.h"
#include "formula/notation_reader.h"
#include "run/population_reader.h"
#include "lint.h"
#include "options.h"
#include "owned_tree.h"
#include "printable_text.h"
#include "society.h"
#include "source_map.h"

namespace {

void report(const std::string& file_name, const Source_Map& map, const std::vector<Finding>& findings) {
  check_standard_output();  // the file's lines come first on a terminal
  const std::string text = format_Findings(file_name, map, findings);
  std::fwrite(text.data(), 1, text.size(), stderr);
}

bool has_error(const std::vector<Finding>& findings) {
  for (const Finding& finding : findings)
    if (finding.severity == Severity::ERROR) return true;
  return false;
}

// Explains one file; true when it has an error.
bool explain_file(const std::string& file_name, const Society& society) {
  std::printf("== %s\n", printable_text(file_name).c_str());
  std::string raw, text;
  try {
    raw = read_formula_file(file_name);
    text = formula_text(raw, file_name);
  } catch (const Fatal_Error& failure) {
    report(file_name, map_Source(raw), {file_error_Finding(failure)});
    return true;
  }
  std::printf("%s\n", printable_text(text).c_str());
  const Source_Map map = map_Source(raw);
  std::vector<Finding> findings = byte_Warnings(raw);
  std::vector<Node_Span> spans;
  Tree formula;
  try {
    formula.reset(parse_Formula(text, spans));
  } catch (const Notation_Error& failure) {
    findings.push_back(text_error_Finding(failure, map, text));
  }
  if (formula) {
    std::vector<Finding> warnings = formula_Warnings(formula.get(), spans, map, text);
    findings.insert(findings.end(), warnings.begin(), warnings.end());
  }
  report(file_name, map, findings);
  if (formula) {
    std::string explanation = explain_Formula(formula.get());
    explanation += society.members.empty() ? "  in a society\n    no strategy library found: name one with --society\n"
                                           : society_play(formula.get(), society);
    explanation += behaviour_section(formula.get());
    std::fwrite(explanation.data(), 1, explanation.size(), stdout);
  }
  check_standard_output();
  return has_error(findings);
}

Society the_society(const Options& options) {
  if (!options.society.empty()) {
    Society society = read_Society(options.society, "the strategies given with --society");
    if (society.members.empty()) error("the society holds no strategy (no .txt file in the paths of --society)");
    return society;
  }
  const std::string library = default_library();
  if (library.empty()) return {};
  return read_Society({library}, "the strategy library");
}

int run(int argc, char** argv) {
  const Options options = read_Options(argc, argv);
  if (options.help) {
    std::fputs(usage_text(default_library()).c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts("ipdlogic-explain (ipdlogic) " IPDLOGIC_VERSION);
    return 0;
  }
  const Society society = the_society(options);
  bool any_error = false;
  for (size_t i = 0; i < options.files.size(); ++i) {
    if (i > 0) std::fputc('\n', stdout);
    any_error = explain_file(options.files[i], society) || any_error;
  }
  return any_error ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) { return run_reporting_failures(run, argc, argv); }
