#include "run/run_loop.h"

namespace {

void play(const Run_Parameters& parameters, Run_State& state) {
  if (parameters.quiet)
    parameters.play(*state.history, state.formulae, state.pop, parameters.game);
  else
    simulate(*state.history, state.formulae, state.pop, parameters.game, parameters.play);
  get_Results(*state.history, state.results, state.pop, parameters.payoffs);
}

}  // namespace

void run_generations(const Run_Parameters& parameters, Run_State& state, const Run_Observer& observer) {
  Breeding breeding = parameters.breeding;
  breeding.quiet = parameters.quiet;
  for (int32_t generation = 0; generation < parameters.generations; ++generation) {
    if (observer.tournament_starts) observer.tournament_starts(observer.context, generation, state);
    play(parameters, state);
    if (observer.tournament_scored) observer.tournament_scored(observer.context, generation, state);
    if (generation + 1 < parameters.generations || parameters.breed_after_last)
      update_Formulae(state.results, state.formulae, state.pop, breeding);
  }
}
