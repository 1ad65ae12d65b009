// Helpers for the evolution tests.
#pragma once

#include <functional>

#include "formula/scope.h"
#include "game/results.h"
#include "test_support.h"

inline Scope fresh_agents() { return "rc"; }
inline Scope fresh_times() { return "p"; }

// Calls `visit(node, agents, times)` for every node, with the scopes of the
// quantifiers above it.
inline void walk_with_scopes(const Formula* formula,
                             const std::function<void(const Formula*, const Scope&, const Scope&)>& visit) {
  struct Pending {
    const Formula* node;
    Scope agents, times;
  };
  std::vector<Pending> pending{{formula, fresh_agents(), fresh_times()}};
  while (!pending.empty()) {
    Pending next = std::move(pending.back());
    pending.pop_back();
    if (!next.node) continue;
    visit(next.node, next.agents, next.times);
    if (is_agent_quantifier(next.node->type)) add_variable(next.agents, next.node->variable);
    if (is_time_quantifier(next.node->type)) add_variable(next.times, next.node->variable);
    pending.push_back({next.node->right, next.agents, next.times});
    pending.push_back({next.node->left, next.agents, next.times});
  }
}

// Whether every atom refers only to ROW, COLUMN, PREV_TIME, time 0 and
// letters bound above it by quantifiers of the right kind.
inline bool all_references_bound(const Formula* formula) {
  bool bound = true;
  walk_with_scopes(formula, [&](const Formula* node, const Scope& agents, const Scope& times) {
    if (node->type != DEFECTED) return;
    for (agent player : {node->player1, node->player2})
      if (player != ROW && player != COLUMN && !scope_holds(agents, player)) bound = false;
    if (node->time != PREV_TIME && node->time != 0 && !scope_holds(times, node->time)) bound = false;
  });
  return bound;
}

// A seed whose first draw satisfies `wanted`.
inline int32_t seed_where(const std::function<bool(int32_t)>& wanted, int32_t from = 1) {
  int32_t seed = from;
  while (!wanted(Draw_Predictor(seed).next())) ++seed;
  return seed;
}

// A population of trees read from texts, released with it.
struct Population {
  std::vector<Formula*> formulae;
  explicit Population(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) formulae.push_back(parse(text).release());
  }
  ~Population() {
    for (Formula* formula : formulae) free_Formula(formula);
  }
  Population(const Population&) = delete;
  Population& operator=(const Population&) = delete;
  int32_t pop() const { return static_cast<int32_t>(formulae.size()); }
  std::string printed(int32_t player) const { return format_Formula(formulae[player]); }
};

// A results table whose players score the given values, the rest 0.
inline std::vector<Result> scores(const std::vector<int32_t>& values) {
  std::vector<Result> results(MAX_POP);
  for (size_t i = 0; i < values.size(); ++i) results[i].score = values[i];
  return results;
}
