// The game-tree searches: a fixed-depth midgame alpha-beta search and the two
// endgame solvers. Every search hands only one bound down (the parent's best
// so far), returns fail-soft values and scores from side 1's view. The list is
// the node's empty squares, each simply tried; below a node the played square
// is replaced in the child's list by the parent's last entry.
#pragma once

#include "board/board.h"
#include "search/dispatch.h"

// colour +1: side 1 to move (maximising); any other value: side -1 (minimising).
int MidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed);
// The final disc difference under perfect play (fail-soft around bound).
int ExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);
// Only the sign counts: win, draw or loss for side 1.
int WldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);
