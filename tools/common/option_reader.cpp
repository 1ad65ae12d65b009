#include "option_reader.h"

#include <algorithm>
#include <string>

#include "error.h"
#include "printable_text.h"

namespace {

const Option_Spec* find_option(const Option_Reader& reader, std::string_view name) {
  for (const Option_Spec& option : reader.options)
    if (option.name == name) return &option;
  return nullptr;
}

bool is_operand(std::string_view argument) { return argument.empty() || argument[0] != '-' || argument == "-"; }

}  // namespace

Option_Reader start_Option_Reader(std::string_view tool, std::span<const Option_Spec> options, int argc, char** argv) {
  Option_Reader reader{tool, options, {}, 0, false, {}};
  for (int i = 1; i < argc; ++i) reader.arguments.emplace_back(argv[i]);
  return reader;
}

std::optional<Command_Argument> next_Argument(Option_Reader& reader) {
  if (reader.next == reader.arguments.size()) return std::nullopt;
  const std::string_view argument = reader.arguments[reader.next++];
  if (reader.operands_only || is_operand(argument)) return Command_Argument{"", argument};
  if (argument == "--") {
    reader.operands_only = true;
    return next_Argument(reader);
  }
  const size_t equals = argument.find('=');
  const std::string_view given_name = argument.substr(0, equals);
  const Option_Spec* option = find_option(reader, given_name);
  const std::string name = printable_text(given_name);
  if (!option) error("unknown option " + name + " (see " + std::string(reader.tool) + " --help)");
  std::string_view value;
  if (equals != std::string_view::npos) {
    if (!option->takes_value) error(name + " takes no value");
    value = argument.substr(equals + 1);
  } else if (option->takes_value) {
    if (reader.next == reader.arguments.size()) error(name + " needs a value");
    value = reader.arguments[reader.next++];
  }
  if (!option->repeats && was_given(reader, option->name)) error(name + " is given more than once");
  reader.given.push_back(option->name);
  return Command_Argument{option->name, value};
}

bool was_given(const Option_Reader& reader, std::string_view name) {
  return std::find(reader.given.begin(), reader.given.end(), name) != reader.given.end();
}
