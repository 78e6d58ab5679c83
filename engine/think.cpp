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

// The progress lines of the root loop, shown as each move starts: the
// regime's start text for the first move searched, then the move with the
// best so far and the square that holds it.
struct ProgressLines {
  SearchKind kind;
  int depth;
};

void ShowRootProgress(void* context, int s, int best, int chosen) {
  const ProgressLines& lines = *static_cast<const ProgressLines*>(context);
  char text[80];
  if (chosen == 0) {
    const char* start = lines.kind == SearchKind::Exact ? kExactStartFormat
                        : lines.kind == SearchKind::Wld ? kWldStartFormat
                                                        : kMidgameStartFormat;
    std::snprintf(text, sizeof text, start, SquareColumn(s) + 96, SquareRow(s), lines.depth);
  } else {
    std::snprintf(text, sizeof text, kSearchingFormat, SquareColumn(s) + 96, SquareRow(s), best,
                  SquareColumn(chosen) + 96, SquareRow(chosen));
  }
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

  RootSearch search;
  search.kind = SearchKind::Midgame;
  int scale = 1;
  if (n <= settings.KansakiDepth) {
    search.kind = SearchKind::Exact;
    scale = 100;
  } else if (n <= settings.HisshoDepth) {
    search.kind = SearchKind::Wld;
    scale = 9999;
  }
  search.depth = MidgameDepthFor(settings, n);
  // The legal moves in root order; in the midgame MaemukiCut keeps those
  // at the list's first five positions.
  for (int i = 0; i < n; ++i) {
    if (search.kind == SearchKind::Midgame && i >= 5 && settings.MaemukiCut != 0) continue;
    if (IsLegalMove(work, root.entry[i], 1)) search.positions |= uint64_t{1} << i;
  }
  ProgressLines lines{search.kind, search.depth};
  if (request.show_progress) {
    search.progress = ShowRootProgress;
    search.progress_context = &lines;
  }
  search.new_table_age = !request.order_root;  // the ordering started this think's age
  const RootResult result = SearchRoot(request.implementation, search, work, root);

  choice.nodes += result.nodes;
  choice.square = result.chosen;
  choice.searched = result.chosen != 0;
  choice.kind = search.kind;
  choice.depth = search.depth;
  choice.best = result.best;
  choice.score = result.best * scale;  // results stay within +-64 discs, so this cannot overflow
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
