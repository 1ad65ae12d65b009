#include "behaviour/simplify.h"

// A placeholder until the rewriting lands: the formula itself.
Formula* simplify_Formula(const Formula* formula) { return copy_Formula(formula); }
