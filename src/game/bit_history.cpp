#include "game/bit_history.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr int32_t PLANE = HISTORY_PLAYERS;

void set_player(Mask& set, int32_t player, bool value) {
  Mask bit = player_bit(player);
  set = value ? set | bit : set & ~bit;
}

}  // namespace

void init_bit_history(Bit_History& bits, int32_t rounds) {
  bits.rounds = rounds;
  bits.by.resize(static_cast<size_t>(rounds) * PLANE);
  bits.against.resize(bits.by.size());
  for (int32_t time = 0; time < rounds; ++time)
    for (int32_t player = 0; player < PLANE; ++player) {
      bits.by[time * PLANE + player] = all_but(player);
      bits.against[time * PLANE + player] = all_but(player);
    }
}

void start_round(Bit_History& bits, int32_t time) { bits.playing = time; }

void finish_round(Bit_History& bits) {
  Mask sets[128] = {};
  const Mask* by = bits.by.data() + static_cast<ptrdiff_t>(bits.playing) * PLANE;
  std::copy(by, by + PLANE, sets);
  transpose_players(sets);
  std::copy(sets, sets + PLANE, bits.against.data() + static_cast<ptrdiff_t>(bits.playing) * PLANE);
  bits.playing = -1;
}

void record_row(Bit_History& bits, int32_t* history, int32_t pop, agent row, Mask actions) {
  const int32_t time = bits.playing;
  Mask recorded = first_players(pop) & ~player_bit(row);
  Mask& by = bits.by[time * PLANE + row];
  by = (by & ~recorded) | (actions & recorded);
  write_cells(remove_player(actions, row), history + history_index(time, row, row == 0 ? 1 : 0), pop - 1);
}

void record_decision(Bit_History& bits, int32_t* history, agent row, agent column, bool defect) {
  set_player(bits.by[bits.playing * PLANE + row], column, defect);
  history[history_index(bits.playing, row, column)] = defect ? DEFECT : COOPERATE;
}

Mask gather_current_round(const Bit_History& bits, int64_t player2) {
  Mask moves = NO_PLAYERS;
  const Mask* by = bits.by.data() + static_cast<ptrdiff_t>(bits.playing) * PLANE;
  for (int32_t a = 0; a < PLANE; ++a)
    if (has_player(by[a], static_cast<int32_t>(player2))) moves = moves | player_bit(a);
  return moves;
}
