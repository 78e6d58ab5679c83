#include "tests/test_positions.h"

#include <algorithm>
#include <vector>

#include "board/rules.h"
#include "search/reference/reference.h"

bool CanMove(const Board& board, int colour) {
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (IsLegalMove(board, s, colour)) return true;
  }
  return false;
}

Board RandomGamePosition(std::mt19937& rng, int plies, int& side) {
  Board board;
  SetStartPosition(board);
  side = 1;
  for (int ply = 0; ply < plies; ++ply) {
    std::vector<int> moves;
    for (int s = kFirstSquare; s <= kLastSquare; ++s) {
      if (IsLegalMove(board, s, side)) moves.push_back(s);
    }
    if (moves.empty()) {
      if (!CanMove(board, -side)) break;
      side = -side;
      continue;
    }
    const int s = moves[std::uniform_int_distribution<size_t>(0, moves.size() - 1)(rng)];
    PlayMove(board, board, s, side);
    side = -side;
  }
  return board;
}

Board BoardFromSquares(const std::string& squares) {
  Board board;
  ClearBoard(board);
  for (int i = 0; i < 64 && i < static_cast<int>(squares.size()); ++i) {
    const char c = squares[static_cast<size_t>(i)];
    board.cell[SquareIndex(i % 8 + 1, i / 8 + 1)] = c == '*' ? int8_t{1} : c == '0' ? int8_t{-1} : kEmpty;
  }
  return board;
}

MoveList EmptiesOf(const Board& board) {
  MoveList list;
  ListEmpties(board, list);
  return list;
}

// Depth-limited minimax of the midgame rules with no pruning: leaves are
// Evaluate at depth 0 and +-9999/0 when neither side can move.
int PlainMinimax(const Board& board, int colour, int depth, bool passed) {
  if (depth == 0) return reference::Evaluate(board);
  bool moved = false;
  int best = colour == 1 ? -10000 : 10000;
  Board child;
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (!PlayMove(board, child, s, colour)) continue;
    moved = true;
    const int r = PlainMinimax(child, -colour, depth - 1, false);
    best = colour == 1 ? std::max(best, r) : std::min(best, r);
  }
  if (moved) return best;
  if (!passed) return PlainMinimax(board, -colour, depth - 1, true);
  const int d = DiscSum(board);
  return d > 0 ? 9999 : d < 0 ? -9999 : 0;
}

// Perfect-play disc difference with the solvers' scoring: raw DiscSum at the
// end, empty squares counting for nobody.
int PerfectPlay(const Board& board, int colour, bool passed) {
  bool moved = false;
  int best = colour == 1 ? -1000 : 1000;
  Board child;
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (!PlayMove(board, child, s, colour)) continue;
    moved = true;
    const int r = PerfectPlay(child, -colour, false);
    best = colour == 1 ? std::max(best, r) : std::min(best, r);
  }
  if (moved) return best;
  if (!passed) return PerfectPlay(board, -colour, true);
  return DiscSum(board);
}

int ReferenceMidgame(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed) {
  uint64_t nodes = 0;
  return reference::MidgameSearch(board, list, colour, bound, depth, passed, nodes);
}

int ReferenceExact(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  uint64_t nodes = 0;
  return reference::ExactSolve(board, list, colour, bound, passed, nodes);
}

int ReferenceWld(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  uint64_t nodes = 0;
  return reference::WldSolve(board, list, colour, bound, passed, nodes);
}
