// A formula compiled for one tournament: a flat list of instructions for a
// stack machine whose values are sets of opponents (see mask.h), so that one
// run decides a player's move against every opponent at once. Variables are
// resolved to slots of the quantifiers that bind them; quantifiers that bind
// nothing, double negations and loops over a body that ignores its variable
// are compiled away; draw-free subformulas that repeat within one decision
// are remembered.
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
  OP_MEMO_BEGIN,  // push remembered value `index` and jump to `target`, or go on computing it
  OP_MEMO_END,    // remember the top value
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
  int32_t index;   // loop or memo number, or the constant
  int32_t target;  // where a test, an empty loop or a remembered value jumps
};

struct Loop {
  bool over_time;
  bool forall;
  // A time loop outside every other loop whose body draws nothing and reads
  // only rounds already played, at times given by its own variable: the
  // body's value at a time never changes, so each round adds one time to
  // the value folded so far instead of folding them all again.
  bool incremental;
  int32_t body;  // first instruction of the body
  int32_t end;   // the instruction after OP_LOOP_END
};

// A remembered subformula: its value depends on at most one enclosing
// quantifier's variable (`key_loop`, or -1 for none).
struct Memo {
  int32_t key_loop;
  bool conflict_free;  // never reads a cell the deciding player writes this round
  int32_t end;
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
  std::vector<Memo> memos;
  std::vector<Conflict_Atom> conflict_atoms;
  int32_t max_stack = 0;
  int32_t max_nesting = 0;  // of the operands and remembered values being worked out
  bool draws = false;  // holds a CHANCE atom that can be reached
  // At most one draw per decision: one CHANCE atom, outside every loop, so
  // that drawing for each opponent in turn keeps the order of the draws.
  bool draws_once = false;
};
