#include "board/rules.h"
#include "search/reference/reference.h"

namespace reference {

namespace {

// One solver for both: limit is 64 for the exact solver, 1 for win/loss/draw.
template <int limit>
int Solve(const Board& board, const MoveList& list, int colour, int bound, int passed, uint64_t& nodes) {
  ++nodes;
  const bool maximising = ColourByte(colour) == 1;
  const int mover = maximising ? 1 : -1;
  const int n = list.count;
  Board child;

  if (n == 1) {
    // The last empty square ends the game for whoever can take it.
    const int s = list.entry[0];
    if (PlayMove(board, child, s, mover)) return DiscSum(child);
    if (PlayMove(board, child, s, -mover)) return DiscSum(child);
    return DiscSum(board);
  }

  MoveList child_list;
  for (int k = 0; k < n; ++k) child_list.entry[k] = list.entry[k];
  child_list.count = n - 1;
  const int initial_best = maximising ? -limit : limit;
  int best = initial_best;
  int legal = 0;

  for (int i = 0; i < n; ++i) {
    const int s = list.entry[i];
    if (!PlayMove(board, child, s, mover)) continue;
    ++legal;
    child_list.entry[i] = list.entry[n - 1];
    const int r = Solve<limit>(child, child_list, -mover, best, 0, nodes);
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

  if (passed == 0) return Solve<limit>(board, list, -mover, initial_best, 1, nodes);
  return DiscSum(board);
}

}  // namespace

int ExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed, uint64_t& nodes) {
  return Solve<64>(board, list, colour, bound, passed, nodes);
}

int WldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed, uint64_t& nodes) {
  return Solve<1>(board, list, colour, bound, passed, nodes);
}

}  // namespace reference
