#include "reference/walker.h"

#include <vector>

#include "game/evaluation_errors.h"
#include "game/letters.h"
#include "game/rules.h"

namespace {

// The letters bound on the path and their current values. A byte letter's
// binder is its family and code; letters outside a byte, which only trees
// made by hand hold, number on from there. Kept from one decision to the
// next (every quantifier leaves what it entered, also when an error ends
// the walk), so that a decision allocates nothing.
struct Path {
  Letter_Bindings letters;
  int32_t byte_values[2 * 256] = {};
  std::vector<int32_t> other_values;
};

thread_local Path path;

int32_t& value_slot(int32_t binder) {
  return binder < 512 ? path.byte_values[binder] : path.other_values[static_cast<size_t>(binder - 512)];
}

struct Decision {
  const History& history;
  int32_t pop;
  agent row;
  agent column;
  int32_t prev_time;
};

int64_t value_of(const Decision& d, Term term) {
  switch (term.kind) {
    case TERM_ROW: return d.row;
    case TERM_COLUMN: return d.column;
    case TERM_PREV: return d.prev_time;
    case TERM_BOUND: return value_slot(term.value);
    case TERM_CONSTANT: break;
  }
  return term.value;
}

int eval(const Decision& d, const Formula* f);

// A quantifier on the path for as long as its loop runs.
struct Entered {
  const Formula* quantifier;
  int32_t binder;
  Entered(const Formula* q, int32_t b) : quantifier(q), binder(b) {
    if (binder >= 512) path.other_values.push_back(0);
    enter_quantifier(path.letters, quantifier, binder);
  }
  ~Entered() {
    leave_quantifier(path.letters, quantifier);
    if (binder >= 512) path.other_values.pop_back();
  }
};

int32_t binder_of(const Formula* quantifier) {
  const int32_t letter = quantifier->variable;
  if (letter >= 0 && letter < 256) return (is_time_quantifier(quantifier->type) ? 256 : 0) + letter;
  return 512 + static_cast<int32_t>(path.other_values.size());
}

// The loop of a quantifier that binds its letter; `start` is 1 for the
// universal and 0 for the existential quantifier.
int quantify(const Decision& d, const Formula* f, int start) {
  Entered entered(f, binder_of(f));
  int32_t& value = value_slot(entered.binder);
  int result = start;
  if (is_agent_quantifier(f->type)) {
    for (agent player = 0; player < d.pop && result == start; ++player) {
      if (!agent_candidate(player, d.row, d.column)) continue;
      value = player;
      result = eval(d, f->left);
    }
    return result;
  }
  if (d.prev_time <= 0) {
    value = first_time_candidate(d.prev_time);
    return eval(d, f->left);
  }
  for (int32_t time = first_time_candidate(d.prev_time); time < time_candidates_end(d.prev_time) && result == start;
       ++time) {
    value = time;
    result = eval(d, f->left);
  }
  return result;
}

int lookup(const Decision& d, const Formula* f) {
  const int64_t player1 = value_of(d, agent_term(path.letters, f->player1));
  const int64_t player2 = value_of(d, agent_term(path.letters, f->player2));
  const int64_t time = value_of(d, time_term(path.letters, f->time)) + f->time_mod;
  return is_empty(lookup_defections(d.history, player1, player2, time)) ? 0 : 1;
}

int eval(const Decision& d, const Formula* f) {
  switch (f->type) {
    case AND: return eval(d, f->left) && eval(d, f->right);
    case OR: return eval(d, f->left) || eval(d, f->right);
    case NOT: return !eval(d, f->left);
    case FORALL_AGENT:
    case EXISTS_AGENT:
    case FORALL_TIME:
    case EXISTS_TIME:
      if (!binds_its_letter(path.letters, f)) return eval(d, f->left);
      return quantify(d, f, is_universal(f->type) ? 1 : 0);
    case DEFECTED: return lookup(d, f);
    case CHANCE: return holds(f->chance) ? 1 : 0;
  }
  invalid_kind_while_evaluating(f->type);
}

}  // namespace

int evaluate(const History& history, const Formula* formula, int32_t pop, agent row, agent column,
             int32_t prev_time) {
  return eval(Decision{history, pop, row, column, prev_time}, formula);
}
