// A formula tree owned by a smart pointer, released with free_Formula.
#pragma once

#include <memory>

#include "formula/formula.h"

struct Tree_Deleter {
  void operator()(Formula* formula) const { free_Formula(formula); }
};
using Tree = std::unique_ptr<Formula, Tree_Deleter>;
