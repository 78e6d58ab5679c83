#include "board/rules.h"

#include <cstring>

namespace {

// The mover is exactly 1 or -1; anything else in the low byte is treated as -1
// so that a stray colour can never make the scan walk across wall cells.
int8_t MoverCode(int colour) { return ColourByte(colour) == 1 ? int8_t{1} : int8_t{-1}; }

// Length (1..6) of the opponent run from square along d closed by the mover,
// or 0 when there is none.
int RunLength(const Board& board, int square, int d, int8_t mover) {
  const int8_t opponent = static_cast<int8_t>(-mover);
  if (board.cell[square + d] != opponent) return 0;
  int k = 1;
  while (k < 6 && board.cell[square + (k + 1) * d] == opponent) ++k;
  // The closing cell is at distance k + 1, at most 7: a line of playable
  // squares always ends on a wall by then, so the scan stays inside the array.
  return board.cell[square + (k + 1) * d] == mover ? k : 0;
}

}  // namespace

int IsLegalMove(const Board& board, int square, int colour) {
  if (!IsPlayableSquare(square) || board.cell[square] != kEmpty) return 0;
  const int8_t mover = MoverCode(colour);
  for (int d : Directions) {
    if (RunLength(board, square, d, mover) > 0) return 1;
  }
  return 0;
}

int PlayMove(const Board& source, Board& destination, int square, int colour) {
  if (!IsPlayableSquare(square) || source.cell[square] != kEmpty) return 0;
  const int8_t mover = MoverCode(colour);
  int runs[8];
  int any = 0;
  for (int k = 0; k < 8; ++k) {
    runs[k] = RunLength(source, square, Directions[k], mover);
    any |= runs[k];
  }
  if (any == 0) return 0;
  if (&destination != &source) std::memcpy(destination.cell, source.cell, sizeof destination.cell);
  destination.cell[square] = mover;
  for (int k = 0; k < 8; ++k) {
    for (int step = 1; step <= runs[k]; ++step) destination.cell[square + step * Directions[k]] = mover;
  }
  return 1;
}
