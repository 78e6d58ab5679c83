// The engine searches on the Board: what search/search.h hands to callers who
// ask for the engine. They answer what the reference searches answer, found
// with far smaller trees:
//
// - MidgameSearch and ExactSolve keep the reference searches' contract: a
//   result on the open side of the bound (above it at a minimising node,
//   below it at a maximising one) is the exact value, a result on the other
//   side is a bound on the value in that direction. Where the reference
//   search answers such a bound the two may answer different bounds.
// - WldSolve answers exactly what the reference win/loss/draw solver answers,
//   whatever the bound: its raw values reach the think driver's reply.
//
// Node counts are their own (positions visited). A Board or list that the
// bitboards cannot represent (a cell code other than empty, a disc or a wall
// in its place, or a list that is not exactly the Board's empty squares) is
// handed to the reference search instead.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "search/engine/isa.h"
#include "search/search.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

int Evaluate(const Board& board);
SearchResult MidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed);
SearchResult ExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);
SearchResult WldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);

PositionSolution SolvePosition(const Board& board, int side, bool empties_to_winner, const SolveControl& control);

// The bitboards of a Board: bit (row - 1) * 8 + (column - 1) of side1 for
// each disc of colour 1, of side2 for colour -1. Answers false when some
// playable cell holds another code than 0, 1 or -1 or some wall cell is not
// a wall.
bool BoardToMasks(const Board& board, uint64_t& side1, uint64_t& side2);

// True when the list holds exactly the empty squares of the bitboards, each
// once: the only lists the engine searches take (others go to the reference).
bool ListsTheEmpties(const MoveList& list, uint64_t side1, uint64_t side2);

// A root's moves (see search/search.h); falls back to the reference root
// loop for a Board or list the bitboards cannot represent.
RootResult SearchRoot(const RootSearch& search, const Board& board, const MoveList& list);

struct SearchContext;
// The same on bitboards, within a context the caller set up (its table age
// and ordering preparation): side 1 (`me`) to move, `list` its empties.
// `estimate` is what the ordering preparation expects an exact root to be
// worth in discs (kNoEstimate when none ran): the first move of an exact
// search is then searched in a window around it first.
constexpr int kNoEstimate = -1000;
RootResult SearchRootMoves(SearchContext& context, const RootSearch& search, uint64_t me, uint64_t opp,
                           const MoveList& list, int estimate = kNoEstimate);

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
