// The Reversi move rules on the Board.
#pragma once

#include "board/board.h"

// 1 when colour may place a disc on square, else 0. The Board is only read.
int IsLegalMove(const Board& board, int square, int colour);

// Plays square for colour from source into destination and answers 1, or
// answers 0 and leaves destination untouched when the move is not legal.
// Source and destination may be the same Board: the runs are measured first.
int PlayMove(const Board& source, Board& destination, int square, int colour);
