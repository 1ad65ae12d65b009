#include "formula/scope.h"

#include "formula/formula.h"

void init_variables(Scope& agents, Scope& times) {
  agents = Scope{ROW_LETTER, COLUMN_LETTER};
  times = Scope{PREV_LETTER};
}

void add_variable(Scope& variables, int32_t variable) {
  char letter = static_cast<char>(variable & 0xff);
  if (letter != '\0') variables.push_back(letter);
}

bool scope_holds(const Scope& variables, int32_t letter) {
  if (letter <= 0 || letter > 0xff) return false;
  return variables.find(static_cast<char>(letter)) != Scope::npos;
}
