// The round-robin tournament: ROUNDS rounds in which every player decides,
// against every other player separately, by evaluating its formula; then the
// tally of the four outcomes and the score of every player.
#pragma once

#include <cstdint>

#include "formula/formula.h"

constexpr int32_t ROUNDS = 50;

struct Result {
  int32_t t;  // defected against a cooperator: 5 points
  int32_t r;  // both cooperated: 3 points
  int32_t p;  // both defected: 1 point
  int32_t s;  // cooperated against a defector: 0 points
  int32_t score;
};

// Prints ">simulating", then plays a tournament of ROUNDS rounds.
void simulate(int32_t* history, Formula* const* formulae, int32_t pop);

// Resets the history and plays `rounds` rounds (at most HISTORY_TIMES),
// printing nothing.
void play_rounds(int32_t* history, Formula* const* formulae, int32_t pop, int32_t rounds);

// Tallies every round recorded in the history into results 0 to pop - 1.
void get_Results(const int32_t* history, Result* results, int32_t pop);

void print_Results(const Result* results, int32_t pop);

// Prints one player's actions and its opponents', round by round.
void print_actions(const int32_t* history, int32_t pop, agent row);
