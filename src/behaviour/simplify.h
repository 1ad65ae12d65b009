// Simplification: a smaller formula that plays exactly like the given one.
#pragma once

#include "formula/formula.h"

// A new tree, owned by the caller, that plays exactly like `formula`: in
// every population of three players or more and for every seed, putting it
// in the formula's place changes no decision and no draw of the run. It is
// never larger than `formula`, which stays unchanged.
Formula* simplify_Formula(const Formula* formula);
