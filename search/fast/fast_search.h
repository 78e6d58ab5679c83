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

// The children of a root that a driver searches one after another, all with
// the same bound, side -1 to move and no pass: their positions and lists,
// and the values and node counts found for them.
struct RootChild {
  Board board;
  MoveList list;
  int value = 0;
  uint64_t nodes = 0;
};
enum class RootSearchKind { Midgame, Exact, Wld };

// Searches the children on two threads, the lead taking them in order and a
// helper the next one ahead, and hands each value to accept(context, index,
// value) in order, as the one-thread loop would find it, until accept
// answers false (the bound must change, or the loop ends). Answers how many
// children were handed over, with their nodes in `nodes` (not added to
// SearchNodes), or -1 when it cannot run (one thread allowed, fewer than two
// children, a position the bitboards cannot take, no thread) and the caller
// must search on its own. The solvers need at least four empty squares.
int SearchRootChildren(RootChild* children, int count, RootSearchKind kind, int bound, int depth,
                       bool (*accept)(void*, int, int), void* context);