// ipdlogic: plays and evolves strategies for the iterated prisoner's dilemma.
//
//   ipdlogic [-s SEED] [-e] [-r]   file names on standard input unless -r
//
// Only the first four arguments are examined. Every failure is fatal: one
// "Error: ..." line on standard error, after the output already written,
// and exit status 1. A write to standard output that fails is such a
// failure; SIGPIPE keeps its default, so a closed pipe ends the run as it
// ends any filter's, unless the signal is ignored.
#include "error.h"
#include "game/tournament.h"
#include "run/program.h"

namespace {

int run(int argc, char** argv) { return run_ipdlogic(argc, argv, play_rounds); }

}  // namespace

int main(int argc, char** argv) { return run_reporting_failures(run, argc, argv); }
