#include "tests/test_positions.h"

#include <vector>

#include "board/rules.h"

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
