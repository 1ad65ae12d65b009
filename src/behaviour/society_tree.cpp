#include "behaviour/society_tree.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "game/machine/play.h"
#include "game/tournament.h"
#include "random_stream.h"

namespace {

// A round reached: the round before it, and the last player's moves and
// the stream's draws since seeding at its end.
struct Step {
  int32_t before;
  uint64_t moves;
  uint64_t draws;
};

uint64_t step_hash(const Step& step) {
  uint64_t h = static_cast<uint64_t>(step.before) * 0x9e3779b97f4a7c15ull;
  h = (h ^ step.moves) * 0xbf58476d1ce4e5b9ull;
  h = (h ^ step.draws) * 0x94d049bb133111ebull;
  return h ^ (h >> 31);
}

constexpr int32_t NOT_REACHED = -1;

// The rounds reached, by step: open addressing, probed in turn and never
// more than half full, so that a look-up reads a slot or two side by side.
struct Reached_Slot {
  uint64_t moves = 0, draws = 0;
  int32_t before = 0;
  int32_t round = NOT_REACHED;  // an empty slot
};
struct Reached_Rounds {
  std::vector<Reached_Slot> slots;
  size_t used = 0;
};

size_t first_slot(const Reached_Rounds& reached, const Step& step) {
  return static_cast<size_t>(step_hash(step)) & (reached.slots.size() - 1);
}

size_t next_slot(const Reached_Rounds& reached, size_t at) { return (at + 1) & (reached.slots.size() - 1); }

// The round a step leads to, or NOT_REACHED.
int32_t round_reached(const Reached_Rounds& reached, const Step& step) {
  if (reached.slots.empty()) return NOT_REACHED;
  for (size_t at = first_slot(reached, step);; at = next_slot(reached, at)) {
    const Reached_Slot& slot = reached.slots[at];
    if (slot.round == NOT_REACHED) return NOT_REACHED;
    if (slot.before == step.before && slot.moves == step.moves && slot.draws == step.draws) return slot.round;
  }
}

void place(Reached_Rounds& reached, const Step& step, int32_t round) {
  size_t at = first_slot(reached, step);
  while (reached.slots[at].round != NOT_REACHED) at = next_slot(reached, at);
  reached.slots[at] = {step.moves, step.draws, step.before, round};
}

// Adds a step not reached before.
void add_reached(Reached_Rounds& reached, const Step& step, int32_t round) {
  if (2 * (reached.used + 1) > reached.slots.size()) {
    std::vector<Reached_Slot> old =
        std::exchange(reached.slots, std::vector<Reached_Slot>(std::max<size_t>(64, 2 * reached.slots.size())));
    for (const Reached_Slot& slot : old)
      if (slot.round != NOT_REACHED) place(reached, {slot.before, slot.moves, slot.draws}, slot.round);
  }
  place(reached, step, round);
  ++reached.used;
}

// The rounds of the library's strategies in `library` order: round n holds
// each strategy's moves (bit c: defected against c) and the draws since
// seeding after the last of them.
struct Society_Tree {
  int32_t rounds = -1;
  std::vector<const Formula*> library;
  std::vector<uint64_t> moves;  // round n, row r: at n * library.size() + r
  std::vector<uint64_t> draws;
  Reached_Rounds reached;
};

// Past this many rounds (about 4 MiB with the library of a dozen) the
// tree starts again.
constexpr size_t MOST_ROUNDS = size_t{1} << 15;

// The largest society a round's moves are kept for, one word a row.
constexpr int32_t MOST_PLAYERS = 64;

Society_Tree& tree_for(Formula* const* players, int32_t library, int32_t rounds) {
  thread_local Society_Tree tree;
  const std::vector<const Formula*> same(players, players + library);
  if (tree.rounds != rounds || tree.library != same || tree.draws.size() >= MOST_ROUNDS) {
    tree = Society_Tree{};
    tree.rounds = rounds;
    tree.library = same;
  }
  return tree;
}

uint64_t row_moves(const History& history, agent row, int32_t time) { return by_plane(history, time)[row].low; }

// Where the stream is and where the tournament has taken it: the draws of
// rounds taken from the tree are made only when something may draw next.
struct Stream_Place {
  uint64_t seeded;      // draws made on the thread when the tournament began
  uint64_t played = 0;  // draws the tournament has made so far, since then

  void catch_up() {
    const uint64_t made = draws_made() - seeded;
    random_stream.engine.discard(played - made);
    random_stream.draws += played - made;
  }
  void took_up() { played = draws_made() - seeded; }
};

// Decides the library's rows of a round not reached before, and keeps them.
int32_t new_round(Society_Tree& tree, Row_Play& play, const Step& step, int32_t time, Stream_Place& stream) {
  const auto library = static_cast<agent>(tree.library.size());
  stream.catch_up();
  std::vector<uint64_t> moves;
  for (agent row = 0; row < library; ++row) {
    play_row(play, row, time);
    moves.push_back(row_moves(*play.history, row, time));
  }
  stream.took_up();
  const auto round = static_cast<int32_t>(tree.draws.size());
  tree.moves.insert(tree.moves.end(), moves.begin(), moves.end());
  tree.draws.push_back(stream.played);
  add_reached(tree.reached, step, round);
  return round;
}

}  // namespace

void play_behind_library(History& history, Formula* const* players, int32_t pop, int32_t rounds, Stream_After after) {
  const Game_Rules rules{rounds, 0.0, NO_CONTINUATION};
  if (pop < 2 || pop > MOST_PLAYERS) return play_rounds(history, players, pop, rules);
  const agent last = pop - 1;
  Society_Tree& tree = tree_for(players, last, rounds);
  Row_Play play = start_row_play(history, players, pop, rules, Machine_Settings{});
  const bool last_draws = row_may_draw(play, last);
  Stream_Place stream{draws_made()};
  Step step{-1, 0, 0};
  for (int32_t time = 0; time < rounds; ++time) {
    start_round(history, time);
    int32_t round = round_reached(tree.reached, step);
    if (round != NOT_REACHED) {
      record_first_rows(history, &tree.moves[static_cast<size_t>(round) * tree.library.size()], last, pop);
      stream.played = tree.draws[static_cast<size_t>(round)];
    } else {
      round = new_round(tree, play, step, time, stream);
    }
    if (last_draws) stream.catch_up();
    play_row(play, last, time);
    if (last_draws) stream.took_up();
    step = {round, row_moves(history, last, time), stream.played};
    finish_round(history);
  }
  if (after == STREAM_AS_PLAYED) stream.catch_up();
}
