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

  MoveList child_list = list;
  child_list.count = n - 1;
  int score[64];
  uint64_t nodes = 0;
  Board child;
  for (int j = 0; j < n; ++j) {
    const int s = list.entry[j];
    if (PlayMove(board, child, s, +1)) {
      child_list.entry[j] = list.entry[n - 1];
      const SearchResult result =
          RunSearch(request.implementation, SearchKind::Midgame, child, child_list, -1, -kWindow, depth, 0);
      score[j] = result.value;
      nodes += result.nodes;
      child_list.entry[j] = s;
    } else {
      score[j] = -kWindow;
    }
  }

  SortRootMoves(list, score);
  return nodes;
}

uint64_t PrepareRootList(const SearchRequest& request, const Board& board, MoveList& list) {
  ListEmpties(board, list);
  return request.order_root ? OrderRootMoves(request, board, list) : 0;
}
