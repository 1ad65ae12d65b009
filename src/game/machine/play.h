// The machine's tournament, with the choice it makes for each formula that
// draws nothing and holds quantifiers laid open, so that tests can check
// both of its ways of deciding against evaluation by substituted copies.
#pragma once

#include <cstddef>
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

// The loop work (loop body instructions) past which a decision whose
// loops have no queries yet has them made at once, and its loops go on
// only where they are predicted to cost less than the tables (see the
// executor).
constexpr int64_t GIVE_UP_WORK = int64_t{1} << 18;

struct Machine_Settings {
  Evaluation_Choice choice = CHOOSE_BY_COST;
  // Queries with a larger table are left to the loops, which give their
  // subformulae as queries the values of the loops' variables.
  int64_t max_table_sets = MAX_QUERY_SETS;
  int64_t give_up_work = GIVE_UP_WORK;  // tests make it small
};

void play_rounds_choosing(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules,
                          const Machine_Settings& settings);

// The same tournament played a row at a time by its caller, who starts and
// finishes each round and may record some rows' moves itself instead of
// having them decided: moves it knows from an earlier tournament that was
// the same up to that row, draws included (the caller then moves the
// random stream on past their draws). A row decided after rounds in which
// its moves were recorded for it reads them as recorded.
struct Row_Play {
  History* history;
  Game_Rules rules;
  Evaluation_Choice choice;
  size_t machine;  // which of the thread's machines plays: no other
                   // tournament may start on the thread until this one ends
  int64_t give_up_work;
};

// Resets the history and compiles the players.
Row_Play start_row_play(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules,
                        const Machine_Settings& settings);

// Decides `row`'s moves in round `time`, the round being played, and
// records them.
void play_row(Row_Play& play, agent row, int32_t time);

// Whether deciding `row` may draw from the random stream.
bool row_may_draw(const Row_Play& play, agent row);
