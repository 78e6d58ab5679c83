// Every row of the reference search table: the reference search's value and
// node count, and the engine's value; and the engine's values on the endgame
// ladder of the deep-search benchmark.
#include <gtest/gtest.h>

#include <cstdlib>

#include "board/board.h"
#include "engine/position.h"
#include "search/search.h"
#include "tests/fixture_reader.h"

namespace {

// A row's position as read, and as the searches take it: normalised for
// side 1 to move, with its empty squares listed.
struct RowPosition {
  Board parsed;
  int side = 0;
  Board board;
  MoveList list;
};

bool ReadRowPosition(const FixtureRow& row, RowPosition& position) {
  if (ParsePosition(row.at("position").c_str(), &position.side, &position.parsed) != 1) return false;
  NormaliseBoard(position.parsed, position.board, position.side);
  ListEmpties(position.board, position.list);
  return true;
}

}  // namespace

TEST(SearchReference, EveryRowMatchesValueAndNodes) {
  const auto rows = ReadFixture("search.tsv");
  ASSERT_GT(rows.size(), 200u);
  for (const FixtureRow& row : rows) {
    SCOPED_TRACE(row.at("position") + " " + row.at("search") + " " + row.at("depth"));
    RowPosition position;
    ASSERT_TRUE(ReadRowPosition(row, position));
    const Board& parsed = position.parsed;
    const Board& board = position.board;
    const MoveList& list = position.list;
    const int expected_value = std::stoi(row.at("value"));
    const auto expected_nodes = std::stoull(row.at("nodes"));
    const std::string& search = row.at("search");
    if (search == "evaluate") {
      EXPECT_EQ(RunEvaluation(SearchImplementation::Reference, parsed), expected_value);
      EXPECT_EQ(RunEvaluation(SearchImplementation::Engine, parsed), expected_value);
      continue;
    }
    SearchKind kind = SearchKind::Midgame;
    int depth = 0;
    if (search == "midgame") {
      depth = std::stoi(row.at("depth"));
    } else if (search == "exact") {
      kind = SearchKind::Exact;
    } else {
      ASSERT_EQ(search, "wld");
      kind = SearchKind::Wld;
    }
    const SearchResult reference = RunSearch(SearchImplementation::Reference, kind, board, list, 1, 10000, depth, 0);
    EXPECT_EQ(reference.value, expected_value);
    EXPECT_EQ(reference.nodes, expected_nodes);
    const SearchResult engine = RunSearch(SearchImplementation::Engine, kind, board, list, 1, 10000, depth, 0);
    EXPECT_EQ(engine.value, expected_value) << "engine";
  }
}

// Positions from the public FFO endgame suite, 12 to 16 empty squares.
TEST(SearchReference, EngineSolvesTheEndgameLadder) {
  const auto rows = ReadFixture("../../benchmarks/data/endgame.tsv");
  int solved = 0;
  for (const FixtureRow& row : rows) {
    if (std::stoi(row.at("empties")) > 16 || row.at("reference_value") == "-") continue;
    SCOPED_TRACE(row.at("set") + " " + row.at("position"));
    RowPosition position;
    ASSERT_TRUE(ReadRowPosition(row, position));
    const Board& board = position.board;
    const MoveList& list = position.list;
    const bool exact = row.at("set").rfind("exact", 0) == 0;
    const SearchKind kind = exact ? SearchKind::Exact : SearchKind::Wld;
    EXPECT_EQ(RunSearch(SearchImplementation::Engine, kind, board, list, 1, 10000, 0, 0).value,
              std::stoi(row.at("reference_value")));
    ++solved;
  }
  EXPECT_EQ(solved, 60);
}

// Positions of 18 to 22 empty squares, beyond the reference's reach: the
// values the engine answered when they were written (see
// tests/data/make_deep_solves.py), which every later version of its
// searches must answer too, by the search call and by the root search.
// Under the sanitizers (TENU_SANITIZED set), where searches run several
// times slower, only the positions of up to 19 empty squares.
TEST(SearchReference, EngineKeepsItsDeepSolves) {
  const auto rows = ReadFixture("deep_solves.tsv");
  ASSERT_EQ(rows.size(), 20u);
  const int most_empties = std::getenv("TENU_SANITIZED") != nullptr ? 19 : 64;
  for (const FixtureRow& row : rows) {
    if (std::stoi(row.at("empties")) > most_empties) continue;
    SCOPED_TRACE(row.at("position"));
    RowPosition position;
    ASSERT_TRUE(ReadRowPosition(row, position));
    const Board& board = position.board;
    const MoveList& list = position.list;
    EXPECT_EQ(RunSearch(SearchImplementation::Engine, SearchKind::Exact, board, list, 1, 10000, 0, 0).value,
              std::stoi(row.at("exact")));
    EXPECT_EQ(RunSearch(SearchImplementation::Engine, SearchKind::Wld, board, list, 1, 10000, 0, 0).value,
              std::stoi(row.at("wld")));
    if (std::stoi(row.at("empties")) <= 19) {
      EXPECT_EQ(SolvePosition(position.parsed, position.side, false).value, std::stoi(row.at("exact")));
    }
  }
}
