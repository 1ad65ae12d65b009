#include "evolve/offspring.h"

#include "evolve/breeding.h"
#include "evolve/crossover.h"
#include "game/rules.h"

namespace {

// Whether the child is crossed: a draw only when either answer is possible.
bool crossed(double crossover) {
  if (crossover >= 1.0) return true;
  return crossover > 0.0 && holds(crossover);
}

}  // namespace

Offspring breed_child(const Parent_Selector& selector, Formula* const* formulae, const Lineage* lineages,
                      double crossover, double mutation, int64_t id) {
  Offspring child{nullptr, Lineage{id, NO_PARENT, NO_PARENT, false}};
  const agent parent1 = select_parent(selector);
  child.lineage.parent1 = lineages[parent1].id;
  if (crossed(crossover)) {
    const agent parent2 = select_parent(selector);
    child.lineage.parent2 = lineages[parent2].id;
    child.formula = cross_over(formulae[parent1], formulae[parent2]);
  } else {
    child.formula = copy_Formula(formulae[parent1]);
  }
  child.lineage.mutated = holds_unless_zero(mutation);
  if (child.lineage.mutated) mutate_from_fresh_scopes(child.formula);
  return child;
}
