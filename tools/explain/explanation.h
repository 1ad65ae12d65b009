// The explanation of one strategy: its canonical form, its tree as an
// indented outline, what each quantifier binds, the letters nothing binds,
// the atoms that read the current round or beyond, its chance atoms and its
// first moves against three classic opponents. Every line is indented by
// two blanks; the file's name and text lines come before it.
#pragma once

#include <string>

#include "formula/formula.h"

std::string explain_Formula(Formula* formula);
