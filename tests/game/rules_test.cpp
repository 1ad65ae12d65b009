// The rules of the game, each through its one home: chances, the ranges of
// quantifiers, the atoms that never hold, and which rounds an atom reads.
#include "game/rules.h"

#include <cmath>

#include "test_support.h"

TEST(Rules, AChanceHoldsOnTheDrawsBelowItsProbabilityTimesTheLargestDraw) {
  const struct {
    double chance;
    int32_t draw;
    bool holds;
  } cases[] = {{0.5, 16383, true}, {0.5, 16384, false}, {1.0, 32766, true}, {1.0, 32767, false},
               {1.5, 32767, true}, {0.0, 0, false},     {-1.0, 0, false},   {std::nan(""), 0, false}};
  for (const auto& c : cases) EXPECT_EQ(holds_on_draw(c.chance, c.draw), c.holds) << c.chance << " " << c.draw;
  // draws_holding counts exactly the draws holds_on_draw takes.
  for (double chance : {0.0, 1.0 / DRAW_MAX, 0.3, 0.5, 0.999, 1.0, 2.0, -1.0, std::nan(""), double{INFINITY}}) {
    int32_t count = 0;
    for (int32_t draw = 0; draw <= DRAW_MAX; ++draw) count += holds_on_draw(chance, draw) ? 1 : 0;
    EXPECT_EQ(draws_holding(chance), count) << chance;
  }
}

TEST(Rules, AChanceDrawsOnceAndASettingOfZeroNever) {
  seed_random(5);
  Draw_Predictor next(5);
  const uint64_t before = draws_made();
  EXPECT_EQ(holds(0.5), next.next() < 16383.5);
  EXPECT_FALSE(holds_unless_zero(0.0));
  EXPECT_FALSE(noise_flips(0.0));
  EXPECT_EQ(draws_made() - before, 1u);
  EXPECT_EQ(noise_flips(1.0), next.next() != DRAW_MAX);
  EXPECT_EQ(draws_made() - before, 2u);
}

TEST(Rules, QuantifierRanges) {
  EXPECT_FALSE(has_agent_candidates(2));
  EXPECT_TRUE(has_agent_candidates(3));
  EXPECT_TRUE(empty_range_value(true));
  EXPECT_FALSE(empty_range_value(false));
  EXPECT_FALSE(agent_candidate(4, 4, 7));
  EXPECT_FALSE(agent_candidate(7, 4, 7));
  EXPECT_TRUE(agent_candidate(5, 4, 7));
  // Rounds 0 and 1 (previous round -1 and 0): the time -1 alone; then 0 to
  // the one before the previous round.
  for (int32_t prev : {-1, 0}) {
    EXPECT_EQ(first_time_candidate(prev), -1);
    EXPECT_EQ(time_candidate_count(prev), 1);
  }
  EXPECT_EQ(first_time_candidate(1), 0);
  EXPECT_EQ(time_candidates_end(1), 1);
  EXPECT_EQ(time_candidates_end(48), 48);
  EXPECT_EQ(time_candidate_count(48), 48);
  EXPECT_EQ(most_time_candidates(ROUNDS), 48);
  EXPECT_EQ(most_time_candidates(2), 1);
}

TEST(Rules, AtomsThatNeverHold) {
  const Term row{TERM_ROW, 0}, column{TERM_COLUMN, 0}, prev{TERM_PREV, 0};
  EXPECT_TRUE(atom_never_holds(row, row, prev, 0));
  EXPECT_TRUE(atom_never_holds({TERM_BOUND, 3}, {TERM_BOUND, 3}, prev, 0));
  EXPECT_FALSE(atom_never_holds({TERM_BOUND, 3}, {TERM_BOUND, 4}, prev, 0));
  EXPECT_TRUE(atom_never_holds(row, column, {TERM_CONSTANT, 0}, -1));
  EXPECT_FALSE(atom_never_holds(row, column, {TERM_CONSTANT, 0}, 0));
  EXPECT_FALSE(atom_never_holds(row, column, prev, -5));  // the previous round moves on
}

namespace {

// Whether the atom's time is `round` for some value its time term takes in
// that round, from the ranges themselves.
bool reaches(Term time, int32_t time_mod, int32_t round, bool later) {
  const int32_t prev = round - 1;
  auto hits = [&](int64_t value) { return later ? value + time_mod > round : value + time_mod == round; };
  switch (time.kind) {
    case TERM_PREV: return hits(prev);
    case TERM_BOUND:
      if (prev <= 0) return hits(first_time_candidate(prev));
      for (int32_t t = 0; t < time_candidates_end(prev); ++t)
        if (hits(t)) return true;
      return false;
    default: return hits(time.value);
  }
}

}  // namespace

// Which rounds an atom reads, asked three ways, against the ranges.
TEST(Rules, RoundsAnAtomReads) {
  for (Term time : {Term{TERM_PREV, 0}, Term{TERM_BOUND, 0}, Term{TERM_CONSTANT, 0}, Term{TERM_CONSTANT, 7},
                    Term{TERM_CONSTANT, 'x'}}) {
    for (int32_t time_mod = -3; time_mod <= 60; ++time_mod) {
      const Playing_Round_Reach summary = playing_round_reach(time, time_mod);
      bool unplayed = false;
      for (int32_t round = 0; round < HISTORY_TIMES - 1; ++round) {
        const bool read = reaches(time, time_mod, round, false);
        ASSERT_EQ(reads_round_being_played(time, time_mod, round), read) << time.kind << " " << time_mod << " " << round;
        bool summed = summary.reach == Round_Reach::EVERY_ROUND ||
                      (summary.reach == Round_Reach::ONE_ROUND && round == summary.first) ||
                      (summary.reach == Round_Reach::FROM_ROUND && round >= summary.first);
        ASSERT_EQ(summed, read) << time.kind << " " << time_mod << " " << round;
        unplayed = unplayed || reaches(time, time_mod, round, true);
      }
      EXPECT_EQ(reads_unplayed_round(time, time_mod), unplayed) << time.kind << " " << time_mod;
    }
  }
}

TEST(Rules, OwnMovesOfTheRoundBeingPlayed) {
  const Term row{TERM_ROW, 0}, column{TERM_COLUMN, 0}, bound{TERM_BOUND, 0}, prev{TERM_PREV, 0};
  EXPECT_TRUE(may_read_own_move(row, bound, prev, 1));
  EXPECT_TRUE(may_read_own_move({TERM_CONSTANT, 5}, {TERM_CONSTANT, 6}, {TERM_CONSTANT, 3}, 0));
  EXPECT_FALSE(may_read_own_move(row, column, prev, 1)) << "the move being decided is never recorded yet";
  EXPECT_FALSE(may_read_own_move(column, bound, prev, 1)) << "not the deciding player's move";
  EXPECT_FALSE(may_read_own_move(row, bound, prev, 0)) << "the previous round is played";
  EXPECT_FALSE(may_read_own_move({TERM_CONSTANT, 200}, bound, prev, 1)) << "no such player";
  EXPECT_FALSE(may_read_own_move({TERM_CONSTANT, 5}, {TERM_CONSTANT, 5}, prev, 1));
}
