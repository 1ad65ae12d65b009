// The round-robin tournament: ROUNDS rounds in which every player decides,
// against every other player separately, by evaluating its formula; then the
// tally of the four outcomes and the score of every player.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/game_rules.h"
#include "game/history.h"

struct Result {
  int32_t t;  // defected against a cooperator: 5 points
  int32_t r;  // both cooperated: 3 points
  int32_t p;  // both defected: 1 point
  int32_t s;  // cooperated against a defector: 0 points
  int32_t score;
};

// The points of one encounter, by outcome: temptation (defected against a
// cooperator), reward (both cooperated), punishment (both defected) and
// sucker's payoff (cooperated against a defector). ipdlogic's are fixed.
// Payoffs of 0 to MAX_PAYOFF over at most 100 rounds keep a score below
// 10 million and the total of 100 players below 2^30, which selection
// relies on.
struct Payoffs {
  int32_t t = 5;
  int32_t r = 3;
  int32_t p = 1;
  int32_t s = 0;
};

constexpr int32_t MAX_PAYOFF = 1000;
// Parent selection draws below the total score from 30 bits.
static_assert(int64_t{MAX_PAYOFF} * (HISTORY_TIMES - 1) * (HISTORY_PLAYERS - 1) * HISTORY_PLAYERS < (int64_t{1} << 30),
              "the largest total score must stay below 2^30");

// Prints ">simulating", then plays a tournament of ROUNDS rounds.
void simulate(int32_t* history, Formula* const* formulae, int32_t pop);

// Prints ">simulating", then plays a tournament by the given rules.
void simulate(int32_t* history, Formula* const* formulae, int32_t pop, const Game_Rules& rules);

// Resets the history and plays `rounds` rounds (at most HISTORY_TIMES),
// printing nothing.
void play_rounds(int32_t* history, Formula* const* formulae, int32_t pop, int32_t rounds);

// The same by the given rules: their rounds, and their noise flipping
// decisions before they are recorded (so the next decisions see the move as
// recorded). The draws come as deciding every pair in turn would make them:
// rows ascending, opponents ascending, each decision's own draws and then
// its noise draw.
void play_rounds(int32_t* history, Formula* const* formulae, int32_t pop, const Game_Rules& rules);

// Tallies every round recorded in the history into results 0 to pop - 1,
// scoring by the default payoffs.
void get_Results(const int32_t* history, Result* results, int32_t pop);

// The same, scoring by the given payoffs.
void get_Results(const int32_t* history, Result* results, int32_t pop, const Payoffs& payoffs);

// score = T t + R r + P p + S s.
int32_t score_of(const Result& result, const Payoffs& payoffs);

void print_Results(const Result* results, int32_t pop);

// Prints one player's actions and its opponents', round by round.
void print_actions(const int32_t* history, int32_t pop, agent row);
