#include "evolve/fixation.h"

#include <string>

#include "formula/notation_printer.h"

bool population_fixed(Formula* const* formulae, int32_t pop) {
  if (pop < 2) return true;
  const std::string first = format_Formula(formulae[0]);
  for (int32_t player = 1; player < pop; ++player) {
    // Equal trees print alike; only unequal ones need their text.
    if (!equal_Formula(formulae[player], formulae[0]) && format_Formula(formulae[player]) != first) return false;
  }
  return true;
}
