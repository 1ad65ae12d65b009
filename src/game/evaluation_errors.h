// The failure that every evaluator reports alike: a node of unknown kind.
#pragma once

#include <cstdint>

// Writes the kind on standard error, then fails with "Invalid contructor in
// formula (while evaluating)".
[[noreturn]] void invalid_kind_while_evaluating(int32_t type);
