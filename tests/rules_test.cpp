// The move rules, checked against a deliberately naive coordinate version
// and on the cases where scans along the Board's lines go wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board/rules.h"
#include "tests/test_positions.h"

namespace {

// The rule as a person states it, in (x, y) coordinates: walk each of the
// eight directions over opponent discs and flip them if one's own disc ends
// the walk.
struct NaiveResult {
  bool legal = false;
  int8_t after[9][9] = {};
};

NaiveResult NaivePlay(const Board& board, int x, int y, int colour) {
  NaiveResult result;
  for (int cx = 1; cx <= 8; ++cx) {
    for (int cy = 1; cy <= 8; ++cy) result.after[cx][cy] = board.cell[cx + 9 * cy];
  }
  if (board.cell[x + 9 * y] != 0) return result;
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dy = -1; dy <= 1; ++dy) {
      if (dx == 0 && dy == 0) continue;
      int cx = x + dx;
      int cy = y + dy;
      int run = 0;
      while (cx >= 1 && cx <= 8 && cy >= 1 && cy <= 8 && board.cell[cx + 9 * cy] == -colour) {
        cx += dx;
        cy += dy;
        ++run;
      }
      if (run == 0 || cx < 1 || cx > 8 || cy < 1 || cy > 8 || board.cell[cx + 9 * cy] != colour) continue;
      result.legal = true;
      for (int k = 1; k <= run; ++k) result.after[x + k * dx][y + k * dy] = static_cast<int8_t>(colour);
    }
  }
  if (result.legal) result.after[x][y] = static_cast<int8_t>(colour);
  return result;
}

void ExpectMatchesNaive(const Board& board, int s, int colour) {
  const NaiveResult naive = NaivePlay(board, SquareColumn(s), SquareRow(s), colour);
  EXPECT_EQ(IsLegalMove(board, s, colour), naive.legal ? 1 : 0) << s << " colour " << colour;

  Board separate;
  std::memset(separate.cell, 0x33, sizeof separate.cell);
  const Board before = separate;
  const int played = PlayMove(board, separate, s, colour);
  ASSERT_EQ(played, naive.legal ? 1 : 0) << s;
  Board in_place = board;
  EXPECT_EQ(PlayMove(in_place, in_place, s, colour), played);
  if (!played) {
    EXPECT_EQ(std::memcmp(separate.cell, before.cell, sizeof before.cell), 0) << "destination touched";
    EXPECT_EQ(std::memcmp(in_place.cell, board.cell, sizeof board.cell), 0);
    return;
  }
  for (int i = 0; i < kBoardCells; ++i) {
    const int8_t expected = IsPlayableSquare(i) ? naive.after[SquareColumn(i)][SquareRow(i)] : board.cell[i];
    ASSERT_EQ(separate.cell[i], expected) << "square " << s << " cell " << i;
  }
  EXPECT_EQ(std::memcmp(in_place.cell, separate.cell, sizeof separate.cell), 0);
}

}  // namespace

TEST(Rules, AgreeWithNaiveRulesOnRandomPositions) {
  std::mt19937 rng(20261209);
  for (int game = 0; game < 400; ++game) {
    int side = 1;
    const Board board = RandomGamePosition(rng, game % 61, side);
    for (int s = kFirstSquare; s <= kLastSquare; ++s) {
      if (!IsPlayableSquare(s)) continue;
      ExpectMatchesNaive(board, s, 1);
      ExpectMatchesNaive(board, s, -1);
      if (HasFailure()) return;
    }
  }
}

TEST(Rules, AgreeWithNaiveRulesOnDenseRandomBoards) {
  // Arbitrary (often unreachable) boards put long runs against every edge.
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> code(-1, 1);
  for (int round = 0; round < 300; ++round) {
    Board board;
    ClearBoard(board);
    for (int s = kFirstSquare; s <= kLastSquare; ++s) {
      if (IsPlayableSquare(s)) board.cell[s] = static_cast<int8_t>(code(rng) * (round % 3 == 0 ? 1 : code(rng) != 0));
    }
    for (int s = kFirstSquare; s <= kLastSquare; ++s) {
      if (!IsPlayableSquare(s)) continue;
      ExpectMatchesNaive(board, s, 1);
      ExpectMatchesNaive(board, s, -1);
      if (HasFailure()) return;
    }
  }
}

TEST(Rules, LongestRunsAlongTheDiagonal) {
  // Colour 1 on h8, -1 on b2..g7: a1 turns all six.
  Board board = BoardFromSquares("");
  board.cell[80] = 1;
  for (int k = 2; k <= 7; ++k) board.cell[SquareIndex(k, k)] = -1;
  Board after;
  ASSERT_EQ(PlayMove(board, after, 10, 1), 1);
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(after.cell[SquareIndex(k, k)], 1) << k;
  // Seven opponent discs with nothing of the mover behind them: no run.
  board.cell[80] = -1;
  EXPECT_EQ(IsLegalMove(board, 10, 1), 0);
  EXPECT_EQ(PlayMove(board, after, 10, 1), 0);
}

TEST(Rules, OccupiedWallAndOffBoardSquaresAreNeverLegal) {
  Board board;
  SetStartPosition(board);
  for (int s : {40, 41, 49, 50}) EXPECT_EQ(IsLegalMove(board, s, 1), 0);
  for (int s : {-5, 0, 9, 18, 81, 90, 91, 1000}) {
    EXPECT_EQ(IsLegalMove(board, s, 1), 0) << s;
    Board dst = board;
    EXPECT_EQ(PlayMove(board, dst, s, 1), 0) << s;
  }
}

TEST(Rules, ColourIsReadFromItsLowByte) {
  Board board;
  SetStartPosition(board);
  Board as_minus_one;
  Board as_255;
  ASSERT_EQ(PlayMove(board, as_minus_one, SquareIndex(4, 6), -1), 1);
  ASSERT_EQ(PlayMove(board, as_255, SquareIndex(4, 6), 255), 1);
  EXPECT_EQ(std::memcmp(as_minus_one.cell, as_255.cell, sizeof as_255.cell), 0);
  EXPECT_EQ(IsLegalMove(board, SquareIndex(6, 5), 0x101), 1);
}
