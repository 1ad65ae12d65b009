// The tournament of a fingerprint, played so that what the library does is
// worked out once for every history of the player placed last. The library's
// moves in a round follow from the record of the rounds before it and the
// position of the random stream; both follow from the library itself and
// from what the last player did (its moves and how many draws it made) in
// those rounds. So the rounds the library plays are kept in a tree: a round
// is a child of the round before it by the last player's moves and draws in
// that round, and a tournament whose last player has played as an earlier
// one's so far takes the library's next moves from the tree, moving the
// stream on past their draws, and decides only its last player's.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/history.h"

// Where the random stream is left: where the tournament's draws take it,
// or anywhere (for a caller that puts it back as it was): the draws of
// rounds taken from the tree are then made only where a row may draw.
enum Stream_After : uint8_t { STREAM_AS_PLAYED, STREAM_ANYWHERE };

// Plays `players` (the library, then one more) for `rounds` rounds without
// noise or continuation, exactly as play_rounds would, from the random
// stream as the caller seeded it.
void play_behind_library(History& history, Formula* const* players, int32_t pop, int32_t rounds,
                         Stream_After after = STREAM_AS_PLAYED);
