#include "search/dispatch.h"

#include "search/fast/fast_search.h"
#include "search/search.h"

SearchImplementation ActiveSearch = SearchImplementation::Engine;

int RunMidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed) {
  if (ActiveSearch == SearchImplementation::Engine) return FastMidgameSearch(board, list, colour, bound, depth, passed);
  return MidgameSearch(board, list, colour, bound, depth, passed);
}

int RunExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  if (ActiveSearch == SearchImplementation::Engine) return FastExactSolve(board, list, colour, bound, passed);
  return ExactSolve(board, list, colour, bound, passed);
}

int RunWldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  if (ActiveSearch == SearchImplementation::Engine) return FastWldSolve(board, list, colour, bound, passed);
  return WldSolve(board, list, colour, bound, passed);
}
