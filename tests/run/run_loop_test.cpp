// The run loop shared by ipdlogic and the lab: the order in which it plays,
// tallies, shows and breeds, and what it prints itself.
#include "run/run_loop.h"

#include "game/history.h"
#include "test_support.h"

namespace {

struct Recorded {
  std::vector<std::string> events;
};

void starts(void* context, int32_t generation, const Run_State& state) {
  static_cast<Recorded*>(context)->events.push_back("start " + std::to_string(generation) + " pop " +
                                                    std::to_string(state.pop) + (state.last ? " last" : ""));
}

void scored(void* context, int32_t generation, const Run_State& state) {
  const Result& first = state.results[0];
  static_cast<Recorded*>(context)->events.push_back(
      "scored " + std::to_string(generation) + " encounters " + std::to_string(first.t + first.r + first.p + first.s) +
      " score " + std::to_string(first.score));
}

struct Loop_Run {
  Lineage_Book book;
  Run_Outcome outcome;
  Test_History history;
  std::vector<Result> results = std::vector<Result>(MAX_POP);
  std::vector<Formula*> formulae;
  Recorded recorded;
  std::string output;
  uint64_t draws = 0;

  explicit Loop_Run(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) formulae.push_back(parse(text).release());
  }
  ~Loop_Run() {
    for (Formula* formula : formulae) free_Formula(formula);
  }
  // With lineages the run breeds by the parameters' dynamics.
  void go(const Run_Parameters& parameters, bool lineage = false, int32_t seed = 1) {
    Run_State state{&history.data(), results.data(), formulae.data(), static_cast<int32_t>(formulae.size())};
    if (lineage) {
      state.lineage = &book;
      start_lineage(book, state.pop);
    }
    seed_random(seed);
    uint64_t before = draws_made();
    testing::internal::CaptureStdout();
    outcome = run_generations(parameters, state, Run_Observer{&recorded, starts, scored});
    output = testing::internal::GetCapturedStdout();
    draws = draws_made() - before;
  }
};

// Always defect against always cooperate: the defector's tally shows the
// rounds and payoffs the loop played by.
const std::vector<std::string> PAIR = {"Drcp|~Drcp", "Drrp"};

}  // namespace

TEST(RunLoop, OneTournamentShowsBothSidesAndBreedsNothing) {
  Loop_Run run(PAIR);
  run.go(Run_Parameters{});
  EXPECT_EQ(run.recorded.events, (std::vector<std::string>{"start 0 pop 2 last", "scored 0 encounters 50 score 250"}));
  EXPECT_EQ(run.output, ">simulating\n");
  EXPECT_EQ(run.draws, 0u);
}

TEST(RunLoop, GenerationsBreedAfterEachButTheLastUnlessAsked) {
  Loop_Run run(PAIR);
  Run_Parameters parameters;
  parameters.generations = 3;
  run.go(parameters);
  EXPECT_EQ(run.recorded.events.size(), 6u);
  EXPECT_EQ(run.recorded.events[2], "start 1 pop 2");
  EXPECT_EQ(run.recorded.events[4], "start 2 pop 2 last");
  EXPECT_EQ(run.output, ">simulating\nupdating formulae\n>simulating\nupdating formulae\n>simulating\n");

  Loop_Run again(PAIR);
  parameters.breed_after_last = true;
  again.go(parameters);
  EXPECT_EQ(again.output, run.output + "updating formulae\n");
  EXPECT_GT(again.draws, run.draws);
}

TEST(RunLoop, QuietRunsByTheirRules) {
  Loop_Run run(PAIR);
  Run_Parameters parameters;
  parameters.generations = 2;
  parameters.game = Game_Rules{7, 0.0};
  parameters.payoffs = Payoffs{10, 3, 1, 0};
  parameters.breeding.mutation = 1.0;
  parameters.quiet = true;
  run.go(parameters);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.recorded.events[1], "scored 0 encounters 7 score 70");
  // Two parents, two picks and a mutation draw per child at least.
  EXPECT_GE(run.draws, 2u * 5u);
}

Run_Parameters quiet_run(int32_t generations) {
  Run_Parameters parameters;
  parameters.generations = generations;
  parameters.quiet = true;
  return parameters;
}

// A Moran generation is one event per player, each after a tournament;
// only each generation's first tournament is shown, and the last
// generation is its tournament alone.
TEST(RunLoop, MoranGenerationsAreOneEventPerPlayer) {
  Loop_Run run({"Dcrp", "Drcp|~Drcp", "Drrp", "Dcrp&Dcrp-1"});
  Run_Parameters parameters = quiet_run(3);
  parameters.dynamics.selection = Selection::MORAN;
  run.go(parameters, true);
  ASSERT_EQ(run.recorded.events.size(), 6u);
  EXPECT_EQ(run.recorded.events[0], "start 0 pop 4");
  EXPECT_EQ(run.recorded.events[1].rfind("scored 0 encounters 150 ", 0), 0u) << run.recorded.events[1];
  EXPECT_EQ(run.recorded.events[2], "start 1 pop 4");
  EXPECT_EQ(run.recorded.events[4], "start 2 pop 4 last");
  EXPECT_EQ(run.outcome.generations, 3);
  EXPECT_EQ(run.outcome.events, 8);
  EXPECT_FALSE(run.outcome.fixed);
  EXPECT_EQ(run.book.next_id, 4 + 8);
}

// The run ends once every player holds the same formula: the fixed
// population plays its tournament as the last generation, marked last
// whatever the bound. Copies without mutation always fix.
TEST(RunLoop, UntilFixedEndsWithTheFixedPopulation) {
  for (Selection selection : {Selection::MORAN, Selection::ROULETTE, Selection::TOURNAMENT}) {
    for (int32_t seed = 1; seed <= 20; ++seed) {
      Loop_Run run({"Dcrp", "Drcp|~Drcp", "Drcp|~Drcp", "~~Dcrp", "Dcrp"});
      Run_Parameters parameters = quiet_run(1000000);
      parameters.dynamics.selection = selection;
      parameters.dynamics.crossover = 0.0;
      parameters.until_fixed = true;
      run.go(parameters, true, seed);
      ASSERT_TRUE(run.outcome.fixed) << "seed " << seed;
      const std::string last = "start " + std::to_string(run.outcome.generations - 1) + " pop 5 last";
      ASSERT_EQ(run.recorded.events[run.recorded.events.size() - 2], last) << "seed " << seed;
      for (Formula* formula : run.formulae) ASSERT_EQ(format_Formula(formula), format_Formula(run.formulae[0]));
      if (selection == Selection::MORAN) {
        ASSERT_EQ(run.book.next_id, 5 + run.outcome.events);
        // Fixation is checked after every event: the last generation's events stop at it.
        ASSERT_GT(run.outcome.events, 5 * (run.outcome.generations - 2));
        ASSERT_LE(run.outcome.events, 5 * (run.outcome.generations - 1));
      } else {
        ASSERT_EQ(run.book.next_id, 5 * run.outcome.generations);
      }
    }
  }
  // A population fixed from the start plays one tournament.
  Loop_Run fixed({"Dcrp", "Dcrp"});
  Run_Parameters parameters = quiet_run(50);
  parameters.until_fixed = true;
  fixed.go(parameters, true);
  EXPECT_EQ(fixed.recorded.events, (std::vector<std::string>{"start 0 pop 2 last", "scored 0 encounters 50 score 150"}));
  EXPECT_TRUE(fixed.outcome.fixed);
  EXPECT_EQ(fixed.draws, 0u);
}
