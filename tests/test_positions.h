// Positions for tests: random games from the start position and position
// strings built by hand.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "board/board.h"

// A position reached by up to `plies` random legal moves (passes included)
// from the start; side receives the colour to move.
Board RandomGamePosition(std::mt19937& rng, int plies, int& side);

// A Board from 64 square characters ('*' 1, '0' -1, anything else empty),
// a1..h1, a2..h8, in host colours.
Board BoardFromSquares(const std::string& squares);

// The empty squares of a board in column order.
MoveList EmptiesOf(const Board& board);

// Reference searches without pruning, for checking the real ones. Colours
// are 1 (maximising) and -1.
// Depth-limited minimax with the midgame search's leaves: Evaluate at depth
// 0, +-9999 or 0 when neither side can move; a pass costs a ply.
int PlainMinimax(const Board& board, int colour, int depth, bool passed = false);
// Perfect-play disc difference as the solvers count it: the raw DiscSum when
// neither side can move, empty squares counting for nobody.
int PerfectPlay(const Board& board, int colour, bool passed = false);

// The reference searches as most tests call them: the value alone.
int ReferenceMidgame(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed);
int ReferenceExact(const Board& board, const MoveList& list, int colour, int bound, int passed);
int ReferenceWld(const Board& board, const MoveList& list, int colour, int bound, int passed);

// True when colour has any legal move.
bool CanMove(const Board& board, int colour);
