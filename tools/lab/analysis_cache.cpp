#include "analysis_cache.h"

#include <memory>

#include "behaviour/simplify.h"
#include "formula/notation_printer.h"
#include "text_bytes.h"

namespace {

std::string csv_fields(const std::string& simplified, int64_t size, const Behaviour& behaviour) {
  std::string fields(1, ',');
  for (const std::string& field : {csv_text_field(simplified), std::to_string(size), behaviour.plays_like, behaviour.id})
    fields.append(field).push_back(',');
  fields.pop_back();
  return fields;
}

const Behaviour& behaviour_in(Analysis_Cache& cache, const std::string& text, const Formula* simplified) {
  auto [at, added] = cache.by_simplified.try_emplace(text);
  if (added) {
    at->second.behaviour = behaviour_of(simplified, cache.rounds);
    ++cache.played;
  }
  at->second.generation = cache.generation;
  return at->second.behaviour;
}

Analysis_Cache::Fields analyse(Analysis_Cache& cache, const Formula* formula) {
  const std::unique_ptr<Formula, void (*)(Formula*)> simplified(simplify_Formula(formula), free_Formula);
  ++cache.simplified;
  std::string text = format_Formula(simplified.get());
  const Behaviour& behaviour = behaviour_in(cache, text, simplified.get());
  return {csv_fields(text, size_Formula(simplified.get()), behaviour), std::move(text), cache.generation};
}

}  // namespace

const std::string& analysis_fields(Analysis_Cache& cache, const std::string& canonical, const Formula* formula) {
  auto at = cache.by_formula.find(canonical);
  if (at == cache.by_formula.end()) {
    at = cache.by_formula.emplace(canonical, analyse(cache, formula)).first;
  } else if (at->second.generation != cache.generation) {
    at->second.generation = cache.generation;
    cache.by_simplified.at(at->second.simplified).generation = cache.generation;
  }
  return at->second.csv;
}

void end_analysis_generation(Analysis_Cache& cache) {
  std::erase_if(cache.by_formula, [&](const auto& entry) { return entry.second.generation != cache.generation; });
  std::erase_if(cache.by_simplified, [&](const auto& entry) { return entry.second.generation != cache.generation; });
  ++cache.generation;
}
