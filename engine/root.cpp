#include "engine/root.h"

#include <cstdio>

#include "board/rules.h"
#include "core/platform.h"

const char kOrderingProgressFormat[] = "KMH(depth = %d) を実行中...";

int UsableDepth(long long depth) {
  if (depth < 0) return 0;
  if (depth > kDeepestUsefulDepth) return kDeepestUsefulDepth;
  return static_cast<int>(depth);
}

int MidgameDepthFor(const EngineSettingsRecord& settings, int empties) {
  long long depth = settings.Depth;
  if (empties <= static_cast<long long>(settings.HisshoDepth) + 14) ++depth;
  return UsableDepth(depth);
}

int OrderingDepthFor(const EngineSettingsRecord& settings, int empties) {
  if (settings.KansakiDepth < empties && empties <= settings.HisshoDepth) {
    return UsableDepth(static_cast<long long>(settings.Depth) + 1);
  }
  return 3;
}

void SortRootMoves(MoveList& list, int* score) {
  const int n = list.count;
  // Selection sort, descending; the first of equal scores is taken, and the
  // sort stops once only illegal squares are left.
  for (int k = 0; k + 1 < n; ++k) {
    int m = k;
    for (int l = k + 1; l < n; ++l) {
      if (score[l] > score[m]) m = l;
    }
    const int held_score = score[k];
    score[k] = score[m];
    score[m] = held_score;
    const int held_square = list.entry[k];
    list.entry[k] = list.entry[m];
    list.entry[m] = held_square;
    if (score[k] == -kWindow) break;
  }
}

uint64_t OrderRootMoves(const SearchRequest& request, const Board& board, MoveList& list) {
  const int n = list.count;
  const int depth = OrderingDepthFor(request.settings, n);
  if (request.show_progress) {
    char text[80];
    std::snprintf(text, sizeof text, kOrderingProgressFormat, depth);
    SetProgressText(text);
  }

  // Every legal move's exact value at the ordering depth; the others score
  // -10000.
  RootSearch search;
  search.kind = SearchKind::Midgame;
  search.depth = depth;
  search.rule = RootRule::Every;
  for (int j = 0; j < n; ++j) {
    if (IsLegalMove(board, list.entry[j], 1)) search.positions |= uint64_t{1} << j;
  }
  const RootResult result = SearchRoot(request.implementation, search, board, list);
  int score[64];
  for (int j = 0; j < n; ++j) score[j] = -kWindow;
  for (int k = 0, j = 0; k < result.count; ++k) {
    while (list.entry[j] != result.moves[k].square) ++j;
    score[j] = result.moves[k].value;
  }
  SortRootMoves(list, score);
  return result.nodes;
}

uint64_t PrepareRootList(const SearchRequest& request, const Board& board, MoveList& list) {
  ListEmpties(board, list);
  return request.order_root ? OrderRootMoves(request, board, list) : 0;
}
