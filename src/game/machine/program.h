// A formula compiled for one tournament: a flat list of instructions for a
// stack machine whose values are sets of opponents (see mask.h), so that one
// run decides a player's move against every opponent at once. Variables are
// resolved to the loops that bind them; quantifiers that bind nothing,
// double negations and loops over a body that ignores its variable are
// compiled away; subformulae that draw nothing and hold a quantifier are
// queries, whose values come from tables (see query_plan.h).
#pragma once

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
  OP_AND,         // combine the two top values
  OP_OR,
  OP_LOOP_BEGIN,  // start quantifier loop `index`; with no candidate push its start value and jump
  OP_LOOP_END,    // fold the body's value in; next candidate or push the result
  OP_QUERY,       // push the value of query `index` at the loops' values from `first_slot`
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
  int32_t index;       // loop or query number, or the constant
  int32_t target;      // where a test or an empty loop jumps
  int32_t first_slot;  // OP_QUERY: into Program::query_slots
};

struct Loop {
  bool over_time;
  bool forall;
  int32_t body;  // first instruction of the body
  int32_t end;   // the instruction after OP_LOOP_END
};

// An atom that may read a cell its own player writes in the round being
// played; in such a round the player's moves are decided one by one.
struct Conflict_Atom {
  Term time;
  int32_t time_mod;
};

struct Program {
  std::vector<Instruction> code;
  bool single_lookup = false;  // the whole formula is one DEFECTED atom
  std::vector<Loop> loops;
  std::vector<Conflict_Atom> conflict_atoms;
  // The queries asked for, and for each of their free variables but the
  // opponent, the loop whose value it takes.
  std::vector<int32_t> queries;
  std::vector<int32_t> query_slots;
  int32_t max_stack = 0;
  int32_t max_nesting = 0;  // of the operands being worked out
  bool draws = false;  // holds a CHANCE atom that can be reached
  // At most one draw per decision: one CHANCE atom, outside every loop, so
  // that drawing for each opponent in turn keeps the order of the draws.
  bool draws_once = false;
};
