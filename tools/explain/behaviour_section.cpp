#include "behaviour_section.h"

#include "behaviour/analysis.h"
#include "behaviour/library.h"
#include "game/rules.h"
#include "printable_text.h"
#include "random_stream.h"

std::string behaviour_section(const Formula* formula) {
  const Analysis analysis = analyse_Formula(formula, ROUNDS);
  std::string out = "  behaviour in the built-in strategy library: " + std::to_string(library_strategies().size()) +
                    " strategies and this one last, " + std::to_string(ROUNDS) + " rounds, seed " +
                    std::to_string(DEFAULT_SEED) + "\n";
  out += "    simplified  " + printable_text(analysis.simplified) + "\n";
  out += "    size        " + std::to_string(analysis.simplified_size) +
         (analysis.simplified_size == 1 ? " node\n" : " nodes\n");
  out += "    plays like  " + (analysis.behaviour.plays_like.empty() ? "none of the library" : analysis.behaviour.plays_like) + "\n";
  out += "    identifier  " + analysis.behaviour.id + "\n";
  return out;
}
