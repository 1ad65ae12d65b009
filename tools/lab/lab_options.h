// The command line of ipdlogic-lab: what to run, and how often to record it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/results.h"
#include "game/tournament.h"
#include "seed_list.h"

constexpr int32_t DEFAULT_GENERATIONS = 100;
constexpr int32_t MAX_GENERATIONS = 1000000;
constexpr int32_t MAX_ROUNDS = 100;
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

// The usage text of --help.
extern const char* const LAB_USAGE;
