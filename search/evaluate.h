// The static evaluation of the midgame search: weighted discs, frontier discs
// and potential moves, from side 1's view, in one pass over the board.
#pragma once

#include "board/board.h"

// Entry k belongs to square index 10 + k (squares 10..90; wall entries are 0).
extern const int EvalWeights[81];

// Always below 5000 in magnitude.
int Evaluate(const Board& board);
