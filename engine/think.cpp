#include "engine/think.h"

#include <cstdio>

#include "board/rules.h"
#include "book/lookup.h"
#include "commentary/commentary.h"
#include "core/platform.h"
#include "engine/root.h"
#include "engine/texts.h"

namespace {

char CommentBuffer[256];

void ShowSquareLine(const char* format, int s, int depth) {
  char text[80];
  std::snprintf(text, sizeof text, format, SquareColumn(s) + 96, SquareRow(s), depth);
  SetProgressText(text);
}

void ShowSearchingLine(int s, int best, int chosen) {
  char text[80];
  std::snprintf(text, sizeof text, kSearchingFormat, SquareColumn(s) + 96, SquareRow(s), best,
                SquareColumn(chosen) + 96, SquareRow(chosen));
  SetProgressText(text);
}

}  // namespace

RootChoice ChooseSearchedMove(const SearchRequest& request, const Board& board, int side) {
  const EngineSettingsRecord& settings = request.settings;
  RootChoice choice;
  Board work;
  NormaliseBoard(board, work, side);
  MoveList root;
  choice.nodes += PrepareRootList(request, work, root);
  const int n = root.count;

  if (n == 1) {
    choice.square = root.entry[0];
    return choice;
  }

  int chosen = 0;
  int best = -kWindow;
  MoveList child = root;
  child.count = n - 1;

  SearchKind kind = SearchKind::Midgame;
  int scale = 1;
  if (n <= settings.KansakiDepth) {
    kind = SearchKind::Exact;
    scale = 100;
  } else if (n <= settings.HisshoDepth) {
    kind = SearchKind::Wld;
    scale = 9999;
  }
  const int depth = MidgameDepthFor(settings, n);

  // Each root move is searched with the best result so far as its bound.
  for (int i = 0; i < n; ++i) {
    const int s = root.entry[i];
    Board scratch;
    if (!PlayMove(work, scratch, s, 1)) continue;
    if (kind == SearchKind::Midgame && i >= 5 && settings.MaemukiCut != 0) continue;
    if (request.show_progress) {
      if (best == -kWindow) {
        const char* start = kind == SearchKind::Exact ? kExactStartFormat
                            : kind == SearchKind::Wld ? kWldStartFormat
                                                      : kMidgameStartFormat;
        ShowSquareLine(start, s, depth);
      } else {
        ShowSearchingLine(s, best, chosen);
      }
    }
    child.entry[i] = root.entry[n - 1];
    const SearchResult result = RunSearch(request.implementation, kind, scratch, child, -1, best, depth, 0);
    child.entry[i] = s;
    choice.nodes += result.nodes;
    const int r = result.value;
    // The first result is always taken, a later one when it beats the best.
    if (chosen == 0 || r > best) {
      chosen = s;
      best = r;
      if (kind == SearchKind::Wld && r > 0) break;  // a proven win ends the win/loss/draw loop
    }
  }

  choice.square = chosen;
  choice.searched = chosen != 0;
  choice.kind = kind;
  choice.depth = depth;
  choice.best = best;
  choice.score = best * scale;  // results stay within +-64 discs, so this cannot overflow
  return choice;
}

const char* ChooseMove(const SearchRequest& request, const Board& board, int side, int* x, int* y, int* score) {
  if (request.settings.UseJoseki != 0) {
    if (request.show_progress) SetProgressText(kBookProgressText);
    const int s = LookupBookMove(board, 1, side);
    if (s != 0) {
      *x = SquareColumn(s);
      *y = SquareRow(s);
      return kBookMoveMessage;
    }
  }

  const RootChoice choice = ChooseSearchedMove(request, board, side);
  if (choice.square == 0) {
    *x = -1;
    *y = 0;
    return kNoMoveMessage;
  }
  *x = SquareColumn(choice.square);
  *y = SquareRow(choice.square);
  if (!choice.searched) return kSingleSquareMessage;

  *score = choice.score;
  Board after;
  PlayMove(board, after, choice.square, side);
  MakeComment(board, after, side, CommentBuffer, *score);
  return CommentBuffer;
}
