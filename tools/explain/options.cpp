#include "options.h"

#include <string_view>

#include "error.h"
#include "printable_text.h"

namespace {
const char* const USAGE = "usage: ipdlogic-explain [--society PATH]... [--] FILE...";
}

Options read_Options(int argc, char** argv) {
  Options options;
  bool only_files = false;
  for (int position = 1; position < argc; ++position) {
    const std::string_view argument = argv[position];
    if (only_files || argument.empty() || argument[0] != '-') {
      options.files.emplace_back(argument);
    } else if (argument == "--") {
      only_files = true;
    } else if (argument == "--help") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else if (argument == "--society") {
      if (++position == argc) error("option --society needs a formula file or a directory (" + std::string(USAGE) + ")");
      options.society.emplace_back(argv[position]);
    } else if (argument.substr(0, 10) == "--society=") {
      options.society.emplace_back(argument.substr(10));
    } else {
      error("unknown option: " + printable_text(argument) + " (" + USAGE + ")");
    }
  }
  if (!options.help && !options.version && options.files.empty()) error(std::string("no formula file named (") + USAGE + ")");
  return options;
}

std::string usage_text(const std::string& library) {
  return std::string(USAGE) + "\n       ipdlogic-explain --help | --version\n\n" +
         "Explains ipdlogic strategy files, one after another: what the program reads,\n"
         "what looks wrong and where (FILE:LINE:COLUMN: error|warning: MESSAGE, on\n"
         "standard error), the formula's structure, and how it plays: against three\n"
         "classic strategies, and in one tournament with a society of strategies.\n\n"
         "  --society PATH   the society: a formula file, or a directory whose .txt\n"
         "                   files are taken in name order; repeat to add more.\n"
         "                   Default: the strategy library, " +
         (library.empty() ? std::string("not found here") : printable_text(library)) +
         "\n"
         "  --help           print this text\n"
         "  --version        print the version\n"
         "  --               the arguments after it are file names\n\n"
         "Exit status: 0 when no file has an error, 1 when any has.\n";
}
