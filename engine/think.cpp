#include "engine/think.h"

#include <cstdio>

#include "board/rules.h"
#include "book/lookup.h"
#include "commentary/commentary.h"
#include "engine/texts.h"
#include "platform/platform.h"
#include "search/dispatch.h"
#include "search/fast/fast_search.h"
#include "search/root.h"
#include "search/search.h"
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

// The running state of the root loop: the best result so far and its move.
struct RootLoop {
  const MoveList& root;
  const int* candidates;
  Regime regime;
  int best;
  int chosen_x;
  int chosen_y;
  bool finished;  // a proven win ends the win/loss/draw loop
  int next = 0;   // after a search ahead: the first candidate not taken in
};

// The first result is always taken, a later one when it beats the best.
// Answers whether it was taken.
bool TakeResult(RootLoop& loop, int s, int r) {
  const bool taken = loop.chosen_x == -1 || r > loop.best;
  if (taken) {
    loop.chosen_x = SquareColumn(s);
    loop.chosen_y = SquareRow(s);
    loop.best = r;
  }
  if (loop.regime == Regime::Wld && taken && r > 0) loop.finished = true;
  return taken;
}

struct AheadContext {
  RootLoop* loop;
  int first;  // the candidate index of child 0
};

// Takes the result of one child searched ahead, as the loop would have: the
// progress line first, then the result. The children after it keep their
// values only while the bound stays.
bool TakeAheadResult(void* context, int index, int value) {
  AheadContext& ahead = *static_cast<AheadContext*>(context);
  RootLoop& loop = *ahead.loop;
  const int s = loop.root.entry[loop.candidates[ahead.first + index]];
  ShowSearchingLine(s, loop.best, loop.chosen_x, loop.chosen_y);
  const bool taken = TakeResult(loop, s, value);
  loop.next = ahead.first + index + 1;
  return !taken && !loop.finished;
}

// Searches candidates k.. with the current best as their bound on two
// threads, taking results in order until one changes the bound. Answers false
// when that cannot be done here, and the loop searches candidate k itself.
bool SearchAheadAt(RootLoop& loop, int k, int count, const Board& work, int depth) {
  const int n = loop.root.count;
  // The solvers' children need four empty squares; with one thread allowed
  // there is nothing to gain, so the children are not even set up.
  if (ActiveSearch != SearchImplementation::Fast || SplitSearchThreads < 2 || count - k < 2) return false;
  if (loop.regime != Regime::Midgame && n - 1 < 4) return false;
  RootChild children[64];
  for (int c = k; c < count; ++c) {
    RootChild& child = children[c - k];
    const int i = loop.candidates[c];
    PlayMove(work, child.board, loop.root.entry[i], 1);
    child.list = loop.root;
    child.list.count = n - 1;
    child.list.entry[i] = loop.root.entry[n - 1];
  }
  const RootSearchKind kind = loop.regime == Regime::Exact ? RootSearchKind::Exact
                              : loop.regime == Regime::Wld ? RootSearchKind::Wld
                                                           : RootSearchKind::Midgame;
  AheadContext context{&loop, k};
  const int taken = SearchRootChildren(children, count - k, kind, loop.best, depth, TakeAheadResult, &context);
  if (taken < 0) return false;
  for (int c = 0; c < taken; ++c) SearchNodes += children[c].nodes;
  return true;
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

  // The root moves to search, in list order.
  int candidates[64];
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (!IsLegalMove(work, root.entry[i], 1)) continue;
    if (regime == Regime::Midgame && i >= 5 && EngineSettings.MaemukiCut != 0) continue;
    candidates[count++] = i;
  }

  // Each candidate is searched with the best result so far as its bound;
  // from the second on, two at a time where that is possible.
  RootLoop loop{root, candidates, regime, best, chosen_x, chosen_y, false};
  for (int k = 0; k < count && !loop.finished;) {
    if (k >= 1 && SearchAheadAt(loop, k, count, work, depth)) {
      k = loop.next;
      continue;
    }
    const int i = candidates[k];
    const int s = root.entry[i];
    Board scratch;
    if (loop.best == -kWindow) {
      const char* start = regime == Regime::Exact ? kExactStartFormat
                          : regime == Regime::Wld ? kWldStartFormat
                                                  : kMidgameStartFormat;
      ShowSquareLine(start, s, depth);
    } else {
      ShowSearchingLine(s, loop.best, loop.chosen_x, loop.chosen_y);
    }
    PlayMove(work, scratch, s, 1);
    child.entry[i] = root.entry[n - 1];
    int r = 0;
    switch (regime) {
      case Regime::Exact: r = RunExactSolve(scratch, child, -1, loop.best, 0); break;
      case Regime::Wld: r = RunWldSolve(scratch, child, -1, loop.best, 0); break;
      case Regime::Midgame: r = RunMidgameSearch(scratch, child, -1, loop.best, depth, 0); break;
    }
    child.entry[i] = s;
    TakeResult(loop, s, r);
    ++k;
  }
  best = loop.best;
  chosen_x = loop.chosen_x;
  chosen_y = loop.chosen_y;

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
