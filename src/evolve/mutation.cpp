#include "evolve/mutation.h"

#include <limits>

#include "error.h"
#include "evolve/random_formula.h"
#include "random_stream.h"

namespace {

int32_t moved_offset(int32_t time_mod, bool up) {
  if (up) return time_mod == std::numeric_limits<int32_t>::max() ? time_mod : time_mod + 1;
  return time_mod == std::numeric_limits<int32_t>::min() ? time_mod : time_mod - 1;
}

void mutate_atom(Formula* atom, const Scope& agents, const Scope& times) {
  switch (draw_random() % 4 + 1) {
    case 1: atom->player1 = random_agent(agents, NO_AGENT); break;
    case 2: atom->player2 = random_agent(agents, NO_AGENT); break;
    case 3: atom->time = random_time(times); break;
    default: atom->time_mod = moved_offset(atom->time_mod, draw_random() % 2 == 1); break;
  }
}

}  // namespace

void mutate_an_atom(Formula* formula, const Scope& agents, const Scope& times) {
  Scope new_agents = agents;
  Scope new_times = times;
  for (Formula* node = formula; node;) {
    if (!is_known_kind(node->type)) error("Invalid contructor in formula (found during mutation)");
    switch (node->type) {
      case AND:
      case OR:
        node = draw_random() % 2 == 1 ? node->left : node->right;
        break;
      case NOT:
        node = node->left;
        break;
      case FORALL_AGENT:
      case EXISTS_AGENT:
        add_variable(new_agents, node->variable);
        node = node->left;
        break;
      case FORALL_TIME:
      case EXISTS_TIME:
        add_variable(new_times, node->variable);
        node = node->left;
        break;
      case DEFECTED:
        mutate_atom(node, new_agents, new_times);
        return;
      case CHANCE:
        return;
    }
  }
}
