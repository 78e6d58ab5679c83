#include "search/posstate.h"

#include "board/rules.h"
#include "search/dispatch.h"
#include "search/root.h"
#include "search/search.h"
#include "core/settings.h"

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

int ScoreCandidateMove(const int8_t* hostBoard, int square, int side) {
  if (hostBoard == nullptr || !IsPlayableSquare(square)) return 0;
  SkipRootOrdering = 1;
  const int32_t show_progress = EngineSettings.ShowProgress;
  EngineSettings.ShowProgress = 0;

  Board position;
  CopyHostBoard(hostBoard, position);
  Board normalised;
  NormaliseBoard(position, normalised, ColourByte(side) == 1 ? 1 : -1);
  Board after;
  int score = 0;
  if (PlayMove(normalised, after, square, +1)) {
    MoveList list;
    PrepareRootList(after, list);
    score = RunMidgameSearch(after, list, -1, -kWindow, MidgameDepthFor(list.count), 0);
  }

  EngineSettings.ShowProgress = show_progress;
  SkipRootOrdering = 0;
  return score;
}
