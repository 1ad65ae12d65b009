// A lab run: the population read or grown once per seed, the shared run
// loop, and a row for every player of every recorded generation.
#pragma once

#include "lab_options.h"

// Runs every seed of the options and writes their rows; returns 0.
int run_lab(const Lab_Options& options);
