#include "search/dispatch.h"

#include "search/search.h"

SearchImplementation ActiveSearch = SearchImplementation::Plain;

int RunMidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed) {
  return MidgameSearch(board, list, colour, bound, depth, passed);
}

int RunExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  return ExactSolve(board, list, colour, bound, passed);
}

int RunWldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  return WldSolve(board, list, colour, bound, passed);
}
