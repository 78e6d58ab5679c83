#include "board/perft.h"

#include "board/rules.h"

namespace {

uint64_t PerftNode(const Board& board, int colour, int depth) {
  if (depth == 0) return 1;
  uint64_t leaves = 0;
  bool moved = false;
  Board child;
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (!PlayMove(board, child, s, colour)) continue;
    moved = true;
    leaves += PerftNode(child, -colour, depth - 1);
  }
  if (moved) return leaves;
  // No move: a pass when the other side can move, else the game is over.
  bool opponent_can_move = false;
  for (int s = kFirstSquare; s <= kLastSquare && !opponent_can_move; ++s) {
    opponent_can_move = IsLegalMove(board, s, -colour) != 0;
  }
  if (!opponent_can_move) return 1;
  return PerftNode(board, -colour, depth - 1);
}

}  // namespace

uint64_t Perft(const Board& board, int colour, int depth) { return PerftNode(board, colour, depth); }
