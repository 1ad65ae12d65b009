#include "game/history.h"

#include "test_support.h"

TEST(History, LayoutLeavesThePlayerItselfOut) {
  EXPECT_EQ(history_index(0, 2, 0), 198);
  EXPECT_EQ(history_index(0, 2, 1), 199);
  EXPECT_EQ(history_index(0, 2, 3), 200);
  EXPECT_EQ(history_index(0, 99, 98), SLOT_CELLS - 1);
  EXPECT_EQ(history_index(7, 0, 1), 7 * SLOT_CELLS);
  EXPECT_EQ(history_index(100, 99, 98), HISTORY_CELLS - 1);
}

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
}

TEST(History, NeighbouringOpponentsUseNeighbouringCells) {
  Test_History history;
  add_action(history.data(), 2, 1, 3, COOPERATE);
  add_action(history.data(), 2, 3, 3, DEFECT);
  EXPECT_EQ(history.cells[history_index(3, 2, 1)], COOPERATE);
  EXPECT_EQ(history.cells[history_index(3, 2, 1) + 1], DEFECT);
  add_action(history.data(), 0, 1, 4, COOPERATE);
  EXPECT_EQ(history.cells[4 * SLOT_CELLS], COOPERATE);
}

TEST(History, LookupsBeyondTheTableReadAsDefection) {
  Test_History history;
  EXPECT_EQ(get_action(history.data(), 0, 1, 101), 1);
  EXPECT_EQ(get_action(history.data(), 0, 1, int64_t{1} << 40), 1);
  EXPECT_EQ(get_action(history.data(), 100, 1, 3), 1);
  EXPECT_EQ(get_action(history.data(), 1, 255, 3), 1);
  EXPECT_EQ(get_action(history.data(), NO_AGENT, 1, 3), 1);
  EXPECT_EQ(get_action(history.data(), NO_AGENT, NO_AGENT, 3), 0);
}

TEST(History, RecordingFailures) {
  Test_History history;
  EXPECT_EQ(fatal_message([&] { add_action(history.data(), 3, 3, -1, 0); }), "adding action at negative time");
  EXPECT_EQ(fatal_message([&] { add_action(history.data(), 3, 3, 0, 0); }), "adding action versus self");
  EXPECT_EQ(fatal_message([&] { add_action(history.data(), 0, 100, 0, 0); }), "adding action outside the history");
  EXPECT_EQ(fatal_message([&] { add_action(history.data(), 0, 1, 101, 0); }), "adding action outside the history");
  reset_history(history.data());
  for (int32_t cell : history.cells) ASSERT_EQ(cell, NO_ACTION);
}
