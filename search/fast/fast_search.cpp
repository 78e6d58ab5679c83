#include "search/fast/fast_search.h"

#include <bit>

#include "search/evaluate.h"
#include "search/fast/bitboard.h"
#include "search/search.h"

using bitboard::Bit;
using bitboard::Flips;
using bitboard::LegalMoves;
using bitboard::PopCount;

namespace {

// The recursions below work on the mover's discs `me` and the other side's
// discs `opp`; kMax says whether the mover is side 1, so that scores can be
// given from side 1's view. The list of empty squares is one array of bit
// indices shared by the whole search: a node plays the square at position i
// by writing its last entry into slot i, hands the first n - 1 entries to the
// child and writes the square back afterwards. That is exactly the child list
// of the mailbox searches, without the copy.
//
// Each square's position in the list is kept beside it, so that a node can
// turn its legal moves into the set of their list positions and visit just
// those, in list order, instead of testing every entry.
struct EmptyList {
  uint8_t square[64];  // the list: bit indices
  uint8_t slot[64];    // slot[square[i]] == i for every listed square
};

// The list positions of the given squares, as a mask (bit i for position i).
inline uint64_t SlotsOf(uint64_t squares, const EmptyList& list) {
  uint64_t slots = 0;
  for (; squares != 0; squares &= squares - 1) slots |= Bit(list.slot[std::countr_zero(squares)]);
  return slots;
}

// Plays the square at position i for a child with n - 1 entries, and back.
inline void TakeSlot(EmptyList& list, int i, int n) {
  const int last = list.square[n - 1];
  list.square[i] = static_cast<uint8_t>(last);
  list.slot[last] = static_cast<uint8_t>(i);
}
inline void RestoreSlot(EmptyList& list, int i, int n, int s) {
  const int last = list.square[n - 1];
  list.square[i] = static_cast<uint8_t>(s);
  list.slot[last] = static_cast<uint8_t>(n - 1);
}

template <bool kMax>
inline int EvaluateFor(uint64_t me, uint64_t opp) {
  if constexpr (kMax) {
    return bitboard::Evaluate(me, opp);
  } else {
    return bitboard::Evaluate(opp, me);
  }
}

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

template <bool kMax>
inline int GameOverScore(uint64_t me, uint64_t opp) {
  const int discs = DiscSumFor<kMax>(me, opp);
  return discs > 0 ? kGameWon : discs < 0 ? -kGameWon : 0;
}

// A midgame node with one ply left: every child is evaluated at once. The
// node itself has been counted; each child counts as one more call.
template <bool kMax>
int MidgameHorizon(uint64_t me, uint64_t opp, const EmptyList& list, int bound, int passed) {
  const uint64_t legal = LegalMoves(me, opp);
  if (legal == 0) {
    if (passed != 0) return GameOverScore<kMax>(me, opp);
    ++SearchNodes;  // the pass: the same position at depth 0
    return EvaluateFor<kMax>(me, opp);
  }
  // The children's disc terms differ from this node's by the played square
  // and the turned discs only; disc_weights is from side 1's view.
  const int disc_weights = kMax ? bitboard::DiscWeights(me, opp) : bitboard::DiscWeights(opp, me);
  // Likewise the frontier pairs (a disc and an empty neighbour): a child
  // differs by the turned discs changing sides, the played square's empty
  // neighbours joining the mover, and the played square no longer counting
  // as empty for the discs around it.
  const uint64_t empty = ~(me | opp);
  const bitboard::NeighbourCount neighbours = bitboard::CountEmptyNeighbours(empty);
  const int pair_difference = bitboard::FrontierPairs(me, neighbours) - bitboard::FrontierPairs(opp, neighbours);
  int best = kMax ? -kWindow : kWindow;
  for (uint64_t slots = SlotsOf(legal, list); slots != 0; slots &= slots - 1) {
    const int s = list.square[std::countr_zero(slots)];
    const uint64_t flipped = Flips(s, me, opp);
    ++SearchNodes;
    const uint64_t child_me = me | flipped | Bit(s);
    const uint64_t child_opp = opp & ~flipped;
    const bitboard::TurnedSums turned = bitboard::TurnedDiscSums(flipped, neighbours);
    const int gain = bitboard::kSquareWeight[s] + 2 * turned.weight;
    // The child's value is 4 D + F + 2 (m1 - m2) with both move counts at
    // least 0. Before any moves are counted, the mover's count is bounded by
    // the empty squares next to the other side's discs: when even that leaves
    // the value no better than best, the child can change nothing here (a
    // value equal to best is not tested against the bound either).
    int r;
    // Counted together: the bound on the mover's moves, and the mover's
    // discs next to the played square.
    const bitboard::MaskPair counts = bitboard::PopCounts(
        bitboard::MaskPair{~(child_me | child_opp) & bitboard::Around(child_opp), bitboard::kNeighbours[s] & child_me});
    const int potential = static_cast<int>(counts[0]);
    // The played square's k neighbours split into e empty ones, m of the
    // mover and o of the other side (k = e + m + o): the mover gains t turned
    // pairs and e new ones and loses m, the other side loses t and o, so the
    // difference of pairs grows by 2 t + e - m + o = 2 t + k - 2 m.
    const int child_pair_difference =
        pair_difference + 2 * turned.pairs + bitboard::kNeighbourCount[s] - 2 * static_cast<int>(counts[1]);
    const int my_frontier = -7 * child_pair_difference;  // from the mover's view
    if constexpr (kMax) {
      const int base = 4 * (disc_weights + gain) + my_frontier;
      if (base + 2 * potential <= best) continue;
      r = base + 2 * bitboard::MoveCountDifference(child_me, child_opp);
    } else {
      const int base = 4 * (disc_weights - gain) - my_frontier;
      if (base - 2 * potential >= best) continue;
      r = base - 2 * bitboard::MoveCountDifference(child_me, child_opp);
    }
    if (Improves<kMax>(r, best, bound)) return r;
  }
  return best;
}

template <bool kMax>
int Midgame(uint64_t me, uint64_t opp, EmptyList& list, int n, int bound, int depth, int passed) {
  ++SearchNodes;
  if (depth == 0) return EvaluateFor<kMax>(me, opp);
  if (depth == 1) return MidgameHorizon<kMax>(me, opp, list, bound, passed);

  const int initial_best = kMax ? -kWindow : kWindow;
  const uint64_t legal = LegalMoves(me, opp);
  if (legal == 0) {
    if (passed != 0) return GameOverScore<kMax>(me, opp);
    return Midgame<!kMax>(opp, me, list, n, initial_best, depth - 1, 1);
  }
  int best = initial_best;
  for (uint64_t slots = SlotsOf(legal, list); slots != 0; slots &= slots - 1) {
    const int i = std::countr_zero(slots);
    const int s = list.square[i];
    const uint64_t flipped = Flips(s, me, opp);
    TakeSlot(list, i, n);
    const int r = Midgame<!kMax>(opp & ~flipped, me | flipped | Bit(s), list, n - 1, best, depth - 1, 0);
    RestoreSlot(list, i, n, s);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  return best;
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
template <int kLimit, bool kMax>
int SolveTwo(uint64_t me, uint64_t opp, int a, int b, int bound, int passed) {
  ++SearchNodes;
  const int initial_best = kMax ? -kLimit : kLimit;
  int best = initial_best;
  bool moved = false;
  if (const uint64_t flipped = Flips(a, me, opp); flipped != 0) {
    moved = true;
    ++SearchNodes;
    const int r = LastSquare<!kMax>(opp & ~flipped, b);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (const uint64_t flipped = Flips(b, me, opp); flipped != 0) {
    moved = true;
    ++SearchNodes;
    const int r = LastSquare<!kMax>(opp & ~flipped, a);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (moved) return best;
  if (passed != 0) return DiscSumFor<kMax>(me, opp);
  return SolveTwo<kLimit, !kMax>(opp, me, a, b, initial_best, 1);
}

// Three empty squares a, b, c. The children's lists follow the list rule:
// playing a leaves (c, b), playing b leaves (a, c), playing c leaves (a, b).
template <int kLimit, bool kMax>
int SolveThree(uint64_t me, uint64_t opp, int a, int b, int c, int bound, int passed) {
  ++SearchNodes;
  const int initial_best = kMax ? -kLimit : kLimit;
  int best = initial_best;
  bool moved = false;
  if (const uint64_t flipped = Flips(a, me, opp); flipped != 0) {
    moved = true;
    const int r = SolveTwo<kLimit, !kMax>(opp & ~flipped, me | flipped | Bit(a), c, b, best, 0);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (const uint64_t flipped = Flips(b, me, opp); flipped != 0) {
    moved = true;
    const int r = SolveTwo<kLimit, !kMax>(opp & ~flipped, me | flipped | Bit(b), a, c, best, 0);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (const uint64_t flipped = Flips(c, me, opp); flipped != 0) {
    moved = true;
    const int r = SolveTwo<kLimit, !kMax>(opp & ~flipped, me | flipped | Bit(c), a, b, best, 0);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (moved) return best;
  if (passed != 0) return DiscSumFor<kMax>(me, opp);
  return SolveThree<kLimit, !kMax>(opp, me, a, b, c, initial_best, 1);
}

// Both endgame solvers for four or more empty squares (or none); kLimit is
// 64 for the exact solver, 1 for win/loss/draw.
template <int kLimit, bool kMax>
int Solve(uint64_t me, uint64_t opp, EmptyList& list, int n, int bound, int passed) {
  ++SearchNodes;
  const int initial_best = kMax ? -kLimit : kLimit;
  const uint64_t legal = LegalMoves(me, opp);
  if (legal == 0) {
    if (passed != 0) return DiscSumFor<kMax>(me, opp);
    return Solve<kLimit, !kMax>(opp, me, list, n, initial_best, 1);
  }
  int best = initial_best;
  for (uint64_t slots = SlotsOf(legal, list); slots != 0; slots &= slots - 1) {
    const int i = std::countr_zero(slots);
    const int s = list.square[i];
    const uint64_t flipped = Flips(s, me, opp);
    const uint64_t child_me = opp & ~flipped;
    const uint64_t child_opp = me | flipped | Bit(s);
    int r;
    if (n == 4) {
      // The child's list: the first three entries with slot i holding the last.
      const int last = list.square[3];
      const int a = i == 0 ? last : list.square[0];
      const int b = i == 1 ? last : list.square[1];
      const int c = i == 2 ? last : list.square[2];
      r = SolveThree<kLimit, !kMax>(child_me, child_opp, a, b, c, best, 0);
    } else {
      TakeSlot(list, i, n);
      r = Solve<kLimit, !kMax>(child_me, child_opp, list, n - 1, best, 0);
      RestoreSlot(list, i, n, s);
    }
    if (Improves<kMax>(r, best, bound)) return r;
  }
  return best;
}

template <int kLimit, bool kMax>
int SolveAny(uint64_t me, uint64_t opp, EmptyList& list, int n, int bound, int passed) {
  const uint8_t* square = list.square;
  switch (n) {
    case 1: ++SearchNodes; return LastSquare<kMax>(me, square[0]);
    case 2: return SolveTwo<kLimit, kMax>(me, opp, square[0], square[1], bound, passed);
    case 3: return SolveThree<kLimit, kMax>(me, opp, square[0], square[1], square[2], bound, passed);
    default: return Solve<kLimit, kMax>(me, opp, list, n, bound, passed);
  }
}

// The bitboards and the bit-index list of a search call, or false when the
// call must go to the mailbox search: the Board does not convert, or the
// list is not the Board's empty squares, each once.
struct SearchRoot {
  uint64_t side1;
  uint64_t side2;
  EmptyList list;
  int count;
};

bool PrepareRoot(const Board& board, const MoveList& list, SearchRoot& root) {
  if (!BoardToMasks(board, root.side1, root.side2)) return false;
  const int n = list.count;
  if (n < 0 || n > 64) return false;
  uint64_t listed = 0;
  for (int k = 0; k < n; ++k) {
    const int s = list.entry[k];
    if (!IsPlayableSquare(s)) return false;
    const int b = bitboard::BitOfSquare(s);
    if ((listed & Bit(b)) != 0) return false;
    listed |= Bit(b);
    root.list.square[k] = static_cast<uint8_t>(b);
    root.list.slot[b] = static_cast<uint8_t>(k);
  }
  if (listed != ~(root.side1 | root.side2)) return false;
  root.count = n;
  return true;
}

bool IsMaximising(int colour) { return ColourByte(colour) == 1; }

template <int kLimit>
int SolveRoot(SearchRoot& root, int colour, int bound, int passed) {
  if (IsMaximising(colour)) return SolveAny<kLimit, true>(root.side1, root.side2, root.list, root.count, bound, passed);
  return SolveAny<kLimit, false>(root.side2, root.side1, root.list, root.count, bound, passed);
}

}  // namespace

bool BoardToMasks(const Board& board, uint64_t& side1, uint64_t& side2) {
  side1 = 0;
  side2 = 0;
  for (int s = 0; s < kBoardCells; ++s) {
    const int8_t code = board.cell[s];
    if (!IsPlayableSquare(s)) {
      if (code != kWall) return false;
      continue;
    }
    const uint64_t bit = Bit(bitboard::BitOfSquare(s));
    if (code == 1) {
      side1 |= bit;
    } else if (code == -1) {
      side2 |= bit;
    } else if (code != kEmpty) {
      return false;
    }
  }
  return true;
}

int FastEvaluate(const Board& board) {
  uint64_t side1 = 0;
  uint64_t side2 = 0;
  if (!BoardToMasks(board, side1, side2)) return Evaluate(board);
  return bitboard::Evaluate(side1, side2);
}

int FastMidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed) {
  SearchRoot root;
  if (!PrepareRoot(board, list, root)) return MidgameSearch(board, list, colour, bound, depth, passed);
  if (IsMaximising(colour)) return Midgame<true>(root.side1, root.side2, root.list, root.count, bound, depth, passed);
  return Midgame<false>(root.side2, root.side1, root.list, root.count, bound, depth, passed);
}

int FastExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  SearchRoot root;
  if (!PrepareRoot(board, list, root)) return ExactSolve(board, list, colour, bound, passed);
  return SolveRoot<64>(root, colour, bound, passed);
}

int FastWldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  SearchRoot root;
  if (!PrepareRoot(board, list, root)) return WldSolve(board, list, colour, bound, passed);
  return SolveRoot<1>(root, colour, bound, passed);
}
