// Writes a population grown by the program's own random generator, as
// `ipdlogic -r` grows its formulae, for the differential test of the two
// programs on large populations:
//
//   grown_population SEED DIRECTORY COUNT WORK [QUANTIFIED [CHANCES [LIBRARY_FILE...]]]
//
// The stream is seeded with SEED and formulae are grown one after another
// from fresh scopes, as init_random_Formulae grows them. A formula whose
// work is above WORK is dropped and the next one grown (WORK 0 keeps every
// formula, so that the first ten are those of `ipdlogic -r -s SEED`), and so
// is one with a quantifier once QUANTIFIED formulae hold one. The work of a
// formula is the number of nodes one decision by substituted copies visits
// at most: each node counts the product of the ranges of the quantifiers
// above it, COUNT - 2 players for an agent quantifier and 48 past times for
// a time quantifier.
//
// Then CHANCES of the grown players get one atom each turned into a CHANCE
// atom, and the library files named take random places among the players,
// so that some players draw. COUNT is the whole population, library files
// included. Prints the file names, one per line.
//
// Formulae are written by the program's printer. A time letter '{' prints
// as it is and reads back as an atom at time 0 with the text after it as
// its offset: a different formula, but the file is what both programs read.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "formula/scope.h"
#include "random_stream.h"

namespace {

constexpr double TIME_RANGE = 48;  // past times a time quantifier ranges over in the last round

// Grown trees are shallow (each node has 0.8 children on average), so the
// walks here recurse, as growing does.
double work(const Formula* formula, double weight, double agent_range) {
  if (!formula) return 0;
  double inner = weight;
  if (is_agent_quantifier(formula->type)) inner *= agent_range;
  if (is_time_quantifier(formula->type)) inner *= TIME_RANGE;
  return weight + work(formula->left, inner, agent_range) + work(formula->right, inner, agent_range);
}

bool has_quantifier(const Formula* formula) {
  if (!formula) return false;
  return is_agent_quantifier(formula->type) || is_time_quantifier(formula->type) ||
         has_quantifier(formula->left) || has_quantifier(formula->right);
}

Formula* grow_within(double bound, bool quantifier_allowed, double agent_range) {
  for (;;) {
    Scope agents, times;
    init_variables(agents, times);
    Formula* formula = random_Formula(agents, times);
    if ((bound <= 0 || work(formula, 1, agent_range) <= bound) && (quantifier_allowed || !has_quantifier(formula)))
      return formula;
    free_Formula(formula);
  }
}

// The places in the tree that hold atoms.
std::vector<Formula**> atom_places(Formula** root) {
  std::vector<Formula**> atoms, pending{root};
  while (!pending.empty()) {
    Formula** place = pending.back();
    pending.pop_back();
    if ((*place)->left) pending.push_back(&(*place)->left);
    if ((*place)->right) pending.push_back(&(*place)->right);
    if (!(*place)->left) atoms.push_back(place);
  }
  return atoms;
}

void add_chance_atom(Formula** root, std::mt19937& rng) {
  const double chances[] = {0.1, 0.5, 0.9};
  std::vector<Formula**> atoms = atom_places(root);
  Formula** place = atoms[rng() % atoms.size()];
  free_Formula(*place);
  *place = new_Formula(CHANCE);
  (*place)->chance = chances[rng() % 3];
}

bool write_file(const std::string& name, const std::string& text) {
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (!file) return false;
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: grown_population SEED DIRECTORY COUNT WORK [QUANTIFIED [CHANCES [LIBRARY_FILE...]]]\n");
    return 2;
  }
  const int32_t seed = std::atoi(argv[1]);
  const std::string directory = argv[2];
  const int count = std::atoi(argv[3]);
  const double bound = std::atof(argv[4]);
  const int quantified = argc > 5 ? std::atoi(argv[5]) : count;
  const int chances = argc > 6 ? std::atoi(argv[6]) : 0;
  std::vector<std::string> library(argv + (argc > 7 ? 7 : argc), argv + argc);
  const int grown = count - static_cast<int>(library.size());
  if (grown < 0 || chances > grown) return 2;

  seed_random(seed);
  std::vector<Formula*> formulae;
  int quantified_left = quantified;
  for (int i = 0; i < grown; ++i) {
    formulae.push_back(grow_within(bound, quantified_left > 0, count - 2));
    if (has_quantifier(formulae.back())) --quantified_left;
  }
  // Places and chance atoms come from a stream of their own, so that the
  // formulae stay those the program's stream grows.
  std::mt19937 rng(static_cast<uint32_t>(seed));
  for (int i = 0; i < chances; ++i) add_chance_atom(&formulae[i * grown / chances], rng);

  std::vector<std::string> names;
  for (int i = 0; i < grown; ++i) {
    names.push_back(directory + "/player" + std::to_string(i) + ".txt");
    if (!write_file(names.back(), format_Formula(formulae[i]))) return 1;
    free_Formula(formulae[i]);
  }
  for (const std::string& file : library) names.insert(names.begin() + rng() % (names.size() + 1), file);
  for (const std::string& name : names) std::puts(name.c_str());
  return 0;
}
