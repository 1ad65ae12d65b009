// The history of one tournament as bit planes, for evaluating a formula
// against all opponents at once: for every time and agent a, the set of
// agents b such that "a defected against b" reads as true (`by`), and the
// set of agents a such that "a defected against b" does (`against`). A
// cell not recorded yet reads as defection, so both planes start full,
// except that nobody ever defects against itself.
#pragma once

#include <cstdint>
#include <vector>

#include "game/history.h"
#include "game/mask.h"

// The moves of the round being played go into `by` only; `against` gets
// that round's plane, transposed, when the round ends.
// Only the rounds of the tournament have planes: nothing is ever recorded
// at a later time, which reads like a time beyond the table.
struct Bit_History {
  int32_t rounds = 0;
  std::vector<Mask> by;       // by[time * HISTORY_PLAYERS + a]: bit b
  std::vector<Mask> against;  // against[time * HISTORY_PLAYERS + b]: bit a
  int32_t playing = -1;       // the round being played
};

void init_bit_history(Bit_History& bits, int32_t rounds);

void start_round(Bit_History& bits, int32_t time);
void finish_round(Bit_History& bits);

// Records what `row` did against every opponent from 0 to pop - 1 in the
// round being played, in the bit planes and in the table of cells.
void record_row(Bit_History& bits, int32_t* history, int32_t pop, agent row, Mask actions);

// Records one decision of the round being played.
void record_decision(Bit_History& bits, int32_t* history, agent row, agent column, bool defect);

// Sentinel agent value for "every opponent": the lookup answers a set.
constexpr int64_t EVERY_COLUMN = INT64_MIN;

inline bool in_table(int64_t player) { return player >= 0 && player < HISTORY_PLAYERS; }

// Everybody but the agent itself, as a fresh plane row reads.
inline Mask all_but(int64_t player) {
  return in_table(player) ? ~player_bit(static_cast<int32_t>(player)) : ALL_PLAYERS;
}

// This round's moves against `player2` so far, gathered from the players' own planes.
Mask gather_current_round(const Bit_History& bits, int64_t player2);

// The answers of "player1 defected against player2 at time", for every
// opponent c in place of an EVERY_COLUMN agent, else the same answer for
// all: as the table of cells answers, 0 for equal players or a negative
// time, 1 beyond the table.
inline Mask lookup_defections(const Bit_History& bits, int64_t player1, int64_t player2, int64_t time) {
  if (player1 == player2 || time < 0) return NO_PLAYERS;
  if (player1 == EVERY_COLUMN) {
    if (time >= bits.rounds || !in_table(player2)) return all_but(player2);
    if (time == bits.playing) return gather_current_round(bits, player2);
    return bits.against[time * HISTORY_PLAYERS + player2];
  }
  if (player2 == EVERY_COLUMN) {
    if (time >= bits.rounds || !in_table(player1)) return all_but(player1);
    return bits.by[time * HISTORY_PLAYERS + player1];
  }
  if (time >= bits.rounds || !in_table(player1) || !in_table(player2)) return ALL_PLAYERS;
  return all_or_none(has_player(bits.by[time * HISTORY_PLAYERS + player1], static_cast<int32_t>(player2)));
}

