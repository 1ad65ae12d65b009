#include "game/results.h"

#include <cstdio>

#include "error.h"

namespace {

// Tallies one recorded round: with the set of opponents each player's move
// reads as defection against, and the set of players whose move against it
// does, the four outcomes are counts of their overlaps.
void tally_round(const History& history, int32_t time, int32_t pop, Result* results) {
  const Mask* by = by_plane(history, time);
  const Mask* against = against_plane(history, time);
  const Mask everyone = first_players(pop);
  for (agent row = 0; row < pop; ++row) {
    Mask opponents = everyone & ~player_bit(row);
    Mask own = by[row] & opponents;
    Mask suffered = against[row] & opponents;
    int32_t mine = count_players(own);
    int32_t theirs = count_players(suffered);
    int32_t both = count_players(own & suffered);
    Result& result = results[row];
    result.t += mine - both;
    result.p += both;
    result.s += theirs - both;
    result.r += pop - 1 - mine - theirs + both;
  }
}

}  // namespace

void get_Results(const History& history, Result* results, int32_t pop) {
  get_Results(history, results, pop, Payoffs{});
}

int32_t score_of(const Result& result, const Payoffs& payoffs) {
  // At most 100 rounds and 99 opponents give 9,900 encounters, so payoffs up
  // to MAX_PAYOFF stay far inside 32 bits; anything beyond is a caller's fault.
  const int64_t score = int64_t{payoffs.t} * result.t + int64_t{payoffs.r} * result.r +
                        int64_t{payoffs.p} * result.p + int64_t{payoffs.s} * result.s;
  if (score < INT32_MIN || score > INT32_MAX) error("score out of range");
  return static_cast<int32_t>(score);
}

void get_Results(const History& history, Result* results, int32_t pop, const Payoffs& payoffs) {
  for (agent player = 0; player < pop; ++player) results[player] = Result{};
  const int32_t rounds = pop < 2 ? 0 : rounds_recorded(history);
  for (int32_t time = 0; time < rounds; ++time) tally_round(history, time, pop, results);
  for (agent player = 0; player < pop; ++player) results[player].score = score_of(results[player], payoffs);
}

void print_Results(const Result* results, int32_t pop) {
  const char* dashes = "---------------------------------------------------\n";
  std::fputs(dashes, stdout);
  std::fputs("  player       t       r       p       s   score\n", stdout);
  std::fputs(dashes, stdout);
  for (int32_t i = 0; i < pop; ++i) {
    const Result& r = results[i];
    std::printf("%8d%8d%8d%8d%8d%8d\n", i, r.t, r.r, r.p, r.s, r.score);
  }
  std::fputs(dashes, stdout);
}
