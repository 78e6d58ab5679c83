#include "board/board.h"

#include <cstring>

const int Directions[8] = {-10, -9, -8, -1, +1, +8, +9, +10};

void ClearBoard(Board& board) {
  std::memset(board.cell, 0, sizeof board.cell);
  for (int i = 0; i <= 9; ++i) board.cell[i] = kWall;
  for (int i = 18; i <= 72; i += 9) board.cell[i] = kWall;
  for (int i = 81; i <= 90; ++i) board.cell[i] = kWall;
}

void SetStartPosition(Board& board) {
  ClearBoard(board);
  board.cell[SquareIndex(4, 4)] = -1;
  board.cell[SquareIndex(5, 5)] = -1;
  board.cell[SquareIndex(4, 5)] = 1;
  board.cell[SquareIndex(5, 4)] = 1;
}

void NormaliseBoard(const Board& source, Board& destination, int side) {
  if (side == 1) {
    std::memmove(destination.cell, source.cell, sizeof destination.cell);
    return;
  }
  for (int i = 0; i < kBoardCells; ++i) {
    const int8_t code = source.cell[i];
    destination.cell[i] = code == 1 ? int8_t{-1} : code == -1 ? int8_t{1} : code;
  }
}

void ListEmpties(const Board& board, MoveList& list) {
  list.count = 0;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const int s = SquareIndex(x, y);
      if (board.cell[s] == kEmpty) list.entry[list.count++] = s;
    }
  }
}

int DiscSum(const Board& board) {
  int sum = 0;
  for (int y = 1; y <= 8; ++y) {
    for (int x = 1; x <= 8; ++x) sum += board.cell[SquareIndex(x, y)];
  }
  return sum;
}

void FormatSquareUpper(int s, char out[3]) {
  out[0] = static_cast<char>(SquareColumn(s) + 64);
  out[1] = static_cast<char>('0' + SquareRow(s));
  out[2] = '\0';
}

void FormatSquareLower(int s, char out[3]) {
  out[0] = static_cast<char>(SquareColumn(s) + 96);
  out[1] = static_cast<char>('0' + SquareRow(s));
  out[2] = '\0';
}

int ParseSquare(const char* text) {
  if (text == nullptr) return 0;
  const char letter = text[0];
  const int x = letter >= 'a' && letter <= 'h' ? letter - 'a' + 1
                : letter >= 'A' && letter <= 'H' ? letter - 'A' + 1
                                                 : 0;
  if (x == 0 || text[1] < '1' || text[1] > '8' || text[2] != '\0') return 0;
  return SquareIndex(x, text[1] - '0');
}
