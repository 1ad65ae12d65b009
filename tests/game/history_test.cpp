#include "game/history.h"

#include "test_support.h"

TEST(History, LookupAnswers) {
  Test_History history;
  for (int32_t time : {0, 49, 50, 100}) EXPECT_EQ(get_action(history.data(), 0, 1, time), 1);
  EXPECT_EQ(get_action(history.data(), 3, 4, -1), 0);  // before the first round
  add_action(history.data(), 2, 5, 7, COOPERATE);
  EXPECT_EQ(get_action(history.data(), 2, 5, 7), 0);
  EXPECT_EQ(get_action(history.data(), 5, 2, 7), 1);  // the direction matters
  add_action(history.data(), 2, 5, 7, DEFECT);
  EXPECT_EQ(get_action(history.data(), 2, 5, 7), 1);  // the later value stays
  EXPECT_EQ(get_action(history.data(), 2, 2, 7), 0);  // nobody defects against itself
  EXPECT_EQ(get_action(history.data(), 2, 2, -5), 0);
  // Slots made for a later time leave the earlier ones not recorded.
  for (int32_t time : {0, 6, 8}) EXPECT_EQ(get_action(history.data(), 2, 5, time), 1);
}

TEST(History, SetsAnswerForEveryPlayerAtOnce) {
  Test_History history;
  add_action(history.data(), 2, 1, 3, COOPERATE);
  add_action(history.data(), 2, 3, 3, DEFECT);
  add_action(history.data(), 4, 3, 3, COOPERATE);
  Mask by_two = lookup_defections(history.data(), 2, EVERY_PLAYER, 3);
  EXPECT_FALSE(has_player(by_two, 1));
  EXPECT_TRUE(has_player(by_two, 3));
  EXPECT_FALSE(has_player(by_two, 2));  // nobody defects against itself
  EXPECT_TRUE(has_player(by_two, 99));   // not recorded
  Mask against_three = lookup_defections(history.data(), EVERY_PLAYER, 3, 3);
  EXPECT_TRUE(has_player(against_three, 2));
  EXPECT_FALSE(has_player(against_three, 4));
  EXPECT_FALSE(has_player(against_three, 3));
  EXPECT_TRUE(is_empty(lookup_defections(history.data(), 2, EVERY_PLAYER, -1)));
  EXPECT_TRUE(lookup_defections(history.data(), 2, 1, 3) == NO_PLAYERS);
  EXPECT_TRUE(lookup_defections(history.data(), 2, 3, 3) == ALL_PLAYERS);
}

// The moves of the round being played are read from the players' rows until
// the round ends and its other plane is made.
TEST(History, RoundBeingPlayed) {
  Test_History history;
  History& h = history.data();
  start_round(h, 0);
  record_moves(h, 0, first_players(4) & ~player_bit(0), player_bit(2));
  EXPECT_EQ(rounds_recorded(h), 1);
  EXPECT_EQ(get_action(h, 0, 1, 0), 0);
  EXPECT_EQ(get_action(h, 0, 2, 0), 1);
  Mask against_two = lookup_defections(h, EVERY_PLAYER, 2, 0);
  EXPECT_TRUE(has_player(against_two, 0));
  EXPECT_TRUE(has_player(against_two, 1));  // player 1 has not decided
  record_moves(h, 1, player_bit(2), NO_PLAYERS);
  EXPECT_FALSE(has_player(lookup_defections(h, EVERY_PLAYER, 2, 0), 1));
  const Mask while_playing = lookup_defections(h, EVERY_PLAYER, 2, 0);
  finish_round(h);
  EXPECT_TRUE(lookup_defections(h, EVERY_PLAYER, 2, 0) == while_playing);  // the plane made agrees
  EXPECT_TRUE(has_player(lookup_defections(h, EVERY_PLAYER, 2, 0), 0));
  EXPECT_FALSE(has_player(lookup_defections(h, EVERY_PLAYER, 2, 0), 1));
  EXPECT_TRUE(has_player(lookup_defections(h, EVERY_PLAYER, 2, 0), 3));
}

// A round's other plane is made whole whatever the size of the round: a
// few players (where only their rows are turned) or many, and also when a
// move of the round went in by add_action while it was being played.
TEST(History, RoundsOfEverySizeTurnAlike) {
  for (int32_t players : {2, 3, 39, 40, 41, 64, 65, 100}) {
    Test_History played, added;
    start_round(played.data(), 1);
    uint64_t bits = 0x9e3779b97f4a7c15ull * static_cast<uint64_t>(players);
    for (agent row = 0; row < players; ++row) {
      Mask opponents = first_players(players) & ~player_bit(row);
      Mask moves = NO_PLAYERS;
      for (agent column = 0; column < players; ++column) {
        bits = bits * 6364136223846793005ull + 1442695040888963407ull;
        if (column == row || (bits >> 63) == 0) continue;
        moves = moves | player_bit(column);
      }
      record_moves(played.data(), row, opponents, moves);
      for (agent column = 0; column < players; ++column)
        if (column != row) add_action(added.data(), row, column, 1, has_player(moves, column) ? DEFECT : COOPERATE);
    }
    if (players == 41) add_action(played.data(), 70, 3, 1, COOPERATE);  // past the players recorded
    if (players == 41) add_action(added.data(), 70, 3, 1, COOPERATE);
    finish_round(played.data());
    for (agent b = 0; b < MAX_POP; ++b)
      EXPECT_TRUE(lookup_defections(played.data(), EVERY_PLAYER, b, 1) ==
                  lookup_defections(added.data(), EVERY_PLAYER, b, 1))
          << players << " players, against " << b;
  }
}

// A reset history reads as a new one, whatever its rounds recorded before:
// many players, a few, and moves put in by add_action anywhere.
TEST(History, SlotsMadeAgainReadAsNew) {
  for (const std::vector<int32_t>& sizes : {std::vector<int32_t>{70, 5}, std::vector<int32_t>{12, 5, 3}}) {
    Test_History reused;
    for (int32_t players : sizes) {
      reset_history(reused.data());
      for (int32_t time = 0; time < 4; ++time) {
        start_round(reused.data(), time);
        for (agent row = 0; row < players; ++row)
          record_moves(reused.data(), row, first_players(players) & ~player_bit(row), player_bit((row + time) % players));
        finish_round(reused.data());
      }
      if (players == 12) add_action(reused.data(), 98, 97, 2, COOPERATE);
    }
    reset_history(reused.data());
    start_round(reused.data(), 5);
    finish_round(reused.data());
    Test_History fresh;
    start_round(fresh.data(), 5);
    finish_round(fresh.data());
    for (int32_t time = 0; time <= 5; ++time)
      for (agent a = 0; a < MAX_POP; ++a) {
        EXPECT_TRUE(lookup_defections(reused.data(), a, EVERY_PLAYER, time) ==
                    lookup_defections(fresh.data(), a, EVERY_PLAYER, time)) << a << " at " << time;
        EXPECT_TRUE(lookup_defections(reused.data(), EVERY_PLAYER, a, time) ==
                    lookup_defections(fresh.data(), EVERY_PLAYER, a, time)) << a << " at " << time;
      }
  }
}

TEST(History, LookupsBeyondTheTableReadAsDefection) {
  Test_History history;
  add_action(history.data(), 0, 1, 100, COOPERATE);
  EXPECT_EQ(get_action(history.data(), 0, 1, 100), 0);
  EXPECT_EQ(get_action(history.data(), 0, 1, 101), 1);
  EXPECT_EQ(get_action(history.data(), 0, 1, int64_t{1} << 40), 1);
  EXPECT_EQ(get_action(history.data(), 100, 1, 3), 1);
  EXPECT_EQ(get_action(history.data(), 1, 255, 3), 1);
  EXPECT_EQ(get_action(history.data(), NO_AGENT, 1, 3), 1);
  EXPECT_EQ(get_action(history.data(), NO_AGENT, NO_AGENT, 3), 0);
}

TEST(History, RecordingFailuresAndReset) {
  Test_History history;
  EXPECT_EQ(fatal_message([&] { add_action(history.data(), 3, 3, -1, 0); }), "adding action at negative time");
  EXPECT_EQ(fatal_message([&] { add_action(history.data(), 3, 3, 0, 0); }), "adding action versus self");
  EXPECT_EQ(fatal_message([&] { add_action(history.data(), 0, 100, 0, 0); }), "adding action outside the history");
  EXPECT_EQ(fatal_message([&] { add_action(history.data(), 0, 1, 101, 0); }), "adding action outside the history");
  add_action(history.data(), 0, 1, 0, COOPERATE);
  add_action(history.data(), 0, 1, 1, COOPERATE);
  add_action(history.data(), 0, 1, 3, COOPERATE);
  EXPECT_EQ(rounds_recorded(history.data()), 2);  // time 2 was not played
  reset_history(history.data());
  EXPECT_EQ(rounds_recorded(history.data()), 0);
  EXPECT_EQ(get_action(history.data(), 0, 1, 0), 1);
  add_action(history.data(), 5, 6, 3, COOPERATE);
  EXPECT_EQ(get_action(history.data(), 0, 1, 1), 1);  // slots made again start empty
  EXPECT_EQ(rounds_recorded(history.data()), 0);
}
