// A root's moves searched by the engine: what a think's root loop, the root
// ordering, the move scoring and the hints ask for, answered as the
// reference root loop answers it (search/reference/root.cpp) with one table
// age, one ordering preparation for the whole root, and each later move of
// a think first probed with a null window at the best so far.
#include <bit>

#include "search/engine/bitboard.h"
#include "search/engine/engine.h"
#include "search/engine/negamax.h"
#include "search/engine/wld.h"
#include "search/reference/reference.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

namespace {

using bitboard::Bit;

// The midgame depth from which a root is searched shallower first.
constexpr int kIterateFromDepth = 6;

// The value of a child (side -1 to move) from side 1's view, searched with
// the window (alpha, beta) of side 1's values: exact inside it, fail-soft
// outside.
int ChildValue(SearchContext& context, const RootSearch& search, uint64_t child_me, uint64_t child_opp, int alpha,
               int beta) {
  if (search.kind == SearchKind::Midgame) {
    return -MidgameNegamax(context, child_me, child_opp, -beta, -alpha, search.depth, 0);
  }
  return -ExactNegamax(context, child_me, child_opp, -beta, -alpha);
}

// The exact value of a child, searched first in a window of
// kEstimateMargin discs either side of an estimate: a narrow window cuts
// more, and a value outside it is searched again on that side only, from
// the fail-soft bound the first search gave. On FFO #40-#44, #46 and #47
// four discs took 9.5% off the nodes (two: 3.5%, six: 8.1%); on #49-#52
// 2.6%.
constexpr int kEstimateMargin = 4;

int ValueNearEstimate(SearchContext& context, const RootSearch& search, uint64_t child_me, uint64_t child_opp,
                      int estimate) {
  const int centre = estimate < -60 ? -60 : estimate > 60 ? 60 : estimate;
  const int alpha = centre - kEstimateMargin;
  const int beta = centre + kEstimateMargin;
  const int value = ChildValue(context, search, child_me, child_opp, alpha, beta);
  if (value <= alpha) return ChildValue(context, search, child_me, child_opp, -kSolveInfinity, value + 1);
  if (value >= beta) return ChildValue(context, search, child_me, child_opp, value - 1, kSolveInfinity);
  return value;
}

}  // namespace

RootResult SearchRootMoves(SearchContext& context, const RootSearch& search, uint64_t me, uint64_t opp,
                           const MoveList& list, int estimate) {
  RootResult result;
  const int n = list.count;
  uint8_t bits[64];
  for (int k = 0; k < n; ++k) bits[k] = static_cast<uint8_t>(bitboard::BitOfSquare(list.entry[k]));
  const int infinity = search.kind == SearchKind::Midgame ? kMidgameInfinity : kSolveInfinity;
  const uint64_t legal = bitboard::LegalMoves(me, opp);
  for (int i = 0; i < n; ++i) {
    if ((search.positions >> i & 1) == 0 || (legal & Bit(bits[i])) == 0) continue;
    const int b = bits[i];
    const int s = list.entry[i];
    if (search.progress != nullptr) search.progress(search.progress_context, s, result.best, result.chosen);
    const uint64_t flipped = bitboard::Flips(b, me, opp);
    const uint64_t child_me = opp & ~flipped;  // side -1, to move
    const uint64_t child_opp = me | flipped | Bit(b);
    const bool first = result.chosen == 0;
    int value = 0;
    bool exact = true;
    if (search.kind == SearchKind::Wld) {
      // The raw values reach the reply: the reference recursion is followed
      // in the child's own list order.
      const int bound = search.rule == RootRule::Every ? -kWindow : result.best;
      bits[i] = bits[n - 1];
      value = FollowWldSolve(context, child_opp, child_me, bits, n - 1, false, bound, 0);
      bits[i] = static_cast<uint8_t>(b);
      exact = search.rule == RootRule::Every || first || value > result.best;
    } else if (first && search.kind == SearchKind::Exact && estimate != kNoEstimate) {
      value = ValueNearEstimate(context, search, child_me, child_opp, estimate);
    } else if (first || search.rule == RootRule::Every) {
      value = ChildValue(context, search, child_me, child_opp, -infinity, infinity);
    } else {
      // Only a move better than the best so far needs its value.
      value = ChildValue(context, search, child_me, child_opp, result.best, result.best + 1);
      if (value > result.best) {
        value = ChildValue(context, search, child_me, child_opp, result.best, infinity);
      } else {
        exact = false;
      }
    }
    if (context.stopped) break;
    result.moves[result.count++] = RootMove{s, value, exact};
    if (first || value > result.best) {
      result.chosen = s;
      result.best = value;
      if (search.kind == SearchKind::Wld && search.rule == RootRule::Think && value > 0) break;
    }
  }
  result.nodes = context.nodes;
  return result;
}

RootResult SearchRoot(const RootSearch& search, const Board& board, const MoveList& list) {
  uint64_t me = 0;
  uint64_t opp = 0;
  if (!BoardToMasks(board, me, opp) || !ListsTheEmpties(list, me, opp) ||
      (search.kind == SearchKind::Midgame && search.depth < 0)) {
    return reference::SearchRoot(search, board, list);
  }
  HashTable& table = SharedTable();
  if (search.new_table_age) {
    table.NextSearch();
  } else {
    table.Open();
  }
  SearchContext context{&table, 0};
  int estimate = kNoEstimate;
  if (search.kind != SearchKind::Midgame) {
    estimate = PrepareSolveOrdering(context, me, opp, kNoEstimate);
  } else if (search.depth >= kIterateFromDepth) {
    // The same root searched two plies shallower, and shallower again,
    // first: each leaves best moves in the table for the next (a think at
    // depth 12 from 32 to 50 empty squares: 12% to 36% fewer instructions).
    RootSearch shallower = search;
    shallower.progress = nullptr;
    for (int depth = search.depth % 2 == 0 ? 2 : 1; depth < search.depth; depth += 2) {
      shallower.depth = depth;
      SearchRootMoves(context, shallower, me, opp, list);
    }
  }
  return SearchRootMoves(context, search, me, opp, list, estimate);
}

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
