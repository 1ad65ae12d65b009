// The record of play of one tournament: for every time, player and opponent,
// the action taken. One flat table, by time (9900 cells a slot), player (99
// cells) and opponent, the player itself left out.
#pragma once

#include <cstdint>

#include "formula/formula.h"

constexpr int32_t HISTORY_TIMES = 101;
constexpr int32_t HISTORY_PLAYERS = 100;
constexpr int32_t SLOT_CELLS = 9900;
constexpr int32_t HISTORY_CELLS = HISTORY_TIMES * SLOT_CELLS;  // 999900

constexpr int32_t NO_ACTION = -1;
constexpr int32_t COOPERATE = 0;
constexpr int32_t DEFECT = 1;

// Index of the cell of (time, player1, player2); the players must differ
// and lie in the table.
constexpr int32_t history_index(int32_t time, agent player1, agent player2) {
  return SLOT_CELLS * time + 99 * player1 + (player2 < player1 ? player2 : player2 - 1);
}

// Every cell becomes NO_ACTION.
void reset_history(int32_t* history);

// Records what player1 did against player2 at time. A negative time, equal
// players, or a place outside the table is a fatal error.
void add_action(int32_t* history, agent player1, agent player2, int32_t time, int32_t action);

// What player1 did against player2 at time: 0 for equal players or a
// negative time, 1 for a cell with nothing recorded or any place beyond the
// table, otherwise the recorded action. Never reads outside the table.
inline int32_t get_action(const int32_t* history, agent player1, agent player2, int64_t time) {
  if (player1 == player2) return 0;
  if (time < 0) return 0;
  if (time >= HISTORY_TIMES || static_cast<uint32_t>(player1) >= HISTORY_PLAYERS ||
      static_cast<uint32_t>(player2) >= HISTORY_PLAYERS)
    return 1;
  int32_t cell = history[history_index(static_cast<int32_t>(time), player1, player2)];
  return cell == NO_ACTION ? 1 : cell;
}
