#include "behaviour/fingerprint.h"

#include <array>
#include <mutex>

#include "behaviour/library.h"
#include "behaviour/society_tree.h"
#include "game/history.h"
#include "random_stream.h"

namespace {

// Keeps the thread's random stream, its draw count included, and puts it
// back when the scope ends however it ends.
struct Kept_Stream {
  Random_Stream kept = random_stream;
  ~Kept_Stream() { random_stream = kept; }
};

void set_bit(std::vector<uint64_t>& bits, size_t index) { bits[index / 64] |= uint64_t{1} << (index % 64); }

// `players` holds the library and then the player whose moves are read.
Fingerprint moves_of_last(std::vector<Formula*>& players, int32_t rounds) {
  const Kept_Stream kept;
  const auto pop = static_cast<int32_t>(players.size());
  const agent me = pop - 1;
  // A reset history reads as a fresh one; keeping it saves making its
  // slots again, a tenth of a fingerprint's time.
  thread_local History history;
  seed_random(DEFAULT_SEED);
  play_behind_library(history, players.data(), pop, rounds, STREAM_ANYWHERE);
  Fingerprint fingerprint{rounds, std::vector<uint64_t>((static_cast<size_t>(me * rounds) + 63) / 64, 0)};
  for (agent member = 0; member < me; ++member)
    for (int32_t time = 0; time < rounds; ++time)
      if (get_action(history, me, member, time) == DEFECT)
        set_bit(fingerprint.bits, static_cast<size_t>(member * rounds + time));
  return fingerprint;
}

std::vector<Formula*> library_players() {
  std::vector<Formula*> players;
  for (const Library_Strategy& strategy : library_strategies()) players.push_back(strategy.formula);
  return players;
}

// Each library strategy placed last behind the whole library.
std::vector<Fingerprint> make_library_fingerprints(int32_t rounds) {
  std::vector<Fingerprint> fingerprints;
  std::vector<Formula*> players = library_players();
  players.push_back(nullptr);
  for (const Library_Strategy& strategy : library_strategies()) {
    players.back() = strategy.formula;
    fingerprints.push_back(moves_of_last(players, rounds));
  }
  return fingerprints;
}

const std::vector<Fingerprint>& library_fingerprints(int32_t rounds) {
  static std::array<std::once_flag, HISTORY_TIMES> made;
  static std::array<std::vector<Fingerprint>, HISTORY_TIMES> fingerprints;
  const auto at = static_cast<size_t>(rounds);
  std::call_once(made[at], [&] { fingerprints[at] = make_library_fingerprints(rounds); });
  return fingerprints[at];
}

// SplitMix64's finaliser: every input bit moves every output bit.
uint64_t mixed(uint64_t value) {
  value ^= value >> 30;
  value *= 0xbf58476d1ce4e5b9;
  value ^= value >> 27;
  value *= 0x94d049bb133111eb;
  return value ^ (value >> 31);
}

}  // namespace

bool operator==(const Fingerprint& a, const Fingerprint& b) { return a.rounds == b.rounds && a.bits == b.bits; }

Fingerprint fingerprint_Formula(const Formula* formula, int32_t rounds) {
  std::vector<Formula*> players = library_players();
  // The machine copies what it plays and never writes to the trees it is given.
  players.push_back(const_cast<Formula*>(formula));
  return moves_of_last(players, rounds);
}

std::string behaviour_id(const Fingerprint& fingerprint) {
  // Each word is mixed into the running value and the whole mixed again:
  // the order of the words counts, and the length (in the rounds and the
  // word count) is hashed first.
  uint64_t hash = mixed(0x6970646c6f676963 ^ static_cast<uint64_t>(fingerprint.rounds));
  hash = mixed(hash ^ fingerprint.bits.size());
  for (uint64_t word : fingerprint.bits) hash = mixed(hash ^ mixed(word + 0x9e3779b97f4a7c15));
  static const char digits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) text[static_cast<size_t>(i)] = digits[hash & 15];
  return text;
}

void prepare_library_fingerprints(int32_t rounds) { library_fingerprints(rounds); }

std::string plays_like(const Fingerprint& fingerprint) {
  const std::vector<Fingerprint>& library = library_fingerprints(fingerprint.rounds);
  for (size_t i = 0; i < library.size(); ++i)
    if (library[i] == fingerprint) return library_strategies()[i].name;
  return "";
}
