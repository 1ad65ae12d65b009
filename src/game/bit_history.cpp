#include "game/bit_history.h"

#include <cstddef>

namespace {

constexpr int32_t PLANE = HISTORY_PLAYERS;

bool in_table(int64_t player) { return player >= 0 && player < HISTORY_PLAYERS; }

// Everybody but the agent itself, as a fresh plane row reads.
Mask all_but(int64_t player) { return in_table(player) ? ~player_bit(static_cast<int32_t>(player)) : ALL_PLAYERS; }

void set_player(Mask& set, int32_t player, bool value) {
  Mask bit = player_bit(player);
  set = value ? set | bit : set & ~bit;
}

}  // namespace

void init_bit_history(Bit_History& bits) {
  bits.by.resize(static_cast<size_t>(HISTORY_TIMES) * PLANE);
  bits.against.resize(bits.by.size());
  for (int32_t time = 0; time < HISTORY_TIMES; ++time)
    for (int32_t player = 0; player < PLANE; ++player) {
      bits.by[time * PLANE + player] = all_but(player);
      bits.against[time * PLANE + player] = all_but(player);
    }
}

void start_round(Bit_History& bits, int32_t time) { bits.playing = time; }

namespace {

// Transposes a 64 by 64 bit matrix in place: bit c of row r goes to bit r
// of row c, by swapping ever smaller off-diagonal blocks.
void transpose_64(uint64_t* rows) {
  uint64_t mask = 0x00000000FFFFFFFFull;
  for (int j = 32; j != 0; j >>= 1, mask ^= mask << j)
    for (int k = 0; k < 64; k = ((k | j) + 1) & ~j) {
      uint64_t swap = ((rows[k] >> j) ^ rows[k | j]) & mask;
      rows[k] ^= swap << j;
      rows[k | j] ^= swap;
    }
}

}  // namespace

void finish_round(Bit_History& bits) {
  // Blocks of the 128 by 128 matrix: rows 0-63 and 64-127, words low and high.
  uint64_t block[2][2][64] = {};
  const Mask* by = bits.by.data() + static_cast<ptrdiff_t>(bits.playing) * PLANE;
  for (int32_t a = 0; a < PLANE; ++a) {
    block[a / 64][0][a % 64] = by[a].low;
    block[a / 64][1][a % 64] = by[a].high;
  }
  for (auto& half : block)
    for (auto& quarter : half) transpose_64(quarter);
  Mask* against = bits.against.data() + static_cast<ptrdiff_t>(bits.playing) * PLANE;
  for (int32_t b = 0; b < PLANE; ++b) against[b] = {block[0][b / 64][b % 64], block[1][b / 64][b % 64]};
  bits.playing = -1;
}

void record_row(Bit_History& bits, int32_t* history, int32_t pop, agent row, Mask actions) {
  const int32_t time = bits.playing;
  Mask recorded = first_players(pop) & ~player_bit(row);
  Mask& by = bits.by[time * PLANE + row];
  by = (by & ~recorded) | (actions & recorded);
  int32_t* cells = history + history_index(time, row, row == 0 ? 1 : 0);
  for (agent column = 0; column < row; ++column) cells[column] = has_player(actions, column) ? DEFECT : COOPERATE;
  for (agent column = row + 1; column < pop; ++column)
    cells[column - 1] = has_player(actions, column) ? DEFECT : COOPERATE;
}

void record_decision(Bit_History& bits, int32_t* history, agent row, agent column, bool defect) {
  set_player(bits.by[bits.playing * PLANE + row], column, defect);
  history[history_index(bits.playing, row, column)] = defect ? DEFECT : COOPERATE;
}

Mask lookup_defections(const Bit_History& bits, int64_t player1, int64_t player2, int64_t time) {
  if (player1 == player2 || time < 0) return NO_PLAYERS;
  if (player1 == EVERY_COLUMN) {
    if (time >= HISTORY_TIMES || !in_table(player2)) return all_but(player2);
    if (time == bits.playing) {
      // This round's moves so far, gathered from the players' own planes.
      Mask moves = NO_PLAYERS;
      for (int32_t a = 0; a < PLANE; ++a)
        if (has_player(bits.by[time * PLANE + a], static_cast<int32_t>(player2))) moves = moves | player_bit(a);
      return moves;
    }
    return bits.against[time * PLANE + player2];
  }
  if (player2 == EVERY_COLUMN) {
    if (time >= HISTORY_TIMES || !in_table(player1)) return all_but(player1);
    return bits.by[time * PLANE + player1];
  }
  if (time >= HISTORY_TIMES || !in_table(player1) || !in_table(player2)) return ALL_PLAYERS;
  return all_or_none(has_player(bits.by[time * PLANE + player1], static_cast<int32_t>(player2)));
}
