// A run's analyses of its formulae. A run evolves few formulae among many
// copies of them, and fewer behaviours still, while a behaviour costs a
// tournament in the library's society: each distinct formula is simplified
// once while some player holds it, and each simplified formula played once
// while some player holds a formula whose simplification has its play key
// (formulae alike but for the letters they bind and the order of
// operands that draw nothing share one).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "behaviour/analysis.h"
#include "formula/formula.h"

// What one thread has analysed in all its runs. An analysis depends on the
// formula and the rounds alone, and the runs of a sweep meet the same small
// formulae again and again, so a run first asks what earlier runs on its
// thread found. Each of its maps holds at most MOST_REMEMBERED entries:
// past that it forgets them all at once and starts again.
struct Analysis_Memory {
  static constexpr size_t MOST_REMEMBERED = size_t{1} << 14;
  struct Found {
    std::string csv;
    std::string key;  // the play key of its simplified form
    Behaviour behaviour;
  };
  int32_t rounds = -1;  // of everything remembered
  std::unordered_map<std::string, Found> by_formula;         // by canonical text
  std::unordered_map<std::string, Behaviour> by_key;         // by the simplified formula's play key
};

// The calling thread's memory.
Analysis_Memory& thread_analysis_memory();

struct Analysis_Cache {
  Analysis_Memory* memory = nullptr;  // earlier runs' analyses, or none
  int32_t rounds = ROUNDS;  // the fingerprints' tournament length: the run's rounds
  struct Fields {
    std::string csv;  // ",simplified,simplified_size,plays_like,behaviour"
    std::string key;  // the play key of its simplified form
    uint64_t generation = 0;
  };
  struct Played {
    Behaviour behaviour;
    uint64_t generation = 0;
  };
  std::unordered_map<std::string, Fields> by_formula;     // by canonical text
  std::unordered_map<std::string, Played> by_key;         // by the simplified formula's play key
  uint64_t generation = 0;  // the recorded generation being looked up
  int64_t simplified = 0;   // simplifications made, in all
  int64_t played = 0;       // fingerprint tournaments played, in all
};

// The analysis columns of the formula whose canonical text is `canonical`,
// made when the cache lacks them.
const std::string& analysis_fields(Analysis_Cache& cache, const std::string& canonical, const Formula* formula);

// Ends a recorded generation: forgets the formulae no player of it held.
void end_analysis_generation(Analysis_Cache& cache);
