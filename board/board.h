// The Board: a 91-cell array of the 8x8 board framed by wall cells, and the
// MoveList of candidate squares. Both layouts are external formats (the host
// hands a Board to the move-scoring export), so they are fixed byte for byte.
#pragma once

#include <cstdint>

// Cell codes.
constexpr int8_t kEmpty = 0;
constexpr int8_t kWall = 100;

constexpr int kBoardCells = 91;
constexpr int kFirstSquare = 10;  // a1
constexpr int kLastSquare = 80;   // h8

struct Board {
  int8_t cell[kBoardCells];
};
static_assert(sizeof(Board) == 91, "the Board is 91 bytes on every platform");

// Entries 0..63 hold square indices, entry 64 (count) the number of valid ones.
struct MoveList {
  int32_t entry[64];
  int32_t count;
};
static_assert(sizeof(MoveList) == 65 * sizeof(int32_t), "a MoveList is 65 integers");

// The eight line offsets, in the order every scan over directions follows.
extern const int Directions[8];

// Square index s = x + 9*y for column x and row y in 1..8.
constexpr int SquareIndex(int x, int y) { return x + 9 * y; }
constexpr int SquareColumn(int s) { return s % 9; }
constexpr int SquareRow(int s) { return s / 9; }

// True for the 64 playable indices (10..80, not on a row's wall column).
constexpr bool IsPlayableSquare(int s) {
  return s >= kFirstSquare && s <= kLastSquare && s % 9 != 0;
}

// Only the low 8 bits of a colour count: 255 and -1 are the same colour.
constexpr int8_t ColourByte(int colour) { return static_cast<int8_t>(colour & 0xFF); }

void ClearBoard(Board& board);
void SetStartPosition(Board& board);
// Destination becomes the Board seen from side: a copy when side is exactly 1,
// otherwise a copy with the two disc codes swapped.
void NormaliseBoard(const Board& source, Board& destination, int side);
// Every empty square, columns a..h outer, rows 1..8 inner.
void ListEmpties(const Board& board, MoveList& list);
int DiscSum(const Board& board);

// Text forms of a square: "F5" for replies, "f5" for progress lines.
void FormatSquareUpper(int s, char out[3]);
void FormatSquareLower(int s, char out[3]);
// Parses "f5"/"F5"; answers the square index or 0 when the text is not a square.
int ParseSquare(const char* text);
