// The reference searches: the readable rules that define every value the
// engine answers, followed node for node. Every search hands only one bound
// down (the parent's best so far), returns fail-soft values and scores from
// side 1's view. The list is the node's empty squares, each simply tried;
// below a node the played square is replaced in the child's list by the
// parent's last entry. Each search adds the positions it searches (every
// call, the first included) to `nodes`. Callers outside search/ reach them
// through search/search.h.
#pragma once

#include <cstdint>

#include "board/board.h"

namespace reference {

// Entry k belongs to square index 10 + k (squares 10..90; wall entries are 0).
extern const int EvalWeights[81];

// Weighted discs, frontier discs and potential moves, from side 1's view, in
// one pass over the board. Always below 5000 in magnitude.
int Evaluate(const Board& board);

// colour +1: side 1 to move (maximising); any other value: side -1 (minimising).
int MidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed,
                  uint64_t& nodes);
// The final disc difference under perfect play (fail-soft around bound).
int ExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed, uint64_t& nodes);
// Only the sign counts: win, draw or loss for side 1.
int WldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed, uint64_t& nodes);

}  // namespace reference

struct RootSearch;
struct RootResult;

namespace reference {

// A root's moves searched one by one with the reference searches, each child
// called with the best so far as its bound (see search/search.h).
RootResult SearchRoot(const RootSearch& search, const Board& board, const MoveList& list);

}  // namespace reference
