// Simplification: a smaller formula that plays exactly like the given one.
#pragma once

#include "formula/formula.h"

// A new tree, owned by the caller, that plays exactly like `formula`: in
// every population of three players or more and for every seed, putting it
// in the formula's place changes no decision and no draw of the run. It is
// never larger than `formula`, which stays unchanged, and it simplifies to
// itself. False is written Drrp and true ~Drrp.
//
// What it does: constants (atoms that never hold among them) and their
// propagation, double negation, De Morgan where it saves a node, equal,
// complementary and absorbed operands, quantifiers that bind nothing or
// whose draw-free body does not name their letter, draw-free operands
// taken out of a quantifier's body when they do not name its letter
// (Ea(X|Y) is X|EaY), atoms that a literal of an enclosing draw-free
// junction decides (in Dcrp&Ea(Dcrp|Dacp) the inner Dcrp is true, and the
// whole is Dcrp), and, for every draw-free part without quantifiers
// of at most 8 distinct atoms and quantified subformulae, the smallest
// of the forms found from its truth table: sums of prime implicants, flat
// or with shared literals factored out, of the function or of its
// negation. Parts that draw keep every CHANCE atom that may be evaluated,
// in its place and order.
//
// What it does not do: it knows nothing of a population's size or of the
// history (agent terms that differ are independent even where they might
// be the same player), neither swaps nor merges quantifiers (EaX|EaY
// stays), factors only by shared literals (no exclusive or, no common
// subformulae), learns from a junction only its literals (atoms and
// negated atoms among the operands of its chain, a few dozen at most: not
// what a quantified operand implies), and gives up the table of a part
// whose function has very many prime implicants. A tree with a node of
// unknown kind or a missing operand is a fatal error, unless it lies in
// an operand that is never evaluated (the right one of a junction whose
// left one comes to the constant that decides it), which is not read.
Formula* simplify_Formula(const Formula* formula);
