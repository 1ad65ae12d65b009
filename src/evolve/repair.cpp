#include "evolve/repair.h"

#include <cstdio>
#include <vector>

#include "error.h"
#include "evolve/random_formula.h"
#include "game/letters.h"

namespace {

void report_clash(const Scope& agents, int32_t letter) {
  // The scope prints as a C string would: up to its first NUL.
  std::fputs("XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX\n<", stdout);
  std::fputs(agents.c_str(), stdout);
  std::fputs("> <", stdout);
  std::fputc(letter & 0xff, stdout);
  std::fputs(">\n", stdout);
}

// The path being repaired: its scopes, which the replacements are drawn
// from (a letter bound twice counts twice), and the letters they bind.
struct Path {
  Scope agents;
  Scope times;
  Letter_Bindings letters;
  bool report_clashes;
};

// A field to replace: one that names a constant, neither a code nor a
// bound letter. The constant 0 stays: it is the time of an atom written
// without a time letter.
bool needs_repair(Term term, int32_t value) { return term.kind == TERM_CONSTANT && value != 0; }

void fix_atom(Formula* atom, const Path& path) {
  if (needs_repair(agent_term(path.letters, atom->player1), atom->player1))
    atom->player1 = random_agent(path.agents, atom->player2);
  if (needs_repair(agent_term(path.letters, atom->player2), atom->player2))
    atom->player2 = random_agent(path.agents, atom->player1);
  if (needs_repair(time_term(path.letters, atom->time), atom->time)) atom->time = random_time(path.times);
}

// A node to visit, or, after a quantifier's body, the quantifier to leave.
struct Step {
  Formula* node;
  bool leaving;
  bool bound;  // leaving: whether the quantifier binds its letter
};

void enter(Path& path, Formula* quantifier, std::vector<Step>& steps) {
  Scope& scope = is_time_quantifier(quantifier->type) ? path.times : path.agents;
  // A letter 0 always clashes: it is the scope string's terminator.
  const bool clash = quantifier->variable == 0 || scope_holds(scope, quantifier->variable);
  if (path.report_clashes && is_agent_quantifier(quantifier->type) && clash) report_clash(scope, quantifier->variable);
  add_variable(scope, quantifier->variable);
  steps.push_back({quantifier, true, enter_quantifier(path.letters, quantifier, 0)});
  steps.push_back({quantifier->left, false, false});
}

void leave(Path& path, const Step& step) {
  Scope& scope = is_time_quantifier(step.node->type) ? path.times : path.agents;
  if ((step.node->variable & 0xff) != 0) scope.pop_back();
  if (step.bound) leave_quantifier(path.letters, step.node);
}

// Binds the letters of the given scopes, so that they count as bound.
void bind_scopes(Path& path) {
  for (bool over_time : {false, true})
    for (char letter : over_time ? path.times : path.agents) {
      Formula quantifier{};
      quantifier.type = over_time ? FORALL_TIME : FORALL_AGENT;
      quantifier.variable = static_cast<unsigned char>(letter);
      enter_quantifier(path.letters, &quantifier, 0);
    }
}

}  // namespace

void fix_Formula(Formula* formula, const Scope& agents, const Scope& times, bool report_clashes) {
  Path path{agents, times, {}, report_clashes};
  bind_scopes(path);
  std::vector<Step> steps{{formula, false, false}};
  while (!steps.empty()) {
    Step step = steps.back();
    steps.pop_back();
    if (step.leaving) {
      leave(path, step);
      continue;
    }
    Formula* node = step.node;
    if (!node) continue;
    switch (node->type) {
      case AND:
      case OR:
        // The right operand is repaired, with its draws, before the left.
        steps.push_back({node->left, false, false});
        steps.push_back({node->right, false, false});
        continue;
      case NOT: steps.push_back({node->left, false, false}); continue;
      case FORALL_AGENT:
      case EXISTS_AGENT:
      case FORALL_TIME:
      case EXISTS_TIME: enter(path, node, steps); continue;
      case DEFECTED: fix_atom(node, path); continue;
      case CHANCE: continue;  // nothing to repair
    }
    error("weird type in 'fix formula'");
  }
}

void fix_Formulae(Formula** formulae, int32_t pop, bool report_clashes) {
  for (int32_t player = 0; player < pop; ++player) {
    Scope agents, times;
    init_variables(agents, times);
    fix_Formula(formulae[player], agents, times, report_clashes);
  }
}
