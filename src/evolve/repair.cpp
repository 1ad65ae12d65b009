#include "evolve/repair.h"

#include <cstdio>
#include <vector>

#include "error.h"
#include "evolve/random_formula.h"

namespace {

void report_clash(const Scope& agents, int32_t letter) {
  // The scope prints as a C string would: up to its first NUL.
  std::fputs("XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX\n<", stdout);
  std::fputs(agents.c_str(), stdout);
  std::fputs("> <", stdout);
  std::fputc(letter & 0xff, stdout);
  std::fputs(">\n", stdout);
}

void fix_atom(Formula* atom, const Scope& agents, const Scope& times) {
  if (atom->player1 != ROW && atom->player1 != COLUMN && !in_scope(agents, atom->player1))
    atom->player1 = random_agent(agents, atom->player2);
  if (atom->player2 != ROW && atom->player2 != COLUMN && !in_scope(agents, atom->player2))
    atom->player2 = random_agent(agents, atom->player1);
  if (atom->time != PREV_TIME && !in_scope(times, atom->time)) atom->time = random_time(times);
}

// A subtree still to repair, and the lengths the path's scopes have above it.
struct Pending {
  Formula* node;
  size_t agents_length;
  size_t times_length;
};

}  // namespace

void fix_Formula(Formula* formula, const Scope& agents, const Scope& times, bool report_clashes) {
  // The path's scopes: entries past a pending subtree's lengths belong to
  // subtrees already repaired and are cut off before it is visited.
  Scope path_agents = agents;
  Scope path_times = times;
  std::vector<Pending> pending{{formula, agents.size(), times.size()}};
  while (!pending.empty()) {
    Pending next = pending.back();
    pending.pop_back();
    Formula* node = next.node;
    if (!node) continue;
    path_agents.resize(next.agents_length);
    path_times.resize(next.times_length);
    switch (node->type) {
      case AND:
      case OR:
        // The right operand is repaired, with its draws, before the left.
        pending.push_back({node->left, path_agents.size(), path_times.size()});
        pending.push_back({node->right, path_agents.size(), path_times.size()});
        break;
      case NOT:
        pending.push_back({node->left, path_agents.size(), path_times.size()});
        break;
      case FORALL_AGENT:
      case EXISTS_AGENT:
        if (report_clashes && in_scope(path_agents, node->variable)) report_clash(path_agents, node->variable);
        add_variable(path_agents, node->variable);
        pending.push_back({node->left, path_agents.size(), path_times.size()});
        break;
      case FORALL_TIME:
      case EXISTS_TIME:
        add_variable(path_times, node->variable);
        pending.push_back({node->left, path_agents.size(), path_times.size()});
        break;
      case DEFECTED:
        fix_atom(node, path_agents, path_times);
        break;
      case CHANCE:
        break;  // nothing to repair
      default:
        error("weird type in 'fix formula'");
    }
  }
}

void fix_Formulae(Formula** formulae, int32_t pop, bool report_clashes) {
  for (int32_t player = 0; player < pop; ++player) {
    Scope agents, times;
    init_variables(agents, times);
    fix_Formula(formulae[player], agents, times, report_clashes);
  }
}
