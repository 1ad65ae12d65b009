// The results of a tournament: one tally per player of the four outcomes of
// its encounters and its score, read from the history, and the table and
// the action dump that print them.
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

// Tallies every round recorded in the history into results 0 to pop - 1.
void get_Results(const History& history, Result* results, int32_t pop);

void print_Results(const Result* results, int32_t pop);

// Prints one player's actions and its opponents', round by round.
void print_actions(const History& history, int32_t pop, agent row);
