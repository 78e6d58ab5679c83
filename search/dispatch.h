// The searches that the driver, the root ordering and the move scoring call:
// the engine searches by default, or the plain reference searches, which
// follow the readable rules node for node. Both answer the same values
// (see search/fast/fast_search.h for where a bound may differ).
#pragma once

#include <cstdint>

#include "board/board.h"

// The search window; never returned by a search.
constexpr int kWindow = 10000;
// A finished game inside the midgame search, won or lost by side 1.
constexpr int kGameWon = 9999;

// Positions searched since the counter was last reset: every call of a
// reference search, the first included; every position an engine search
// visits. The bench and `tenu search` read it.
extern uint64_t SearchNodes;

enum class SearchImplementation { Reference, Engine };
extern SearchImplementation ActiveSearch;

int RunMidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed);
int RunExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);
int RunWldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);
