// The run loop shared by ipdlogic and ipdlogic-lab: generation after
// generation, a tournament, its tally, and breeding. What a run shows of
// itself is up to its observer: ipdlogic prints listings and tables, the
// lab records rows. The lab also keeps every player's lineage and chooses
// among more dynamics (evolve/dynamics.h), and may end a run at fixation.
#pragma once

#include <cstdint>

#include "evolve/breeding.h"
#include "evolve/dynamics.h"
#include "evolve/lineage.h"
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
  // Used only with lineages (the state's `lineage`): the selection scheme,
  // elites and crossover; breeding's mutation still applies. Without
  // lineages breeding is update_Formulae's, ipdlogic's own.
  Dynamics dynamics;
  // End the run once every player holds the same formula: checked before
  // each generation's tournament, and with the Moran process after every
  // event. The fixed population plays its tournament as the run's last
  // generation. `generations` stays the bound.
  bool until_fixed = false;
};

// The run's objects, made once and reused by every generation.
struct Run_State {
  History* history;
  Result* results;
  Formula** formulae;
  int32_t pop;
  Lineage_Book* lineage = nullptr;  // the lab's: kept through breeding by the parameters' dynamics
  bool last = false;  // set by the loop before each tournament: it is the run's last
};

// How a run ended.
struct Run_Outcome {
  int32_t generations = 0;  // tournaments recorded as generations
  int64_t events = 0;       // Moran events, in all
  bool fixed = false;       // ended at fixation (until_fixed)
};

// Called before each tournament, with the population about to play, and
// after its tally, with the results (the population is still the one that
// played). Either may be null.
struct Run_Observer {
  void* context = nullptr;
  void (*tournament_starts)(void* context, int32_t generation, const Run_State& state) = nullptr;
  void (*tournament_scored)(void* context, int32_t generation, const Run_State& state) = nullptr;
};

// A Moran generation is as many events as players: the tournament that the
// observer sees, the event that follows it, then for every further event a
// tournament (unseen) and the event; the run's last generation is its
// tournament alone, as a generation of the other schemes is not bred after
// the last one.
Run_Outcome run_generations(const Run_Parameters& parameters, Run_State& state, const Run_Observer& observer);
