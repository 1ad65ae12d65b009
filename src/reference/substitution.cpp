#include "reference/substitution.h"

#include <utility>

#include "error.h"
#include "game/evaluation_errors.h"

namespace {

// A node of a substituted copy: the formula's fields, and which of them
// substitution has written, so that an inner quantifier never takes a player
// index or a time for a letter with the same code.
constexpr uint8_t SUBSTITUTED_PLAYER1 = 1;
constexpr uint8_t SUBSTITUTED_PLAYER2 = 2;
constexpr uint8_t SUBSTITUTED_TIME = 4;

struct Copy {
  Formula fields;  // its `left` and `right` unused
  uint8_t substituted = 0;
  Copy* left = nullptr;
  Copy* right = nullptr;
};

void free_Copy(Copy* copy) {
  if (!copy) return;
  free_Copy(copy->left);
  free_Copy(copy->right);
  delete copy;
}

// A whole copy owned until released, also when evaluating it fails.
struct Owned {
  Copy* copy;
  ~Owned() { free_Copy(copy); }
};

Copy* node_of(const Formula& fields, uint8_t substituted) {
  Copy* node = new Copy{fields, substituted};
  node->fields.left = node->fields.right = nullptr;
  return node;
}

// Substitution reads formulae and copies alike.
const Formula& fields_of(const Formula* node) { return *node; }
const Formula& fields_of(const Copy* node) { return node->fields; }
uint8_t marks_of(const Formula*) { return 0; }
uint8_t marks_of(const Copy* node) { return node->substituted; }
const Formula* left_of(const Formula* node) { return node->left; }
const Copy* left_of(const Copy* node) { return node->left; }
const Formula* right_of(const Formula* node) { return node->right; }
const Copy* right_of(const Copy* node) { return node->right; }

void substitute_atom(Copy& atom, bool over_time, int32_t variable, int32_t value) {
  Formula& f = atom.fields;
  auto replace = [&](int32_t& field, uint8_t mark) {
    if (!(atom.substituted & mark) && field == variable) {
      field = value;
      atom.substituted |= mark;
    }
  };
  if (over_time) {
    replace(f.time, SUBSTITUTED_TIME);
  } else {
    replace(f.player1, SUBSTITUTED_PLAYER1);
    replace(f.player2, SUBSTITUTED_PLAYER2);
  }
}

template <typename Node>
Copy* substitute(const Node* old, bool over_time, int32_t variable, int32_t value) {
  const Formula& f = fields_of(old);
  switch (f.type) {
    case AND:
    case OR:
    case NOT:
    case FORALL_AGENT:
    case EXISTS_AGENT:
    case FORALL_TIME:
    case EXISTS_TIME: {
      const bool same_family = over_time ? is_time_quantifier(f.type) : is_agent_quantifier(f.type);
      if (same_family && f.variable == variable) return substitute(left_of(old), over_time, variable, value);
      Owned node{node_of(f, marks_of(old))};
      node.copy->left = substitute(left_of(old), over_time, variable, value);
      if (is_binary(f.type)) node.copy->right = substitute(right_of(old), over_time, variable, value);
      return std::exchange(node.copy, nullptr);
    }
    case DEFECTED: {
      Copy* atom = node_of(f, marks_of(old));
      substitute_atom(*atom, over_time, variable, value);
      return atom;
    }
    case CHANCE: return node_of(f, marks_of(old));
  }
  error("strange formula type during substitution");
}

Formula* formula_of(const Copy* copy) {
  Formula* node = new_Formula(copy->fields.type);
  *node = copy->fields;
  node->left = node->right = nullptr;
  try {
    if (copy->left) node->left = formula_of(copy->left);
    if (copy->right) node->right = formula_of(copy->right);
  } catch (...) {
    free_Formula(node);
    throw;
  }
  return node;
}

Formula* substitute_formula(const Formula* old, bool over_time, int32_t variable, int32_t value) {
  Owned substituted{substitute(old, over_time, variable, value)};
  return formula_of(substituted.copy);
}

struct Decision {
  const History& history;
  int32_t pop;
  agent row;
  agent column;
  int32_t prev_time;
};

template <typename Node>
int eval(const Decision& d, const Node* f);

int eval_copy(const Decision& d, Copy* copy) {
  Owned owned{copy};
  return eval(d, static_cast<const Copy*>(copy));
}

template <typename Node>
int agent_loop(const Decision& d, const Node* f, int start) {
  int result = start;
  for (agent player = 0; player < d.pop; ++player) {
    if (!agent_candidate(player, d.row, d.column) || result != start) continue;
    result = eval_copy(d, substitute(f, false, fields_of(f).variable, player));
  }
  return result;
}

template <typename Node>
int time_loop(const Decision& d, const Node* f, int start) {
  const int32_t letter = fields_of(f).variable;
  if (d.prev_time <= 0) return eval_copy(d, substitute(f, true, letter, first_time_candidate(d.prev_time)));
  int result = start;
  for (int32_t time = 0; time < time_candidates_end(d.prev_time) && result == start; ++time)
    result = eval_copy(d, substitute(f, true, letter, time));
  return result;
}

agent resolve(const Decision& d, agent value) {
  if (value == ROW) return d.row;
  if (value == COLUMN) return d.column;
  return value;
}

template <typename Node>
int eval(const Decision& d, const Node* node) {
  const Formula& f = fields_of(node);
  switch (f.type) {
    case AND: return eval(d, left_of(node)) && eval(d, right_of(node));
    case OR: return eval(d, left_of(node)) || eval(d, right_of(node));
    case NOT: return !eval(d, left_of(node));
    case FORALL_AGENT: return agent_loop(d, node, 1);
    case EXISTS_AGENT: return agent_loop(d, node, 0);
    case FORALL_TIME: return time_loop(d, node, 1);
    case EXISTS_TIME: return time_loop(d, node, 0);
    case DEFECTED: {
      int64_t time = f.time == PREV_TIME ? d.prev_time : f.time;
      return get_action(d.history, resolve(d, f.player1), resolve(d, f.player2), time + f.time_mod);
    }
    case CHANCE: return holds(f.chance) ? 1 : 0;
  }
  invalid_kind_while_evaluating(f.type);
}

}  // namespace

Formula* substitute_agent(const Formula* old, int32_t variable, agent value) {
  return substitute_formula(old, false, variable, value);
}

Formula* substitute_time(const Formula* old, int32_t variable, int32_t value) {
  return substitute_formula(old, true, variable, value);
}

int evaluate_by_substitution(const History& history, const Formula* formula, int32_t pop, agent row,
                             agent column, int32_t prev_time) {
  return eval(Decision{history, pop, row, column, prev_time}, formula);
}

void play_rounds_by_substitution(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  reset_history(history);
  if (pop < 2) return;  // nobody plays: no round, and no draw for one
  for (int32_t time = 0; time < rules.rounds; ++time) {
    for (agent row = 0; row < pop; ++row)
      for (agent column = 0; column < pop; ++column) {
        if (column == row) continue;
        int action = evaluate_by_substitution(history, formulae[row], pop, row, column, time - 1);
        if (noise_flips(rules.noise)) action = !action;
        add_action(history, row, column, time, action);
      }
    if (!plays_another_round(rules, time)) break;
  }
}
