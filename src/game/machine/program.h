// A formula compiled for one tournament: a flat list of instructions for a
// stack machine whose values are sets of opponents (see mask.h), so that one
// run decides a player's move against every opponent at once. Variables are
// resolved to the loops that bind them; quantifiers that bind nothing,
// double negations and loops over a body that ignores its variable are
// compiled away; subformulae that draw nothing and hold a quantifier are
// queries, whose values come from tables (see query_plan.h).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formula/formula.h"
#include "game/letters.h"
#include "game/mask.h"

enum Op : uint8_t {
  OP_LOOKUP,      // push the answers of a DEFECTED atom (negated with `negate`)
  OP_AND_LOOKUP,  // the same, combined into the top value: an AND whose right operand is an atom
  OP_OR_LOOKUP,
  OP_CHANCE,      // push one draw's answer
  OP_CONST,       // push `index` (0 or 1) for everyone
  OP_NOT,
  OP_AND_TEST,    // jump to `target`, keeping the top, when it is false everywhere
  OP_OR_TEST,     // jump to `target`, keeping the top, when it is true everywhere
  OP_LOOKUP_AND_TEST,  // an OP_LOOKUP and the OP_AND_TEST after it, in one: an AND whose left operand is an atom
  OP_LOOKUP_OR_TEST,
  OP_AND,         // combine the two top values
  OP_OR,
  OP_LOOP_BEGIN,  // start quantifier loop `index`; with no candidate push its start value and jump
  OP_LOOP_END,    // fold the body's value in; next candidate or push the result
  OP_REGION,      // region `index`: decide it by its tables (push the value, jump to `target`) or by its loops
  OP_REGION_END,  // the end of region `index`'s loops
  OP_MEMO,        // memo `index`: push the value remembered for this batch and key and jump to `target`, or work it out
  OP_MEMO_END,    // remember the value worked out
  OP_INVALID,     // a node of unknown kind (`index`), or a missing operand: fatal when reached
};

struct Instruction {
  Op op;
  Term player1;
  Term player2;
  Term time;
  int32_t time_mod;
  bool negate;
  double chance;
  int32_t index;   // loop, region or memo number, or the constant
  int32_t target;  // where a test, an empty loop, a region decided by tables or a remembered memo jumps
};

struct Loop {
  bool over_time;
  bool forall;
  int32_t body;  // first instruction of the body
  int32_t end;   // the instruction after OP_LOOP_END
  // A time loop inside no other loop whose body draws nothing and is
  // settled: its value over the times played so far is kept for each
  // deciding player, and each round adds the times played since.
  bool incremental = false;
};

// An atom that may read a cell its own player writes in the round being
// played; in such a round the player's moves are decided one by one.
struct Conflict_Atom {
  Term time;
  int32_t time_mod;
};

// A subformula that draws nothing, reads none of its player's moves of the
// round being played (but in one round, with `own_move_once`), holds a
// quantifier and whose loops may cost much: decided either by its loops,
// inline, or as a query by the tables, whichever costs less (see the
// executor). Its query is made only once its loops have shown that they
// cost enough for the tables to matter (`plan`).
enum class Region_Plan : uint8_t {
  UNPLANNED,  // no query yet: the loops decide, and say what they cost
  TABLES,     // its query is in the plan: loops or tables, by cost
  NO_TABLES,  // its tables would be too large, or never cheaper: loops
  INSIDE,     // within a region with tables: decided with it
};

struct Region {
  const Formula* subformula = nullptr;
  int32_t parent = -1;      // the region it lies in, or -1
  int64_t loop_bound = 0;   // the most work its loops can do in one run
  // The letters bound around it: family (1 for times), letter, loop.
  std::vector<std::array<int32_t, 3>> outer;
  bool own_move_once = false;
  Region_Plan plan = Region_Plan::UNPLANNED;
  int32_t query = -1;       // TABLES: its node in the tournament's query plan
  int32_t first_slot = 0;   // into Program::query_slots: the loops its free variables take
  int32_t slots = 0;
};

// A subformula that draws nothing and reads none of its player's moves of
// the round being played, inside a loop whose variable it does not read:
// worked out once per deciding player, round and values of the (at most
// two) loops it reads, for every opponent, and remembered.
struct Memo {
  int32_t key_loops[2] = {-1, -1};
};

// The loops' work is counted in instructions of loop bodies run, the
// tables' in sets made; one set costs about this many instructions.
constexpr int64_t WORK_PER_SET = 2;

struct Program {
  std::vector<Instruction> code;
  bool single_lookup = false;  // the whole formula is one DEFECTED atom
  std::vector<Loop> loops;
  std::vector<Conflict_Atom> conflict_atoms;
  std::vector<Region> regions;
  // For each free variable of a region's query but the opponent, in the
  // order of the variables, the loop whose value it takes.
  std::vector<int32_t> query_slots;
  std::vector<Memo> memos;
  int32_t max_stack = 0;
  int32_t max_nesting = 0;  // of the operands being worked out
  int32_t max_memos = 0;    // memos being worked out inside one another
  bool planned = false;     // its regions' queries are made
  bool draws = false;  // holds a CHANCE atom that can be reached
  // At most one draw per decision: one CHANCE atom, outside every loop, so
  // that drawing for each opponent in turn keeps the order of the draws.
  bool draws_once = false;
};
