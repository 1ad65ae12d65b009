#include "behaviour/analysis.h"

#include <utility>

#include "behaviour/fingerprint.h"
#include "behaviour/simplify.h"
#include "formula/notation_printer.h"

Behaviour behaviour_of(const Formula* formula, int32_t rounds) {
  const Fingerprint fingerprint = fingerprint_Formula(formula, rounds);
  return {plays_like(fingerprint), behaviour_id(fingerprint)};
}

Simplified simplified_of(const Formula* formula) {
  Simplified simplified{{simplify_Formula(formula), free_Formula}, {}};
  simplified.text = format_Formula(simplified.tree.get());
  return simplified;
}

Analysis analyse_Formula(const Formula* formula, int32_t rounds) {
  Simplified simplified = simplified_of(formula);
  const Behaviour behaviour = behaviour_of(simplified.tree.get(), rounds);
  return {std::move(simplified.text), size_Formula(simplified.tree.get()), behaviour};
}
