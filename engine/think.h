// The think driver: how the engine chooses its move for one request.
#pragma once

#include "board/board.h"

// Chooses the move for side on board (host colours). Sets x and y (1..8) of
// the chosen square and returns the message for the reply; score is written
// only when a search ran. x is -1 when side has no legal move (no square then).
const char* ChooseMove(const Board& board, int side, int* x, int* y, int* score);
