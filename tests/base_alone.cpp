// The base library on its own, without the machine or the run: reading,
// printing, growing, breeding and repairing formulae link and run with it
// alone. Prints the bred population; exits 1 if anything is off.
#include <cstdio>

#include "evolve/breeding.h"
#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "formula/notation_reader.h"
#include "game/rules.h"
#include "random_stream.h"

int main() {
  seed_random(5);
  Formula* formulae[MAX_POP] = {};
  init_random_Formulae(formulae, RANDOM_POP);
  free_Formula(formulae[0]);
  formulae[0] = parse_Formula("E'sDcrs|Dcrp");
  Result results[MAX_POP] = {};
  for (int32_t player = 0; player < RANDOM_POP; ++player) results[player].score = player + 1;
  update_Formulae(results, formulae, RANDOM_POP, Breeding{0.5, true});
  int status = 0;
  for (int32_t player = 0; player < RANDOM_POP; ++player) {
    const std::string text = format_Formula(formulae[player]);
    Formula* again = parse_Formula(text);
    if (text.find('{') == std::string::npos && !equal_Formula(again, formulae[player])) status = 1;
    std::printf("%s\n", text.c_str());
    free_Formula(again);
    free_Formula(formulae[player]);
  }
  return status;
}
