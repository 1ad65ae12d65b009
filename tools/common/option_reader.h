// The command line of a companion tool, read the same way by each: options
// declared in a table, `--name VALUE` or `--name=VALUE`, "--" ending the
// options, and every other argument an operand (a file name, "-" too).
//
// The tool takes the arguments one at a time, in order, and may stop at one
// (--help) without the rest being read. Refused, as a fatal error that
// names the option as given (bytes outside printable ASCII as \xNN):
//
//   unknown option NAME (see TOOL --help)
//   NAME needs a value
//   NAME takes no value
//   NAME is given more than once
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

struct Option_Spec {
  std::string_view name;  // with its dashes, as "--seed"
  bool takes_value = false;
  bool repeats = false;  // may be given more than once
};

struct Option_Reader {
  std::string_view tool;  // the tool's name, for "(see TOOL --help)"
  std::span<const Option_Spec> options;
  std::vector<std::string_view> arguments;  // the command line after the program's name
  size_t next = 0;                          // the argument read next
  bool operands_only = false;               // after "--"
  std::vector<std::string_view> given;      // the names of the options read so far
};

// One argument of the command line. Its texts are views into argv.
struct Command_Argument {
  std::string_view name;   // the option's name from the table, or "" for an operand
  std::string_view value;  // the option's value ("" for an option without), or the operand
  bool is_option() const { return !name.empty(); }
};

Option_Reader start_Option_Reader(std::string_view tool, std::span<const Option_Spec> options, int argc, char** argv);

// The next option or operand, or nothing at the end of the command line.
std::optional<Command_Argument> next_Argument(Option_Reader& reader);

// Whether the option was among the arguments read so far.
bool was_given(const Option_Reader& reader, std::string_view name);
