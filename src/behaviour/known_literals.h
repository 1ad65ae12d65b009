// What a junction tells its operands. Where `L & B` is evaluated and L is
// false, B cannot change the value, so B may be read as if L held; in
// `L | B`, as if L did not. The same holds the other way round, and inside
// quantifiers in B that bind none of L's letters. An atom that such a
// literal decides is a constant there, which the simplifier's rules then
// carry up: a quantifier nest that repeats what encloses it often loses
// whole quantifiers that way.
#pragma once

#include "formula/formula.h"

// A new tree, owned by the caller, in which every atom decided by a
// literal of an enclosing junction is replaced by the constant it must
// have there (false is written Drrp and true ~Drrp). The literals of an
// operand are what its value there says of atoms: an operand of AND holds
// where the other counts, and so do both operands of a conjunction it is,
// while a disjunction that fails fails in both and a negation flips; at
// most a few dozen nodes of an operand are searched. Only junctions that
// draw nothing inform their operands, so no draw moves and every
// subformula rewritten draws nothing. A junction's right operand is
// rewritten first, knowing its left's literals; the left then knows those
// of the right as rewritten. A tree with a node of unknown kind or a
// missing operand is a fatal error.
Formula* with_known_literals(const Formula* formula);
