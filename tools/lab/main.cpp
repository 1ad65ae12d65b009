// ipdlogic-lab: runs ipdlogic's evolution for research, with the options a
// study needs (population size, generations, seed sweeps, rounds, payoffs,
// mutation, noise), and records every player of every recorded generation
// as tidy CSV. See ipdlogic-lab --help and the manual page.
#include <cstdio>

#include "error.h"
#include "lab_options.h"
#include "lab_run.h"

namespace {

int run(int argc, char** argv) {
  Lab_Options options = parse_lab_options(argc, argv);
  if (options.help) {
    std::fputs(LAB_USAGE, stdout);
    return 0;
  }
  if (options.version) {
    std::puts("ipdlogic-lab " IPDLOGIC_VERSION);
    return 0;
  }
  return run_lab(options);
}

}  // namespace

int main(int argc, char** argv) { return run_reporting_failures(run, argc, argv); }
