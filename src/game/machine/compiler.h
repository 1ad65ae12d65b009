// Compiling a formula for one tournament into a program for the machine.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/machine/analysis.h"
#include "game/machine/program.h"
#include "game/machine/query_plan.h"

// The program of `formula` in the tournament whose plan is given; with
// `queries`, its subformulae that draw nothing and hold a quantifier are
// queries, which go into that plan.
Program compile_Formula(const Formula* formula, Query_Plan& plan, bool queries = true);

// The same from the formula's analysis, for compiling it more than once.
Program compile_Formula(const Formula* formula, const Analysis& analysis, Query_Plan& plan, bool queries);

// Makes the queries of a program's regions, in the tournament's plan: each
// region's query, unless its tables would be too large or never cheaper
// than its loops, or a region it lies in has tables.
void plan_regions(Program& program, Query_Plan& plan);

// The same again, in a plan made afresh.
void replan_regions(Program& program, Query_Plan& plan);

// Whether an atom of the program can read the round `time` being played.
bool reads_current_round(const Program& program, int32_t time);
