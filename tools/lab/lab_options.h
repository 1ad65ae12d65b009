// The command line of ipdlogic-lab: what to run, and how often to record it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "evolve/dynamics.h"
#include "game/results.h"
#include "game/tournament.h"
#include "seed_list.h"

constexpr int32_t DEFAULT_GENERATIONS = 100;
constexpr int32_t MAX_GENERATIONS = 1000000;
constexpr int32_t MAX_ROUNDS = 100;
// The cap of a tournament of drawn length, unless --rounds says otherwise.
constexpr int32_t CONTINUATION_ROUNDS = 100;
constexpr int32_t MAX_JOBS = 1024;

struct Lab_Options {
  std::vector<std::string> files;  // formula files named as arguments
  int32_t random = 0;              // with --random, the number of random formulae
  int32_t generations = DEFAULT_GENERATIONS;
  std::vector<Seed_Range> seeds;  // one run per seed, in this order
  int32_t rounds = ROUNDS;
  Payoffs payoffs;
  double mutation = 0.0;
  double noise = 0.0;
  int32_t every = 1;
  Dynamics dynamics;  // --selection, --elite, --crossover
  double continuation = NO_CONTINUATION;
  bool until_fixed = false;
  // Each distinct formula's simplified form and behaviour in the strategy
  // library as four more columns; --no-analysis leaves them out.
  bool analysis = true;
  std::string out;  // empty for standard output
  // The seeds run at once: --jobs, or else the cores the process may use;
  // never more than the seeds.
  int32_t jobs = 1;
  bool help = false;
  bool version = false;
  std::vector<std::string> arguments;  // the command line as given, for the record
};

// The options of a command line; a bad option or value is a fatal error
// that says what is wrong and what is allowed.
Lab_Options parse_lab_options(int argc, char** argv);

// The options that depend on the population's size, once it is known: a
// tournament of K players and the elites must fit in it; a fatal error
// otherwise.
void check_population_options(const Lab_Options& options, int32_t pop);

// --selection's value as given: roulette, tournament:K or moran.
std::string selection_text(const Dynamics& dynamics);

// The usage text of --help.
extern const char* const LAB_USAGE;
