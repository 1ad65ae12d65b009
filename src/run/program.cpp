#include "run/program.h"

#include <cstdio>
#include <cstring>

#include "error.h"
#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "game/history.h"
#include "game/results.h"
#include "number_text.h"
#include "random_stream.h"
#include "run/population_reader.h"
#include "run/run_loop.h"

namespace {

constexpr int32_t GENERATIONS = 100;
constexpr int EXAMINED_ARGUMENTS = 4;

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

// What ipdlogic shows of a run: with -e, the listing before and the table
// after the tournaments of the printed generations; otherwise the listing
// of random formulae, and the table. Standard output is checked, and so
// flushed, after each of them and after each generation's breeding, so that
// a run piped to a file and stopped keeps every generation it showed.
void list_population(void* context, int32_t generation, const Run_State& state) {
  const Options& options = *static_cast<const Options*>(context);
  check_standard_output();  // the breeding's "updating formulae" and repair's clash reports
  if (options.evolve ? printed_generation(generation) : options.random_formulae) {
    print_Formulae(state.formulae, state.pop);
    check_standard_output();
  }
}

void print_table(void* context, int32_t generation, const Run_State& state) {
  const Options& options = *static_cast<const Options*>(context);
  if (!options.evolve || printed_generation(generation)) {
    print_Results(state.results, state.pop);
    check_standard_output();
  }
}

// The population, released when the run ends, however it ends.
struct Population {
  Formula* formulae[MAX_POP] = {};
  ~Population() {
    for (Formula* formula : formulae) free_Formula(formula);
  }
};

}  // namespace

int run_ipdlogic(int argc, char** argv, Tournament_Play play) {
  // The run's state, made once and reused by every generation.
  History history;
  Result results[MAX_POP];
  Population population;
  Formula** formulae = population.formulae;
  Options options = read_options(argc, argv);
  int32_t pop;
  if (options.random_formulae) {
    pop = RANDOM_POP;
    init_random_Formulae(formulae, pop);
  } else {
    pop = init_Formulae(formulae);
  }
  Run_Parameters parameters;
  parameters.play = play;
  if (options.evolve) {
    parameters.generations = GENERATIONS;
    parameters.breed_after_last = true;
  }
  Run_State state{&history, results, formulae, pop};
  run_generations(parameters, state, Run_Observer{&options, list_population, print_table});
  return 0;
}
