#include "reach.h"

#include "game/rules.h"

namespace {

const std::string UNRECORDED = "moves not yet made in it read as defection";

std::string one_round_reach(int64_t time) {
  if (time >= ROUNDS)
    return "time " + std::to_string(time) + ", beyond the last round (" + std::to_string(ROUNDS - 1) +
           "): always defection";
  const std::string round = std::to_string(time);
  std::string reach = "round " + round + ": in round " + round + " the current round (" + UNRECORDED + ")";
  if (time > 0) reach += ", before it a round not yet played (defection)";
  return reach;
}

}  // namespace

std::string reach_of_atom(const Formula& atom, const Atom_Terms& terms) {
  const int32_t offset = atom.time_mod;
  if (atom_never_holds(terms.player1, terms.player2, terms.time, offset)) return "";
  const Playing_Round_Reach reach = playing_round_reach(terms.time, offset);
  const bool unplayed = reads_unplayed_round(terms.time, offset);
  switch (terms.time.kind) {
    case TERM_PREV:
      if (reach.reach == Round_Reach::EVERY_ROUND) return "the current round (" + UNRECORDED + ")";
      return unplayed ? "a later round, not yet played: always defection" : "";
    case TERM_BOUND:
      if (reach.reach == Round_Reach::ONE_ROUND)
        return "the current round in round 0, where the time variable is -1 (" + UNRECORDED + ")";
      return unplayed ? "the current round or a later one, for the latest times (" + UNRECORDED + ")" : "";
    default: {
      // No quantifier binds the time: a letter stands for its character code.
      const int64_t time = int64_t{terms.time.value} + offset;
      if (time < 0) return "";
      return one_round_reach(time);
    }
  }
}
