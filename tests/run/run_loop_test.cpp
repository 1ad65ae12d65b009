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
                                                    std::to_string(state.pop));
}

void scored(void* context, int32_t generation, const Run_State& state) {
  const Result& first = state.results[0];
  static_cast<Recorded*>(context)->events.push_back(
      "scored " + std::to_string(generation) + " encounters " + std::to_string(first.t + first.r + first.p + first.s) +
      " score " + std::to_string(first.score));
}

struct Loop_Run {
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
  void go(const Run_Parameters& parameters) {
    Run_State state{&history.data(), results.data(), formulae.data(), static_cast<int32_t>(formulae.size())};
    seed_random(1);
    uint64_t before = draws_made();
    testing::internal::CaptureStdout();
    run_generations(parameters, state, Run_Observer{&recorded, starts, scored});
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
  EXPECT_EQ(run.recorded.events, (std::vector<std::string>{"start 0 pop 2", "scored 0 encounters 50 score 250"}));
  EXPECT_EQ(run.output, ">simulating\n");
  EXPECT_EQ(run.draws, 0u);
}

TEST(RunLoop, GenerationsBreedAfterEachButTheLastUnlessAsked) {
  Loop_Run run(PAIR);
  Run_Parameters parameters;
  parameters.generations = 3;
  run.go(parameters);
  EXPECT_EQ(run.recorded.events.size(), 6u);
  EXPECT_EQ(run.recorded.events[4], "start 2 pop 2");
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
