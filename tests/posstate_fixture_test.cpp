// Every row of the reference move-score table, through the export.
#include <gtest/gtest.h>

#include "board/board.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "tests/engine_state.h"
#include "tests/fixture_reader.h"

TEST(MoveScoreReference, EveryRowMatches) {
  const auto rows = ReadFixture("posstate.tsv");
  ASSERT_GT(rows.size(), 100u);
  EngineStateGuard guard;
  for (const FixtureRow& row : rows) {
    SCOPED_TRACE(row.at("position") + " " + row.at("square") + " " + row.at("side"));
    Board board;
    int parsed_side = 0;
    ASSERT_EQ(ParsePosition(row.at("position").c_str(), &parsed_side, &board), 1);
    const int square = ParseSquare(row.at("square").c_str());
    ASSERT_NE(square, 0);
    const int side = std::stoi(row.at("side")) == 1 ? 1 : 0xFF;
    EXPECT_EQ(VellPosState(board.cell, square, side, 0), std::stoi(row.at("value")));
  }
}
