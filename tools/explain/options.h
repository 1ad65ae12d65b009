// The command line of ipdlogic-explain:
//
//   ipdlogic-explain [--society PATH]... [--] FILE...
//   ipdlogic-explain --help | --version
#pragma once

#include <string>
#include <vector>

struct Options {
  bool help = false;
  bool version = false;
  std::vector<std::string> society;  // the paths given with --society, in order
  std::vector<std::string> files;
};

// Read by the tools' option reader: an unknown option, or --society without
// its path, is a fatal error; "-" and, after "--", every argument is a file
// name. --help and --version end the reading: what follows them is not
// looked at.
Options read_Options(int argc, char** argv);

// The text of --help; `library` is the default society's directory, or "".
std::string usage_text(const std::string& library);
