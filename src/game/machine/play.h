// The machine's tournament, with the choice it makes for each formula that
// draws nothing and holds quantifiers laid open, so that tests can check
// both of its ways of deciding against evaluation by substituted copies.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/rules.h"
#include "game/history.h"
#include "game/machine/query_plan.h"

enum Evaluation_Choice : uint8_t {
  CHOOSE_BY_COST,  // loops within a budget of what the tables cost, else tables: what play_rounds does
  ALWAYS_TABLES,   // every region's query made at once, and its tables decide
  ALWAYS_LOOPS,
  ALWAYS_GIVE_UP,  // every region's query made at once, and every probe gives up some way into its loops
};

struct Machine_Settings {
  Evaluation_Choice choice = CHOOSE_BY_COST;
  // Queries with a larger table are left to the loops, which give their
  // subformulae as queries the values of the loops' variables.
  int64_t max_table_sets = MAX_QUERY_SETS;
};

void play_rounds_choosing(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules,
                          const Machine_Settings& settings);
