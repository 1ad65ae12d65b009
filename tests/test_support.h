// Helpers shared by the unit tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "error.h"
#include "formula/formula.h"
#include "formula/notation_printer.h"
#include "formula/notation_reader.h"
#include "game/history.h"
#include "game/results.h"
#include "game/tournament.h"
#include "random_stream.h"

struct Tree_Deleter {
  void operator()(Formula* formula) const { free_Formula(formula); }
};
using Tree = std::unique_ptr<Formula, Tree_Deleter>;

inline Tree parse(const std::string& text) { return Tree(parse_Formula(text)); }

inline std::string reprint(const std::string& text) { return format_Formula(parse(text).get()); }

// The message of the fatal error that `action` raises, or "" if none.
template <typename Action>
std::string fatal_message(Action action) {
  try {
    action();
  } catch (const Fatal_Error& failure) {
    return failure.what();
  }
  return "";
}

// Predicts the run's draws: the same engine and the same shift.
struct Draw_Predictor {
  std::mt19937 engine;
  explicit Draw_Predictor(int32_t seed) : engine(static_cast<uint32_t>(seed)) {}
  int32_t next() { return static_cast<int32_t>(engine() >> 17); }
};

// A history with nothing recorded.
struct Test_History {
  History record;
  History& data() { return record; }
};

// Whether two histories answer every lookup alike.
inline bool same_history(const History& a, const History& b) {
  for (int32_t time = 0; time < HISTORY_TIMES; ++time)
    for (int32_t player = 0; player < MAX_POP; ++player)
      if (!(lookup_defections(a, player, EVERY_PLAYER, time) == lookup_defections(b, player, EVERY_PLAYER, time)))
        return false;
  return rounds_recorded(a) == rounds_recorded(b);
}
