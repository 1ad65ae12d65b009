// The record of play of one tournament: for every time, player and opponent,
// whether the player defected against the opponent. It is kept as sets of
// players (see mask.h), in two planes per time: `by`, for every player a,
// the set of players b that "a defected against b" reads as true for, and
// `against`, for every player b, the set of players a that it reads as true
// for. Everything that plays, evaluates or tallies reads this one record.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formula/formula.h"
#include "game/mask.h"
#include "game/rules.h"

constexpr int32_t COOPERATE = 0;
constexpr int32_t DEFECT = 1;

struct History {
  // Time slots in use, from 0; a slot holds a cell for every pair of players
  // up to MAX_POP. Slots are made as times are first recorded, so
  // that a reset costs nothing and a short tournament touches little.
  int32_t times = 0;
  std::vector<Mask> by;       // by[time * MAX_POP + a]: bit b
  std::vector<Mask> against;  // against[time * MAX_POP + b]: bit a
  // The round being played, whose moves go into `by` only until it ends,
  // and the players its moves were recorded for so far: 0 to one below
  // `round_extent`, as deciding players and as opponents.
  int32_t playing = -1;
  int32_t round_extent = 0;
  // Whether player 0's move against player 1 was recorded at each time:
  // the mark of a round that was played.
  std::array<bool, HISTORY_TIMES> played{};
  // Slots below `made` were made fresh once; in them only the rows below
  // `dirty` (as `by` rows and as `against` rows) may have been written
  // since, so making such a slot fresh again copies only those.
  int32_t made = 0;
  int32_t dirty = 0;
};

// Sentinel player value for a lookup: the answer for every player at once.
constexpr int64_t EVERY_PLAYER = INT64_MIN;

// Forgets everything recorded: every cell reads as not recorded.
void reset_history(History& history);

// Records what player1 did against player2 at time (any value but 0 reads
// as defection). A negative time, equal players, or a place outside the
// table is a fatal error.
void add_action(History& history, agent player1, agent player2, int32_t time, int32_t action);

// The lookup, the one rule every evaluation reads the record by: whether
// player1 defected against player2 at time, as a set. With EVERY_PLAYER in
// place of one player, bit k answers for player k in that place; otherwise
// the set is everyone or no one. Equal players and negative times answer
// no; an action not recorded, or any place beyond the table, answers yes.
inline Mask lookup_defections(const History& history, int64_t player1, int64_t player2, int64_t time);

// The same lookup for two players: 0 or 1.
inline int32_t get_action(const History& history, agent player1, agent player2, int64_t time) {
  return is_empty(lookup_defections(history, player1, player2, time)) ? 0 : 1;
}

// The number of rounds played: times from 0 up to the first one whose
// first cell (player 0 against player 1) was never recorded.
int32_t rounds_recorded(const History& history);

// Playing a round: its moves are recorded a player at a time into `by`,
// and the round's `against` plane is made from them when it ends.
void start_round(History& history, int32_t time);
// Records `row`'s moves against the players of `opponents` (bit c: defected
// against c) in the round being played.
void record_moves(History& history, agent row, Mask opponents, Mask moves);
// Records, as record_moves would row by row, the moves of rows 0 to
// `rows` - 1 against every other one of players 0 to `pop` - 1, given as
// the low words of their sets (bit c: defected against c). At most 64
// players.
void record_first_rows(History& history, const uint64_t* moves, int32_t rows, int32_t pop);

void finish_round(History& history);

// The planes of a time slot that is in use.
inline const Mask* by_plane(const History& history, int64_t time) {
  return history.by.data() + time * MAX_POP;
}
inline const Mask* against_plane(const History& history, int64_t time) {
  return history.against.data() + time * MAX_POP;
}

inline bool in_table(int64_t player) { return player >= 0 && player < MAX_POP; }

// What a fresh row of a plane reads: everybody but the player itself.
inline Mask all_but(int64_t player) { return in_table(player) ? ~player_bit(static_cast<int32_t>(player)) : ALL_PLAYERS; }

// This round's moves against `player2` so far, gathered from the players' rows.
Mask gather_playing(const History& history, int64_t player2);

inline Mask lookup_defections(const History& history, int64_t player1, int64_t player2, int64_t time) {
  if (player1 == player2 || time < 0) return NO_PLAYERS;
  if (player2 == EVERY_PLAYER) {
    if (time >= history.times || !in_table(player1)) return all_but(player1);
    return by_plane(history, time)[player1];
  }
  if (player1 == EVERY_PLAYER) {
    if (time >= history.times || !in_table(player2)) return all_but(player2);
    if (time == history.playing) return gather_playing(history, player2);
    return against_plane(history, time)[player2];
  }
  if (time >= history.times || !in_table(player1) || !in_table(player2)) return ALL_PLAYERS;
  return all_or_none(has_player(by_plane(history, time)[player1], static_cast<int32_t>(player2)));
}
