#include "formula/scope.h"

void init_variables(Scope& agents, Scope& times) {
  agents = Scope{'r', 'c'};
  times = Scope{'p'};
}

void add_variable(Scope& variables, int32_t variable) {
  char letter = static_cast<char>(variable & 0xff);
  if (letter != '\0') variables.push_back(letter);
}

bool in_scope(const Scope& variables, int32_t value) {
  if (value == 0) return true;
  if (value < 0 || value > 0xff) return false;
  return variables.find(static_cast<char>(value)) != Scope::npos;
}
