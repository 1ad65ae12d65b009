#include "walk.h"

std::vector<Visit> preorder_Formula(const Formula* formula) {
  std::vector<Visit> visits;
  std::vector<Visit> pending;
  if (formula) pending.push_back({formula, 0});
  while (!pending.empty()) {
    Visit visit = pending.back();
    pending.pop_back();
    visits.push_back(visit);
    const Formula* node = visit.node;
    if (is_binary(node->type) && node->right) pending.push_back({node->right, visit.depth + 1});
    if (is_inner(node->type) && node->left) pending.push_back({node->left, visit.depth + 1});
  }
  return visits;
}
