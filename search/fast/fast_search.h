// The engine searches: what the think driver, the root ordering and the move
// scoring use by default. They answer what the reference searches of
// search/search.h answer, found with far smaller trees:
//
// - FastMidgameSearch and FastExactSolve keep the reference searches' contract:
//   a result on the open side of the bound (above it at a minimising node,
//   below it at a maximising one) is the exact value, a result on the other
//   side is a bound on the value in that direction. Where the reference search
//   answers such a bound the two may answer different bounds.
// - FastWldSolve answers exactly what the reference win/loss/draw solver
//   answers, whatever the bound: its raw values reach the driver's reply.
//
// Node counts are their own (positions visited), added to SearchNodes. A
// Board or list that the bitboards cannot represent (a cell code other than
// empty, a disc or a wall in its place, or a list that is not exactly the
// Board's empty squares) is handed to the reference search instead.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/board.h"

int FastEvaluate(const Board& board);
int FastMidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed);
int FastExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);
int FastWldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);

// The bitboards of a Board: bit (row - 1) * 8 + (column - 1) of side1 for
// each disc of colour 1, of side2 for colour -1. Answers false when some
// playable cell holds another code than 0, 1 or -1 or some wall cell is not
// a wall.
bool BoardToMasks(const Board& board, uint64_t& side1, uint64_t& side2);

// The exact result of a position for its side to move (side 1 or -1, host
// colours), found by the exact solver: the final disc difference under
// perfect play with the empty squares left counting for nobody (as the
// engine counts them) or given to the winner (as published endgame suites
// count them), and a best move (a square index, 0 when the side to move must
// pass or the game is over). Nodes are those of this solve.
struct ExactSolution {
  int value = 0;
  int move = 0;
  uint64_t nodes = 0;
};
ExactSolution SolveExactly(const Board& board, int side, bool empties_to_winner);

// The transposition table the engine searches share. It is allocated once,
// at the first search (2 MiB unless SetSearchTableSize asked otherwise),
// and kept from call to call: what it holds never changes a value, only the
// work needed to find it. ClearSearchTable empties it, so that a search's
// node count can be reproduced. SetSearchTableSize answers false when the
// memory cannot be had; the searches then use a small built-in table.
bool SetSearchTableSize(size_t bytes);
size_t SearchTableSize();
void ClearSearchTable();
