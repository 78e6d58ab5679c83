// Preparing a root: the list of candidate moves ordered by shallow searches,
// and the depth rules that the think driver and the move scoring share.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "search/search.h"

// Reorders the root's list in place so the legal moves come first, best
// first, by a shallow full-window midgame search; shows one progress line
// when the request shows progress. Answers the positions searched.
uint64_t OrderRootMoves(const SearchRequest& request, const Board& board, MoveList& list);

// The selection sort behind the ordering: descending by score, the first of
// equal scores taken first, stopping once only scores of -10000 (squares that
// are not legal moves) are left. Moves each score with its square.
void SortRootMoves(MoveList& list, int* score);

// The progress line of the ordering, with its depth.
extern const char kOrderingProgressFormat[];

// ListEmpties followed, when the request orders the root, by OrderRootMoves.
// Answers the positions searched.
uint64_t PrepareRootList(const SearchRequest& request, const Board& board, MoveList& list);

// The midgame depth for a root with this many empty squares: Depth, one more
// within HisshoDepth + 14 empty squares. Depths below 0 count as 0 (evaluate
// at once); the result never exceeds the longest game a search can meet.
int MidgameDepthFor(const EngineSettingsRecord& settings, int empties);
// The depth of the ordering searches: Depth + 1 in the win/loss/draw band,
// 3 elsewhere.
int OrderingDepthFor(const EngineSettingsRecord& settings, int empties);

// Clamps a configured depth into 0..kDeepestUsefulDepth.
int UsableDepth(long long depth);
// A search path has at most one move or pass per ply and ends after two
// passes, so no search can use more plies than this.
constexpr int kDeepestUsefulDepth = 130;
