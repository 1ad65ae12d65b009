// The lab's progress bar: on standard error when it is a terminal, runs
// and generations done, the time elapsed and an estimate of what remains.
// Not when the rows themselves go to that terminal: the bar would mix into
// them.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct Progress {
  bool shown = false;  // standard error is a terminal
  int64_t runs = 0;
  int32_t generations = 0;  // per run
  int64_t done = 0;         // generations done, of every run together
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point drawn;  // last redrawn
  bool drawing = false;                         // a bar stands on the line
};

Progress start_progress(int64_t runs, int32_t generations, bool rows_on_terminal);

// Called after each generation of any run. Runs on several threads count
// together: the bar shows as many runs and generations done as they have
// done between them.
void advance_progress(Progress& progress);

// Ends the bar's line, so that whatever follows starts a line of its own.
void end_progress(Progress& progress);

// The bar's text while run `run` (from 0) of `runs` has done
// `generations_done` of its `generations`.
std::string progress_line(int64_t run, int64_t runs, int32_t generations_done, int32_t generations,
                          double elapsed_seconds);
