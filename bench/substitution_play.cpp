// The baseline's tournament: every decision evaluated by substituted
// copies. Linked into the benchmark's second program in place of the
// machine's, so that every speed ratio is measured side by side.
#include "game/substitution.h"
#include "game/tournament.h"

void play_rounds(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  play_rounds_by_substitution(history, formulae, pop, rules);
}
