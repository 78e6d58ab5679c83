#include "board/rules.h"
#include "search/reference/reference.h"
#include "search/search.h"

namespace reference {

RootResult SearchRoot(const RootSearch& search, const Board& board, const MoveList& list) {
  RootResult result;
  const int n = list.count;
  MoveList child = list;
  child.count = n - 1;
  for (int i = 0; i < n; ++i) {
    if ((search.positions >> i & 1) == 0) continue;
    const int s = list.entry[i];
    Board scratch;
    if (!PlayMove(board, scratch, s, 1)) continue;
    if (search.progress != nullptr) search.progress(search.progress_context, s, result.best, result.chosen);
    const int bound = search.rule == RootRule::Every ? -kWindow : result.best;
    child.entry[i] = list.entry[n - 1];
    int r = 0;
    switch (search.kind) {
      case SearchKind::Midgame: r = MidgameSearch(scratch, child, -1, bound, search.depth, 0, result.nodes); break;
      case SearchKind::Wld: r = WldSolve(scratch, child, -1, bound, 0, result.nodes); break;
      case SearchKind::Exact: r = ExactSolve(scratch, child, -1, bound, 0, result.nodes); break;
    }
    child.entry[i] = s;
    const bool taken = result.chosen == 0 || r > result.best;
    result.moves[result.count++] = RootMove{s, r, taken || search.rule == RootRule::Every};
    if (taken) {
      result.chosen = s;
      result.best = r;
      if (search.kind == SearchKind::Wld && search.rule == RootRule::Think && r > 0) break;
    }
  }
  return result;
}

}  // namespace reference
