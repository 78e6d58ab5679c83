// The fast searches: the same algorithms, node for node, as the mailbox
// searches of search/search.h and the evaluation of search/evaluate.h, run on
// a pair of bitboards. Each answers the same value and adds the same count to
// SearchNodes as its mailbox counterpart for every Board and list; a Board
// or list that the bitboards cannot represent (a cell code other than empty,
// a disc or a wall in its place, or a list that is not exactly the Board's
// empty squares) is handed to the mailbox search instead.
#pragma once

#include <cstdint>

#include "board/board.h"

// The number of threads a deep midgame search or a long endgame solve may
// use: 1, or 2 for a helper thread that searches later siblings ahead, with
// the same values and node counts as on one thread. 2 by default where the
// machine runs two threads at once.
extern int SplitSearchThreads;
// How many children's values split searches have taken from a helper.
extern uint64_t SplitValuesTaken;

int FastEvaluate(const Board& board);
int FastMidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed);
int FastExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);
int FastWldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);

// The bitboards of a Board: bit (row - 1) * 8 + (column - 1) of side1 for
// each disc of colour 1, of side2 for colour -1. Answers false when some
// playable cell holds another code than 0, 1 or -1 or some wall cell is not
// a wall.
bool BoardToMasks(const Board& board, uint64_t& side1, uint64_t& side2);
