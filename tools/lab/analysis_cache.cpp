#include "analysis_cache.h"

#include "behaviour/play_key.h"
#include "text_bytes.h"

namespace {

std::string csv_fields(const std::string& simplified, int64_t size, const Behaviour& behaviour) {
  std::string fields(1, ',');
  for (const std::string& field : {csv_text_field(simplified), std::to_string(size), behaviour.plays_like, behaviour.id})
    fields.append(field).push_back(',');
  fields.pop_back();
  return fields;
}

// The memory, emptied when it holds another number of rounds or too much.
Analysis_Memory* memory_for(Analysis_Cache& cache) {
  Analysis_Memory* memory = cache.memory;
  if (!memory) return nullptr;
  if (memory->rounds != cache.rounds) {
    memory->by_formula.clear();
    memory->by_key.clear();
    memory->rounds = cache.rounds;
  }
  // Each part is forgotten on its own: there are far fewer play keys than
  // formulae, and each costs a tournament.
  if (memory->by_formula.size() >= Analysis_Memory::MOST_REMEMBERED) memory->by_formula.clear();
  if (memory->by_key.size() >= Analysis_Memory::MOST_REMEMBERED) memory->by_key.clear();
  return memory;
}

Behaviour played_behaviour(Analysis_Cache& cache, const std::string& key, const Formula* simplified) {
  Analysis_Memory* memory = memory_for(cache);
  if (memory) {
    auto known = memory->by_key.find(key);
    if (known != memory->by_key.end()) return known->second;
  }
  ++cache.played;
  Behaviour behaviour = behaviour_of(simplified, cache.rounds);
  if (memory) memory->by_key.emplace(key, behaviour);
  return behaviour;
}

const Behaviour& behaviour_in(Analysis_Cache& cache, const std::string& key, const Formula* simplified) {
  auto [at, added] = cache.by_key.try_emplace(key);
  if (added) at->second.behaviour = played_behaviour(cache, key, simplified);
  at->second.generation = cache.generation;
  return at->second.behaviour;
}

Analysis_Cache::Fields analyse(Analysis_Cache& cache, const std::string& canonical, const Formula* formula) {
  Analysis_Memory* memory = memory_for(cache);
  if (memory) {
    auto known = memory->by_formula.find(canonical);
    if (known != memory->by_formula.end()) {
      auto [at, added] = cache.by_key.try_emplace(known->second.key);
      if (added) at->second.behaviour = known->second.behaviour;
      at->second.generation = cache.generation;
      return {known->second.csv, known->second.key, cache.generation};
    }
  }
  Simplified simplified = simplified_of(formula);
  ++cache.simplified;
  std::string key = play_key(simplified.tree.get());
  const Behaviour& behaviour = behaviour_in(cache, key, simplified.tree.get());
  Analysis_Cache::Fields fields{csv_fields(simplified.text, size_Formula(simplified.tree.get()), behaviour),
                                std::move(key), cache.generation};
  if (memory) memory->by_formula.emplace(canonical, Analysis_Memory::Found{fields.csv, fields.key, behaviour});
  return fields;
}

}  // namespace

const std::string& analysis_fields(Analysis_Cache& cache, const std::string& canonical, const Formula* formula) {
  auto at = cache.by_formula.find(canonical);
  if (at == cache.by_formula.end()) {
    at = cache.by_formula.emplace(canonical, analyse(cache, canonical, formula)).first;
  } else if (at->second.generation != cache.generation) {
    at->second.generation = cache.generation;
    cache.by_key.at(at->second.key).generation = cache.generation;
  }
  return at->second.csv;
}

Analysis_Memory& thread_analysis_memory() {
  thread_local Analysis_Memory memory;
  return memory;
}

void end_analysis_generation(Analysis_Cache& cache) {
  std::erase_if(cache.by_formula, [&](const auto& entry) { return entry.second.generation != cache.generation; });
  std::erase_if(cache.by_key, [&](const auto& entry) { return entry.second.generation != cache.generation; });
  ++cache.generation;
}
