#include "evolve/breeding.h"

#include <cstdio>

#include "evolve/crossover.h"
#include "evolve/mutation.h"
#include "evolve/repair.h"
#include "evolve/selection.h"
#include "game/rules.h"

void mutate_from_fresh_scopes(Formula* child) {
  Scope agents, times;
  init_variables(agents, times);
  mutate_an_atom(child, agents, times);
}

void update_Formulae(const Result* results, Formula** formulae, int32_t pop) {
  update_Formulae(results, formulae, pop, Breeding{});
}

void update_Formulae(const Result* results, Formula** formulae, int32_t pop, const Breeding& breeding) {
  if (!breeding.quiet) std::fputs("updating formulae\n", stdout);
  Formula* new_formulae[MAX_POP] = {};
  const Roulette wheel = make_roulette(results, pop);
  for (int32_t player = 0; player < pop; ++player) {
    agent parent1 = spin(wheel);
    agent parent2 = spin(wheel);
    new_formulae[player] = cross_over(formulae[parent1], formulae[parent2]);
    if (holds_unless_zero(breeding.mutation)) mutate_from_fresh_scopes(new_formulae[player]);
  }
  for (int32_t player = 0; player < pop; ++player) {
    free_Formula(formulae[player]);
    formulae[player] = new_formulae[player];
  }
  fix_Formulae(formulae, pop, !breeding.quiet);
}
