// Every failure in ipdlogic is fatal. Library code reports one by calling
// error(), which unwinds to the driver; the driver writes "Error: <message>"
// to standard error and ends the process with exit status 1, after flushing
// whatever standard output already holds.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

struct Fatal_Error : std::runtime_error {
  explicit Fatal_Error(const std::string& message, std::string diagnostic_lines = "")
      : std::runtime_error(message), diagnostic(std::move(diagnostic_lines)) {}
  // Lines that go to standard error just before the "Error: " line.
  std::string diagnostic;
};

[[noreturn]] void error(const std::string& message);

// A diagnostic aid: writes the message and a newline to standard error.
void debug(const std::string& message);

// Flushes standard output, then fails with "cannot write standard output:
// REASON" if any write to it has failed: a full disk, a closed descriptor,
// or a closed pipe while SIGPIPE is ignored (at its default the signal ends
// the process first). Called after every block of output and at the end.
void check_standard_output();

// The driver's side of the convention, shared by the program and its
// companion tools: returns what `body` returns once standard output is
// checked, or, when either fails (a fatal error, or memory running out),
// flushes standard output, writes the error's diagnostic lines and
// "Error: <message>" to standard error and returns 1.
int run_reporting_failures(int (*body)(int argc, char** argv), int argc, char** argv);
