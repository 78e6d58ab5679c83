// The searches that the driver, the root ordering and the move scoring call.
// Each runs either the plain mailbox search or the fast one; both visit the
// same nodes and answer the same values.
#pragma once

#include "board/board.h"

enum class SearchImplementation { Plain, Fast };
extern SearchImplementation ActiveSearch;

int RunMidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed);
int RunExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);
int RunWldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed);
