#include "game/evaluate.h"

#include <cstdio>

#include "error.h"
#include "game/letters.h"

namespace {

// One enclosing quantifier's current value. A chain of these, innermost
// first, lives on the stack of the evaluation.
struct Binding {
  bool over_time;
  int32_t letter;
  int32_t value;
  int32_t depth;
  const Binding* outer;
};

struct Decision {
  const History& history;
  int32_t pop;
  agent row;
  agent column;
  int32_t prev_time;
};

// Answers a letter's binding on the chain as its depth, keeping the binding found.
struct Chain_Find {
  const Binding* bindings;
  mutable const Binding* found = nullptr;
  int32_t operator()(bool over_time, int32_t letter) const {
    for (found = bindings; found; found = found->outer)
      if (found->over_time == over_time && found->letter == letter) return found->depth;
    return -1;
  }
};

int64_t value_of(const Decision& d, Term term, const Chain_Find& find) {
  switch (term.kind) {
    case TERM_ROW: return d.row;
    case TERM_COLUMN: return d.column;
    case TERM_PREV: return d.prev_time;
    case TERM_BOUND: return find.found->value;
    default: return term.value;
  }
}

int eval(const Decision& d, const Formula* f, const Binding* bindings);

// The loop of an agent or time quantifier that binds its letter; `start` is
// 1 for the universal and 0 for the existential quantifier.
int quantify(const Decision& d, const Formula* f, const Binding* bindings, int start) {
  bool over_time = is_time_quantifier(f->type);
  Binding binding{over_time, f->variable, 0, bindings ? bindings->depth + 1 : 0, bindings};
  int result = start;
  if (!over_time) {
    for (agent player = 0; player < d.pop && result == start; ++player) {
      if (!agent_candidate(player, d.row, d.column)) continue;
      binding.value = player;
      result = eval(d, f->left, &binding);
    }
    return result;
  }
  if (d.prev_time <= 0) {
    binding.value = first_time_candidate(d.prev_time);
    return eval(d, f->left, &binding);
  }
  for (int32_t time = 0; time < time_candidates_end(d.prev_time) && result == start; ++time) {
    binding.value = time;
    result = eval(d, f->left, &binding);
  }
  return result;
}

int lookup(const Decision& d, const Formula* f, const Binding* bindings) {
  Chain_Find find{bindings};
  int64_t player1 = value_of(d, agent_term(f->player1, find), find);
  int64_t player2 = value_of(d, agent_term(f->player2, find), find);
  int64_t time = value_of(d, time_term(f->time, find), find) + f->time_mod;
  return is_empty(lookup_defections(d.history, player1, player2, time)) ? 0 : 1;
}

int eval(const Decision& d, const Formula* f, const Binding* bindings) {
  switch (f->type) {
    case AND:
      return eval(d, f->left, bindings) && eval(d, f->right, bindings);
    case OR:
      return eval(d, f->left, bindings) || eval(d, f->right, bindings);
    case NOT:
      return !eval(d, f->left, bindings);
    case FORALL_AGENT:
    case EXISTS_AGENT:
    case FORALL_TIME:
    case EXISTS_TIME: {
      if (!binds_its_letter(f, Chain_Find{bindings})) return eval(d, f->left, bindings);
      int start = f->type == FORALL_AGENT || f->type == FORALL_TIME ? 1 : 0;
      return quantify(d, f, bindings, start);
    }
    case DEFECTED:
      return lookup(d, f, bindings);
    case CHANCE:
      return chance_holds(f->chance);
    default:
      invalid_kind_while_evaluating(f->type);
  }
}

}  // namespace

void invalid_kind_while_evaluating(int32_t type) {
  std::fflush(stdout);
  std::fprintf(stderr, "%d\n", type);
  error("Invalid contructor in formula (while evaluating)");
}

int evaluate(const History& history, const Formula* formula, int32_t pop, agent row, agent column,
             int32_t prev_time) {
  return eval(Decision{history, pop, row, column, prev_time}, formula, nullptr);
}
