#include "game/evaluation_errors.h"

#include <cstdio>

#include "error.h"

void invalid_kind_while_evaluating(int32_t type) {
  std::fflush(stdout);
  std::fprintf(stderr, "%d\n", type);
  error("Invalid contructor in formula (while evaluating)");
}
