// The move-scoring export: what it changes for its call, how it counts the
// depth, and that host input never leads it outside the 91 bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board/rules.h"
#include "engine/exports.h"
#include "search/reference/reference.h"
#include "engine/root.h"
#include "search/search.h"
#include "tests/engine_state.h"
#include "tests/test_positions.h"
#include "core/settings.h"

namespace {

// The score the export should give, computed the long way: normalise, play
// for side 1, list in column order, search with the depth counted after the
// move.
int ExpectedScore(const Board& board, int square, int side) {
  Board normalised;
  NormaliseBoard(board, normalised, side);
  Board after;
  if (!PlayMove(normalised, after, square, 1)) return 0;
  const MoveList list = EmptiesOf(after);
  const int depth = EngineSettings.Depth + (list.count <= EngineSettings.HisshoDepth + 14 ? 1 : 0);
  return ReferenceMidgame(after, list, -1, -10000, depth, 0);
}

}  // namespace

TEST(MoveScore, MatchesTheSearchOfThePositionAfterTheMove) {
  EngineStateGuard guard;
  std::mt19937 rng(11);
  for (int k = 0; k < 40; ++k) {
    int side = 1;
    const Board board = RandomGamePosition(rng, 10 + k, side);
    for (int s = kFirstSquare; s <= kLastSquare; ++s) {
      if (!IsLegalMove(board, s, side)) continue;
      EXPECT_EQ(VellPosState(board.cell, s, side == 1 ? 1 : 0xFF, 0), ExpectedScore(board, s, side));
      break;
    }
  }
}

TEST(MoveScore, DepthIsCountedAfterTheMove) {
  EngineStateGuard guard;
  // 29 empty squares before the move, 28 after: depth Depth + 1 = 6.
  std::mt19937 rng(5);
  for (int k = 0; k < 2000; ++k) {
    int side = 1;
    const Board board = RandomGamePosition(rng, 31, side);
    if (EmptiesOf(board).count != 29) continue;
    for (int s = kFirstSquare; s <= kLastSquare; ++s) {
      if (!IsLegalMove(board, s, side)) continue;
      Board normalised, after;
      NormaliseBoard(board, normalised, side);
      PlayMove(normalised, after, s, 1);
      const MoveList list = EmptiesOf(after);
      ASSERT_EQ(list.count, 28);
      EXPECT_EQ(VellPosState(board.cell, s, side, 0), ReferenceMidgame(after, list, -1, -10000, 6, 0));
      return;
    }
  }
  FAIL() << "no position with 29 empty squares";
}

TEST(MoveScore, SideIsReadFromItsLowByte) {
  EngineStateGuard guard;
  Board board;
  SetStartPosition(board);
  const int d6 = SquareIndex(4, 6);  // white's move
  const int white = VellPosState(board.cell, d6, 0xFF, 0);
  EXPECT_EQ(VellPosState(board.cell, d6, -1, 0), white);
  EXPECT_EQ(VellPosState(board.cell, d6, 0x1FF, 0), white);
  EXPECT_EQ(VellPosState(board.cell, d6, 0, 0), white);
  EXPECT_EQ(VellPosState(board.cell, d6, 1, 0), 0);  // not black's move
  EXPECT_EQ(VellPosState(board.cell, SquareIndex(6, 5), 0x101, 0), VellPosState(board.cell, SquareIndex(6, 5), 1, 0));
}

TEST(MoveScore, RestoresItsSwitchesAndLeavesTheHostArrayAlone) {
  EngineStateGuard guard;
  Board board;
  SetStartPosition(board);
  const Board guard_copy = board;
  for (int show : {0, 1}) {
    EngineSettings.ShowProgress = show;
    for (int square : {SquareIndex(6, 5), SquareIndex(1, 1), 40, 0, 9, 18, 81, 90, -1, 1000}) {
      VellPosState(board.cell, square, 1, 0);
      EXPECT_EQ(EngineSettings.ShowProgress, show);
      EXPECT_EQ(std::memcmp(board.cell, guard_copy.cell, sizeof board.cell), 0);
    }
  }
  // Occupied, not legal, or no square at all: 0.
  for (int square : {40, SquareIndex(1, 1), 0, 9, 18, 90, 91, -5}) EXPECT_EQ(VellPosState(board.cell, square, 1, 0), 0);
  EXPECT_EQ(VellPosState(nullptr, SquareIndex(6, 5), 1, 0), 0);
}

TEST(MoveScore, FillingTheBoardScoresTheFinishedGame) {
  EngineStateGuard guard;
  std::string squares(64, '*');
  squares[62] = '0';
  squares[63] = '-';
  const Board board = BoardFromSquares(squares);
  EXPECT_EQ(VellPosState(board.cell, 80, 1, 0), 9999);
  // White everywhere but black on a1 and g8, h8 empty. White's h8 turns g8
  // and wins; black's h8 turns the diagonal back to a1 and still loses.
  std::string mostly_white(64, '0');
  mostly_white[0] = '*';
  mostly_white[62] = '*';
  mostly_white[63] = '-';
  const Board white_wins = BoardFromSquares(mostly_white);
  EXPECT_EQ(VellPosState(white_wins.cell, 80, 0xFF, 0), 9999);
  EXPECT_EQ(VellPosState(white_wins.cell, 80, 1, 0), -9999);
}

TEST(MoveScore, BrokenWallsAndStrayCodesReadAsAProperBoard) {
  EngineStateGuard guard;
  Board board;
  SetStartPosition(board);
  const int expected = VellPosState(board.cell, SquareIndex(6, 5), 1, 0);
  Board hostile = board;
  for (int i = 0; i < kBoardCells; ++i) {
    if (!IsPlayableSquare(i)) hostile.cell[i] = (i % 2 == 0) ? int8_t{-1} : int8_t{1};  // walls that look like discs
  }
  EXPECT_EQ(VellPosState(hostile.cell, SquareIndex(6, 5), 1, 0), expected);
  // Codes other than 1 and 0xFF on squares are empty squares.
  Board stray = board;
  stray.cell[10] = 7;
  stray.cell[80] = 100;
  stray.cell[17] = -100;
  EXPECT_EQ(VellPosState(stray.cell, SquareIndex(6, 5), 1, 0), expected);
}
