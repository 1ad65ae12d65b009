// ipdlogic-substitution: ipdlogic with every decision evaluated by
// substituted copies, the straightforward evaluator. The baseline that
// every speed ratio is measured against, and the second program of the
// differential tests.
#include "error.h"
#include "reference/substitution.h"
#include "run/program.h"

namespace {

int run(int argc, char** argv) { return run_ipdlogic(argc, argv, play_rounds_by_substitution); }

}  // namespace

int main(int argc, char** argv) { return run_reporting_failures(run, argc, argv); }
