// The machine's ways of saving work, each against evaluation by substituted
// copies: time loops that keep their fold across rounds, memos of
// subformulae inside loops they do not depend on, regions whose queries
// are made once their loops cost enough (also in the midst of a run),
// probes that give up for the tables, nested regions where an outer one's
// tables are too large, and compiled formulae kept from one tournament to
// the next.
#include "game/machine/play.h"
#include "reference/substitution.h"
#include "test_support.h"

namespace {

struct Players {
  std::vector<Tree> trees;
  std::vector<Formula*> formulae;
};

// The texts, repeated in turn up to `pop` players.
Players players(const std::vector<std::string>& texts, int32_t pop) {
  Players p;
  for (int32_t i = 0; i < pop; ++i) {
    p.trees.push_back(parse(texts[static_cast<size_t>(i) % texts.size()]));
    p.formulae.push_back(p.trees.back().get());
  }
  return p;
}

void expect_as_substitution(const Players& p, const Game_Rules& rules, const Machine_Settings& settings, int32_t seed) {
  const auto pop = static_cast<int32_t>(p.formulae.size());
  Test_History reference, fast;
  seed_random(seed);
  play_rounds_by_substitution(reference.data(), p.formulae.data(), pop, rules);
  const int32_t next = draw_random();
  seed_random(seed);
  play_rounds_choosing(fast.data(), p.formulae.data(), pop, rules, settings);
  std::string texts;
  for (const Formula* formula : p.formulae) texts += format_Formula(formula) + "\n";
  ASSERT_TRUE(same_history(fast.data(), reference.data()))
      << "pop " << pop << " rounds " << rules.rounds << " choice " << int{settings.choice} << "\n" << texts;
  ASSERT_EQ(draw_random(), next) << texts;
}

const Evaluation_Choice CHOICES[] = {CHOOSE_BY_COST, ALWAYS_TABLES, ALWAYS_LOOPS, ALWAYS_GIVE_UP};

}  // namespace

// A time quantifier outside every loop whose body reads only its own
// times keeps its fold for each player and adds the new times each round;
// the fold starts afresh in every tournament, also when a later one plays
// the same formula for fewer rounds.
TEST(MachineWays, TimeLoopsKeptAcrossRounds) {
  const std::vector<std::string> texts = {"A'sDcrs", "E's(Dcrs&Drcs-1)", "A's(Dcrs|EdDdcs)|Dcrp", "Dcrp&E'sDrcs",
                                          "R0.5|E'sDcrs", "Dcrp"};
  for (int32_t pop : {3, 5, 9})
    for (int32_t rounds : {1, 2, 3, 17, 40, 9})
      for (Evaluation_Choice choice : CHOICES)
        expect_as_substitution(players(texts, pop), Game_Rules{rounds, 0.0}, Machine_Settings{choice}, pop * rounds);
  // Tournaments of three rounds in a row, whose round 0 differs: a fold kept
  // from the last one would still hold at the first round that reads it.
  std::vector<std::string> shifting = {"A'sDcrs", "Drcp|~Drcp", "Dcrp"};
  for (int tournament = 0; tournament < 6; ++tournament) {
    shifting[1] = tournament % 2 ? "Drrp" : "~Drrp";
    expect_as_substitution(players(shifting, 5), Game_Rules{3, 0.0}, Machine_Settings{}, tournament);
  }
}

// Subformulae worked out again at the same values are remembered: for
// every opponent at once, whichever opponent is being decided, also while
// a player decides one opponent at a time (here because it draws twice).
TEST(MachineWays, Memos) {
  const std::vector<std::string> texts = {"Ed(Dcdp&A's(Drcs|Dcrs-1))", "Ed(Ee(Ddep&A'sDdcs))",
                                          "R0.3|R0.6|Ed(Ddcp&Ee(Decp|Drep-1))", "Ad(Ddcp|E's(Dcrs&Ee(Decs)))",
                                          "Dcrp"};
  for (int32_t pop : {4, 7, 12})
    for (Evaluation_Choice choice : CHOICES)
      expect_as_substitution(players(texts, pop), Game_Rules{14, choice == CHOOSE_BY_COST ? 0.1 : 0.0},
                             Machine_Settings{choice}, pop);
}

// Heavy regions: their loops cost enough for queries to be made; probes
// that use up their allowance put everything back for the tables, inside
// loops and around memos and kept folds alike. With a small bound on the
// tables, the outer regions have none and the ones inside them decide.
TEST(MachineWays, RegionsProbesAndNesting) {
  const std::vector<std::string> texts = {"Ed(Ee(Ef(Ddep&Defp&Dfdp)))", "A's(Dcrs|Ed(Ee(Ddep&Decs)))",
                                          "Ed(Ddcp&Ee(Ef(Decp&Defp&~Dfdp)))|Dcrp", "R0.5&Ed(Ee(Ddep&Dedp&Ddcp))",
                                          "E'sEd(Ddcs&Dcds-1)", "Dcrp",
                                          "Dcrp|(Ed(Ee(Ef(Ddep&Defp&Dfdp&Ddcp)))&Ea(Dacp|Dcap))",
                                          "Ea(Dacp&Ed(Ee(Ef(Ddep&Defp&~Dfdp))))",
                                          // After the region, what is still to decide matters: the draws show it.
                                          "Drcp|(Ed(Ee(Ddep&Decp))&(R0.5|Dcrp-1))", "Ea(Dacp|Drap)&(Ed(Ee(Dedp|Ddcp))|R0.3)"};
  for (int32_t pop : {8, 20})
    for (int64_t max_table_sets : {MAX_QUERY_SETS, int64_t{40}})
      for (Evaluation_Choice choice : CHOICES)
        expect_as_substitution(players(texts, pop), Game_Rules{12, 0.0}, Machine_Settings{choice, max_table_sets},
                               pop + static_cast<int32_t>(max_table_sets % 7));
}

// A negation is compiled into what it negates (a negated AND as an OR of
// negated operands, a negated universal as an existential), but a region's
// tables answer for the region as it stands: the negation comes after it.
TEST(MachineWays, NegationsCarriedDownToTheAtoms) {
  const std::vector<std::string> texts = {"~Ed(Ee(Ddep&Decp))|Dcrp", "Drcp&~(Ed(Ee(Ef(Ddep&Defp&Dfcp))))",
                                          "~(Dcrp&A's(Dcrs|~Ed(Ddcs&~Drds)))", "~(R0.5|~Ed(Ddcp&Drdp-1))",
                                          "~~~Ad(~Ee(Dedp|~R0.6))", "Dcrp"};
  for (Evaluation_Choice choice : CHOICES)
    expect_as_substitution(players(texts, 30), Game_Rules{4, 0.0}, Machine_Settings{choice}, 5);
}

// A first decision whose loops go far past the work that asks for queries
// has them made there: the tables decide where they are predicted to cost
// no more than the loops so far, and elsewhere the loops go on as a probe.
// Here in players deciding every opponent at once, one at a time (drawing
// twice), around a kept time fold and after a draw.
TEST(MachineWays, QueriesMadeWhileDeciding) {
  const std::vector<std::string> texts = {"Ed(Ee(Ef(Ddep&Defp&Dfdp)))", "Dcrp&Ed(Ee(Ddep&Decp&~Dedp-1))",
                                          "(R0.5|R0.4)&Ed(Ee(Ddcp&Decp))", "E'sEd(Ee(Ddes&Decs))",
                                          "R0.5|Ed(Ee(Ef(Ddep&Dfcp)))", "Ed(Ee(Ddcp&Decp-1&Dedp))",
                                          "Ad(Ee(Ddcp|Decp-1|Dedp))", "Dcrp"};
  for (int32_t pop : {24, 30})
    for (int64_t give_up_work : {int64_t{2048}, GIVE_UP_WORK})
      expect_as_substitution(players(texts, pop), Game_Rules{5, 0.0},
                             Machine_Settings{CHOOSE_BY_COST, MAX_QUERY_SETS, give_up_work}, pop);
}

// Compiled formulae are kept from one tournament to the next: a population
// that changes one player at a time, as the Moran process changes it, and
// tournaments of other sizes and lengths in between.
TEST(MachineWays, CompiledFormulaeKeptBetweenTournaments) {
  std::vector<std::string> texts = {"Ed(Ee(Ddep&Decp))", "A'sDcrs", "Ed(Dcdp&A's(Drcs|Dcrs-1))", "Dcrp",
                                    "Drcp|Dcrp-1", "E'sEd(Ddcs&Dcds-1)", "~Drcp&~Drc0", "Dcrp&R0.9"};
  const std::vector<std::string> replacements = {"Dcrp", "A'sDcrs", "Ed(Ee(Ddep&Decp))", "R0.5"};
  for (int event = 0; event < 12; ++event) {
    texts[static_cast<size_t>(event * 3) % texts.size()] = replacements[static_cast<size_t>(event) % replacements.size()];
    expect_as_substitution(players(texts, 8), Game_Rules{10 + event % 3, 0.0}, Machine_Settings{}, event);
    if (event % 4 == 3) expect_as_substitution(players(texts, 13), Game_Rules{30, 0.0}, Machine_Settings{}, event);
  }
}
