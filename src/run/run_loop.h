// The run loop shared by ipdlogic and ipdlogic-lab: generation after
// generation, a tournament, its tally, and breeding. What a run shows of
// itself is up to its observer: ipdlogic prints listings and tables, the
// lab records rows.
#pragma once

#include <cstdint>

#include "evolve/breeding.h"
#include "formula/formula.h"
#include "game/results.h"
#include "game/tournament.h"

struct Run_Parameters {
  int32_t generations = 1;        // tournaments played
  bool breed_after_last = false;  // ipdlogic -e breeds after its last tournament too
  Game_Rules game;
  Payoffs payoffs;
  Breeding breeding;  // its `quiet` is the run's
  bool quiet = false;  // neither ">simulating" nor breeding's lines on standard output
  Tournament_Play play = play_rounds;  // the machine; a reference evaluator for comparisons
};

// The run's objects, made once and reused by every generation.
struct Run_State {
  History* history;
  Result* results;
  Formula** formulae;
  int32_t pop;
};

// Called before each tournament, with the population about to play, and
// after its tally, with the results (the population is still the one that
// played). Either may be null.
struct Run_Observer {
  void* context = nullptr;
  void (*tournament_starts)(void* context, int32_t generation, const Run_State& state) = nullptr;
  void (*tournament_scored)(void* context, int32_t generation, const Run_State& state) = nullptr;
};

void run_generations(const Run_Parameters& parameters, Run_State& state, const Run_Observer& observer);
