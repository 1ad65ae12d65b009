// A set of players as 128 bits, one per player index (the table holds at
// most 100). The tournament evaluates a formula for one deciding player
// against all of its opponents at once, bit c standing for opponent c.
#pragma once

#include <cstdint>

struct Mask {
  uint64_t low;
  uint64_t high;
};

constexpr Mask NO_PLAYERS{0, 0};
constexpr Mask ALL_PLAYERS{~uint64_t{0}, ~uint64_t{0}};

constexpr Mask operator&(Mask a, Mask b) { return {a.low & b.low, a.high & b.high}; }
constexpr Mask operator|(Mask a, Mask b) { return {a.low | b.low, a.high | b.high}; }
constexpr Mask operator^(Mask a, Mask b) { return {a.low ^ b.low, a.high ^ b.high}; }
constexpr Mask operator~(Mask a) { return {~a.low, ~a.high}; }
constexpr bool operator==(Mask a, Mask b) { return a.low == b.low && a.high == b.high; }
constexpr bool is_empty(Mask a) { return (a.low | a.high) == 0; }

// The set holding only `player` (0 to 127).
constexpr Mask player_bit(int32_t player) {
  return player < 64 ? Mask{uint64_t{1} << player, 0} : Mask{0, uint64_t{1} << (player - 64)};
}

constexpr bool has_player(Mask a, int32_t player) { return !is_empty(a & player_bit(player)); }

// Players 0 to count - 1.
constexpr Mask first_players(int32_t count) {
  if (count <= 0) return NO_PLAYERS;
  if (count >= 128) return ALL_PLAYERS;
  if (count <= 64) return {count == 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1, 0};
  return {~uint64_t{0}, (uint64_t{1} << (count - 64)) - 1};
}

constexpr Mask all_or_none(bool value) { return value ? ALL_PLAYERS : NO_PLAYERS; }

inline int32_t count_players(Mask a) { return __builtin_popcountll(a.low) + __builtin_popcountll(a.high); }

// Transposes the 128 by 128 bit matrix of 128 sets: bit c of set r becomes
// bit r of set c.
void transpose_players(Mask* sets);
