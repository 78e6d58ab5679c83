// The win/loss/draw solver. Its results are not just win, draw or loss: a
// raw disc difference can come through from a finished game or from the
// rule for the last empty square, so the value a call answers depends on
// the order in which the list offers the moves and on the bounds handed
// down. The think driver shows and scales those values, so they are found
// by following the solver's own recursion move for move, in list order,
// with one shortcut: a child whose result cannot change the node's best is
// not searched at all.
//
// Whether a child can change the best follows from the sign of its value
// under perfect play (the disc difference, empty squares counting for
// nobody), which the exact solver finds with one null-window search. The
// solver guarantees that a minimising child called with bound b answers
// r > b only with the sign of its value, and otherwise something whose
// sign is at least that of its value. So at a maximising node whose best
// is -1, a child raises the best exactly when its value is at least 0; at
// one whose best is 0 or more, only a child with a positive value can; and
// mirrored for minimising nodes. Only the children that do raise the best
// are followed, so the recursion itself visits few nodes.
#include <bit>

#include "search/engine/bitboard.h"
#include "search/engine/negamax.h"
#include "search/engine/wld.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

namespace {

using bitboard::Bit;
using bitboard::Flips;
using bitboard::LegalMoves;
using bitboard::PopCount;

// Up to this many empty squares the recursion is followed in full, every
// child searched: cheaper there than asking for signs.
constexpr int kFollowAllEmpties = 7;

// kMax says whether the mover (`me`) is side 1; values are from side 1's
// view.
template <bool kMax>
inline int DiscSumFor(uint64_t me, uint64_t opp) {
  const int difference = PopCount(me) - PopCount(opp);
  return kMax ? difference : -difference;
}

// Updates best with r for a node of the given kind; true when r cuts off.
template <bool kMax>
inline bool Improves(int r, int& best, int bound) {
  if constexpr (kMax) {
    if (r > best) {
      best = r;
      return r >= bound;
    }
  } else if (r < best) {
    best = r;
    return r <= bound;
  }
  return false;
}

// The last empty square s: the disc difference after whoever can take it
// does, or of the board as it stands. The board holds 63 discs, so the
// mover's disc count alone gives the difference.
template <bool kMax>
inline int LastSquare(uint64_t me, int s) {
  const int mine = PopCount(me);
  int difference;  // from the mover's view
  if (const int turned = bitboard::LastFlipCount(s, me); turned != 0) {
    difference = 2 * (mine + turned) - 62;
  } else if (const int lost = bitboard::LastFlipCount(s, ~me & ~Bit(s)); lost != 0) {
    difference = 2 * (mine - lost) - 64;
  } else {
    difference = 2 * mine - 63;
  }
  return kMax ? difference : -difference;
}

// Two empty squares a, b (the list in that order). Each child is a
// last-square node, counted here.
template <bool kMax>
int FollowTwo(uint64_t me, uint64_t opp, int a, int b, int bound, int passed, uint64_t& nodes) {
  ++nodes;
  const int initial_best = kMax ? -1 : 1;
  int best = initial_best;
  bool moved = false;
  if (const uint64_t flipped = Flips(a, me, opp); flipped != 0) {
    moved = true;
    ++nodes;
    const int r = LastSquare<!kMax>(opp & ~flipped, b);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (const uint64_t flipped = Flips(b, me, opp); flipped != 0) {
    moved = true;
    ++nodes;
    const int r = LastSquare<!kMax>(opp & ~flipped, a);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (moved) return best;
  if (passed != 0) return DiscSumFor<kMax>(me, opp);
  return FollowTwo<!kMax>(opp, me, a, b, initial_best, 1, nodes);
}

// Three empty squares a, b, c. The children's lists follow the list rule:
// playing a leaves (c, b), playing b leaves (a, c), playing c leaves (a, b).
template <bool kMax>
int FollowThree(uint64_t me, uint64_t opp, int a, int b, int c, int bound, int passed, uint64_t& nodes) {
  ++nodes;
  const int initial_best = kMax ? -1 : 1;
  int best = initial_best;
  bool moved = false;
  if (const uint64_t flipped = Flips(a, me, opp); flipped != 0) {
    moved = true;
    const int r = FollowTwo<!kMax>(opp & ~flipped, me | flipped | Bit(a), c, b, best, 0, nodes);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (const uint64_t flipped = Flips(b, me, opp); flipped != 0) {
    moved = true;
    const int r = FollowTwo<!kMax>(opp & ~flipped, me | flipped | Bit(b), a, c, best, 0, nodes);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (const uint64_t flipped = Flips(c, me, opp); flipped != 0) {
    moved = true;
    const int r = FollowTwo<!kMax>(opp & ~flipped, me | flipped | Bit(c), a, b, best, 0, nodes);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (moved) return best;
  if (passed != 0) return DiscSumFor<kMax>(me, opp);
  return FollowThree<!kMax>(opp, me, a, b, c, initial_best, 1, nodes);
}

// The recursion in full, every legal child searched, for a list of n empty
// squares (n == 1, n == 0 and n >= 4 here; two and three have their own).
// The list is shared down the recursion: a child's list is the node's with
// the played slot holding the last entry, restored afterwards.
template <bool kMax>
int FollowAll(uint64_t me, uint64_t opp, uint8_t* list, int n, int bound, int passed, uint64_t& nodes) {
  ++nodes;
  if (n == 1) {
    const int s = list[0];
    if (Flips(s, me, opp) != 0 || Flips(s, opp, me) != 0) return LastSquare<kMax>(me, s);
    return DiscSumFor<kMax>(me, opp);
  }
  const int initial_best = kMax ? -1 : 1;
  const uint64_t legal = LegalMoves(me, opp);
  if (legal == 0) {
    if (passed != 0) return DiscSumFor<kMax>(me, opp);
    return FollowAll<!kMax>(opp, me, list, n, initial_best, 1, nodes);
  }
  int best = initial_best;
  uint64_t remaining = legal;
  for (int i = 0; remaining != 0; ++i) {
    const int s = list[i];
    if ((remaining & Bit(s)) == 0) continue;
    remaining &= ~Bit(s);
    const uint64_t flipped = Flips(s, me, opp);
    const uint64_t child_me = opp & ~flipped;
    const uint64_t child_opp = me | flipped | Bit(s);
    int r;
    if (n == 4) {
      // The child's list: the first three entries with slot i holding the last.
      const int last = list[3];
      const int a = i == 0 ? last : list[0];
      const int b = i == 1 ? last : list[1];
      const int c = i == 2 ? last : list[2];
      r = FollowThree<!kMax>(child_me, child_opp, a, b, c, best, 0, nodes);
    } else {
      list[i] = list[n - 1];
      r = FollowAll<!kMax>(child_me, child_opp, list, n - 1, best, 0, nodes);
      list[i] = static_cast<uint8_t>(s);
    }
    if (Improves<kMax>(r, best, bound)) return r;
  }
  return best;
}

template <bool kMax>
int Follow(SearchContext& context, uint64_t me, uint64_t opp, uint8_t* list, int n, int bound, int passed);

// The recursion at any size: in full with few empty squares, otherwise
// with each child first asked whether it can change the best.
template <bool kMax>
int FollowAny(SearchContext& context, uint64_t me, uint64_t opp, uint8_t* list, int n, int bound, int passed) {
  if (n == 2) return FollowTwo<kMax>(me, opp, list[0], list[1], bound, passed, context.nodes);
  if (n == 3) return FollowThree<kMax>(me, opp, list[0], list[1], list[2], bound, passed, context.nodes);
  if (n <= kFollowAllEmpties) return FollowAll<kMax>(me, opp, list, n, bound, passed, context.nodes);
  return Follow<kMax>(context, me, opp, list, n, bound, passed);
}

// True when the child (child_me to move, the other side of this node), whose
// list holds `child_n` squares, cannot change this node's best.
//
// A node that has a move and at least two empty squares answers at most +1
// when minimising and at least -1 when maximising: its best starts there
// and only moves away from the other side. So at a maximising node whose
// best is already 1 or more such a child cannot raise it, nor lower a
// minimising best of -1 or less; only a child that must pass or has one
// square left can bring a raw disc difference back.
//
// Otherwise the sign of the child's value decides. With w the child's value
// from its own mover's view, the child cannot change the best exactly when
// w >= t for the threshold below, which one null-window solve settles.
template <bool kMax>
bool CannotImprove(SearchContext& context, uint64_t child_me, uint64_t child_opp, int child_n, int best) {
  const bool bounded = child_n >= 2 && LegalMoves(child_me, child_opp) != 0;
  int threshold;
  if constexpr (kMax) {
    if (best >= 1 && bounded) return true;
    if (best < -1) return false;  // never so: a maximising best starts at -1
    threshold = best == -1 ? 1 : 0;
  } else {
    if (best <= -1 && bounded) return true;
    if (best > 1) return false;
    threshold = best == 1 ? 1 : 0;
  }
  return ExactNegamax(context, child_me, child_opp, threshold - 1, threshold) >= threshold;
}

template <bool kMax>
int Follow(SearchContext& context, uint64_t me, uint64_t opp, uint8_t* list, int n, int bound, int passed) {
  ++context.nodes;
  const int initial_best = kMax ? -1 : 1;
  const uint64_t legal = LegalMoves(me, opp);
  if (legal == 0) {
    if (passed != 0) return DiscSumFor<kMax>(me, opp);
    return Follow<!kMax>(context, opp, me, list, n, initial_best, 1);
  }
  int best = initial_best;
  uint64_t remaining = legal;
  for (int i = 0; remaining != 0; ++i) {
    const int s = list[i];
    if ((remaining & Bit(s)) == 0) continue;
    remaining &= ~Bit(s);
    const uint64_t flipped = Flips(s, me, opp);
    const uint64_t child_me = opp & ~flipped;
    const uint64_t child_opp = me | flipped | Bit(s);
    if (CannotImprove<kMax>(context, child_me, child_opp, n - 1, best)) continue;
    list[i] = list[n - 1];
    const int r = FollowAny<!kMax>(context, child_me, child_opp, list, n - 1, best, 0);
    list[i] = static_cast<uint8_t>(s);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  return best;
}

}  // namespace

int FollowWldSolve(SearchContext& context, uint64_t side1, uint64_t side2, uint8_t* list, int n, bool maximising,
                   int bound, int passed) {
  if (maximising) return FollowAny<true>(context, side1, side2, list, n, bound, passed);
  return FollowAny<false>(context, side2, side1, list, n, bound, passed);
}

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
