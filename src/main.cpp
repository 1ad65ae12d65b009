// ipdlogic: plays and evolves strategies for the iterated prisoner's dilemma.
//
//   ipdlogic [-s SEED] [-e] [-r]   file names on standard input unless -r
//
// Only the first four arguments are examined. Every failure is fatal: one
// "Error: ..." line on standard error, after the output already written,
// and exit status 1. A write to standard output that fails is such a
// failure; SIGPIPE keeps its default, so a closed pipe ends the run as it
// ends any filter's, unless the signal is ignored.
#include <cstdio>
#include <cstring>

#include "error.h"
#include "evolve/crossover.h"
#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "formula/notation_reader.h"
#include "game/history.h"
#include "game/results.h"
#include "game/tournament.h"
#include "number_text.h"
#include "random_stream.h"

namespace {

constexpr int32_t GENERATIONS = 100;
constexpr int EXAMINED_ARGUMENTS = 4;

// The run's state, made once and reused by every generation.
History history;
Result results[MAX_POP];
Formula* formulae[MAX_POP];

struct Options {
  bool evolve = false;
  bool random_formulae = false;
};

bool is_option(int argc, char** argv, int position, const char* option) {
  return position < argc && position <= EXAMINED_ARGUMENTS && std::strcmp(argv[position], option) == 0;
}

// Seeds the stream: 777, then every "-s" at positions 1 to 3 that has a value
// after it reseeds in turn, so the last one decides.
Options read_options(int argc, char** argv) {
  seed_random(DEFAULT_SEED);
  for (int position = 1; position <= EXAMINED_ARGUMENTS - 1; ++position)
    if (is_option(argc, argv, position, "-s") && position + 1 < argc)
      seed_random(saturating_atoi(argv[position + 1]));
  Options options;
  for (int position = 1; position <= EXAMINED_ARGUMENTS; ++position) {
    if (is_option(argc, argv, position, "-e")) options.evolve = true;
    if (is_option(argc, argv, position, "-r")) options.random_formulae = true;
  }
  return options;
}

bool printed_generation(int32_t round) { return round == 0 || round % 10 == 9; }

// Each listing and table is checked, and so flushed, as soon as it is
// printed: a run piped to a file and stopped keeps every generation shown.
void list_population(int32_t pop) {
  print_Formulae(formulae, pop);
  check_standard_output();
}

void show_results(int32_t pop) {
  print_Results(results, pop);
  check_standard_output();
}

void play(int32_t pop) {
  simulate(history, formulae, pop);
  get_Results(history, results, pop);
}

int run(int argc, char** argv) {
  Options options = read_options(argc, argv);
  int32_t pop;
  if (options.random_formulae) {
    pop = RANDOM_POP;
    init_random_Formulae(formulae, pop);
  } else {
    pop = init_Formulae(formulae);
  }
  if (options.evolve) {
    for (int32_t round = 0; round < GENERATIONS; ++round) {
      if (printed_generation(round)) list_population(pop);
      play(pop);
      if (printed_generation(round)) show_results(pop);
      update_Formulae(results, formulae, pop);
      check_standard_output();  // "updating formulae" and repair's clash reports
    }
  } else {
    if (options.random_formulae) list_population(pop);
    play(pop);
    show_results(pop);
  }
  for (int32_t player = 0; player < pop; ++player) free_Formula(formulae[player]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return run_reporting_failures(run, argc, argv); }
