// The evaluation and the searches against their definitions: plain minimax
// without pruning inside the tests, and the hand-worked cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "board/rules.h"
#include "search/reference/reference.h"
#include "search/search.h"
#include "tests/test_positions.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

TEST(Evaluate, HandWorkedPositions) {
  struct Case {
    const char* squares;
    int expected;
  };
  const Case cases[] = {
      {"---------------------------0*------*0---------------------------", 0},  // start
      {"*", 179},
      {"0", -179},
      {"*0", 216},
      {"-------*", 179},  // h1, the mirror corner
  };
  for (const Case& c : cases) EXPECT_EQ(reference::Evaluate(BoardFromSquares(c.squares)), c.expected) << c.squares;
}

TEST(Evaluate, FullBoardKeepsOnlyTheDiscTerm) {
  std::string squares(64, '*');
  for (int i = 0; i < 64; i += 3) squares[static_cast<size_t>(i)] = '0';
  const Board board = BoardFromSquares(squares);
  int disc_term = 0;
  for (int i = 0; i < 64; ++i) {
    const int s = SquareIndex(i % 8 + 1, i / 8 + 1);
    disc_term += board.cell[s] * reference::EvalWeights[s - 10] * 4;
  }
  EXPECT_EQ(reference::Evaluate(board), disc_term);
}

TEST(Evaluate, StaysBelowFiveThousand) {
  std::mt19937 rng(99);
  for (int k = 0; k < 500; ++k) {
    int side = 1;
    Board board = RandomGamePosition(rng, k % 61, side);
    const int value = reference::Evaluate(board);
    EXPECT_LT(std::abs(value), 5000);
  }
  int sum = 0;
  for (int w : reference::EvalWeights) sum += w;
  EXPECT_EQ(sum, 312);
}

TEST(MidgameSearch, FullWindowEqualsPlainMinimax) {
  std::mt19937 rng(4242);
  for (int k = 0; k < 120; ++k) {
    int side = 1;
    const Board board = RandomGamePosition(rng, 20 + k % 41, side);
    const MoveList list = EmptiesOf(board);
    const int depth = 1 + k % 4;
    // A minimising node called with bound -10000 returns the exact value.
    EXPECT_EQ(ReferenceMidgame(board, list, -1, -10000, depth, 0), PlainMinimax(board, -1, depth, false)) << k;
    // And a maximising node with bound +10000 likewise.
    EXPECT_EQ(ReferenceMidgame(board, list, 1, 10000, depth, 0), PlainMinimax(board, 1, depth, false)) << k;
  }
}

TEST(MidgameSearch, FailSoftAroundTheBound) {
  std::mt19937 rng(31337);
  for (int k = 0; k < 80; ++k) {
    int side = 1;
    const Board board = RandomGamePosition(rng, 24 + k % 30, side);
    const MoveList list = EmptiesOf(board);
    const int v = PlainMinimax(board, -1, 3, false);
    for (int bound : {v - 50, v - 1, v, v + 1, v + 50}) {
      const int r = ReferenceMidgame(board, list, -1, bound, 3, 0);
      if (r > bound) {
        EXPECT_EQ(r, v);
      } else {
        EXPECT_LE(v, r);
      }
      const int max_r = ReferenceMidgame(board, list, 1, bound, 3, 0);
      const int max_v = PlainMinimax(board, 1, 3, false);
      if (max_r < bound) {
        EXPECT_EQ(max_r, max_v);
      } else {
        EXPECT_GE(max_v, max_r);
      }
    }
  }
}

TEST(MidgameSearch, GameEndsAndPasses) {
  struct Case {
    const char* squares;
    int colour;
    int depth;
    int expected;
  };
  std::string full_black(64, '*');
  full_black[0] = '0';
  std::string full_draw(64, '*');
  for (int i = 0; i < 32; ++i) full_draw[static_cast<size_t>(i)] = '0';
  const Board full = BoardFromSquares(full_black);
  const Case cases[] = {
      // Full boards: at depth 2 both sides pass and the disc count decides.
      {full_black.c_str(), 1, 2, 9999},
      {full_black.c_str(), -1, 2, 9999},
      {full_draw.c_str(), 1, 3, 0},
      // At depth 1 the pass reaches depth 0 and the full board is evaluated.
      {full_black.c_str(), 1, 1, reference::Evaluate(full)},
      // Nobody can move though squares are empty: the raw count decides.
      {"0", 1, 2, -9999},
      {"*", -1, 4, 9999},
  };
  for (const Case& c : cases) {
    const Board board = BoardFromSquares(c.squares);
    EXPECT_EQ(ReferenceMidgame(board, EmptiesOf(board), c.colour, c.colour == 1 ? 10000 : -10000, c.depth, 0),
              c.expected)
        << c.squares << " depth " << c.depth;
  }
  // Depth 0 evaluates at once, finished game or not.
  EXPECT_EQ(ReferenceMidgame(full, EmptiesOf(full), 1, 10000, 0, 0), reference::Evaluate(full));
}

TEST(MidgameSearch, PassIgnoresTheParentsBound) {
  // White to move in "-0*" has no move, black has a1: the pass searches
  // black's reply with the full window whatever bound the node was given.
  const Board board = BoardFromSquares("-0*");
  const MoveList list = EmptiesOf(board);
  const int v = PlainMinimax(board, -1, 3, false);
  for (int bound : {-10000, -9999, 0, 9999}) {
    EXPECT_EQ(ReferenceMidgame(board, list, -1, bound, 3, 0), v) << bound;
  }
}

TEST(MidgameSearch, MaximisingNodeReturnsTheValueThatReachedItsBound) {
  std::mt19937 rng(5);
  int checked = 0;
  for (int k = 0; k < 200 && checked < 30; ++k) {
    int side = 1;
    const Board board = RandomGamePosition(rng, 30, side);
    const MoveList list = EmptiesOf(board);
    // The first legal child's value, searched alone.
    Board child;
    int first = -1;
    for (int i = 0; i < list.count && first < 0; ++i) {
      if (PlayMove(board, child, list.entry[i], 1)) first = i;
    }
    if (first < 0) continue;
    MoveList child_list = list;
    child_list.count = list.count - 1;
    child_list.entry[first] = list.entry[list.count - 1];
    const SearchResult alone =
        RunSearch(SearchImplementation::Reference, SearchKind::Midgame, child, child_list, -1, -10000, 2, 0);
    const int r = alone.value;
    const SearchResult node =
        RunSearch(SearchImplementation::Reference, SearchKind::Midgame, board, list, 1, r - 100, 3, 0);
    EXPECT_EQ(node.value, r);
    // One call for the node, then the first child's subtree only.
    EXPECT_EQ(node.nodes, alone.nodes + 1);
    ++checked;
  }
  EXPECT_GE(checked, 20);
}

TEST(EndgameSolvers, MatchPerfectPlayOnSmallEndgames) {
  std::mt19937 rng(777);
  int solved = 0;
  for (int k = 0; solved < 150 && k < 2000; ++k) {
    int side = 1;
    const Board board = RandomGamePosition(rng, 51 + k % 10, side);
    const MoveList list = EmptiesOf(board);
    if (list.count > 9) continue;
    ++solved;
    for (int colour : {1, -1}) {
      const int v = PerfectPlay(board, colour, false);
      const int full_window = colour == 1 ? 10000 : -10000;
      EXPECT_EQ(ReferenceExact(board, list, colour, full_window, 0), v) << k;
      EXPECT_EQ(Sign(ReferenceWld(board, list, colour, full_window, 0)), Sign(v)) << k;
      // A minimising node with the exact value as its bound cannot go above it.
      if (colour == -1) {
        EXPECT_LE(ReferenceExact(board, list, -1, v, 0), v);
      }
    }
  }
  EXPECT_EQ(solved, 150);
}

TEST(EndgameSolvers, LastSquareAndFinishedBoards) {
  std::string squares(64, '*');
  squares[63] = '-';  // h8 empty
  squares[62] = '0';  // g8 white: black can take h8 and turn it
  const Board takes = BoardFromSquares(squares);
  EXPECT_EQ(ReferenceExact(takes, EmptiesOf(takes), 1, 10000, 0), 64);
  // White to move cannot take h8 (no black disc to turn), black can.
  EXPECT_EQ(ReferenceExact(takes, EmptiesOf(takes), -1, -10000, 0), 64);
  // Nobody can take it: the disc difference of the board as it is.
  std::string stuck(64, '*');
  stuck[63] = '-';
  const Board nobody = BoardFromSquares(stuck);
  EXPECT_EQ(ReferenceExact(nobody, EmptiesOf(nobody), 1, 10000, 0), 63);
  // The one-empty rule passes the raw difference through the narrow solver.
  EXPECT_EQ(ReferenceWld(nobody, EmptiesOf(nobody), 1, 10000, 0), 63);
  // A full board: both pass, DiscSum.
  std::string full(64, '0');
  full[0] = '*';
  const Board board = BoardFromSquares(full);
  EXPECT_EQ(ReferenceExact(board, EmptiesOf(board), 1, 10000, 0), -62);
  EXPECT_EQ(ReferenceWld(board, EmptiesOf(board), -1, -10000, 0), -62);
  // Several empty squares and no moves: the raw difference, not a win score.
  const Board lone = BoardFromSquares("*");
  EXPECT_EQ(ReferenceExact(lone, EmptiesOf(lone), 1, 10000, 0), 1);
}
