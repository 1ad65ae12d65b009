#include "game/rules.h"

#include <cmath>

int32_t draws_holding(double probability) {
  // A draw d holds when d < probability * DRAW_MAX: the draws below the
  // bound, rounded up, within 0 to DRAW_MAX.
  const double bound = probability * DRAW_MAX;
  if (!(bound > 0)) return 0;
  if (bound > DRAW_MAX) return DRAW_MAX + 1;
  return static_cast<int32_t>(std::ceil(bound));
}

bool atom_never_holds(Term player1, Term player2, Term time, int32_t time_mod) {
  return same_term(player1, player2) || (time.kind == TERM_CONSTANT && int64_t{time.value} + time_mod < 0);
}

// A time variable is -1 in rounds 0 and 1 and ranges over 0 to round - 2
// from round 2 on; the previous round is round - 1.
bool reads_round_being_played(Term time, int32_t time_mod, int32_t round) {
  switch (time.kind) {
    case TERM_PREV: return time_mod == 1;
    case TERM_BOUND: return round >= 2 ? time_mod >= 2 && time_mod <= round : time_mod == round + 1;
    default: return int64_t{time.value} + time_mod == round;
  }
}

Playing_Round_Reach playing_round_reach(Term time, int32_t time_mod) {
  switch (time.kind) {
    case TERM_PREV: return {time_mod == 1 ? Round_Reach::EVERY_ROUND : Round_Reach::NEVER, 0};
    case TERM_BOUND:
      if (time_mod == 1) return {Round_Reach::ONE_ROUND, 0};
      if (time_mod >= 2) return {Round_Reach::FROM_ROUND, time_mod == 2 ? 1 : time_mod};
      return {Round_Reach::NEVER, 0};
    default: {
      const int64_t at = int64_t{time.value} + time_mod;
      if (at < 0 || at >= HISTORY_TIMES) return {Round_Reach::NEVER, 0};
      return {Round_Reach::ONE_ROUND, at};
    }
  }
}

bool reads_unplayed_round(Term time, int32_t time_mod) {
  switch (time.kind) {
    case TERM_PREV:
    case TERM_BOUND: return time_mod >= 2;
    default: return int64_t{time.value} + time_mod >= 1;
  }
}

bool may_read_own_move(Term player1, Term player2, Term time, int32_t time_mod) {
  const bool first_may_be_row =
      player1.kind == TERM_ROW || (player1.kind == TERM_CONSTANT && player1.value >= 0 && player1.value < MAX_POP);
  const bool second_is_another = player2.kind == TERM_BOUND || player2.kind == TERM_CONSTANT;
  if (!first_may_be_row || !second_is_another || atom_never_holds(player1, player2, time, time_mod)) return false;
  return playing_round_reach(time, time_mod).reach != Round_Reach::NEVER;
}
