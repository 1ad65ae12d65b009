// The tools' option reader: both forms of a value, operands, "--" and "-",
// and each refusal with its message.
#include "option_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "error.h"

namespace {

constexpr Option_Spec OPTIONS[] = {
    {"--out", true, false},
    {"--society", true, true},
    {"--help", false, false},
    {"--quiet", false, false},
};

// Each argument read, as "NAME=VALUE" for an option and "VALUE" for an
// operand, or "Error: MESSAGE" in place of the first refused one.
std::vector<std::string> read_all(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "tool");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  Option_Reader reader = start_Option_Reader("ipdlogic-tool", OPTIONS, static_cast<int>(argv.size()), argv.data());
  std::vector<std::string> read;
  try {
    while (const std::optional<Command_Argument> argument = next_Argument(reader))
      read.push_back(argument->is_option() ? std::string(argument->name) + "=" + std::string(argument->value)
                                           : std::string(argument->value));
  } catch (const Fatal_Error& failure) {
    read.push_back(std::string("Error: ") + failure.what());
  }
  return read;
}

using Read = std::vector<std::string>;

}  // namespace

TEST(OptionReader, ValuesInBothFormsAndOperandsInOrder) {
  EXPECT_EQ(read_all({"a.txt", "--out", "x.csv", "b.txt", "--quiet", "--society=s1", "--society", "s2"}),
            (Read{"a.txt", "--out=x.csv", "b.txt", "--quiet=", "--society=s1", "--society=s2"}));
  // A value is the next argument whatever it holds; after "=" it may be empty or hold "=".
  EXPECT_EQ(read_all({"--out", "-"}), (Read{"--out=-"}));
  EXPECT_EQ(read_all({"--out", "--quiet"}), (Read{"--out=--quiet"}));
  EXPECT_EQ(read_all({"--out", "--"}), (Read{"--out=--"}));
  EXPECT_EQ(read_all({"--out="}), (Read{"--out="}));
  EXPECT_EQ(read_all({"--out=a=b"}), (Read{"--out=a=b"}));
}

TEST(OptionReader, DashIsAFileAndDoubleDashEndsTheOptions) {
  EXPECT_EQ(read_all({"-", ""}), (Read{"-", ""}));
  EXPECT_EQ(read_all({"--quiet", "--", "--help", "--", "-x", "--out"}),
            (Read{"--quiet=", "--help", "--", "-x", "--out"}));
}

TEST(OptionReader, RefusalsNameTheOptionAsGiven) {
  EXPECT_EQ(read_all({"a.txt", "--colour", "5"}),
            (Read{"a.txt", "Error: unknown option --colour (see ipdlogic-tool --help)"}));
  EXPECT_EQ(read_all({"-o"}), (Read{"Error: unknown option -o (see ipdlogic-tool --help)"}));
  EXPECT_EQ(read_all({"--colour=red"}), (Read{"Error: unknown option --colour (see ipdlogic-tool --help)"}));
  EXPECT_EQ(read_all({"--ou\x1b[2J\xff"}),
            (Read{"Error: unknown option --ou\\x1b[2J\\xff (see ipdlogic-tool --help)"}));
  EXPECT_EQ(read_all({"--out"}), (Read{"Error: --out needs a value"}));
  EXPECT_EQ(read_all({"--quiet=yes"}), (Read{"Error: --quiet takes no value"}));
  EXPECT_EQ(read_all({"--help="}), (Read{"Error: --help takes no value"}));
}

TEST(OptionReader, OnlyRepeatableOptionsMayBeGivenTwice) {
  EXPECT_EQ(read_all({"--out", "a", "--out=b"}), (Read{"--out=a", "Error: --out is given more than once"}));
  EXPECT_EQ(read_all({"--quiet", "--quiet"}), (Read{"--quiet=", "Error: --quiet is given more than once"}));
  EXPECT_EQ(read_all({"--society", "a", "--society=a", "--society", "b"}),
            (Read{"--society=a", "--society=a", "--society=b"}));
  // A missing value is reported before the repetition.
  EXPECT_EQ(read_all({"--out", "a", "--out"}), (Read{"--out=a", "Error: --out needs a value"}));
}

TEST(OptionReader, ReadsNoFurtherThanAsked) {
  std::vector<std::string> arguments = {"tool", "--help", "--colour", "--out"};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  Option_Reader reader = start_Option_Reader("ipdlogic-tool", OPTIONS, 4, argv.data());
  EXPECT_FALSE(was_given(reader, "--help"));
  const std::optional<Command_Argument> first = next_Argument(reader);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->name, "--help");
  EXPECT_TRUE(was_given(reader, "--help"));
  EXPECT_FALSE(was_given(reader, "--out"));
  EXPECT_THROW(next_Argument(reader), Fatal_Error);
}
