// Searches that only order moves: alpha-beta with the ordering evaluation at
// their leaves. Their values never stand for a search's answer; what they
// leave behind is the best move of each position they visit, in the table
// under depths of their own, for the exact solver to try first.
#include <bit>

#include "search/engine/bitboard.h"
#include "search/engine/hash_table.h"
#include "search/engine/negamax.h"
#include "search/engine/ordering_eval.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

namespace {

using bitboard::Bit;
using bitboard::Flips;
using bitboard::LegalMoves;
using bitboard::PopCount;

// Depths from which the ordering search uses the table, and from which a
// node orders its moves by the evaluation of each child (below it, by the
// opponent's number of replies). The solver's sort searches keep out of the
// table (kUseTable false). A move one of them stored for a node became that
// node's table move and went first unsorted, although the node's own
// sorting looks as far and adds the solver's key; the moves of the solve
// and of the deeper preparation are the ones worth taking first. Measured
// (nodes): FFO #40-#44, #46, #47 264.3 M to 245.0 M; #49-#52 2.394 G to
// 2.171 G; #53 and #57 7.27 G to 6.44 G.
constexpr int kOrderingHashDepth = 3;
constexpr int kOrderingEvaluateDepth = 3;

template <bool kUseTable>
int Search(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int depth) {
  ++context.nodes;
  if (depth <= 0) return OrderingLeaf(me, opp);
  const uint64_t moves = LegalMoves(me, opp);
  if (moves == 0) {
    if (LegalMoves(opp, me) == 0) return kOrderingFinalScale * (PopCount(me) - PopCount(opp));
    return -Search<kUseTable>(context, opp, me, -beta, -alpha, depth);
  }
  if (context.Stopped()) return alpha;

  HashTable* table = kUseTable && depth >= kOrderingHashDepth && depth <= kDeepestStoredOrderingDepth
                         ? context.table
                         : nullptr;
  const uint8_t key = static_cast<uint8_t>(kOrderingDepthBase + depth);
  int hash_move = kNoMove;
  size_t bucket = 0;  // looked up here and stored into at the end
  if (table != nullptr) {
    bucket = table->BucketOf(me, opp);
    const HashProbe probe = table->Probe(bucket, me, opp, key);
    if (probe.found) {
      if (probe.lower >= beta) return probe.lower;
      if (probe.upper <= alpha) return probe.upper;
      if (probe.lower == probe.upper) return probe.lower;
    }
    hash_move = probe.move;
  }

  Candidate candidates[64];
  int count = 0;
  for (uint64_t rest = moves; rest != 0; rest &= rest - 1) {
    const int x = bitboard::LowestBit(rest);
    Candidate& c = candidates[count++];
    c.square = x;
    c.flipped = Flips(x, me, opp);
    // The children's table lines are asked for while the moves are sorted.
    if (table != nullptr && depth - 1 >= kOrderingHashDepth) {
      table->Prefetch(opp & ~c.flipped, me | c.flipped | Bit(x));
    }
    const uint64_t child_me = opp & ~c.flipped;
    const uint64_t child_opp = me | c.flipped | Bit(x);
    if (x == hash_move) {
      c.key = 1 << 20;
    } else if (depth >= kOrderingEvaluateDepth) {
      c.key = -OrderingLeaf(child_me, child_opp);
    } else {
      c.key = -PopCount(LegalMoves(child_me, child_opp));
    }
  }

  const int original_alpha = alpha;
  int best = -kOrderingInfinity;
  int best_move = kNoMove;
  for (int k = 0; k < count; ++k) {
    const Candidate c = NextCandidate(candidates, k, count);
    const uint64_t child_me = opp & ~c.flipped;
    const uint64_t child_opp = me | c.flipped | Bit(c.square);
    int score;
    if (k == 0) {
      score = -Search<kUseTable>(context, child_me, child_opp, -beta, -alpha, depth - 1);
    } else {
      score = -Search<kUseTable>(context, child_me, child_opp, -alpha - 1, -alpha, depth - 1);
      if (score > alpha && score < beta) {
        score = -Search<kUseTable>(context, child_me, child_opp, -beta, -alpha, depth - 1);
      }
    }
    if (score > best) {
      best = score;
      best_move = c.square;
      if (score > alpha) {
        alpha = score;
        if (score >= beta) break;
      }
    }
  }

  if (table != nullptr && !context.stopped) {
    const int lower = best > original_alpha ? best : -kOrderingInfinity;
    const int upper = best < beta ? best : kOrderingInfinity;
    table->Store(bucket, me, opp, key, lower, upper, best_move, depth);
  }
  return best;
}

}  // namespace

int OrderingLeaf(uint64_t me, uint64_t opp) { return OrderingEvaluate(me, opp); }

int OrderingSearch(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int depth) {
  return Search<true>(context, me, opp, alpha, beta, depth);
}

int SortSearch(SearchContext& context, uint64_t me, uint64_t opp, int depth) {
  return Search<false>(context, me, opp, -kOrderingInfinity, kOrderingInfinity, depth);
}

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
