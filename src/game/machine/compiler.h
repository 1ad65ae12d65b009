// Compiling a formula for one tournament into a program for the machine.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/machine/program.h"

Program compile_Formula(const Formula* formula, int32_t pop);

// Whether an atom of the program can read the round `time` being played.
bool reads_current_round(const Program& program, int32_t time);
