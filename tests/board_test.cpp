// The Board layout, its text forms and the move-path counts.
#include <gtest/gtest.h>

#include <cstring>

#include "board/board.h"
#include "board/perft.h"
#include "engine/position.h"
#include "tests/test_positions.h"

TEST(Board, ClearBoardHasWallsOnTheFrameOnly) {
  Board board;
  std::memset(board.cell, 7, sizeof board.cell);
  ClearBoard(board);
  int walls = 0;
  int empty = 0;
  for (int i = 0; i < kBoardCells; ++i) {
    walls += board.cell[i] == kWall;
    empty += board.cell[i] == kEmpty;
    EXPECT_EQ(board.cell[i] == kWall, !IsPlayableSquare(i)) << i;
  }
  EXPECT_EQ(walls, 27);
  EXPECT_EQ(empty, 64);
  EXPECT_EQ(board.cell[9], kWall);
  EXPECT_EQ(board.cell[90], kWall);
}

TEST(Board, ListEmptiesWalksColumnsThenRows) {
  Board board;
  SetStartPosition(board);
  MoveList list;
  list.count = 99;
  ListEmpties(board, list);
  ASSERT_EQ(list.count, 60);
  const int first[] = {10, 19, 28, 37, 46, 55, 64, 73, 11};
  for (int k = 0; k < 9; ++k) EXPECT_EQ(list.entry[k], first[k]);
  EXPECT_EQ(list.entry[59], 80);

  ClearBoard(board);
  ListEmpties(board, list);
  ASSERT_EQ(list.count, 64);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(list.entry[k], SquareIndex(k / 8 + 1, k % 8 + 1));

  // Only code 0 is empty: discs of either colour and stray codes are not.
  board.cell[10] = 1;
  board.cell[19] = -1;
  board.cell[28] = 5;
  ListEmpties(board, list);
  EXPECT_EQ(list.count, 61);
  EXPECT_EQ(list.entry[0], 37);

  const Board full = BoardFromSquares(std::string(64, '*'));
  ListEmpties(full, list);
  EXPECT_EQ(list.count, 0);
}

TEST(Board, NormaliseSwapsDiscsForEveryOtherSide) {
  Board source;
  SetStartPosition(source);
  source.cell[10] = 1;
  for (int side : {-1, 255, 0, 2}) {
    Board destination;
    NormaliseBoard(source, destination, side);
    for (int i = 0; i < kBoardCells; ++i) {
      const int8_t expected = source.cell[i] == 1 ? int8_t{-1} : source.cell[i] == -1 ? int8_t{1} : source.cell[i];
      EXPECT_EQ(destination.cell[i], expected) << "side " << side << " cell " << i;
    }
  }
  Board copy;
  NormaliseBoard(source, copy, 1);
  EXPECT_EQ(std::memcmp(copy.cell, source.cell, sizeof copy.cell), 0);
}

TEST(Board, SquareTextForms) {
  struct Case {
    int square;
    const char* upper;
    const char* lower;
  };
  const Case cases[] = {{10, "A1", "a1"}, {17, "H1", "h1"}, {73, "A8", "a8"}, {80, "H8", "h8"}, {51, "F5", "f5"},
                        {40, "D4", "d4"}};
  for (const Case& c : cases) {
    char text[3];
    FormatSquareUpper(c.square, text);
    EXPECT_STREQ(text, c.upper);
    FormatSquareLower(c.square, text);
    EXPECT_STREQ(text, c.lower);
    EXPECT_EQ(ParseSquare(c.lower), c.square);
    EXPECT_EQ(ParseSquare(c.upper), c.square);
  }
  for (const char* bad : {"", "i1", "a0", "a9", "f55", "5f", "f"}) EXPECT_EQ(ParseSquare(bad), 0) << bad;
  EXPECT_EQ(ParseSquare(nullptr), 0);
}

TEST(Board, DiscSumCountsPlayableSquaresOnly) {
  Board board = BoardFromSquares("**0");
  EXPECT_EQ(DiscSum(board), 1);
  board.cell[0] = 1;  // a wall cell holding a disc code is not a square
  board.cell[90] = 1;
  EXPECT_EQ(DiscSum(board), 1);
}

TEST(Perft, MatchesPublishedCountsToDepthNine) {
  const uint64_t expected[] = {4, 12, 56, 244, 1396, 8200, 55092, 390216, 3005288};
  Board board;
  SetStartPosition(board);
  for (int depth = 1; depth <= 9; ++depth) EXPECT_EQ(Perft(board, 1, depth), expected[depth - 1]) << depth;
}

TEST(Perft, ForcedPassIsOnePlyAndFinishedGameOneLeaf) {
  // Black's only disc is enclosed by nothing: neither side can move.
  Board over = BoardFromSquares("*");
  EXPECT_EQ(Perft(over, 1, 5), 1u);
  // Black to move on a1..c1 = "-0*" has one move; white then has none, so
  // the game is over after it: one leaf at any depth beyond the move.
  Board one = BoardFromSquares("-0*");
  EXPECT_EQ(Perft(one, 1, 1), 1u);
  EXPECT_EQ(Perft(one, 1, 3), 1u);
  // White to move in "-0*" cannot move but black can: the pass costs a ply.
  EXPECT_EQ(Perft(one, -1, 1), 1u);
  EXPECT_EQ(Perft(one, -1, 2), 1u);
}
