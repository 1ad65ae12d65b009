// ipdlogic's run: its command line, the population it reads or grows, the
// tournament or the 100 generations, and what it prints of them. `play`
// plays each tournament: the machine in ipdlogic, evaluation by substituted
// copies in the benchmarks' baseline program.
#pragma once

#include "game/tournament.h"

int run_ipdlogic(int argc, char** argv, Tournament_Play play);
