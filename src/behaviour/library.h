// The bundled strategy library, built into the program from strategies/*.txt
// so that a formula is named the same wherever a tool runs, installed or not.
#pragma once

#include <string>
#include <vector>

#include "formula/formula.h"

struct Library_Strategy {
  std::string name;  // the file's name without ".txt"
  Formula* formula;  // parsed once, never changed, released at exit
};

// The library in the byte order of its names; made on first use (safely
// from any thread) and read-only after.
const std::vector<Library_Strategy>& library_strategies();
