#include "error.h"

#include <cstdio>
#include <new>

void error(const std::string& message) { throw Fatal_Error(message); }

void debug(const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }

namespace {
int fail(const char* message) {
  std::fflush(stdout);
  std::fprintf(stderr, "Error: %s\n", message);
  return 1;
}
}  // namespace

int run_reporting_failures(int (*body)(int argc, char** argv), int argc, char** argv) {
  try {
    return body(argc, argv);
  } catch (const Fatal_Error& failure) {
    return fail(failure.what());
  } catch (const std::bad_alloc&) {
    return fail("out of memory");
  }
}
