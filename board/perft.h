// Move-path enumeration for checking the move rules against published counts.
#pragma once

#include <cstdint>

#include "board/board.h"

// Leaves of the game tree below board (colour to move) at depth plies, where
// a forced pass is one ply and a finished game is one leaf.
uint64_t Perft(const Board& board, int colour, int depth);
