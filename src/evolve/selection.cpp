#include "evolve/selection.h"

#include <algorithm>

#include "error.h"
#include "random_stream.h"

namespace {

constexpr int64_t DRAW_RANGE = int64_t{DRAW_MAX} + 1;  // 32768

}  // namespace

int64_t draw_below(int64_t total) {
  if (total <= DRAW_RANGE) return draw_random() % total;
  const int64_t range = DRAW_RANGE * DRAW_RANGE;
  const int64_t limit = range - range % total;
  int64_t value;
  do {
    int64_t high = draw_random();
    value = high * DRAW_RANGE + draw_random();
  } while (value >= limit);
  return value % total;
}

int64_t draw_evenly_below(int64_t total) {
  if (total > DRAW_RANGE) return draw_below(total);
  const int64_t limit = DRAW_RANGE - DRAW_RANGE % total;
  int64_t value;
  do {
    value = draw_random();
  } while (value >= limit);
  return value % total;
}

Roulette make_roulette(const Result* results, int32_t pop) {
  Roulette wheel{{}, pop};
  int64_t running_score = 0;
  for (int32_t player = 0; player < pop; ++player) wheel.running[player] = running_score += results[player].score;
  return wheel;
}

agent spin(const Roulette& wheel) {
  int64_t total_score = wheel.pop > 0 ? wheel.running[wheel.pop - 1] : 0;
  if (total_score == 0) return wheel.pop > 0 ? draw_random() % wheel.pop : 0;
  int64_t random_num = draw_below(total_score);
  const int64_t* parent = std::upper_bound(wheel.running, wheel.running + wheel.pop, random_num);
  if (parent == wheel.running + wheel.pop) error("failure in choosing parent");
  return static_cast<agent>(parent - wheel.running);
}

agent spin_evenly(const Roulette& wheel) {
  int64_t total_score = wheel.pop > 0 ? wheel.running[wheel.pop - 1] : 0;
  if (total_score == 0) return wheel.pop > 0 ? static_cast<agent>(draw_evenly_below(wheel.pop)) : 0;
  int64_t random_num = draw_evenly_below(total_score);
  const int64_t* parent = std::upper_bound(wheel.running, wheel.running + wheel.pop, random_num);
  if (parent == wheel.running + wheel.pop) error("failure in choosing parent");
  return static_cast<agent>(parent - wheel.running);
}

agent choose_parent(const Result* results, int32_t pop) { return spin(make_roulette(results, pop)); }

agent tournament_pick(const Result* results, int32_t pop, int32_t size) {
  agent best = draw_random() % pop;
  for (int32_t entrant = 1; entrant < size; ++entrant) {
    agent player = draw_random() % pop;
    if (results[player].score > results[best].score) best = player;
  }
  return best;
}

Parent_Selector roulette_selector(const Result* results, int32_t pop, bool evenly) {
  return Parent_Selector{make_roulette(results, pop), results, 0, evenly};
}

Parent_Selector tournament_selector(const Result* results, int32_t pop, int32_t size) {
  // The wheel is not spun, but its population is the tournament's.
  Parent_Selector selector{{{}, pop}, results, size, false};
  return selector;
}

agent select_parent(const Parent_Selector& selector) {
  if (selector.tournament_size > 0) return tournament_pick(selector.results, selector.wheel.pop, selector.tournament_size);
  return selector.evenly ? spin_evenly(selector.wheel) : spin(selector.wheel);
}
