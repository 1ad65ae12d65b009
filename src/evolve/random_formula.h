// Random strategy formulae, and the random choice of an agent or a time
// among the variables in scope. Every draw comes from the run's one stream,
// in a fixed order, so that one seed grows one population.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "formula/scope.h"

constexpr int32_t RANDOM_POP = 10;

// A new random tree whose references are all bound by the scopes or by
// quantifiers inside it. The scopes are only read.
Formula* random_Formula(const Scope& agents, const Scope& times);

// ROW, COLUMN or an agent variable of the scope, different from `forbidden`
// (NO_AGENT forbids nothing).
agent random_agent(const Scope& agents, agent forbidden);

// PREV_TIME or a time variable of the scope: exactly one draw.
int32_t random_time(const Scope& times);

// Fills slots 0 to pop - 1 with random trees grown from fresh scopes.
void init_random_Formulae(Formula** formulae, int32_t pop);
