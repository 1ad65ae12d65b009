// Simplification, checked by play: populations whose formulae are all
// replaced by their simplifications must play the same tournaments, draw
// for draw, and the simplified forms must read back as themselves.
#include "behaviour/simplify.h"

#include <algorithm>
#include <random>

#include "evolve/breeding.h"
#include "evolve/random_formula.h"
#include "test_support.h"

namespace {

std::string simplified(const std::string& text) {
  Tree tree(simplify_Formula(parse(text).get()));
  return format_Formula(tree.get());
}

std::string repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// A population, owning its trees.
struct Population {
  std::vector<Formula*> formulae = std::vector<Formula*>(MAX_POP, nullptr);
  int32_t pop = 0;
  Population() = default;
  Population(const Population&) = delete;
  Population& operator=(const Population&) = delete;
  ~Population() {
    for (Formula* formula : formulae) free_Formula(formula);
  }
};

// Turns about one atom in `one_in` into a CHANCE atom, with probabilities
// in sixteenths (0 and 1 included), which print and read back exactly.
// The choice draws from a generator of its own, not from the run's stream.
void add_chances(Formula* formula, std::mt19937& choices, uint32_t one_in) {
  std::vector<Formula*> pending{formula};
  while (!pending.empty()) {
    Formula* node = pending.back();
    pending.pop_back();
    if (!node) continue;
    if (node->type == DEFECTED && choices() % one_in == 0) {
      node->type = CHANCE;
      node->chance = static_cast<double>(choices() % 17) / 16.0;
    }
    pending.push_back(node->left);
    pending.push_back(node->right);
  }
}

// What a tournament leaves: the results, every recorded move, and the
// state of the random stream.
struct Outcome {
  std::vector<Result> results = std::vector<Result>(MAX_POP);
  Test_History history;
  uint64_t draws = 0;
  int32_t next_draw = 0;
};

void play(Outcome& outcome, Formula* const* formulae, int32_t pop, int32_t seed, const Game_Rules& rules) {
  seed_random(seed);
  const uint64_t before = draws_made();
  play_rounds(outcome.history.data(), formulae, pop, rules);
  get_Results(outcome.history.data(), outcome.results.data(), pop);
  outcome.draws = draws_made() - before;
  outcome.next_draw = draw_random();
}

bool same_results(const std::vector<Result>& a, const std::vector<Result>& b, int32_t pop) {
  for (int32_t i = 0; i < pop; ++i) {
    const Result& x = a[static_cast<size_t>(i)];
    const Result& y = b[static_cast<size_t>(i)];
    if (x.t != y.t || x.r != y.r || x.p != y.p || x.s != y.s || x.score != y.score) return false;
  }
  return true;
}

bool has_chance(const Formula* formula) {
  if (!formula) return false;
  return formula->type == CHANCE || has_chance(formula->left) || has_chance(formula->right);
}

// A simplification simplifies to itself, and its printed form reads back
// as it (bound letters the notation would not take back are renamed),
// but where it draws: CHANCE atoms print more digits than the reader takes.
void expect_stable(const Formula* formula, const Formula* result) {
  Tree again(simplify_Formula(result));
  EXPECT_TRUE(equal_Formula(again.get(), result)) << format_Formula(formula);
  if (has_chance(result)) return;
  const std::string text = format_Formula(result);
  Tree read = parse(text);
  EXPECT_TRUE(equal_Formula(read.get(), result)) << text << " from " << format_Formula(formula);
  EXPECT_EQ(simplified(text), text) << "from " << format_Formula(formula);
}

// Checks every formula's simplification on its own (never larger, reads
// back as itself) and the population's tournament with all of them in
// place. Returns the original population's results, for breeding.
std::vector<Result> check_population(const Population& population, int32_t seed, const Game_Rules& rules = {}) {
  Population simple;
  simple.pop = population.pop;
  for (int32_t i = 0; i < population.pop; ++i) {
    const Formula* formula = population.formulae[static_cast<size_t>(i)];
    Tree before(copy_Formula(formula));
    Formula* result = simplify_Formula(formula);
    EXPECT_TRUE(equal_Formula(before.get(), formula));
    simple.formulae[static_cast<size_t>(i)] = result;
    EXPECT_LE(size_Formula(result), size_Formula(formula)) << format_Formula(formula);
    expect_stable(formula, result);
  }
  Outcome original, replaced;
  play(original, population.formulae.data(), population.pop, seed, rules);
  play(replaced, simple.formulae.data(), simple.pop, seed, rules);
  EXPECT_TRUE(same_results(original.results, replaced.results, population.pop)) << "seed " << seed;
  EXPECT_TRUE(same_history(original.history.data(), replaced.history.data())) << "seed " << seed;
  EXPECT_EQ(original.draws, replaced.draws) << "seed " << seed;
  EXPECT_EQ(original.next_draw, replaced.next_draw) << "seed " << seed;
  return original.results;
}

void fill_random(Population& population, int32_t pop, int32_t seed) {
  seed_random(seed);
  population.pop = pop;
  init_random_Formulae(population.formulae.data(), pop);
}

}  // namespace

TEST(Simplify, TitForTatWrittenManyWays) {
  for (const char* text :
       {"Dcrp", "~~Dcrp", "Dcrp&Dcrp", "Dcrp|Drrp", "Drrp|Dcrp", "AaDcrp", "EaEaDcrp", "(Dcrp&~Drrp)|Dccp",
        "Dcrp&(Dcrp|Drcp)", "Dcrp|(Dcrp&R0.5)", "A'tDcrp", "Ea(Dcrp&Daap)|Dcrp", "(Dcrp&Drcp)|(Dcrp&~Drcp)",
        "~(~Dcrp|Drrp)", "(EaDcap&Dcrp)|(Dcrp&~EaDcap)", "Ea(Dcrp|Dcap)&Dcrp"})
    EXPECT_EQ(simplified(text), "Dcrp") << text;
}

TEST(Simplify, ConstantsAndTheirCanonicalForms) {
  for (const char* text : {"Drrp", "Dccp", "Drc-1", "Dcrp&~Dcrp", "EaDaap", "A'tDrrt", "Ea(Dacp&Drrp)", "Drrp&R0.5"})
    EXPECT_EQ(simplified(text), "Drrp") << text;
  for (const char* text : {"~Drrp", "Dcrp|~Dcrp", "Ax(~Dxxp)", "~Drrp|R0.5", "A'tEa(Dacp|~Dacp)"})
    EXPECT_EQ(simplified(text), "(~Drrp)") << text;
}

TEST(Simplify, DrawsStayInNumberAndOrder) {
  EXPECT_EQ(simplified("R0.5&R0.5"), "(R0.500000&R0.500000)");
  EXPECT_EQ(simplified("R0.5|~Drrp"), "(R0.500000|(~Drrp))");  // the draw is made before TRUE
  EXPECT_EQ(simplified("R0.5&Drrp"), "(R0.500000&Drrp)");
  EXPECT_EQ(simplified("R0.25|R0.75"), "(R0.250000|R0.750000)");
  EXPECT_EQ(simplified("R0.5&~R0.5"), "(R0.500000&(~R0.500000))");
  // A drawing body is evaluated per candidate, so the quantifier stays;
  // one nested on the same letter binds nothing and goes.
  EXPECT_EQ(simplified("AaR0.5"), "(AaR0.500000)");
  EXPECT_EQ(simplified("AaEaR0.5"), "(AaR0.500000)");
  // What the body's letter does not touch comes out, if no draw precedes it.
  EXPECT_EQ(simplified("Ea(Dcrp|R0.5)"), "(Dcrp|(EaR0.500000))");
  EXPECT_EQ(simplified("Aa(Dcrp&(Dcap|R0.5))"), "(Dcrp&(Aa(Dcap|R0.500000)))");
  EXPECT_EQ(simplified("Ea(R0.5|Dcrp)"), "(Ea(R0.500000|Dcrp))");
  // A drawing operand that a constant decides before it is never evaluated.
  EXPECT_EQ(simplified("(Dcrp|~Dcrp)|R0.5"), "(~Drrp)");
  // Only the draw-free operand of an absorption goes.
  EXPECT_EQ(simplified("Dcrp&(Dcrp|R0.5)"), "Dcrp");
  EXPECT_EQ(simplified("Dcrp&(R0.5|Dcrp)"), "(Dcrp&(R0.500000|Dcrp))");
  // Operands around a draw are minimised on their own.
  EXPECT_EQ(simplified("((Drcp&Dcrp)|(Drcp&~Dcrp))&R0.5"), "(Drcp&R0.500000)");
}

TEST(Simplify, LettersAsTheirQuantifiersBindThem) {
  // Two quantifiers' letters may take the same player: not a constant.
  EXPECT_EQ(simplified("EaEb(Dabp)"), "(Ea(EbDabp))");
  // Only the agent quantifier's letter is bound; the time letter a is a constant.
  EXPECT_EQ(simplified("EaDrca"), "Drca");
  EXPECT_EQ(simplified("A'aDaca"), "(A'aDaca)");
  // Atoms under different binders are different atoms.
  EXPECT_EQ(simplified("EaDacp&AaDacp"), "((EaDacp)&(AaDacp))");
  EXPECT_EQ(simplified("EaDacp|EaDacp"), "(EaDacp)");
}

// Letters that evolution binds but the notation reads as something else:
// a time letter past "z", "p" for a time, "r" for an agent.
TEST(Simplify, BoundLettersAreRenamedToReadBack) {
  Tree past_z = parse("(A'q(Dcrq-1|Drcq))&Dcrx");
  past_z->left->variable = '{';
  past_z->left->left->left->time = '{';
  past_z->left->left->right->time = '{';
  Tree time_p = parse("E'qDcrq");
  time_p->variable = 'p';
  time_p->left->time = 'p';
  Tree agent_r = parse("Aq(Dqcp&Drqp)");
  agent_r->variable = 'r';
  agent_r->left->left->player1 = 'r';
  agent_r->left->right->player2 = 'r';
  const std::pair<Formula*, const char*> cases[] = {
      {past_z.get(), "((A'd(Dcrd-1|Drcd))&Dcrx)"}, {time_p.get(), "(E'dDcrd)"}, {agent_r.get(), "(Ad(Ddcp&Drdp))"}};
  Population population;
  for (const auto& [formula, text] : cases) {
    Tree result(simplify_Formula(formula));
    EXPECT_EQ(format_Formula(result.get()), text);
    expect_stable(formula, result.get());
    population.formulae[static_cast<size_t>(population.pop++)] = copy_Formula(formula);
  }
  population.formulae[static_cast<size_t>(population.pop++)] = parse("Dcrp").release();
  check_population(population, 3);
  // A letter that also stands free is its own code there: it stays.
  Tree also_free = parse("(A'qDcrq)|Dcrq");
  also_free->left->variable = '{';
  also_free->left->left->time = '{';
  also_free->right->time = '{';
  Tree kept(simplify_Formula(also_free.get()));
  EXPECT_TRUE(equal_Formula(kept.get(), also_free.get()));
  // Letters are renamed over the whole formula, the operands that are
  // never evaluated included: the one left takes the second fresh letter.
  Tree dead_and_live = parse("(Drrp&(A'qDcrq))|(A'sDcrs)");
  dead_and_live->left->right->variable = '{';
  dead_and_live->left->right->left->time = '{';
  dead_and_live->right->variable = '|';
  dead_and_live->right->left->time = '|';
  Tree renamed(simplify_Formula(dead_and_live.get()));
  EXPECT_EQ(format_Formula(renamed.get()), "(A'eDcre)");
  // Only a dead operand binds one: nothing left to rename.
  Tree only_dead = parse("(~Drrp)|(A'qDcrq)");
  only_dead->right->variable = '{';
  only_dead->right->left->time = '{';
  Tree constant(simplify_Formula(only_dead.get()));
  EXPECT_EQ(format_Formula(constant.get()), "(~Drrp)");
}

TEST(Simplify, TruthTablesFindSmallForms) {
  EXPECT_EQ(simplified("(Drcp&Dcrp)|(Drcp&~Dcrp)|(~Drcp&Dcrp)"), "(Drcp|Dcrp)");
  EXPECT_EQ(simplified("(Drcp|Dcrp)&(Drcp|~Dcrp)"), "Drcp");
  EXPECT_EQ(simplified("~Drcp&~Dcrp"), "(~(Drcp|Dcrp))");
  // Shared literals are factored out.
  EXPECT_EQ(simplified("(Drcp&Dcrp)|(Drcp&Dcrp-1)|(Drcp&Dcrp-2)"), "(Drcp&((Dcrp|Dcrp-1)|Dcrp-2))");
  EXPECT_EQ(simplified("((Dcrp|Drcp)&(Dcrp|Dcrp-1))&Drcp-1"), "(Drcp-1&((Drcp&Dcrp-1)|Dcrp))");
  // Already as small as its function allows.
  EXPECT_EQ(simplified("(Drcp&Dcrp)|Drcp-1"), "((Drcp&Dcrp)|Drcp-1)");
}

// A literal of a junction decides its atom in the other operand, within
// quantifiers that do not rebind its letters.
TEST(Simplify, WhatEnclosingJunctionsDecide) {
  for (const char* text :
       {"Dcrp&Ea(Dcrp|Dacp)", "Dcrp|Ea(Dcrp&Dacp)", "Ea(Dcrp|Dacp)&Dcrp", "Dcrp&A't(Ea(~Dcrp|Dcrp))"})
    EXPECT_EQ(simplified(text), "Dcrp") << text;
  EXPECT_EQ(simplified("Dclp&Ea(A't(Dclp&Dact))"), "(Dclp&(Ea(A'tDact)))");
  EXPECT_EQ(simplified("Dcrp&(~Dcrp&Ea(Dacp|Dcrp))"), "Drrp");
  // What a negated junction says of its operands.
  EXPECT_EQ(simplified("~(Dcrp|Drcp)&Ea(Dcrp|Dacp)"), "((EaDacp)&(~(Dcrp|Drcp)))");
  EXPECT_EQ(simplified("~(Dcrp&Drcp)|Ea((Dcrp&Drcp)&Dacp)"), "((~(Dcrp&Drcp))|(EaDacp))");
  EXPECT_EQ(simplified("R0.5&(Dcrp&Ea(Dcrp|Dacp))"), "(R0.500000&Dcrp)");
  // Rebound letters name other atoms.
  EXPECT_EQ(simplified("Dcap&Ea(Dcap|Drap)"), "(Dcap&(Ea(Dcap|Drap)))");
  EXPECT_EQ(simplified("Drct&A't(Drct|Dcrt)"), "(Drct&(A't(Drct|Dcrt)))");
}

// Nests that evolution grew, repeating literals their junctions decide:
// whole quantifiers go, they play alike, and each result simplifies to
// itself (a fixed number of passes once left some of these short of it).
TEST(Simplify, EvolvedNestsPlayAlikeAndSettle) {
  const char* nests[] = {
      "(Al(~(Dclp&(Ek(E's(A'z((Dcrp&((~(Dclp&(~((((((Drcz&(~Dcrz-2))|(Dlcz&(~Dcks-2)))|Dcrp)|Drcp)|Drcp-1)|Dcrp-2))))"
      "&(Dcrz-2|(~Dlcz))))&(Drcz&(~Drcp-1)))))))))",
      "(Al(~(Dclp&(Ek(E's(A'z(~(((Drcp|Dcrp)|Drcp-1)|((((Dlcz&(~Dcks-2))|Drcp-1)|Dcrp-2)|Dcrp)))))))))",
      "(Al(~(Dclp&(Ek(E's(A'z((Dclp&(((((((((Dlcz&(~Dcks-2))|Dcrp-2)|(~Dclp))|Dcrp)|Drcp)|Drcp-1)|Dcrp-1)|Dckp-2)&("
      "(~Drlz)&(Drcp-1|Drcp))))&((~((Drcp|Dcrp)|(~(Dclp&((~Drlz)&(Drcp-1|Drcp))))))&(Dcks-2|(~Drcp))))))))))"};
  EXPECT_EQ(simplified(nests[0]), "(Al(~(Dclp&(A'z((Dcrp&(Dcrz-2|(~Dlcz)))&(Drcz&(~Drcp-1)))))))");
  Population population;
  for (const char* nest : nests) population.formulae[static_cast<size_t>(population.pop++)] = parse(nest).release();
  for (const char* other : {"Dcrp", "~Drcp", "Ea(Dacp-1)", "Dcrp-1|Dcrp"})
    population.formulae[static_cast<size_t>(population.pop++)] = parse(other).release();
  for (int32_t seed = 1; seed <= 3; ++seed) check_population(population, seed);
}

TEST(Simplify, DeepTextsAtAnyDepth) {
  constexpr int DEPTH = 200000;
  EXPECT_EQ(simplified(repeated("~", DEPTH) + "Dcrp"), "Dcrp");
  EXPECT_EQ(simplified("Dcrp" + repeated("&Dcrp", DEPTH - 1)), "Dcrp");
  EXPECT_EQ(simplified(repeated("Dcrp&(", DEPTH / 2) + "Dcrp" + repeated(")", DEPTH / 2)), "Dcrp");
  EXPECT_EQ(simplified(repeated("Ed", DEPTH) + "Dcrp"), "Dcrp");
  EXPECT_EQ(simplified(repeated("A's", DEPTH) + "R0.5"), "(A'sR0.500000)");
  // Distinct atoms, far too many for one table, and draws between them.
  std::string wide = "Drc0";
  for (int i = 1; i < DEPTH / 8; ++i) wide += (i % 3 ? "&Drc" : "|R0.5&Drc") + std::to_string(i % 4000);
  Tree tree = parse(wide);
  Tree result(simplify_Formula(tree.get()));
  EXPECT_LE(size_Formula(result.get()), size_Formula(tree.get()));
}

TEST(Simplify, RandomPopulationsPlayAlike) {
  std::mt19937 choices(5);
  for (int32_t seed = 1; seed <= 300; ++seed) {
    Population population;
    const int32_t sizes[] = {3, 4, 5, 10, 10, 17};
    fill_random(population, seed % 50 == 0 ? 100 : sizes[seed % 6], seed);
    if (seed % 2) {
      for (int32_t i = 0; i < population.pop; ++i) add_chances(population.formulae[static_cast<size_t>(i)], choices, 4);
    }
    check_population(population, seed);
  }
}

TEST(Simplify, TheLargestRandomFormulaePlayAlike) {
  std::vector<Formula*> grown;
  for (int32_t seed = 1; seed <= 400; ++seed) {
    Formula* formulae[RANDOM_POP];
    seed_random(seed);
    init_random_Formulae(formulae, RANDOM_POP);
    grown.insert(grown.end(), formulae, formulae + RANDOM_POP);
  }
  std::stable_sort(grown.begin(), grown.end(),
                   [](const Formula* a, const Formula* b) { return size_Formula(a) > size_Formula(b); });
  std::mt19937 choices(11);
  for (int32_t part = 0; part < 4; ++part) {
    Population population;
    population.pop = 25;
    for (int32_t i = 0; i < population.pop; ++i) {
      population.formulae[static_cast<size_t>(i)] = copy_Formula(grown[static_cast<size_t>(part * 25 + i)]);
      if (part % 2) add_chances(population.formulae[static_cast<size_t>(i)], choices, 8);
    }
    check_population(population, 1000 + part);
  }
  for (Formula* formula : grown) free_Formula(formula);
}

TEST(Simplify, EvolvedPopulationsPlayAlikeEveryGeneration) {
  std::mt19937 choices(17);
  const int32_t sizes[] = {3, 20, 100};
  for (int32_t run = 0; run < 3; ++run) {
    Population population;
    fill_random(population, sizes[run], 300 + run);
    if (run != 1)
      for (int32_t i = 0; i < population.pop; ++i) add_chances(population.formulae[static_cast<size_t>(i)], choices, 5);
    const int32_t generations = run == 2 ? 6 : 25;
    for (int32_t generation = 0; generation < generations; ++generation) {
      std::vector<Result> results = check_population(population, 7 * generation + run);
      seed_random(generation);
      update_Formulae(results.data(), population.formulae.data(), population.pop, Breeding{0.2, true});
    }
  }
}

TEST(Simplify, NoisyAndShortTournamentsPlayAlike) {
  std::mt19937 choices(23);
  for (int32_t seed = 1; seed <= 12; ++seed) {
    Population population;
    fill_random(population, 6, 500 + seed);
    for (int32_t i = 0; i < population.pop; ++i) add_chances(population.formulae[static_cast<size_t>(i)], choices, 3);
    check_population(population, seed, Game_Rules{30, 0.1, 0.95});
  }
}

TEST(Simplify, TreesNoWalkerTakes) {
  Tree odd = parse("Dcrp&Drcp");
  odd->right->type = static_cast<Node_Kind>(12);
  EXPECT_EQ(fatal_message([&] { Tree(simplify_Formula(odd.get())); }), "unknown formula kind while simplifying");
  Tree cut = parse("~Dcrp");
  free_Formula(cut->left);
  cut->left = nullptr;
  EXPECT_EQ(fatal_message([&] { Tree(simplify_Formula(cut.get())); }), "missing operand while simplifying");
  // An operand that is never evaluated is not read.
  Tree dead = parse("(Dcrp&~Dcrp)&Drcp");
  dead->right->type = static_cast<Node_Kind>(12);
  EXPECT_EQ(format_Formula(Tree(simplify_Formula(dead.get())).get()), "Drrp");
}
