// Fixation: a population in which every player holds the same formula, the
// same canonical printed text (so that formulae that print alike, such as
// two probabilities that round to the same six decimals, count as one).
#pragma once

#include <cstdint>

#include "formula/formula.h"

bool population_fixed(Formula* const* formulae, int32_t pop);
