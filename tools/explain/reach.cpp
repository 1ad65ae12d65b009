#include "reach.h"

#include "game/tournament.h"

namespace {

const std::string UNRECORDED = "moves not yet made in it read as defection";

std::string absolute_reach(int64_t time) {
  if (time < 0) return "";
  if (time >= ROUNDS)
    return "time " + std::to_string(time) + ", beyond the last round (" + std::to_string(ROUNDS - 1) +
           "): always defection";
  const std::string round = std::to_string(time);
  std::string reach = "round " + round + ": in round " + round + " the current round (" + UNRECORDED + ")";
  if (time > 0) reach += ", before it a round not yet played (defection)";
  return reach;
}

}  // namespace

std::string reach_of_atom(const Formula& atom, bool time_bound) {
  if (atom.player1 == atom.player2) return "";
  const int64_t offset = atom.time_mod;
  if (atom.time == PREV_TIME) {
    if (offset == 1) return "the current round (" + UNRECORDED + ")";
    if (offset >= 2) return "a later round, not yet played: always defection";
    return "";
  }
  if (time_bound) {
    if (offset == 1) return "the current round in round 0, where the time variable is -1 (" + UNRECORDED + ")";
    if (offset >= 2) return "the current round or a later one, for the latest times (" + UNRECORDED + ")";
    return "";
  }
  // No quantifier binds the time: a letter stands for its character code.
  return absolute_reach(static_cast<int64_t>(atom.time) + offset);
}
