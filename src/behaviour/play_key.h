// A key that formulae which play alike by their form share: the letters of
// their quantifiers are read as which enclosing quantifier binds them, so
// that renaming a bound letter keeps the key, and the operands of a chain
// of `&` (or of `|`) that draws nothing are taken in a fixed order, as in
// such a chain their order and grouping decide nothing. Formulae with equal
// keys make the same decisions and draws in every tournament; formulae
// with different keys may still play alike.
#pragma once

#include <string>

#include "formula/formula.h"

std::string play_key(const Formula* formula);
