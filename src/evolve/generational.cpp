#include "evolve/generational.h"

#include <algorithm>
#include <numeric>

#include "evolve/offspring.h"
#include "evolve/repair.h"

std::vector<agent> elite_players(const Result* results, int32_t pop, int32_t count) {
  std::vector<agent> players(static_cast<size_t>(pop));
  std::iota(players.begin(), players.end(), 0);
  // A stable sort keeps equal scores in the order of the player numbers.
  std::stable_sort(players.begin(), players.end(),
                   [results](agent a, agent b) { return results[a].score > results[b].score; });
  players.resize(static_cast<size_t>(std::clamp(count, 0, pop)));
  return players;
}

void breed_generation(const Result* results, Formula** formulae, Lineage_Book& lineage, int32_t pop,
                      const Dynamics& dynamics, double mutation) {
  Formula* next[MAX_POP] = {};
  Lineage next_lineage[MAX_POP];
  bool passed_on[MAX_POP] = {};
  const std::vector<agent> elites = elite_players(results, pop, dynamics.elite);
  const auto kept = static_cast<int32_t>(elites.size());
  for (int32_t place = 0; place < kept; ++place) {
    const agent elite = elites[static_cast<size_t>(place)];
    next[place] = formulae[elite];
    next_lineage[place] = lineage.of_player[elite];
    passed_on[elite] = true;
  }
  const Parent_Selector selector = dynamics.selection == Selection::TOURNAMENT
                                       ? tournament_selector(results, pop, dynamics.tournament_size)
                                       : roulette_selector(results, pop);
  for (int32_t place = kept; place < pop; ++place) {
    Offspring child = breed_child(selector, formulae, lineage.of_player, dynamics.crossover, mutation, lineage.next_id++);
    next[place] = child.formula;
    next_lineage[place] = child.lineage;
  }
  for (int32_t player = 0; player < pop; ++player) {
    if (!passed_on[player]) free_Formula(formulae[player]);
  }
  for (int32_t player = 0; player < pop; ++player) {
    formulae[player] = next[player];
    lineage.of_player[player] = next_lineage[player];
  }
  fix_Formulae(formulae + kept, pop - kept, false);
}
