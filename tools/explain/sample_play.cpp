#include "sample_play.h"

#include <vector>

#include "formula/notation_reader.h"
#include "game/history.h"
#include "game/tournament.h"
#include "owned_tree.h"
#include "random_stream.h"

const Sample_Opponent sample_opponents[SAMPLE_OPPONENTS] = {
    {"always cooperate", "Dcrp&~Dcrp"},
    {"always defect", "Dcrp|~Dcrp"},
    {"tit for tat", "Dcrp"},
};

std::string sample_moves(Formula* formula, const Sample_Opponent& opponent) {
  Tree rival(parse_Formula(opponent.notation));
  Formula* players[2] = {formula, rival.get()};
  History history;
  seed_random(DEFAULT_SEED);
  play_rounds(history, players, 2, Game_Rules{});
  std::string moves;
  for (int32_t time = 0; time < SAMPLE_MOVES; ++time) moves += get_action(history, 0, 1, time) ? 'D' : 'C';
  return moves;
}
