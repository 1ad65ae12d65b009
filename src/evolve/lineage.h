// Who descends from whom: every player of a run has an id, unique within
// the run, and the ids of the parents it was bred from. The first
// population holds ids 0 to pop - 1; each child then takes the next id in
// the order children are made. A player that passes into the next
// generation unchanged keeps its record.
#pragma once

#include <cstdint>

#include "game/rules.h"

constexpr int64_t NO_PARENT = -1;

struct Lineage {
  int64_t id = 0;
  int64_t parent1 = NO_PARENT;  // NO_PARENT in the first population
  int64_t parent2 = NO_PARENT;  // NO_PARENT there too, and for a copy
  bool mutated = false;         // got a point mutation after crossover or copying
};

// The records of a population, by player, and the next child's id.
struct Lineage_Book {
  Lineage of_player[MAX_POP];
  int64_t next_id = 0;
};

// The first population: ids 0 to pop - 1, without parents.
inline void start_lineage(Lineage_Book& book, int32_t pop) {
  for (int32_t player = 0; player < pop; ++player) book.of_player[player] = Lineage{player, NO_PARENT, NO_PARENT, false};
  book.next_id = pop;
}
