// The exact endgame solver: the final disc difference under perfect play,
// empty squares left at the end counting for nobody.
//
// Positions with many empty squares are searched with the transposition
// table, stability cutoffs and the moves sorted so that those leaving the
// opponent fewest replies come first; with few empty squares sorting costs
// more than it saves, and the moves are taken by region parity (squares in
// regions with an odd number of empties first); the last four squares have
// searches of their own.
#include <algorithm>
#include <bit>

#include "search/engine/bitboard.h"
#include "search/engine/negamax.h"
#include "search/engine/hash_table.h"
#include "search/engine/ordering_key.h"
#include "search/engine/stability.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

namespace {

using bitboard::Bit;
using bitboard::Flips;
using bitboard::LegalMoves;
using bitboard::PopCount;

// Empty squares from which the solver sorts its moves, and from which it
// uses the transposition table.
constexpr int kSortedEmpties = 7;
constexpr int kHashEmpties = 7;
// Empty squares from which a node looks its children up in the table before
// searching any (enhanced transposition cutoff). With the children's lines
// fetched ahead, 10 in place of 12 took 1.6% to 2% off the nodes (FFO #40-#44,
// #46, #47: 269.8 M to 264.3 M) for about 1% less time. With the
// stability cutoffs and the sorting below as they are now, 9 took another
// 1% to 2.5% off (FFO #40-#44, #46, #47 and #49-#50), the time the same;
// 8 (the fewest whose children are in the table) 1.3% to 1.6% more, but a
// 26-empty win/loss/draw think took 1.02x the time.
constexpr int kChildProbeEmpties = 9;
// Empty squares up to which moves are ordered by OrderingKey's near-end
// weights: FFO #40-#44, #46, #47 163.3 M to 157.7 M nodes, #49 295.9 M to
// 290.3 M, #49-#52 1.332 G to 1.297 G, #53 2.056 G to 1.988 G. Up to 13
// squares: 159.3 M and 293.3 M; everywhere (and the empty squares around
// at full weight), 181.0 M and 362.5 M: far from the end the corner terms
// count.
constexpr int kLateKeyEmpties = 9;
// The deepest search that prepares the move ordering of a solve.
constexpr int kDeepestOrderingSearch = 12;
// Empty squares from which a node orders its moves by shallow searches with
// the ordering evaluation, as deep as (empties - kSortSearchBase) / 3 plies
// and at most kDeepestSortSearch. Measured on FFO #40-#47: from 16 empty
// squares, depths 0 to 2, took 44% off the nodes (1155 M to 646 M, with the
// preparation below). From 15 in place of 16, once the sort searches kept
// out of the table: FFO #40-#44, #46, #47 245.1 M to 230.0 M nodes
// (0.97x the time), #53 2.98 G to 2.83 G, #57 3.46 G to 3.24 G; #49-#52
// unchanged (2.17 G); from 17: 253.9 M and 2.26 G. Later, with more
// stability cutoffs and corner discs in the key, from 14 and one ply deeper
// from one square earlier (base 13), together with the table look-ahead
// from 9 squares: FFO #53 and #57 5.674 G to 5.283 G nodes, #40-#44, #46,
// #47 178.5 M to 170.8 M; 0.98x and 1.03x the time (farm-bench, pinned).
// Then three plies from 22 empty squares and four from 25 (at most 2
// before; the searches keep out of the table): FFO #53 2.54 G to 2.09 G
// nodes, #54 4.99 G to 3.94 G, #55 14.10 G to 11.95 G, #56 and #58
// 2.89 G to 2.27 G, #57 2.74 G to 2.04 G (#58 0.95x the time), #40-#44,
// #46, #47 170.8 M to 167.2 M (the same time); but #49-#50 767 M to
// 837 M and #51-#52 509 M to 530 M. Five plies from 28 did less on #56
// and #58, the base one square earlier less on #57 and #49-#50. A sort
// search is cheap beside the subtree it orders this high up.
constexpr int kSearchOrderedEmpties = 14;
constexpr int kSortSearchBase = 13;
constexpr int kDeepestSortSearch = 4;

// The score of a finished game from the view of `me`: the disc difference,
// with the empty squares left given to the winner when the context says so.
inline int FinalScore(const SearchContext& context, uint64_t me, uint64_t opp) {
  const int mine = PopCount(me);
  const int theirs = PopCount(opp);
  const int difference = mine - theirs;
  if (!context.empties_to_winner || difference == 0) return difference;
  const int empties = 64 - mine - theirs;
  return difference > 0 ? difference + empties : difference - empties;
}

// The board is full but for square b: the disc difference after whoever can
// take b does, or of the board as it stands (b then goes to the winner when
// the context says so), from the view of `me`.
inline int LastSquareScore(const SearchContext& context, uint64_t me, int b) {
  const int mine = PopCount(me);
  if (const int turned = bitboard::LastFlipCount(b, me); turned != 0) return 2 * (mine + turned) - 62;
  if (const int lost = bitboard::LastFlipCount(b, ~me & ~Bit(b)); lost != 0) return 2 * (mine - lost) - 64;
  const int difference = 2 * mine - 63;  // never 0: 63 discs
  if (!context.empties_to_winner) return difference;
  return difference > 0 ? difference + 1 : difference - 1;
}

// Whether counting the opponent's stable discs may pay: a count costs about
// as much as a few nodes and cuts only when the stable discs alone hold the
// mover at or below alpha, for which the opponent needs at least (64 -
// alpha) / 2 discs in all. With that check, counts from alpha 4 in place of
// from alpha 18, then at four and three empty squares as well, took FFO
// #40-#44, #46, #47 from 230.0 M nodes to 212.1 M and 186.2 M, and #49 from
// 559.5 M to 453.6 M and 339.1 M (0.87x the time, then the same). Counts at
// every alpha at every size cost 1.05x the time, and 1.15x in a
// win/loss/draw solve, whose windows sit at 0; at every alpha from seven
// empty squares only, FFO #53 and #57 took 2% fewer nodes, but a 26-empty
// win/loss/draw think 1.04x the time.
inline bool StabilityMayCut(uint64_t opp, int alpha) { return alpha >= 4 && alpha >= 64 - 2 * PopCount(opp); }

// The upper bound that the opponent's stable discs leave to the mover.
inline int StabilityBound(uint64_t me, uint64_t opp) { return 64 - 2 * PopCount(StableDiscs(opp, me)); }

// Two empty squares a and b; kPassed when the other side has just passed.
// Inlined into Solve3, the pass into itself: a call here cost about as
// much as the work, the frame being realigned for the vector registers.
template <bool kPassed = false>
[[gnu::always_inline]] inline int Solve2(SearchContext& context, uint64_t me, uint64_t opp, int a, int b, int alpha,
                                         int beta) {
  ++context.nodes;
  int best = -kSolveInfinity;
  if (const uint64_t flipped = Flips(a, me, opp); flipped != 0) {
    ++context.nodes;
    best = -LastSquareScore(context, opp & ~flipped, b);
    if (best >= beta) return best;
  }
  if (const uint64_t flipped = Flips(b, me, opp); flipped != 0) {
    ++context.nodes;
    const int score = -LastSquareScore(context, opp & ~flipped, a);
    return score > best ? score : best;
  }
  if (best != -kSolveInfinity) return best;
  if constexpr (kPassed) {
    return FinalScore(context, me, opp);
  } else {
    return -Solve2<true>(context, opp, me, a, b, -beta, -alpha);
  }
}

// Three empty squares, the one alone in its quadrant first; inlined into
// Solve4 as Solve2 is here.
template <bool kPassed = false>
[[gnu::always_inline]] inline int Solve3(SearchContext& context, uint64_t me, uint64_t opp, int a, int b, int c,
                                         int alpha, int beta) {
  ++context.nodes;
  if (StabilityMayCut(opp, alpha)) {
    const int bound = StabilityBound(me, opp);
    if (bound <= alpha) return bound;
  }
  int best = -kSolveInfinity;
  const int squares[3] = {a, b, c};
  for (int k = 0; k < 3; ++k) {
    const int x = squares[k];
    const uint64_t flipped = Flips(x, me, opp);
    if (flipped == 0) continue;
    const int y = squares[k == 0 ? 1 : 0];
    const int z = squares[k == 2 ? 1 : 2];
    const int score = -Solve2(context, opp & ~flipped, me | flipped | Bit(x), y, z, -beta, -alpha);
    if (score > best) {
      if (score >= beta) return score;
      best = score;
      if (score > alpha) alpha = score;
    }
  }
  if (best != -kSolveInfinity) return best;
  if constexpr (kPassed) {
    return FinalScore(context, me, opp);
  } else {
    return -Solve3<true>(context, opp, me, a, b, c, -beta, -alpha);
  }
}

// Orders three squares so that one alone in its quadrant comes first.
inline void OrderThree(int& a, int& b, int& c) {
  const int qa = Quadrant(a);
  const int qb = Quadrant(b);
  const int qc = Quadrant(c);
  if (qa == qb && qc != qa) {
    const int t = a;
    a = c;
    c = t;
  } else if (qa == qc && qb != qa) {
    const int t = a;
    a = b;
    b = t;
  }
}

// Four empty squares, those in odd quadrants first (parity: QuadrantParity
// of the empty squares).
int Solve4(SearchContext& context, uint64_t me, uint64_t opp, uint64_t empty, unsigned parity, int alpha, int beta,
           bool passed) {
  ++context.nodes;
  if (StabilityMayCut(opp, alpha)) {
    const int bound = StabilityBound(me, opp);
    if (bound <= alpha) return bound;
  }
  int squares[4];
  int count = 0;
  const uint64_t odd = empty & kParityMask[parity];
  for (uint64_t e = odd; e != 0; e &= e - 1) squares[count++] = bitboard::LowestBit(e);
  for (uint64_t e = empty & ~odd; e != 0; e &= e - 1) squares[count++] = bitboard::LowestBit(e);
  int best = -kSolveInfinity;
  for (int k = 0; k < 4; ++k) {
    const int x = squares[k];
    const uint64_t flipped = Flips(x, me, opp);
    if (flipped == 0) continue;
    int rest[3];
    int r = 0;
    for (int j = 0; j < 4; ++j) {
      if (j != k) rest[r++] = squares[j];
    }
    OrderThree(rest[0], rest[1], rest[2]);
    const int score =
        -Solve3(context, opp & ~flipped, me | flipped | Bit(x), rest[0], rest[1], rest[2], -beta, -alpha);
    if (score > best) {
      if (score >= beta) return score;
      best = score;
      if (score > alpha) alpha = score;
    }
  }
  if (best != -kSolveInfinity) return best;
  if (passed) return FinalScore(context, me, opp);
  return -Solve4(context, opp, me, empty, parity, -beta, -alpha, true);
}

int SolveShallow(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int empties, unsigned parity);
int SolveDeep(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int empties);

// A node with `empties` empty squares, whose QuadrantParity is `parity`
// (read only below kSortedEmpties).
inline int SolveChild(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int empties,
                      unsigned parity) {
  if (empties == 4) return Solve4(context, me, opp, ~(me | opp), parity, alpha, beta, false);
  if (empties < kSortedEmpties) return SolveShallow(context, me, opp, alpha, beta, empties, parity);
  return SolveDeep(context, me, opp, alpha, beta, empties);
}

// Five or six empty squares, below the sorting threshold: each empty square
// tried in turn, those in odd regions first, then the others, each in
// square order but for the X squares, which come last in their parity (a
// move there tends to give the corner away): FFO #40-#44, #46, #47 167.2 M
// to 163.3 M nodes, #49-#52 1.367 G to 1.332 G, the same time (farm-bench
// -n 7). All five square classes in turn took 3% fewer nodes but 1.14x
// the time. A square where no disc turns is no move. Only a node where no
// square is a move looks at the opponent's moves.
int SolveShallow(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int empties, unsigned parity) {
  ++context.nodes;
  if (StabilityMayCut(opp, alpha)) {
    const int bound = StabilityBound(me, opp);
    if (bound <= alpha) return bound;
  }
  const uint64_t empty = ~(me | opp);
  const uint64_t odd = empty & kParityMask[parity];
  int best = -kSolveInfinity;
  for (uint64_t group : {odd & ~kXSquares, odd & kXSquares, empty & ~odd & ~kXSquares, empty & ~odd & kXSquares}) {
    for (; group != 0; group &= group - 1) {
      const int x = bitboard::LowestBit(group);
      const uint64_t flipped = Flips(x, me, opp);
      if (flipped == 0) continue;
      const int score = -SolveChild(context, opp & ~flipped, me | flipped | Bit(x), -beta, -alpha, empties - 1,
                                    parity ^ (1u << Quadrant(x)));
      if (score > best) {
        if (score >= beta) return score;
        best = score;
        if (score > alpha) alpha = score;
      }
    }
  }
  if (best != -kSolveInfinity) return best;
  if (LegalMoves(opp, me) == 0) return FinalScore(context, me, opp);
  return -SolveShallow(context, opp, me, -beta, -alpha, empties, parity);
}

int SolveDeep(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int empties) {
  ++context.nodes;
  if (context.Stopped()) return alpha;
  const uint64_t moves = LegalMoves(me, opp);
  if (moves == 0) {
    if (LegalMoves(opp, me) == 0) return FinalScore(context, me, opp);
    return -SolveDeep(context, opp, me, -beta, -alpha, empties);
  }
  if (StabilityMayCut(opp, alpha)) {
    const int bound = StabilityBound(me, opp);
    if (bound <= alpha) return bound;
  }

  HashTable* table = empties >= kHashEmpties ? context.table : nullptr;
  int hash_move = kNoMove;
  size_t bucket = 0;
  if (table != nullptr) {
    bucket = table->BucketOf(me, opp);
    const HashProbe probe = table->Probe(bucket, me, opp, context.SolvedDepth());
    if (probe.found) {
      if (probe.lower >= beta) return probe.lower;
      if (probe.upper <= alpha) return probe.upper;
      if (probe.lower == probe.upper) return probe.lower;
    }
    hash_move = probe.move;
  }

  // The children's table lines are asked for first, so that the memory
  // reads overlap the ordering work below and the children's own probes.
  Candidate candidates[64];
  int count = 0;
  for (uint64_t rest = moves; rest != 0; rest &= rest - 1) {
    const int x = bitboard::LowestBit(rest);
    Candidate& c = candidates[count++];
    c.square = x;
    c.flipped = Flips(x, me, opp);
    if (table != nullptr && empties - 1 >= kHashEmpties) {
      c.bucket = table->BucketOf(opp & ~c.flipped, me | c.flipped | Bit(x));
      table->Prefetch(c.bucket);
    }
  }
  const unsigned parity = QuadrantParity(~(me | opp));
  const uint64_t odd = ~(me | opp) & kParityMask[parity];
  for (int k = 0; k < count; ++k) {
    Candidate& c = candidates[k];
    const uint64_t child_me = opp & ~c.flipped;
    const uint64_t child_opp = me | c.flipped | Bit(c.square);
    if (c.square == hash_move) {
      c.key = 1 << 20;
    } else if (empties <= kLateKeyEmpties) {
      c.key = OrderingKey</*kNearEnd=*/true>(child_me, child_opp, c.square, odd);
    } else {
      c.key = OrderingKey(child_me, child_opp, c.square, odd);
    }
    if (table != nullptr && empties >= kChildProbeEmpties) {
      const HashProbe child = table->Probe(c.bucket, child_me, child_opp, context.SolvedDepth());
      if (child.found && -child.upper >= beta) return -child.upper;
    }
  }

  // High in the tree the moves are ordered by shallow searches with the
  // ordering evaluation, added to the key above (which still counts: few
  // replies find cutoffs about as often as the evaluation does).
  if (empties >= kSearchOrderedEmpties && count > 1) {
    const int sort_depth = std::min(kDeepestSortSearch, std::max(0, (empties - kSortSearchBase) / 3));
    for (int k = 0; k < count; ++k) {
      Candidate& c = candidates[k];
      if (c.square == hash_move) continue;
      c.key -= SortSearch(context, opp & ~c.flipped, me | c.flipped | Bit(c.square), sort_depth);
    }
  }
  const int original_alpha = alpha;
  int best = -kSolveInfinity;
  int best_move = kNoMove;
  for (int k = 0; k < count; ++k) {
    const Candidate c = NextCandidate(candidates, k, count);
    const uint64_t child_me = opp & ~c.flipped;
    const uint64_t child_opp = me | c.flipped | Bit(c.square);
    int score;
    const unsigned child_parity = parity ^ (1u << Quadrant(c.square));
    if (k == 0) {
      score = -SolveChild(context, child_me, child_opp, -beta, -alpha, empties - 1, child_parity);
    } else {
      score = -SolveChild(context, child_me, child_opp, -alpha - 1, -alpha, empties - 1, child_parity);
      if (score > alpha && score < beta) {
        score = -SolveChild(context, child_me, child_opp, -beta, -alpha, empties - 1, child_parity);
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
    const int lower = best > original_alpha ? best : -64;
    const int upper = best < beta ? best : 64;
    table->Store(bucket, me, opp, context.SolvedDepth(), lower, upper, best_move, empties);
  }
  return best;
}

}  // namespace

int PrepareSolveOrdering(SearchContext& context, uint64_t me, uint64_t opp, int none) {
  // Searches with the ordering evaluation, two plies deeper each time, as
  // deep as 14 empty squares short of the end and at most 12 plies. On
  // FFO #45-#52, 12 plies in place of 10 took 6% off the nodes (3.30 G to
  // 3.09 G); closer to the end than 14 squares, or more ordering inside the
  // solve, cost more than it saved.
  const int deepest = std::min(kDeepestOrderingSearch, PopCount(~(me | opp)) - 14);
  int value = none;
  for (int depth = 2; depth <= deepest; depth += 2) {
    const int found = OrderingSearch(context, me, opp, -kOrderingInfinity, kOrderingInfinity, depth);
    value = found / kOrderingFinalScale;
    // A search that sees every disc won (or lost) has found the line to
    // try first; deeper ones would only repeat it (FFO #59:
    // 1.0 M nodes in all before this stop, 17 thousand after).
    if (found >= 64 * kOrderingFinalScale || found <= -64 * kOrderingFinalScale) break;
  }
  return value;
}

int ExactNegamax(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta) {
  const uint64_t empty = ~(me | opp);
  const int empties = PopCount(empty);
  switch (empties) {
    case 0:
      ++context.nodes;
      return FinalScore(context, me, opp);
    case 1:
      ++context.nodes;
      return LastSquareScore(context, me, bitboard::LowestBit(empty));
    case 2: {
      const int a = bitboard::LowestBit(empty);
      const int b = bitboard::LowestBit(empty & (empty - 1));
      return Solve2(context, me, opp, a, b, alpha, beta);
    }
    case 3: {
      int a = bitboard::LowestBit(empty);
      uint64_t rest = empty & (empty - 1);
      int b = bitboard::LowestBit(rest);
      int c = bitboard::LowestBit(rest & (rest - 1));
      OrderThree(a, b, c);
      return Solve3(context, me, opp, a, b, c, alpha, beta);
    }
    default: return SolveChild(context, me, opp, alpha, beta, empties, QuadrantParity(empty));
  }
}

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
