// The engine's midgame search: the depth-limited minimax value of the
// static evaluation, found by a principal-variation search with the
// transposition table and move ordering. Every depth is searched in full:
// a value stored for one depth answers only a search of that same depth,
// since a deeper search of the same position is a different value.
#include <bit>

#include "search/engine/bitboard.h"
#include "search/engine/negamax.h"
#include "search/engine/hash_table.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

namespace {

using bitboard::Bit;
using bitboard::Flips;
using bitboard::LegalMoves;
using bitboard::PopCount;

// Plies left from which nodes use the transposition table, from which a node
// without a stored best move first searches itself two plies shallower to
// find one, and from which a node looks its children up in the table before
// searching any. After the table's move, the moves are ordered by the
// static evaluation of the position after them, and near the horizon (up to
// kFewestRepliesDepth plies left) by the opponent's number of replies, which
// costs less and was measured to order as well there. Ordering by shallow
// searches finds the best move first a little more often, but costs more
// than it saves.
constexpr int kHashDepth = 2;
constexpr int kFewestRepliesDepth = 3;
constexpr int kShallowFirstDepth = 5;
constexpr int kChildProbeDepth = 4;

inline int GameOverScore(uint64_t me, uint64_t opp) {
  const int discs = PopCount(me) - PopCount(opp);
  return discs > 0 ? kMidgameWon : discs < 0 ? -kMidgameWon : 0;
}

// A node with one ply left: every child is evaluated at once. The
// children's evaluations differ from this node's sums only by the played
// square and the turned discs, so the disc and frontier terms are updated
// rather than recounted; and a child whose value cannot beat the best so
// far even if the mover had a move on every empty square next to the
// opponent is not evaluated at all.
int Horizon(SearchContext& context, uint64_t me, uint64_t opp, uint64_t moves, int alpha, int beta) {
  const int disc_weights = bitboard::DiscWeights(me, opp);
  const bitboard::NeighbourCount neighbours = bitboard::CountEmptyNeighbours(~(me | opp));
  const int pair_difference = bitboard::FrontierPairs(me, neighbours) - bitboard::FrontierPairs(opp, neighbours);
  int best = -kMidgameInfinity;
  int skipped_bound = -kMidgameInfinity;  // the highest bound of a child left unevaluated
  for (; moves != 0; moves &= moves - 1) {
    const int s = bitboard::LowestBit(moves);
    const uint64_t flipped = Flips(s, me, opp);
    ++context.nodes;
    const uint64_t child_me = me | flipped | Bit(s);
    const uint64_t child_opp = opp & ~flipped;
    const bitboard::TurnedSums turned = bitboard::TurnedDiscSums(flipped, neighbours);
    const int gain = bitboard::kSquareWeight[s] + 2 * turned.weight;
    // Counted together: the squares where the mover could have moves (empty
    // ones next to the opponent), and the mover's discs next to s.
    const bitboard::MaskPair counts = bitboard::PopCounts(
        bitboard::Pair(~(child_me | child_opp) & bitboard::Around(child_opp), bitboard::kNeighbours[s] & child_me));
    // The played square's k neighbours split into e empty ones, m of the
    // mover and o of the other side (k = e + m + o): the mover gains t turned
    // pairs and e new ones and loses m, the other side loses t and o, so the
    // difference of pairs grows by 2 t + e - m + o = 2 t + k - 2 m.
    const int child_pairs =
        pair_difference + 2 * turned.pairs + bitboard::kNeighbourCount[s] - 2 * static_cast<int>(counts[1]);
    const int base = 4 * (disc_weights + gain) - 7 * child_pairs;
    const int bound = base + 2 * static_cast<int>(counts[0]);
    if (bound <= best || bound <= alpha) {
      if (bound > skipped_bound) skipped_bound = bound;
      continue;
    }
    const int score = base + 2 * bitboard::MoveCountDifference(child_me, child_opp);
    if (score > best) {
      best = score;
      if (score >= beta) return score;
    }
  }
  // A child left out may be worth up to its bound: the result must not
  // claim less.
  return best > skipped_bound ? best : skipped_bound;
}

}  // namespace

int MidgameNegamax(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int depth, int passed) {
  ++context.nodes;
  if (depth == 0) return bitboard::Evaluate(me, opp);
  const uint64_t moves = LegalMoves(me, opp);
  if (moves == 0) {
    if (passed != 0) return GameOverScore(me, opp);
    return -MidgameNegamax(context, opp, me, -beta, -alpha, depth - 1, 1);
  }
  if (depth == 1) return Horizon(context, me, opp, moves, alpha, beta);
  if (context.Stopped()) return alpha;

  HashTable* table = depth >= kHashDepth && depth < kOrderingDepthBase ? context.table : nullptr;
  int hash_move = kNoMove;
  size_t bucket = 0;
  if (table != nullptr) {
    bucket = table->BucketOf(me, opp);
    HashProbe probe = table->Probe(bucket, me, opp, static_cast<uint8_t>(depth));
    if (probe.found) {
      if (probe.lower >= beta) return probe.lower;
      if (probe.upper <= alpha) return probe.upper;
      if (probe.lower == probe.upper) return probe.lower;
    }
    if (probe.move == kNoMove && depth >= kShallowFirstDepth) {
      MidgameNegamax(context, me, opp, alpha, beta, depth - 2, passed);
      probe = table->Probe(bucket, me, opp, static_cast<uint8_t>(depth));
    }
    hash_move = probe.move;
  }

  Candidate candidates[64];
  int count = 0;
  // The children's table lines are asked for first, so that the memory
  // reads overlap the work below. Enhanced transposition cutoff: a child
  // already known to be bad enough for the opponent cuts before anything is
  // searched.
  const bool child_probes = table != nullptr && depth >= kChildProbeDepth;
  for (uint64_t rest = moves; rest != 0; rest &= rest - 1) {
    const int x = bitboard::LowestBit(rest);
    Candidate& c = candidates[count++];
    c.square = x;
    c.flipped = Flips(x, me, opp);
    if (table != nullptr && depth - 1 >= kHashDepth) {
      c.bucket = table->BucketOf(opp & ~c.flipped, me | c.flipped | Bit(x));
      table->Prefetch(c.bucket);
    }
  }
  for (int k = 0; k < count; ++k) {
    Candidate& c = candidates[k];
    const int x = c.square;
    const uint64_t child_me = opp & ~c.flipped;
    const uint64_t child_opp = me | c.flipped | Bit(x);
    if (child_probes) {
      const HashProbe child = table->Probe(c.bucket, child_me, child_opp, static_cast<uint8_t>(depth - 1));
      if (child.found && -child.upper >= beta) return -child.upper;
    }
    if (x == hash_move) {
      c.key = 1 << 20;
    } else if (depth <= kFewestRepliesDepth) {
      c.key = -PopCount(LegalMoves(child_me, child_opp));
    } else {
      c.key = -bitboard::Evaluate(child_me, child_opp);
    }
  }

  const int original_alpha = alpha;
  int best = -kMidgameInfinity;
  int best_move = kNoMove;
  for (int k = 0; k < count; ++k) {
    const Candidate c = NextCandidate(candidates, k, count);
    const uint64_t child_me = opp & ~c.flipped;
    const uint64_t child_opp = me | c.flipped | Bit(c.square);
    int score;
    if (k == 0) {
      score = -MidgameNegamax(context, child_me, child_opp, -beta, -alpha, depth - 1, 0);
    } else {
      score = -MidgameNegamax(context, child_me, child_opp, -alpha - 1, -alpha, depth - 1, 0);
      if (score > alpha && score < beta) {
        score = -MidgameNegamax(context, child_me, child_opp, -beta, -alpha, depth - 1, 0);
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
    const int lower = best > original_alpha ? best : -kMidgameInfinity;
    const int upper = best < beta ? best : kMidgameInfinity;
    table->Store(bucket, me, opp, static_cast<uint8_t>(depth), lower, upper, best_move, depth);
  }
  return best;
}

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
