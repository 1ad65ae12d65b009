#include "behaviour/analysis.h"

#include <memory>

#include "behaviour/fingerprint.h"
#include "behaviour/simplify.h"
#include "formula/notation_printer.h"

Behaviour behaviour_of(const Formula* formula, int32_t rounds) {
  const Fingerprint fingerprint = fingerprint_Formula(formula, rounds);
  return {plays_like(fingerprint), behaviour_id(fingerprint)};
}

Analysis analyse_Formula(const Formula* formula, int32_t rounds) {
  const std::unique_ptr<Formula, void (*)(Formula*)> simplified(simplify_Formula(formula), free_Formula);
  return {format_Formula(simplified.get()), size_Formula(simplified.get()), behaviour_of(simplified.get(), rounds)};
}
