#include "error.h"

#include <cstdio>

void error(const std::string& message) { throw Fatal_Error(message); }

void debug(const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }
