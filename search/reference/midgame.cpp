#include "board/rules.h"
#include "search/reference/reference.h"
#include "search/search.h"

namespace reference {

int MidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed,
                  uint64_t& nodes) {
  ++nodes;
  if (depth == 0) return Evaluate(board);

  const bool maximising = ColourByte(colour) == 1;
  const int mover = maximising ? 1 : -1;
  const int n = list.count;
  MoveList child_list;
  for (int k = 0; k < n; ++k) child_list.entry[k] = list.entry[k];
  child_list.count = n - 1;
  const int initial_best = maximising ? -kWindow : kWindow;
  int best = initial_best;
  int legal = 0;
  Board child;

  for (int i = 0; i < n; ++i) {
    const int s = list.entry[i];
    if (!PlayMove(board, child, s, mover)) continue;
    ++legal;
    child_list.entry[i] = list.entry[n - 1];
    const int r = MidgameSearch(child, child_list, -mover, best, depth - 1, 0, nodes);
    child_list.entry[i] = s;
    if (maximising) {
      if (r > best) {
        best = r;
        if (r >= bound) return r;
      }
    } else if (r < best) {
      best = r;
      if (r <= bound) return r;
    }
  }
  if (legal > 0) return best;

  if (passed == 0) return MidgameSearch(board, list, -mover, initial_best, depth - 1, 1, nodes);
  const int discs = DiscSum(board);
  return discs > 0 ? kGameWon : discs < 0 ? -kGameWon : 0;
}

}  // namespace reference
