#include "game/history.h"

#include <algorithm>
#include <array>

#include "error.h"

namespace {

// Makes the slots up to `time` that are not in use yet, every cell in them
// not recorded.
void make_slots(History& history, int32_t time) {
  if (time < history.times) return;
  const size_t cells = static_cast<size_t>(time + 1) * MAX_POP;
  if (history.by.size() < cells) {
    history.by.resize(cells);
    history.against.resize(cells);
  }
  // A fresh slot: each player's row holds everybody but the player.
  static const std::array<Mask, MAX_POP> fresh = [] {
    std::array<Mask, MAX_POP> rows;
    for (int32_t player = 0; player < MAX_POP; ++player) rows[player] = all_but(player);
    return rows;
  }();
  for (int32_t slot = history.times; slot <= time; ++slot) {
    const int32_t rows = slot < history.made ? history.dirty : MAX_POP;
    std::copy(fresh.begin(), fresh.begin() + rows, history.by.begin() + slot * MAX_POP);
    std::copy(fresh.begin(), fresh.begin() + rows, history.against.begin() + slot * MAX_POP);
    history.played[slot] = false;
  }
  history.times = time + 1;
  history.made = std::max(history.made, history.times);
}

void mark_dirty(History& history, int32_t rows) { history.dirty = std::max(history.dirty, rows); }

void set_player(Mask& set, int32_t player, bool value) {
  Mask bit = player_bit(player);
  set = value ? set | bit : set & ~bit;
}

}  // namespace

Mask gather_playing(const History& history, int64_t player2) {
  Mask moves = NO_PLAYERS;
  const Mask* by = by_plane(history, history.playing);
  for (int32_t a = 0; a < MAX_POP; ++a)
    if (has_player(by[a], static_cast<int32_t>(player2))) moves = moves | player_bit(a);
  return moves | ~first_players(MAX_POP);
}

void reset_history(History& history) {
  history.times = 0;
  history.playing = -1;
}

void add_action(History& history, agent player1, agent player2, int32_t time, int32_t action) {
  if (time < 0) error("adding action at negative time");
  if (player1 == player2) error("adding action versus self");
  if (time >= HISTORY_TIMES || !in_table(player1) || !in_table(player2)) error("adding action outside the history");
  make_slots(history, time);
  mark_dirty(history, std::max(player1, player2) + 1);
  if (time == history.playing) history.round_extent = MAX_POP;  // recorded past record_moves: turn it all
  set_player(history.by[time * MAX_POP + player1], player2, action != 0);
  set_player(history.against[time * MAX_POP + player2], player1, action != 0);
  if (player1 == 0 && player2 == 1) history.played[time] = true;
}

int32_t rounds_recorded(const History& history) {
  int32_t time = 0;
  while (time < history.times && history.played[time]) ++time;
  return time;
}

void start_round(History& history, int32_t time) {
  make_slots(history, time);
  history.playing = time;
  history.round_extent = 0;
}

namespace {

// One past the highest player of a set (0 for none).
int32_t extent_of(Mask players) {
  if (players.high) return 128 - __builtin_clzll(players.high);
  return players.low ? 64 - __builtin_clzll(players.low) : 0;
}

// The round's `against` plane from its `by` plane when its moves were
// recorded for players 0 to n - 1 only: everyone else's rows and columns
// are as a fresh slot has them, everybody but the player itself, so only
// the first n rows of `against` change. Each of those is cleared for the
// first n players, who are then added from their rows a defection at a
// time: most moves of a round are cooperations.
void turn_small_round(History& history, int32_t n) {
  const Mask* by = by_plane(history, history.playing);
  Mask* against = history.against.data() + history.playing * MAX_POP;
  const uint64_t first = first_players(n).low;
  for (int32_t b = 0; b < n; ++b) against[b] = ~first_players(n) & ~player_bit(b);
  for (int32_t a = 0; a < n; ++a)
    for (uint64_t defected = by[a].low & first; defected != 0; defected &= defected - 1)
      against[__builtin_ctzll(defected)].low |= uint64_t{1} << a;
}

// Past this many players the whole plane is transposed at once. A small
// round's players are bits of one word.
constexpr int32_t SMALL_ROUND = 40;
static_assert(SMALL_ROUND <= 64);

}  // namespace

void record_moves(History& history, agent row, Mask opponents, Mask moves) {
  Mask& by = history.by[history.playing * MAX_POP + row];
  by = (by & ~opponents) | (moves & opponents);
  history.round_extent = std::max({history.round_extent, row + 1, extent_of(opponents)});
  mark_dirty(history, history.round_extent);
  if (row == 0 && has_player(opponents, 1)) history.played[history.playing] = true;
}

void record_first_rows(History& history, const uint64_t* moves, int32_t rows, int32_t pop) {
  if (rows <= 0) return;
  Mask* by = history.by.data() + history.playing * MAX_POP;
  for (agent row = 0; row < rows; ++row) {
    const Mask opponents = first_players(pop) & ~player_bit(row);
    by[row] = (by[row] & ~opponents) | (Mask{moves[row], 0} & opponents);
  }
  history.round_extent = std::max({history.round_extent, rows, pop});
  mark_dirty(history, history.round_extent);
  if (pop > 1) history.played[history.playing] = true;
}

void finish_round(History& history) {
  if (history.round_extent <= SMALL_ROUND) {
    turn_small_round(history, history.round_extent);  // rows already marked dirty
    history.playing = -1;
    return;
  }
  mark_dirty(history, MAX_POP);
  Mask sets[128];
  const Mask* by = by_plane(history, history.playing);
  std::copy(by, by + MAX_POP, sets);
  for (int32_t player = MAX_POP; player < 128; ++player) sets[player] = ALL_PLAYERS;
  transpose_players(sets);
  std::copy(sets, sets + MAX_POP, history.against.begin() + history.playing * MAX_POP);
  history.playing = -1;
}
