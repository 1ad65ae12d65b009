#include "game/substitution.h"

#include "error.h"
#include "game/evaluate.h"
#include "game/history.h"
#include "game/tournament.h"

namespace {

Formula* copy_fields(const Formula* old) {
  Formula* node = new_Formula(old->type);
  node->variable = old->variable;
  node->player1 = old->player1;
  node->player2 = old->player2;
  node->time = old->time;
  node->time_mod = old->time_mod;
  node->chance = old->chance;
  node->substituted = old->substituted;
  return node;
}

template <bool OverTime>
Formula* substitute(const Formula* old, int32_t variable, int32_t value);

// Fills one operand of a new node; on failure the node and all of it go.
template <bool OverTime>
void substitute_operand(Formula* node, Formula** operand, const Formula* old, int32_t variable, int32_t value) {
  try {
    *operand = substitute<OverTime>(old, variable, value);
  } catch (...) {
    free_Formula(node);
    throw;
  }
}

template <bool OverTime>
Formula* substitute(const Formula* old, int32_t variable, int32_t value) {
  switch (old->type) {
    case AND:
    case OR: {
      Formula* node = copy_fields(old);
      substitute_operand<OverTime>(node, &node->left, old->left, variable, value);
      substitute_operand<OverTime>(node, &node->right, old->right, variable, value);
      return node;
    }
    case NOT:
    case FORALL_AGENT:
    case EXISTS_AGENT:
    case FORALL_TIME:
    case EXISTS_TIME: {
      bool same_family = OverTime ? is_time_quantifier(old->type) : is_agent_quantifier(old->type);
      if (same_family && old->variable == variable) return substitute<OverTime>(old->left, variable, value);
      Formula* node = copy_fields(old);
      substitute_operand<OverTime>(node, &node->left, old->left, variable, value);
      return node;
    }
    case DEFECTED: {
      Formula* atom = copy_fields(old);
      if constexpr (OverTime) {
        if (!(atom->substituted & SUBSTITUTED_TIME) && atom->time == variable) {
          atom->time = value;
          atom->substituted |= SUBSTITUTED_TIME;
        }
      } else {
        if (!(atom->substituted & SUBSTITUTED_PLAYER1) && atom->player1 == variable) {
          atom->player1 = value;
          atom->substituted |= SUBSTITUTED_PLAYER1;
        }
        if (!(atom->substituted & SUBSTITUTED_PLAYER2) && atom->player2 == variable) {
          atom->player2 = value;
          atom->substituted |= SUBSTITUTED_PLAYER2;
        }
      }
      return atom;
    }
    case CHANCE:
      return copy_fields(old);
    default:
      error("strange formula type during substitution");
  }
}

struct Decision {
  const History& history;
  int32_t pop;
  agent row;
  agent column;
  int32_t prev_time;
};

int eval(const Decision& d, const Formula* f);

int eval_copy(const Decision& d, Formula* copy) {
  int result;
  try {
    result = eval(d, copy);
  } catch (...) {
    free_Formula(copy);
    throw;
  }
  free_Formula(copy);
  return result;
}

int agent_loop(const Decision& d, const Formula* f, int start) {
  int result = start;
  for (agent player = 0; player < d.pop; ++player) {
    if (!agent_candidate(player, d.row, d.column) || result != start) continue;
    result = eval_copy(d, substitute_agent(f, f->variable, player));
  }
  return result;
}

int time_loop(const Decision& d, const Formula* f, int start) {
  if (d.prev_time <= 0) return eval_copy(d, substitute_time(f, f->variable, first_time_candidate(d.prev_time)));
  int result = start;
  for (int32_t time = 0; time < time_candidates_end(d.prev_time) && result == start; ++time)
    result = eval_copy(d, substitute_time(f, f->variable, time));
  return result;
}

agent resolve(const Decision& d, agent value) {
  if (value == ROW) return d.row;
  if (value == COLUMN) return d.column;
  return value;
}

int eval(const Decision& d, const Formula* f) {
  switch (f->type) {
    case AND: return eval(d, f->left) && eval(d, f->right);
    case OR: return eval(d, f->left) || eval(d, f->right);
    case NOT: return !eval(d, f->left);
    case FORALL_AGENT: return agent_loop(d, f, 1);
    case EXISTS_AGENT: return agent_loop(d, f, 0);
    case FORALL_TIME: return time_loop(d, f, 1);
    case EXISTS_TIME: return time_loop(d, f, 0);
    case DEFECTED: {
      int64_t time = f->time == PREV_TIME ? d.prev_time : f->time;
      return get_action(d.history, resolve(d, f->player1), resolve(d, f->player2), time + f->time_mod);
    }
    case CHANCE: return chance_holds(f->chance);
    default: invalid_kind_while_evaluating(f->type);
  }
}

}  // namespace

Formula* substitute_agent(const Formula* old, int32_t variable, agent value) {
  return substitute<false>(old, variable, value);
}

Formula* substitute_time(const Formula* old, int32_t variable, int32_t value) {
  return substitute<true>(old, variable, value);
}

int evaluate_by_substitution(const History& history, const Formula* formula, int32_t pop, agent row,
                             agent column, int32_t prev_time) {
  return eval(Decision{history, pop, row, column, prev_time}, formula);
}

void play_rounds_by_substitution(History& history, Formula* const* formulae, int32_t pop, int32_t rounds) {
  play_rounds_by_substitution(history, formulae, pop, Game_Rules{rounds, 0.0});
}

void play_rounds_by_substitution(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  reset_history(history);
  for (int32_t time = 0; time < rules.rounds; ++time)
    for (agent row = 0; row < pop; ++row)
      for (agent column = 0; column < pop; ++column) {
        if (column == row) continue;
        int action = evaluate_by_substitution(history, formulae[row], pop, row, column, time - 1);
        if (noise_flips(rules.noise)) action = !action;
        add_action(history, row, column, time, action);
      }
}
