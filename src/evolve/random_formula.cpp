#include "evolve/random_formula.h"

#include "error.h"
#include "random_stream.h"

namespace {

Node_Kind random_kind() {
  int32_t d = draw_random() % 30;
  if (d <= 3) return AND;
  if (d <= 7) return OR;
  if (d <= 11) return NOT;
  if (d <= 15) return static_cast<Node_Kind>(FORALL_AGENT + (d - 12));
  return DEFECTED;
}

// A letter from `first` to `first + count - 1` that the scope does not hold
// yet; when it holds them all, the first letter drawn is kept.
int32_t random_letter(const Scope& scope, int32_t first, int32_t count) {
  bool free_letter_left = false;
  for (int32_t letter = first; letter < first + count; ++letter)
    if (!scope_holds(scope, letter)) free_letter_left = true;
  int32_t letter = first + draw_random() % count;
  while (free_letter_left && scope_holds(scope, letter)) letter = first + draw_random() % count;
  return letter;
}

}  // namespace

Formula* random_Formula(const Scope& agents, const Scope& times) {
  Scope new_agents = agents;
  Scope new_times = times;
  Node_Kind kind = random_kind();
  Formula* node = new_Formula(kind);
  switch (kind) {
    case AND:
    case OR:
      node->right = random_Formula(new_agents, new_times);
      node->left = random_Formula(new_agents, new_times);
      break;
    case NOT:
      node->left = random_Formula(new_agents, new_times);
      break;
    case FORALL_AGENT:
    case EXISTS_AGENT:
      node->variable = random_letter(new_agents, 'd', 12);
      add_variable(new_agents, node->variable);
      node->left = random_Formula(new_agents, new_times);
      break;
    case FORALL_TIME:
    case EXISTS_TIME:
      node->variable = random_letter(new_times, 's', 9);
      add_variable(new_times, node->variable);
      node->left = random_Formula(new_agents, new_times);
      break;
    case DEFECTED:
      node->player1 = random_agent(new_agents, NO_AGENT);
      node->player2 = random_agent(new_agents, node->player1);
      node->time = random_time(new_times);
      node->time_mod = draw_random() % 3 - 2;
      break;
    case CHANCE: break;  // never drawn
  }
  if (!is_inner(kind) && kind != DEFECTED) {
    free_Formula(node);
    error("weird type in 'random formula'");
  }
  return node;
}

agent random_agent(const Scope& agents, agent forbidden) {
  agent result = forbidden;
  while (result == forbidden)
    result = agent_of_letter(static_cast<unsigned char>(agents[static_cast<size_t>(draw_random()) % agents.size()]));
  return result;
}

int32_t random_time(const Scope& times) {
  return time_of_letter(static_cast<unsigned char>(times[static_cast<size_t>(draw_random()) % times.size()]));
}

void init_random_Formulae(Formula** formulae, int32_t pop) {
  for (int32_t player = 0; player < pop; ++player) {
    Scope agents, times;
    init_variables(agents, times);
    formulae[player] = random_Formula(agents, times);
  }
}
