// Writes a random population for the differential test of the two
// programs: formula files of every kind, CHANCE atoms included, with
// unbound letters, odd agent codes, offsets that reach the round being
// played and beyond the table, and letters shared by agents and times.
//
//   random_population SEED DIRECTORY COUNT [QUANTIFIERS]
//
// Prints the file names, one per line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formula/notation_printer.h"
#include "game/random_trees.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: random_population SEED DIRECTORY COUNT [QUANTIFIERS]\n");
    return 2;
  }
  Tree_Maker maker{std::mt19937(static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)))};
  const std::string directory = argv[2];
  const int count = std::atoi(argv[3]);
  const int quantifiers = argc > 4 ? std::atoi(argv[4]) : 2;
  maker.own_moves = maker.pick(4) == 0;
  for (int i = 0; i < count; ++i) {
    maker.quantifiers_left = quantifiers;
    maker.chance = maker.pick(3) != 0;
    Formula* formula = maker.make(maker.pick(5));
    std::string name = directory + "/player" + std::to_string(i) + ".txt";
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) return 1;
    std::string text = format_Formula(formula);
    // The reader takes printable characters only: the small player code
    // becomes '!' (player 33), the large one '}' (beyond the table).
    for (char& c : text) {
      if (c == '\x02') c = '!';
      if (static_cast<unsigned char>(c) == 200) c = '}';
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    std::puts(name.c_str());
    free_Formula(formula);
  }
  return 0;
}
