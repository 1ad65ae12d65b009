// The strategy played in one tournament together with a society of
// strategies, by the program's own tournament code: by default the bundled
// strategy library, else the files and directories given with --society.
// In a two-player game an agent quantifier ranges over nobody; in a society
// it ranges over the other members.
#pragma once

#include <string>
#include <vector>

#include "owned_tree.h"

struct Society_Member {
  std::string name;  // the file's name without its directory and ".txt"
  Tree formula;
};

struct Society {
  std::string description;  // "the strategy library", or what --society gave
  std::vector<Society_Member> members;
};

// The bundled library's directory: the one installed beside this tool
// (PREFIX/share/ipdlogic/strategies), else the source tree's that the tool
// was built from, else where an installation puts it; "" when none exists.
std::string default_library();

// The members read from formula files and directories (a directory's .txt
// files in the byte order of their names), at most MAX_POP - 1 of them.
// A file that does not read is a fatal error naming it.
Society read_Society(const std::vector<std::string>& paths, const std::string& description);

// The section of the explanation: the formula plays last, after the members,
// in one tournament seeded with the default seed; its first moves against
// each member, its score and its rank.
std::string society_play(Formula* formula, const Society& society);
