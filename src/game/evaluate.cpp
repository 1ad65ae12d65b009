#include "game/evaluate.h"

#include <cstdio>

#include "error.h"
#include "game/history.h"
#include "random_stream.h"

namespace {

// One enclosing quantifier's current value. A chain of these, innermost
// first, lives on the stack of the evaluation.
struct Binding {
  bool over_time;
  int32_t letter;
  int32_t value;
  const Binding* outer;
};

const Binding* find_binding(const Binding* binding, bool over_time, int32_t letter) {
  for (; binding; binding = binding->outer)
    if (binding->over_time == over_time && binding->letter == letter) return binding;
  return nullptr;
}

struct Decision {
  const int32_t* history;
  int32_t pop;
  agent row;
  agent column;
  int32_t prev_time;
};

agent resolve_agent(const Decision& d, const Binding* bindings, agent value) {
  if (value == ROW) return d.row;
  if (value == COLUMN) return d.column;
  const Binding* binding = find_binding(bindings, false, value);
  return binding ? binding->value : value;
}

int64_t resolve_time(const Decision& d, const Binding* bindings, int32_t value) {
  if (value == PREV_TIME) return d.prev_time;
  const Binding* binding = find_binding(bindings, true, value);
  return binding ? binding->value : value;
}

int eval(const Decision& d, const Formula* f, const Binding* bindings);

// The loop of an agent or time quantifier that binds its letter; `start` is
// 1 for the universal and 0 for the existential quantifier.
int quantify(const Decision& d, const Formula* f, const Binding* bindings, int start) {
  bool over_time = is_time_quantifier(f->type);
  Binding binding{over_time, f->variable, 0, bindings};
  int result = start;
  if (!over_time) {
    for (agent player = 0; player < d.pop && result == start; ++player) {
      if (player == d.row || player == d.column) continue;
      binding.value = player;
      result = eval(d, f->left, &binding);
    }
    return result;
  }
  if (d.prev_time <= 0) {
    binding.value = -1;
    return eval(d, f->left, &binding);
  }
  for (int32_t time = 0; time < d.prev_time && result == start; ++time) {
    binding.value = time;
    result = eval(d, f->left, &binding);
  }
  return result;
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
      // A quantifier whose letter an enclosing one of its family already
      // binds binds nothing: substitution would have removed it.
      if (find_binding(bindings, is_time_quantifier(f->type), f->variable)) return eval(d, f->left, bindings);
      int start = f->type == FORALL_AGENT || f->type == FORALL_TIME ? 1 : 0;
      return quantify(d, f, bindings, start);
    }
    case DEFECTED: {
      agent player1 = resolve_agent(d, bindings, f->player1);
      agent player2 = resolve_agent(d, bindings, f->player2);
      int64_t time = resolve_time(d, bindings, f->time) + f->time_mod;
      return get_action(d.history, player1, player2, time);
    }
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

int evaluate(const int32_t* history, const Formula* formula, int32_t pop, agent row, agent column,
             int32_t prev_time) {
  return eval(Decision{history, pop, row, column, prev_time}, formula, nullptr);
}
