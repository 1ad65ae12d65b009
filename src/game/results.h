// The results of a tournament: one tally per player of the four outcomes of
// its encounters and its score, read from the history, and the table that
// prints them.
#pragma once

#include <cstdint>

#include "formula/formula.h"
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
static_assert(int64_t{MAX_PAYOFF} * (HISTORY_TIMES - 1) * (MAX_POP - 1) * MAX_POP < (int64_t{1} << 30),
              "the largest total score must stay below 2^30");

// Tallies every round recorded in the history into results 0 to pop - 1,
// scoring by the default payoffs.
void get_Results(const History& history, Result* results, int32_t pop);

// The same, scoring by the given payoffs.
void get_Results(const History& history, Result* results, int32_t pop, const Payoffs& payoffs);

// score = T t + R r + P p + S s.
int32_t score_of(const Result& result, const Payoffs& payoffs);

void print_Results(const Result* results, int32_t pop);
