// Breeding with point mutation: after each child's crossover, one draw
// decides whether it mutates, before the next child's parents are drawn;
// repair follows once all children exist. Checked against a stream that
// predicts every draw.
#include "evolve/breeding.h"
#include "evolve/evolve_support.h"
#include "evolve/random_formula.h"
#include "evolve/repair.h"
#include "game/tournament.h"

namespace {

// A DEFECTED atom over r and c at time p, as the prediction sees it.
struct Atom {
  char player1, player2;
  int32_t time_mod;
  std::string text() const {
    return std::string("D") + player1 + player2 + "p" + (time_mod ? std::to_string(time_mod) : "");
  }
};

// One point mutation from fresh scopes: the location, then the new value.
void mutate(Atom& atom, const std::function<int32_t()>& next) {
  const char agents[] = {'r', 'c'};
  switch (next() % 4 + 1) {
    case 1: atom.player1 = agents[next() % 2]; break;
    case 2: atom.player2 = agents[next() % 2]; break;
    case 3: next(); break;  // the time scope holds p alone
    default: atom.time_mod += next() % 2 == 1 ? 1 : -1; break;
  }
}

}  // namespace

// Parents: "Drrp" scored 3 and "Dcrp" 5, both single atoms, so a parent is
// one draw modulo 8 and a crossover two draws that copy the second parent.
TEST(Breeding, MutationDrawFollowsEachChildsCrossover) {
  const double mutation = 0.5;
  const std::vector<Result> results = scores({3, 5});
  const Atom parents[] = {{'r', 'r', 0}, {'c', 'r', 0}};
  int mutated = 0, unchanged = 0;
  for (int32_t seed = 1; seed <= 300; ++seed) {
    Draw_Predictor predict(seed);
    auto next = [&] { return predict.next(); };
    Atom expected[2];
    for (Atom& child : expected) {
      next();
      child = parents[next() % 8 < 3 ? 0 : 1];
      next(), next();  // the picks in the second parent and in the copy of the first
      if (static_cast<double>(next()) < mutation * 32767.0) {
        mutate(child, next);
        ++mutated;
      } else {
        ++unchanged;
      }
    }
    Population population({"Drrp", "Dcrp"});
    seed_random(seed);
    testing::internal::CaptureStdout();
    update_Formulae(results.data(), population.formulae.data(), 2, Breeding{mutation, true});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(population.printed(0), expected[0].text()) << "seed " << seed;
    EXPECT_EQ(population.printed(1), expected[1].text()) << "seed " << seed;
    EXPECT_EQ(draw_random(), predict.next()) << "seed " << seed;  // repair of bound atoms draws nothing
  }
  EXPECT_GT(mutated, 200);
  EXPECT_GT(unchanged, 200);
}

// Without mutation there is no mutation draw: breeding is ipdlogic's own,
// draw for draw and line for line.
TEST(Breeding, NoMutationIsTheProgramsBreeding) {
  const std::vector<Result> results = scores({4, 0, 9, 1});
  const std::vector<std::string> texts = {"Ed(Dcdp&EdDrdp)", "Dcrp|R0.5", "A's(Dcrs)&~Drcp", "(Drcp&~Dcrp)|Dccp"};
  for (int32_t seed = 1; seed <= 50; ++seed) {
    Population programs(texts), breeding(texts);
    seed_random(seed);
    uint64_t before = draws_made();
    testing::internal::CaptureStdout();
    update_Formulae(results.data(), programs.formulae.data(), 4);
    std::string printed = testing::internal::GetCapturedStdout();
    const uint64_t draws = draws_made() - before;
    seed_random(seed);
    before = draws_made();
    testing::internal::CaptureStdout();
    update_Formulae(results.data(), breeding.formulae.data(), 4, Breeding{0.0, false});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), printed);
    EXPECT_EQ(draws_made() - before, draws) << "seed " << seed;
    for (int32_t player = 0; player < 4; ++player) EXPECT_EQ(breeding.printed(player), programs.printed(player));
  }
}

// Quiet breeding prints neither its line nor repair's report of a letter
// bound twice on a path, and repairs alike.
TEST(Breeding, QuietPrintsNothing) {
  Population loud({"Ed(Dcdp&EdDrdp)"}), quiet({"Ed(Dcdp&EdDrdp)"});
  testing::internal::CaptureStdout();
  fix_Formulae(loud.formulae.data(), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX\n<rcd> <d>\n");
  testing::internal::CaptureStdout();
  fix_Formulae(quiet.formulae.data(), 1, false);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(quiet.printed(0), loud.printed(0));

  const std::vector<Result> results = scores({2, 1});
  Population population({"Ed(Dcdp&EdDrdp)", "Ed(EdDcdp)"});
  seed_random(4);
  testing::internal::CaptureStdout();
  for (int generation = 0; generation < 20; ++generation)
    update_Formulae(results.data(), population.formulae.data(), 2, Breeding{0.5, true});
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// Every child mutates with mutation 1 (but for the top draw), and still
// only through atoms in scope.
TEST(Breeding, FullMutationKeepsReferencesBound) {
  const std::vector<std::string> texts = {"Ed(Dcdp&A'sDrds)", "Dcrp|EeDcep", "A't(Dcrt-1)&~Drcp"};
  Population population(texts);
  std::vector<Result> results = scores({3, 2, 1});
  seed_random(21);
  for (int generation = 0; generation < 200; ++generation) {
    update_Formulae(results.data(), population.formulae.data(), 3, Breeding{1.0, true});
    for (int32_t player = 0; player < 3; ++player)
      ASSERT_TRUE(all_references_bound(population.formulae[player])) << population.printed(player);
  }
}

TEST(UpdateFormulae, BreedsFromTheOldPopulationAndRepairs) {
  Formula* formulae[MAX_POP] = {parse("Ed(Ddcp&Dcdp)").release(), parse("Drrp-2").release(),
                                parse("A's(Drcs|Dcrs)").release()};
  std::vector<Result> results = scores({10, 0, 20});
  testing::internal::CaptureStdout();
  update_Formulae(results.data(), formulae, 3);
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.substr(0, 18), "updating formulae\n");
  for (int i = 0; i < 3; ++i) {
    // Player 1 scored nothing: no child holds its atom, the only offset -2.
    EXPECT_EQ(format_Formula(formulae[i]).find("-2"), std::string::npos);
    EXPECT_TRUE(all_references_bound(formulae[i]));
    free_Formula(formulae[i]);
  }
}

// Many generations of random populations: after every breeding, every atom
// refers only to variables in scope.
TEST(UpdateFormulae, RepairKeepsEveryReferenceBound) {
  seed_random(12);
  Formula* formulae[MAX_POP] = {};
  const int32_t pop = 10;
  init_random_Formulae(formulae, pop);
  Test_History history;
  Result results[MAX_POP];
  testing::internal::CaptureStdout();
  for (int generation = 0; generation < 100; ++generation) {
    simulate(history.data(), formulae, pop);
    get_Results(history.data(), results, pop);
    update_Formulae(results, formulae, pop);
    for (int32_t i = 0; i < pop; ++i) ASSERT_TRUE(all_references_bound(formulae[i])) << generation;
  }
  testing::internal::GetCapturedStdout();
  for (int32_t i = 0; i < pop; ++i) free_Formula(formulae[i]);
}
