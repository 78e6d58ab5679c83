// Every row of the reference search table: the reference search's value and
// node count, and the engine's value; and the engine's values on the endgame
// ladder of the deep-search benchmark.
#include <gtest/gtest.h>

#include "board/board.h"
#include "engine/position.h"
#include "search/dispatch.h"
#include "search/evaluate.h"
#include "search/search.h"
#include "tests/fixture_reader.h"

TEST(SearchReference, EveryRowMatchesValueAndNodes) {
  const auto rows = ReadFixture("search.tsv");
  ASSERT_GT(rows.size(), 200u);
  for (const FixtureRow& row : rows) {
    SCOPED_TRACE(row.at("position") + " " + row.at("search") + " " + row.at("depth"));
    Board parsed;
    int side = 0;
    ASSERT_EQ(ParsePosition(row.at("position").c_str(), &side, &parsed), 1);
    const int expected_value = std::stoi(row.at("value"));
    const auto expected_nodes = std::stoull(row.at("nodes"));
    const std::string& search = row.at("search");
    if (search == "evaluate") {
      EXPECT_EQ(Evaluate(parsed), expected_value);
      continue;
    }
    Board board;
    NormaliseBoard(parsed, board, side);
    MoveList list;
    ListEmpties(board, list);
    SearchNodes = 0;
    int value = 0;
    if (search == "midgame") {
      value = MidgameSearch(board, list, 1, 10000, std::stoi(row.at("depth")), 0);
    } else if (search == "exact") {
      value = ExactSolve(board, list, 1, 10000, 0);
    } else {
      ASSERT_EQ(search, "wld");
      value = WldSolve(board, list, 1, 10000, 0);
    }
    EXPECT_EQ(value, expected_value);
    EXPECT_EQ(SearchNodes, expected_nodes);
    if (search == "midgame") {
      value = RunMidgameSearch(board, list, 1, 10000, std::stoi(row.at("depth")), 0);
    } else if (search == "exact") {
      value = RunExactSolve(board, list, 1, 10000, 0);
    } else {
      value = RunWldSolve(board, list, 1, 10000, 0);
    }
    EXPECT_EQ(value, expected_value) << "engine";
  }
}

// Positions from the public FFO endgame suite, 12 to 16 empty squares.
TEST(SearchReference, EngineSolvesTheEndgameLadder) {
  const auto rows = ReadFixture("../../benchmarks/data/endgame.tsv");
  int solved = 0;
  for (const FixtureRow& row : rows) {
    if (std::stoi(row.at("empties")) > 16 || row.at("reference_value") == "-") continue;
    SCOPED_TRACE(row.at("set") + " " + row.at("position"));
    Board parsed;
    int side = 0;
    ASSERT_EQ(ParsePosition(row.at("position").c_str(), &side, &parsed), 1);
    Board board;
    NormaliseBoard(parsed, board, side);
    MoveList list;
    ListEmpties(board, list);
    const bool exact = row.at("set").rfind("exact", 0) == 0;
    const int value = exact ? RunExactSolve(board, list, 1, 10000, 0) : RunWldSolve(board, list, 1, 10000, 0);
    EXPECT_EQ(value, std::stoi(row.at("reference_value")));
    ++solved;
  }
  EXPECT_EQ(solved, 60);
}
