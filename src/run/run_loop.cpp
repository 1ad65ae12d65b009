#include "run/run_loop.h"

#include "evolve/fixation.h"
#include "evolve/generational.h"
#include "evolve/moran.h"

namespace {

void play(const Run_Parameters& parameters, Run_State& state) {
  if (parameters.quiet)
    parameters.play(*state.history, state.formulae, state.pop, parameters.game);
  else
    simulate(*state.history, state.formulae, state.pop, parameters.game, parameters.play);
  get_Results(*state.history, state.results, state.pop, parameters.payoffs);
}

bool fixed(const Run_Parameters& parameters, const Run_State& state) {
  return parameters.until_fixed && population_fixed(state.formulae, state.pop);
}

// The events of one Moran generation, after its first tournament; stops
// early at fixation, which the next generation then records.
void moran_generation(const Run_Parameters& parameters, Run_State& state, Run_Outcome& outcome) {
  const double mutation = parameters.breeding.mutation;
  for (int32_t event = 0; event < state.pop; ++event) {
    if (event > 0) play(parameters, state);
    moran_event(state.results, state.formulae, *state.lineage, state.pop, parameters.dynamics.crossover, mutation);
    ++outcome.events;
    if (fixed(parameters, state)) return;
  }
}

void breed(const Run_Parameters& parameters, const Breeding& breeding, Run_State& state, Run_Outcome& outcome) {
  if (!state.lineage)
    update_Formulae(state.results, state.formulae, state.pop, breeding);
  else if (parameters.dynamics.selection == Selection::MORAN)
    moran_generation(parameters, state, outcome);
  else
    breed_generation(state.results, state.formulae, *state.lineage, state.pop, parameters.dynamics, breeding.mutation);
}

}  // namespace

Run_Outcome run_generations(const Run_Parameters& parameters, Run_State& state, const Run_Observer& observer) {
  Breeding breeding = parameters.breeding;
  breeding.quiet = parameters.quiet;
  Run_Outcome outcome;
  for (int32_t generation = 0; generation < parameters.generations; ++generation) {
    outcome.fixed = fixed(parameters, state);
    state.last = outcome.fixed || generation + 1 == parameters.generations;
    if (observer.tournament_starts) observer.tournament_starts(observer.context, generation, state);
    play(parameters, state);
    if (observer.tournament_scored) observer.tournament_scored(observer.context, generation, state);
    outcome.generations = generation + 1;
    if (outcome.fixed) break;
    if (generation + 1 < parameters.generations || parameters.breed_after_last)
      breed(parameters, breeding, state, outcome);
  }
  return outcome;
}
