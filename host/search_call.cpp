#include "host/search_call.h"

#include "board/board.h"
#include "engine/position.h"
#include "search/dispatch.h"
#include "search/evaluate.h"
#include "search/fast/fast_search.h"
#include "search/search.h"

SearchCallResult CallSearch(const char* position, SearchKind kind, int depth) {
  SearchCallResult result;
  Board parsed;
  int side = 1;
  if (!ParsePosition(position, &side, &parsed)) return result;
  result.parsed = true;
  if (kind == SearchKind::Evaluate) {
    result.value = Evaluate(parsed);
    return result;
  }
  Board board;
  NormaliseBoard(parsed, board, side);
  MoveList list;
  ListEmpties(board, list);
  // The engine searches start from an empty table, so that a position's
  // node count does not depend on what was searched before it.
  ClearSearchTable();
  SearchNodes = 0;
  switch (kind) {
    case SearchKind::Midgame: result.value = RunMidgameSearch(board, list, 1, kWindow, depth, 0); break;
    case SearchKind::Exact: result.value = RunExactSolve(board, list, 1, kWindow, 0); break;
    case SearchKind::Wld: result.value = RunWldSolve(board, list, 1, kWindow, 0); break;
    case SearchKind::Evaluate: break;
  }
  result.nodes = SearchNodes;
  return result;
}
