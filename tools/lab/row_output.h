// Where the lab's rows go: a file or standard output, written in whole
// rows only, so that a run that fails or is interrupted leaves whole rows.
#pragma once

#include <string>
#include <string_view>

struct Row_Output {
  int fd = -1;
  std::string name;     // for messages
  std::string pending;  // whole rows not written yet
  bool owned = false;   // a file the lab opened
};

// Standard output for an empty `path`; else the file, created or emptied.
Row_Output open_row_output(const std::string& path);

// Adds whole rows; they are written once enough have gathered.
void add_rows(Row_Output& output, std::string_view rows);

// Writes every pending row; a failure to write is a fatal error.
void flush_rows(Row_Output& output);

// Flushes, and closes a file the lab opened.
void close_row_output(Row_Output& output);
