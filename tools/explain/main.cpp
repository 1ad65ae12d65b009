// ipdlogic-explain: what a strategy file says and how it plays.
//
//   ipdlogic-explain FILE...
//
// Reads each file as the program does, echoing its text without white
// space on a line of its own, and explains the formula. A file that does not read is reported as the program reports it:
// one "Error: ..." line on standard error, after the output already
// written, and exit status 1.
#include <cstdio>
#include <memory>

#include "error.h"
#include "explanation.h"
#include "formula/notation_reader.h"

namespace {

struct Tree_Deleter {
  void operator()(Formula* formula) const { free_Formula(formula); }
};

int run(int argc, char** argv) {
  if (argc < 2) error("no formula file named (usage: ipdlogic-explain FILE...)");
  for (int position = 1; position < argc; ++position) {
    if (position > 1) std::fputc('\n', stdout);
    std::printf("== %s\n", argv[position]);
    std::unique_ptr<Formula, Tree_Deleter> formula(read_Formula(argv[position]));
    const std::string explanation = explain_Formula(formula.get());
    std::fwrite(explanation.data(), 1, explanation.size(), stdout);
    check_standard_output();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return run_reporting_failures(run, argc, argv); }
