#include "engine/think.h"

#include <cstdio>

#include "board/rules.h"
#include "book/lookup.h"
#include "commentary/commentary.h"
#include "engine/texts.h"
#include "core/platform.h"
#include "search/dispatch.h"
#include "search/root.h"
#include "core/settings.h"

namespace {

char CommentBuffer[256];

enum class Regime { Exact, Wld, Midgame };

void ShowSquareLine(const char* format, int s, int depth) {
  char text[80];
  std::snprintf(text, sizeof text, format, SquareColumn(s) + 96, SquareRow(s), depth);
  SetProgressText(text);
}

void ShowSearchingLine(int s, int best, int chosen_x, int chosen_y) {
  char text[80];
  std::snprintf(text, sizeof text, kSearchingFormat, SquareColumn(s) + 96, SquareRow(s), best, chosen_x + 96,
                chosen_y);
  SetProgressText(text);
}

}  // namespace

const char* ChooseMove(const Board& board, int side, int* x, int* y, int* score) {
  if (EngineSettings.UseJoseki != 0) {
    SetProgressText(kBookProgressText);
    const int s = LookupBookMove(board, 1, side);
    if (s != 0) {
      *x = SquareColumn(s);
      *y = SquareRow(s);
      return kBookMoveMessage;
    }
  }

  Board work;
  NormaliseBoard(board, work, side);
  MoveList root;
  PrepareRootList(work, root);
  const int n = root.count;

  if (n == 1) {
    *x = SquareColumn(root.entry[0]);
    *y = SquareRow(root.entry[0]);
    return kSingleSquareMessage;
  }

  int chosen_x = -1;
  int chosen_y = 0;
  int best = -kWindow;
  MoveList child = root;
  child.count = n - 1;

  Regime regime = Regime::Midgame;
  int scale = 1;
  if (n <= EngineSettings.KansakiDepth) {
    regime = Regime::Exact;
    scale = 100;
  } else if (n <= EngineSettings.HisshoDepth) {
    regime = Regime::Wld;
    scale = 9999;
  }
  const int depth = MidgameDepthFor(n);

  // Each root move is searched with the best result so far as its bound.
  for (int i = 0; i < n; ++i) {
    const int s = root.entry[i];
    Board scratch;
    if (!PlayMove(work, scratch, s, 1)) continue;
    if (regime == Regime::Midgame && i >= 5 && EngineSettings.MaemukiCut != 0) continue;
    if (best == -kWindow) {
      const char* start = regime == Regime::Exact ? kExactStartFormat
                          : regime == Regime::Wld ? kWldStartFormat
                                                  : kMidgameStartFormat;
      ShowSquareLine(start, s, depth);
    } else {
      ShowSearchingLine(s, best, chosen_x, chosen_y);
    }
    child.entry[i] = root.entry[n - 1];
    int r = 0;
    switch (regime) {
      case Regime::Exact: r = RunExactSolve(scratch, child, -1, best, 0); break;
      case Regime::Wld: r = RunWldSolve(scratch, child, -1, best, 0); break;
      case Regime::Midgame: r = RunMidgameSearch(scratch, child, -1, best, depth, 0); break;
    }
    child.entry[i] = s;
    // The first result is always taken, a later one when it beats the best.
    if (chosen_x == -1 || r > best) {
      chosen_x = SquareColumn(s);
      chosen_y = SquareRow(s);
      best = r;
      if (regime == Regime::Wld && r > 0) break;  // a proven win ends the win/loss/draw loop
    }
  }

  if (chosen_x == -1) {
    *x = -1;
    *y = 0;
    return kNoMoveMessage;
  }

  *x = chosen_x;
  *y = chosen_y;
  *score = best * scale;  // results stay within +-64 discs, so this cannot overflow

  Board after;
  PlayMove(board, after, SquareIndex(chosen_x, chosen_y), side);
  MakeComment(board, after, side, CommentBuffer, *score);
  return CommentBuffer;
}
