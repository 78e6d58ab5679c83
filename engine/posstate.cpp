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
  SearchRequest scoring = request;
  scoring.order_root = false;
  scoring.show_progress = false;

  Board position;
  CopyHostBoard(hostBoard, position);
  Board normalised;
  NormaliseBoard(position, normalised, ColourByte(side) == 1 ? 1 : -1);
  Board after;
  int score = 0;
  if (PlayMove(normalised, after, square, +1)) {
    MoveList list;
    PrepareRootList(scoring, after, list);
    score = RunSearch(scoring.implementation, SearchKind::Midgame, after, list, -1, -kWindow,
                      MidgameDepthFor(scoring.settings, list.count), 0)
                .value;
  }
  return score;
}
