#include "engine/posstate.h"

#include "board/rules.h"
#include "engine/root.h"

void CopyHostBoard(const int8_t* hostBoard, Board& board) {
  ClearBoard(board);
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const int s = SquareIndex(x, y);
      const int8_t code = hostBoard[s];
      board.cell[s] = code == 1 || code == -1 ? code : kEmpty;
    }
  }
}

int ScoreCandidateMove(const SearchRequest& request, const int8_t* hostBoard, int square, int side) {
  if (hostBoard == nullptr || !IsPlayableSquare(square)) return 0;
  Board position;
  CopyHostBoard(hostBoard, position);
  Board normalised;
  NormaliseBoard(position, normalised, ColourByte(side) == 1 ? 1 : -1);
  if (!IsLegalMove(normalised, square, +1)) return 0;
  // The candidate is the root's one move, searched with the full window at
  // the depth for the empty squares left after it; the list stays in column
  // order (the move scoring orders nothing and shows no progress).
  MoveList list;
  ListEmpties(normalised, list);
  RootSearch search;
  search.kind = SearchKind::Midgame;
  search.depth = MidgameDepthFor(request.settings, list.count - 1);
  search.rule = RootRule::Every;
  for (int i = 0; i < list.count; ++i) {
    if (list.entry[i] == square) search.positions = uint64_t{1} << i;
  }
  return SearchRoot(request.implementation, search, normalised, list).best;
}
