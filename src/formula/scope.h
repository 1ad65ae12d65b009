// Scope strings: the variable letters in scope while a tree is grown,
// repaired or mutated, from which random agents and times are drawn. `agents`
// starts as "rc" (ROW and COLUMN), `times` as "p" (PREV_TIME); each enclosing
// quantifier appends its letter, so a letter bound twice on a path is drawn
// twice as often. Scopes have no capacity limit, and walkers work on copies,
// never on the caller's. Which quantifier binds an atom's letter is
// letters.h's question, not theirs.
#pragma once

#include <cstdint>
#include <string>

using Scope = std::string;

void init_variables(Scope& agents, Scope& times);

// Appends the low 8 bits of `variable`. The letter 0 is the terminator of
// the notation's scope strings: it is never added.
void add_variable(Scope& variables, int32_t variable);

// Whether the scope holds the letter: a value from 1 to 255 that occurs in it.
bool scope_holds(const Scope& variables, int32_t letter);
