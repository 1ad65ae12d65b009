// Scope strings: the variable letters in scope while a tree is grown,
// repaired or mutated. `agents` starts as "rc" (ROW and COLUMN), `times` as
// "p" (PREV_TIME); each enclosing quantifier appends its letter. Scopes have
// no capacity limit, and walkers work on copies, never on the caller's.
#pragma once

#include <cstdint>
#include <string>

using Scope = std::string;

void init_variables(Scope& agents, Scope& times);

// Appends the low 8 bits of `variable`. The letter 0 is the terminator of
// the notation's scope strings: it is always in scope and is never added.
void add_variable(Scope& variables, int32_t variable);

// Whether a field value names a letter of the scope: 0 always does, a value
// from 1 to 255 when that character occurs, any other value never.
bool in_scope(const Scope& variables, int32_t value);
