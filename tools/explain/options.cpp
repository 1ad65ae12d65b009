#include "options.h"

#include <string_view>

#include "error.h"
#include "option_reader.h"
#include "printable_text.h"

namespace {

const char* const USAGE = "usage: ipdlogic-explain [--society PATH]... [--] FILE...";

constexpr Option_Spec OPTIONS[] = {
    {"--society", true, true},
    {"--help", false, false},
    {"--version", false, false},
};

}  // namespace

Options read_Options(int argc, char** argv) {
  Options options;
  Option_Reader reader = start_Option_Reader("ipdlogic-explain", OPTIONS, argc, argv);
  while (const std::optional<Command_Argument> argument = next_Argument(reader)) {
    if (!argument->is_option()) {
      options.files.emplace_back(argument->value);
    } else if (argument->name == "--society") {
      options.society.emplace_back(argument->value);
    } else {
      // --help or --version: the rest of the command line is not read.
      options.help = argument->name == "--help";
      options.version = !options.help;
      return options;
    }
  }
  if (options.files.empty()) error(std::string("no formula file named (") + USAGE + ")");
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
