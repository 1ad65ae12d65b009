// The rules of the game, each written once: how many players and rounds a
// tournament holds, what a chance is, whom and when a quantifier ranges
// over, and which rounds an atom can read. Everything that plays, evaluates,
// breeds or explains a strategy asks these functions; none works them out
// again.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/letters.h"
#include "random_stream.h"

// The most players a tournament holds: the population, the results table
// and the record of play are this large.
constexpr int32_t MAX_POP = 100;
// The times the record of play holds: 0 to 100.
constexpr int32_t HISTORY_TIMES = 101;
// Rounds of ipdlogic's tournament: times 0 to 49.
constexpr int32_t ROUNDS = 50;

// A tournament without a continuation probability plays all its rounds.
constexpr double NO_CONTINUATION = -1.0;

// What a tournament is played by: how many rounds, and how often a decision
// comes out the other way (trembling hands); with a continuation
// probability, `rounds` is the cap of a tournament whose length is drawn.
// ipdlogic itself always plays the default rules: 50 rounds, no noise.
struct Game_Rules {
  int32_t rounds = ROUNDS;  // 1 to HISTORY_TIMES - 1
  double noise = 0.0;       // 0 to 1: the chance that a decision is flipped
  double continuation = NO_CONTINUATION;  // 0 to 1, or negative for none
};

// Chances. A chance of probability p holds on a draw d when d is below
// p times the draw's maximum, compared as doubles: 0 or less (or NaN) never
// holds, 1 holds on every draw but the largest, more than 1 always holds.
inline bool holds_on_draw(double probability, int32_t draw) {
  return static_cast<double>(draw) < probability * DRAW_MAX;
}
// One draw, and whether the chance holds on it: a CHANCE atom's value.
inline bool holds(double probability) { return holds_on_draw(probability, draw_random()); }
// The same for a setting of the run (noise, mutation) whose default 0 must
// leave the run's draws as they are: a probability of 0 draws nothing.
inline bool holds_unless_zero(double probability) { return probability != 0.0 && holds(probability); }
// How many of the DRAW_MAX + 1 draws a chance holds on.
int32_t draws_holding(double probability);

// Whether a tournament plays another round after `round` (from 0). Every
// round but the cap's last is followed by one draw when the rules have a
// continuation probability (also when it is 0 or 1), and play goes on while
// the draw holds; without one, every round up to the cap is played and
// nothing is drawn. One length for the whole tournament: everyone plays
// everyone in the same rounds.
inline bool plays_another_round(const Game_Rules& rules, int32_t round) {
  if (round + 1 >= rules.rounds) return false;
  return rules.continuation < 0.0 || holds(rules.continuation);
}

// The noise of one decision, drawn right after it is made and before it is
// recorded; without noise there is no draw at all.
inline bool noise_flips(double noise) { return holds_unless_zero(noise); }

// Quantifier ranges. An agent quantifier ranges over the players other than
// the deciding one and its opponent, in ascending order: with two players or
// fewer there is no candidate, and its body is never looked at (the
// universal quantifier is true, the existential false).
inline bool agent_candidate(agent player, agent row, agent column) { return player != row && player != column; }
inline bool has_agent_candidates(int32_t pop) { return pop > 2; }
inline bool empty_range_value(bool forall) { return forall; }

// A time quantifier ranges over the times from 0 to the one before the
// previous round, ascending; in rounds 0 and 1 (previous round -1 or 0) over
// the time -1 alone. Its range is never empty.
inline int32_t first_time_candidate(int32_t prev_time) { return prev_time <= 0 ? -1 : 0; }
// One past the last candidate.
inline int32_t time_candidates_end(int32_t prev_time) { return prev_time <= 0 ? 0 : prev_time; }
inline int32_t time_candidate_count(int32_t prev_time) { return prev_time <= 0 ? 1 : prev_time; }
// The most candidates a time quantifier has in a tournament of `rounds`.
constexpr int32_t most_time_candidates(int32_t rounds) { return rounds > 3 ? rounds - 2 : 1; }

// Atoms. Nobody defects against itself, and nobody before round 0: an atom
// whose agents resolve alike, or whose time is a constant before 0, never
// holds, whatever has been played.
bool atom_never_holds(Term player1, Term player2, Term time, int32_t time_mod);

// The round being played: a move of it reads as recorded once it is made
// and as defection before, so an atom that can read it sees the order in
// which the players decide. Whether an atom with this time term can read
// the round being played when that round is `round`.
bool reads_round_being_played(Term time, int32_t time_mod, int32_t round);

// The same for every round of a tournament, summed up: never, in every
// round, in one round only, or in every round from `first` on.
enum class Round_Reach : uint8_t { NEVER, EVERY_ROUND, ONE_ROUND, FROM_ROUND };
struct Playing_Round_Reach {
  Round_Reach reach;
  int64_t first;  // ONE_ROUND, FROM_ROUND: the first such round
};
Playing_Round_Reach playing_round_reach(Term time, int32_t time_mod);

// Whether an atom can read a round not yet played in some round: a later
// one than the round being played, which reads as defection.
bool reads_unplayed_round(Term time, int32_t time_mod);

// Whether an atom can read a move of the deciding player itself in the
// round being played, a move that this player's own earlier decisions of
// the round have made: it reads the deciding player's moves (its first
// agent is `r`, or a constant that may be that player) against another
// player, in a round being played.
bool may_read_own_move(Term player1, Term player2, Term time, int32_t time_mod);
