#include "host/search_call.h"

#include "board/board.h"
#include "engine/position.h"

SearchCallResult CallSearch(SearchImplementation implementation, const char* position, SearchKind kind, int depth) {
  SearchCallResult result;
  Board parsed;
  int side = 1;
  if (!ParsePosition(position, &side, &parsed)) return result;
  result.parsed = true;
  Board board;
  NormaliseBoard(parsed, board, side);
  MoveList list;
  ListEmpties(board, list);
  // The engine searches start from an empty table, so that a position's
  // node count does not depend on what was searched before it.
  ClearSearchTable();
  const SearchResult searched = RunSearch(implementation, kind, board, list, 1, kWindow, depth, 0);
  result.value = searched.value;
  result.nodes = searched.nodes;
  return result;
}

SearchCallResult CallEvaluation(SearchImplementation implementation, const char* position) {
  SearchCallResult result;
  Board parsed;
  int side = 1;
  if (!ParsePosition(position, &side, &parsed)) return result;
  result.parsed = true;
  result.value = RunEvaluation(implementation, parsed);
  return result;
}
