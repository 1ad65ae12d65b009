// The lab's dynamics: tournament selection, a child crossed or copied, the
// Moran event, elites and fixation. Draw orders are checked against a
// stream that predicts every draw; the default scheme against ipdlogic's
// own breeding.
#include "evolve/breeding.h"
#include "evolve/evolve_support.h"
#include "evolve/fixation.h"
#include "evolve/generational.h"
#include "evolve/moran.h"
#include "evolve/offspring.h"
#include "evolve/random_formula.h"
#include "evolve/repair.h"

namespace {

// Lineages whose ids are ten times the player's number plus 7.
Lineage_Book numbered_book(int32_t pop) {
  Lineage_Book book;
  for (int32_t player = 0; player < pop; ++player) book.of_player[player].id = 10 * player + 7;
  book.next_id = 1000;
  return book;
}

// Single atoms scored 3, 5 and 2: a spin is one draw modulo 10, and a
// crossover two draws that copy the second parent.
const std::vector<std::string> ATOMS = {"Drrp", "Dcrp", "Dccp"};
const std::vector<int32_t> ATOM_SCORES = {3, 5, 2};
// Spun evenly (the Moran process), a draw of 32760 or more is drawn again.
int32_t predicted_spin(Draw_Predictor& predict, bool evenly = false) {
  int32_t draw = predict.next();
  while (evenly && draw >= 32760) draw = predict.next();
  int32_t value = draw % 10;
  return value < 3 ? 0 : value < 8 ? 1 : 2;
}

// The child breed_child must make, drawing as the predictor does: parent1;
// the crossover draw strictly between 0 and 1; parent2 and crossover's two
// draws for a crossed child; the mutation draw (the mutation itself is not
// predicted, so the draws after it are not checked).
struct Predicted_Child {
  int32_t formula_of;  // the player whose atom the child is
  Lineage lineage;
  bool checkable;
};

Predicted_Child predict_child(Draw_Predictor& predict, double crossover, double mutation, int64_t id,
                              bool evenly = false) {
  Predicted_Child child{predicted_spin(predict, evenly), Lineage{id, 0, NO_PARENT, false}, true};
  child.lineage.parent1 = 10 * child.formula_of + 7;
  bool crossed = crossover >= 1.0 || (crossover > 0.0 && predict.next() < crossover * 32767.0);
  if (crossed) {
    child.formula_of = predicted_spin(predict, evenly);
    child.lineage.parent2 = 10 * child.formula_of + 7;
    predict.next(), predict.next();
  }
  if (mutation != 0.0) {
    child.lineage.mutated = predict.next() < mutation * 32767.0;
    child.checkable = !child.lineage.mutated;
  }
  return child;
}

}  // namespace

// K draws modulo the population; the best score wins, a tie goes to the
// player drawn first.
TEST(TournamentSelection, BestOfKDrawsTiesToTheFirstDrawn) {
  const std::vector<Result> results = scores({3, 5, 5, 1, 0});
  for (int32_t size : {2, 3, 5}) {
    for (int32_t seed = 1; seed <= 200; ++seed) {
      Draw_Predictor predict(seed);
      int32_t best = predict.next() % 5;
      for (int32_t entrant = 1; entrant < size; ++entrant) {
        int32_t player = predict.next() % 5;
        if (results[player].score > results[best].score) best = player;
      }
      seed_random(seed);
      ASSERT_EQ(tournament_pick(results.data(), 5, size), best) << "seed " << seed << " K " << size;
      ASSERT_EQ(draw_random(), predict.next());
    }
  }
  // Through the selector, as breeding asks for a parent.
  seed_random(3);
  Draw_Predictor predict(3);
  const Parent_Selector selector = tournament_selector(results.data(), 5, 2);
  int32_t first = predict.next() % 5, second = predict.next() % 5;
  EXPECT_EQ(select_parent(selector), results[second].score > results[first].score ? second : first);
}

// Every value below the total has an equal chance: a single draw at or
// above the largest multiple of a total up to 32768 is drawn again; larger
// totals draw as draw_below, which already does so.
TEST(EvenSpin, DrawsAgainAboveTheLargestMultiple) {
  for (int64_t total : {1, 3, 10, 12900, 16385, 32768}) {
    const int64_t limit = 32768 - 32768 % total;
    for (int32_t seed = 1; seed <= 300; ++seed) {
      Draw_Predictor predict(seed);
      int32_t draw = predict.next();
      while (draw >= limit) draw = predict.next();
      seed_random(seed);
      ASSERT_EQ(draw_evenly_below(total), draw % total) << "total " << total << " seed " << seed;
      ASSERT_EQ(draw_random(), predict.next());
    }
  }
  for (int32_t seed = 1; seed <= 50; ++seed) {
    seed_random(seed);
    const int64_t below = draw_below(1 << 29);
    seed_random(seed);
    ASSERT_EQ(draw_evenly_below(1 << 29), below);
  }
  // Through the wheel: scores 3, 5, 2 (running 3, 8, 10); nobody scored: a player drawn evenly.
  const std::vector<Result> results = scores(ATOM_SCORES);
  const int32_t seed = seed_where([](int32_t draw) { return draw >= 32760; });
  Draw_Predictor predict(seed);
  seed_random(seed);
  EXPECT_EQ(spin_evenly(make_roulette(results.data(), 3)), predicted_spin(predict, true));
  EXPECT_EQ(draw_random(), predict.next());
  const std::vector<Result> nothing = scores({0, 0, 0});
  seed_random(5);
  Draw_Predictor five(5);
  int32_t draw = five.next();
  while (draw >= 32766) draw = five.next();
  EXPECT_EQ(spin_evenly(make_roulette(nothing.data(), 3)), draw % 3);
}

TEST(Offspring, CrossedOrCopiedInTheirOrderOfDraws) {
  Population population(ATOMS);
  const std::vector<Result> results = scores(ATOM_SCORES);
  const Lineage_Book book = numbered_book(3);
  for (double crossover : {0.0, 0.3, 1.0}) {
    for (double mutation : {0.0, 0.5}) {
      int copies = 0, crosses = 0;
      for (int32_t seed = 1; seed <= 200; ++seed) {
        Draw_Predictor predict(seed);
        Predicted_Child expected = predict_child(predict, crossover, mutation, 99);
        seed_random(seed);
        Offspring child = breed_child(roulette_selector(results.data(), 3), population.formulae.data(), book.of_player,
                                      crossover, mutation, 99);
        Tree owned(child.formula);
        ASSERT_EQ(child.lineage.id, 99);
        ASSERT_EQ(child.lineage.parent1, expected.lineage.parent1) << "seed " << seed << " C " << crossover;
        ASSERT_EQ(child.lineage.parent2, expected.lineage.parent2) << "seed " << seed << " C " << crossover;
        ASSERT_EQ(child.lineage.mutated, expected.lineage.mutated) << "seed " << seed;
        (expected.lineage.parent2 == NO_PARENT ? copies : crosses)++;
        if (!expected.checkable) continue;
        ASSERT_EQ(format_Formula(owned.get()), ATOMS[static_cast<size_t>(expected.formula_of)]) << "seed " << seed;
        ASSERT_EQ(draw_random(), predict.next()) << "seed " << seed << " C " << crossover << " M " << mutation;
      }
      if (crossover == 0.0) {
        EXPECT_EQ(crosses, 0);
      } else if (crossover == 1.0) {
        EXPECT_EQ(copies, 0);
      } else {
        EXPECT_TRUE(copies > 100 && crosses > 30) << copies << " " << crosses;
      }
    }
  }
}

// Roulette, no elites and crossover 1 breed as ipdlogic does: the same
// children from the same draws, with or without mutation.
TEST(GenerationalBreeding, DefaultsAreTheProgramsBreeding) {
  const std::vector<Result> results = scores({4, 0, 9, 1, 7, 7});
  for (double mutation : {0.0, 0.4}) {
    for (int32_t seed = 1; seed <= 40; ++seed) {
      Formula* programs[MAX_POP] = {};
      Formula* lab[MAX_POP] = {};
      seed_random(seed);
      init_random_Formulae(programs, 6);
      for (int32_t player = 0; player < 6; ++player) lab[player] = copy_Formula(programs[player]);
      seed_random(seed + 1000);
      update_Formulae(results.data(), programs, 6, Breeding{mutation, true});
      const int32_t after_program = draw_random();
      Lineage_Book book;
      start_lineage(book, 6);
      seed_random(seed + 1000);
      breed_generation(results.data(), lab, book, 6, Dynamics{}, mutation);
      EXPECT_EQ(draw_random(), after_program) << "seed " << seed;
      for (int32_t player = 0; player < 6; ++player) {
        EXPECT_EQ(format_Formula(lab[player]), format_Formula(programs[player])) << "seed " << seed;
        EXPECT_EQ(book.of_player[player].id, 6 + player);
        free_Formula(programs[player]);
        free_Formula(lab[player]);
      }
      EXPECT_EQ(book.next_id, 12);
    }
  }
}

TEST(GenerationalBreeding, ElitesPassOnFirstWithTheirLineage) {
  const std::vector<Result> results = scores({4, 9, 4, 9, 1});
  EXPECT_EQ(elite_players(results.data(), 5, 3), (std::vector<agent>{1, 3, 0}));
  EXPECT_EQ(elite_players(results.data(), 5, 0), (std::vector<agent>{}));
  EXPECT_EQ(elite_players(results.data(), 5, 5), (std::vector<agent>{1, 3, 0, 2, 4}));
  const std::vector<std::string> texts = {"Drrp", "E'sDcrs|Dcrp", "Dcrp-1", "Ax(Dxcp)", "R0.5"};
  for (int32_t seed = 1; seed <= 30; ++seed) {
    Population population(texts);
    Lineage_Book book = numbered_book(5);
    Dynamics dynamics;
    dynamics.elite = 2;
    dynamics.selection = seed % 2 ? Selection::TOURNAMENT : Selection::ROULETTE;
    dynamics.tournament_size = 3;
    seed_random(seed);
    // Elites are chosen before any draw: the first child's first draw is the seed's first.
    breed_generation(results.data(), population.formulae.data(), book, 5, dynamics, 0.5);
    EXPECT_EQ(population.printed(0), "((E'sDcrs)|Dcrp)");
    EXPECT_EQ(population.printed(1), "(AxDxcp)");
    EXPECT_EQ(book.of_player[0].id, 17);
    EXPECT_EQ(book.of_player[1].id, 37);
    for (int32_t place = 2; place < 5; ++place) {
      EXPECT_EQ(book.of_player[place].id, 1000 + place - 2);
      EXPECT_EQ(book.of_player[place].parent1 % 10, 7);
      EXPECT_TRUE(all_references_bound(population.formulae[place])) << population.printed(place);
    }
  }
}

// Copying without mutation: every child is its first parent's formula.
TEST(GenerationalBreeding, CopiesWithoutMutationAreTheirParents) {
  for (int32_t seed = 1; seed <= 30; ++seed) {
    Formula* formulae[MAX_POP] = {};
    seed_random(seed);
    init_random_Formulae(formulae, 8);
    fix_Formulae(formulae, 8, false);
    std::vector<std::string> before;
    for (int32_t player = 0; player < 8; ++player) before.push_back(format_Formula(formulae[player]));
    std::vector<Result> results = scores({1, 2, 3, 4, 5, 6, 7, 8});
    Lineage_Book book;
    start_lineage(book, 8);
    Dynamics dynamics;
    dynamics.crossover = 0.0;
    dynamics.selection = Selection::TOURNAMENT;
    dynamics.tournament_size = 2;
    breed_generation(results.data(), formulae, book, 8, dynamics, 0.0);
    for (int32_t player = 0; player < 8; ++player) {
      const Lineage& lineage = book.of_player[player];
      EXPECT_EQ(lineage.parent2, NO_PARENT);
      EXPECT_FALSE(lineage.mutated);
      EXPECT_EQ(format_Formula(formulae[player]), before[static_cast<size_t>(lineage.parent1)]) << "seed " << seed;
      free_Formula(formulae[player]);
    }
  }
}

// The child's draws, then the replaced player's, then nothing for repair
// of a bound atom; the child takes the replaced player's place and the next id.
TEST(Moran, EventDrawsChildThenReplacedPlayer) {
  const std::vector<Result> results = scores(ATOM_SCORES);
  // Seeds from 1, and seeds whose first draw the even spin draws again.
  std::vector<int32_t> seeds;
  for (int32_t seed = 1; seed <= 200; ++seed) seeds.push_back(seed);
  for (int32_t from = 1; seeds.size() < 204; from = seeds.back() + 1)
    seeds.push_back(seed_where([](int32_t draw) { return draw >= 32760; }, from));
  for (double crossover : {0.0, 0.5, 1.0}) {
    for (int32_t seed : seeds) {
      Population population(ATOMS);
      Lineage_Book book = numbered_book(3);
      Draw_Predictor predict(seed);
      Predicted_Child expected = predict_child(predict, crossover, 0.0, 1000, true);
      const int32_t replaced = predict.next() % 3;
      seed_random(seed);
      ASSERT_EQ(moran_event(results.data(), population.formulae.data(), book, 3, crossover, 0.0), replaced);
      ASSERT_EQ(draw_random(), predict.next()) << "seed " << seed;
      for (int32_t player = 0; player < 3; ++player) {
        const std::string& atom = ATOMS[static_cast<size_t>(player == replaced ? expected.formula_of : player)];
        ASSERT_EQ(population.printed(player), atom) << "seed " << seed;
        ASSERT_EQ(book.of_player[player].id, player == replaced ? 1000 : 10 * player + 7);
      }
      ASSERT_EQ(book.of_player[replaced].parent1, expected.lineage.parent1);
      ASSERT_EQ(book.of_player[replaced].parent2, expected.lineage.parent2);
      ASSERT_EQ(book.next_id, 1001);
    }
  }
}

// The replaced child is repaired in its place: a reference left unbound by
// crossover gets one in scope, and nobody else changes.
TEST(Moran, ChildIsRepairedInPlace) {
  const std::vector<Result> results = scores({1, 1});
  for (int32_t seed = 1; seed <= 100; ++seed) {
    Population population({"Ex(Dxcp&Dcxp)", "A's(Drcs)"});
    Lineage_Book book;
    start_lineage(book, 2);
    seed_random(seed);
    testing::internal::CaptureStdout();
    agent replaced = moran_event(results.data(), population.formulae.data(), book, 2, 1.0, 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(all_references_bound(population.formulae[replaced])) << population.printed(replaced);
    EXPECT_EQ(population.printed(1 - replaced), replaced == 0 ? "(A'sDrcs)" : "(Ex(Dxcp&Dcxp))");
  }
}

TEST(Fixation, SameCanonicalTextEverywhere) {
  EXPECT_TRUE(population_fixed(Population({"Dcrp", "Dcrp", "Dcrp"}).formulae.data(), 3));
  EXPECT_FALSE(population_fixed(Population({"Dcrp", "Dcrp", "~~Dcrp"}).formulae.data(), 3));
  EXPECT_FALSE(population_fixed(Population({"Drcp", "Dcrp", "Dcrp"}).formulae.data(), 3));
  // Unequal trees that print alike are one formula; so is a lone player.
  EXPECT_TRUE(population_fixed(Population({"R0.5", "R0.5000001", "R0.50000004"}).formulae.data(), 3));
  EXPECT_TRUE(population_fixed(Population({"Ax(Dxcp)"}).formulae.data(), 1));
}
