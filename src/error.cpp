#include "error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

void error(const std::string& message) { throw Fatal_Error(message); }

void debug(const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }

void check_standard_output() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return;
  // errno tells why: the check follows each block at once, so the last
  // failed write was this flush or a write of that block.
  const int reason = errno != 0 ? errno : EIO;
  error(std::string("cannot write standard output: ") + std::strerror(reason));
}

namespace {
int fail(const char* message, const std::string& diagnostic = "") {
  std::fflush(stdout);
  std::fprintf(stderr, "%sError: %s\n", diagnostic.c_str(), message);
  return 1;
}
}  // namespace

int run_reporting_failures(int (*body)(int argc, char** argv), int argc, char** argv) {
  try {
    const int status = body(argc, argv);
    check_standard_output();
    return status;
  } catch (const Fatal_Error& failure) {
    return fail(failure.what(), failure.diagnostic);
  } catch (const std::bad_alloc&) {
    return fail("out of memory");
  }
}
