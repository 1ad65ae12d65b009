#include "evolve/moran.h"

#include "evolve/offspring.h"
#include "evolve/repair.h"
#include "random_stream.h"

agent moran_event(const Result* results, Formula** formulae, Lineage_Book& lineage, int32_t pop, double crossover,
                  double mutation) {
  Offspring child =
      breed_child(roulette_selector(results, pop, true), formulae, lineage.of_player, crossover, mutation, lineage.next_id++);
  const agent replaced = draw_random() % pop;
  free_Formula(formulae[replaced]);
  formulae[replaced] = child.formula;
  lineage.of_player[replaced] = child.lineage;
  fix_Formulae(formulae + replaced, 1, false);
  return replaced;
}
