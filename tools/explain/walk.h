// The nodes of a tree in the order they are written (preorder), each with
// its depth; the explanation numbers nodes by their place in this order,
// from 1. Works at any depth without recursion.
#pragma once

#include <cstdint>
#include <vector>

#include "formula/formula.h"

struct Visit {
  const Formula* node;
  int64_t depth;  // 0 for the root
};

std::vector<Visit> preorder_Formula(const Formula* formula);
