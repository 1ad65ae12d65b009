// The section of the explanation on what the strategy comes to: its
// simplified form, and how it plays in the built-in strategy library.
#pragma once

#include <string>

#include "formula/formula.h"

// Ends the explanation; the same whatever --society says, since names and
// identifiers are the built-in library's, as the lab's columns are.
std::string behaviour_section(const Formula* formula);
