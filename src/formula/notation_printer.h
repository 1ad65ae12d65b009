// The printer of the formula notation: fully parenthesised, the canonical
// form of a formula. Works at any depth without recursion.
#pragma once

#include <cstdint>
#include <string>

#include "formula/formula.h"

// Appends the notation of a tree ("NULL" for a null pointer) to `out`.
// Returns the first node met whose kind is not a known one, or null when
// the whole tree was written; text before that node is in `out`.
const Formula* append_Formula(const Formula* formula, std::string& out);

// The notation of a tree; a node of unknown kind is a fatal error.
std::string format_Formula(const Formula* formula);

// Writes the notation to standard output, without a newline.
void print_Formula(const Formula* formula);

// The population listing: a numbered header line, the tree, a blank line.
void print_Formulae(Formula* const* formulae, int32_t pop);
