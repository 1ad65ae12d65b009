#include "game/history.h"

#include <algorithm>

#include "error.h"

void reset_history(int32_t* history) { std::fill(history, history + HISTORY_CELLS, NO_ACTION); }

void add_action(int32_t* history, agent player1, agent player2, int32_t time, int32_t action) {
  if (time < 0) error("adding action at negative time");
  if (player1 == player2) error("adding action versus self");
  if (time >= HISTORY_TIMES || static_cast<uint32_t>(player1) >= HISTORY_PLAYERS ||
      static_cast<uint32_t>(player2) >= HISTORY_PLAYERS)
    error("adding action outside the history");
  history[history_index(time, player1, player2)] = action;
}
