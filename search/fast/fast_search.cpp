#include "search/fast/fast_search.h"

#include <atomic>
#include <bit>
#include <thread>

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
int MidgameHorizon(uint64_t me, uint64_t opp, const EmptyList& list, int bound, int passed, uint64_t& nodes) {
  const uint64_t legal = LegalMoves(me, opp);
  if (legal == 0) {
    if (passed != 0) return GameOverScore<kMax>(me, opp);
    ++nodes;  // the pass: the same position at depth 0
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
    ++nodes;
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

// How a node runs: alone (the whole search on this thread), as the lead of a
// split search (offering later siblings to a helper thread), or as the
// helper's task (giving up as soon as the lead calls it off).
enum class Role { Alone, Lead, Helper };

struct SplitHelper;

// A search's list and node count; a helper's task has its own.
struct SearchWork {
  EmptyList list;
  uint64_t nodes = 0;
  const std::atomic<bool>* stop = nullptr;  // a helper's call-off flag
  SplitHelper* helper = nullptr;            // a lead's helper
};

template <bool kMax, Role kRole>
int Midgame(uint64_t me, uint64_t opp, SearchWork& work, int n, int bound, int depth, int passed);
template <int kLimit, bool kMax, Role kRole>
int Solve(uint64_t me, uint64_t opp, SearchWork& work, int n, int bound, int passed);
template <typename Kind, bool kMax>
int LeadNode(uint64_t me, uint64_t opp, SearchWork& work, int n, int bound, int depth, int passed);

// What a lead node needs to know of its search: the limits of its values,
// the score of a finished game, and how to search a child. Midgame lead
// nodes split from a remaining depth of kSplitDepth up, solver lead nodes
// from kSolveSplitEmpties empty squares up; below, a task would be too small
// to be worth handing over.
constexpr int kSplitDepth = 4;
constexpr int kSolveSplitEmpties = 11;

struct MidgameKind {
  static constexpr int kLimit = kWindow;
  template <bool kMax>
  static int Finished(uint64_t me, uint64_t opp) {
    return GameOverScore<kMax>(me, opp);
  }
  template <bool kMax, Role kRole>
  static int Search(uint64_t me, uint64_t opp, SearchWork& work, int n, int bound, int depth, int passed) {
    return Midgame<kMax, kRole>(me, opp, work, n, bound, depth, passed);
  }
};

// The solvers have no depth: a pass or a move leaves the same count of
// remaining plies to the end of the game, so the depth argument is unused.
template <int kSolverLimit>
struct SolveKind {
  static constexpr int kLimit = kSolverLimit;
  template <bool kMax>
  static int Finished(uint64_t me, uint64_t opp) {
    return DiscSumFor<kMax>(me, opp);
  }
  template <bool kMax, Role kRole>
  static int Search(uint64_t me, uint64_t opp, SearchWork& work, int n, int bound, int /*depth*/, int passed) {
    return Solve<kSolverLimit, kMax, kRole>(me, opp, work, n, bound, passed);
  }
};

template <bool kMax, Role kRole>
int Midgame(uint64_t me, uint64_t opp, SearchWork& work, int n, int bound, int depth, int passed) {
  if constexpr (kRole == Role::Lead) {
    if (depth >= kSplitDepth) return LeadNode<MidgameKind, kMax>(me, opp, work, n, bound, depth, passed);
    return Midgame<kMax, Role::Alone>(me, opp, work, n, bound, depth, passed);
  }
  ++work.nodes;
  if (depth == 0) return EvaluateFor<kMax>(me, opp);
  if (depth == 1) return MidgameHorizon<kMax>(me, opp, work.list, bound, passed, work.nodes);
  // A called-off task's result is thrown away, so any value will do.
  if constexpr (kRole == Role::Helper) {
    if (work.stop->load(std::memory_order_relaxed)) return 0;
  }

  const int initial_best = kMax ? -kWindow : kWindow;
  const uint64_t legal = LegalMoves(me, opp);
  if (legal == 0) {
    if (passed != 0) return GameOverScore<kMax>(me, opp);
    return Midgame<!kMax, kRole>(opp, me, work, n, initial_best, depth - 1, 1);
  }
  int best = initial_best;
  EmptyList& list = work.list;
  for (uint64_t slots = SlotsOf(legal, list); slots != 0; slots &= slots - 1) {
    const int i = std::countr_zero(slots);
    const int s = list.square[i];
    const uint64_t flipped = Flips(s, me, opp);
    TakeSlot(list, i, n);
    const int r = Midgame<!kMax, kRole>(opp & ~flipped, me | flipped | Bit(s), work, n - 1, best, depth - 1, 0);
    RestoreSlot(list, i, n, s);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  return best;
}

// The last empty square s: the disc difference after whoever can take it
// does, or of the board as it stands. The board holds 63 discs, so the
// mover's disc count alone gives the difference.
template <bool kMax>
[[gnu::always_inline]] inline int LastSquare(uint64_t me, int s) {
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
int SolveTwo(uint64_t me, uint64_t opp, int a, int b, int bound, int passed, uint64_t& nodes) {
  ++nodes;
  const int initial_best = kMax ? -kLimit : kLimit;
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
  return SolveTwo<kLimit, !kMax>(opp, me, a, b, initial_best, 1, nodes);
}

// Three empty squares a, b, c. The children's lists follow the list rule:
// playing a leaves (c, b), playing b leaves (a, c), playing c leaves (a, b).
template <int kLimit, bool kMax>
int SolveThree(uint64_t me, uint64_t opp, int a, int b, int c, int bound, int passed, uint64_t& nodes) {
  ++nodes;
  const int initial_best = kMax ? -kLimit : kLimit;
  int best = initial_best;
  bool moved = false;
  if (const uint64_t flipped = Flips(a, me, opp); flipped != 0) {
    moved = true;
    const int r = SolveTwo<kLimit, !kMax>(opp & ~flipped, me | flipped | Bit(a), c, b, best, 0, nodes);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (const uint64_t flipped = Flips(b, me, opp); flipped != 0) {
    moved = true;
    const int r = SolveTwo<kLimit, !kMax>(opp & ~flipped, me | flipped | Bit(b), a, c, best, 0, nodes);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (const uint64_t flipped = Flips(c, me, opp); flipped != 0) {
    moved = true;
    const int r = SolveTwo<kLimit, !kMax>(opp & ~flipped, me | flipped | Bit(c), a, b, best, 0, nodes);
    if (Improves<kMax>(r, best, bound)) return r;
  }
  if (moved) return best;
  if (passed != 0) return DiscSumFor<kMax>(me, opp);
  return SolveThree<kLimit, !kMax>(opp, me, a, b, c, initial_best, 1, nodes);
}

// Both endgame solvers for four or more empty squares (or none); kLimit is
// 64 for the exact solver, 1 for win/loss/draw.
template <int kLimit, bool kMax, Role kRole>
int Solve(uint64_t me, uint64_t opp, SearchWork& work, int n, int bound, int passed) {
  if constexpr (kRole == Role::Lead) {
    if (n >= kSolveSplitEmpties) return LeadNode<SolveKind<kLimit>, kMax>(me, opp, work, n, bound, 0, passed);
    return Solve<kLimit, kMax, Role::Alone>(me, opp, work, n, bound, passed);
  }
  ++work.nodes;
  if constexpr (kRole == Role::Helper) {
    if (n >= 6 && work.stop->load(std::memory_order_relaxed)) return 0;
  }
  const int initial_best = kMax ? -kLimit : kLimit;
  const uint64_t legal = LegalMoves(me, opp);
  if (legal == 0) {
    if (passed != 0) return DiscSumFor<kMax>(me, opp);
    return Solve<kLimit, !kMax, kRole>(opp, me, work, n, initial_best, 1);
  }
  int best = initial_best;
  EmptyList& list = work.list;
  // With few squares left, testing each entry is cheaper than finding the
  // slots, and the slot table is left alone: a lead node above finds its
  // entries where they were.
  uint64_t remaining = legal;
  for (int i = 0; remaining != 0; ++i) {
    const int s = list.square[i];
    if ((remaining & Bit(s)) == 0) continue;
    remaining &= ~Bit(s);
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
      r = SolveThree<kLimit, !kMax>(child_me, child_opp, a, b, c, best, 0, work.nodes);
    } else {
      list.square[i] = list.square[n - 1];
      r = Solve<kLimit, !kMax, kRole>(child_me, child_opp, work, n - 1, best, 0);
      list.square[i] = static_cast<uint8_t>(s);
    }
    if (Improves<kMax>(r, best, bound)) return r;
  }
  return best;
}

template <int kLimit, bool kMax, Role kRole>
int SolveAny(uint64_t me, uint64_t opp, SearchWork& work, int n, int bound, int passed) {
  const uint8_t* square = work.list.square;
  switch (n) {
    case 1: ++work.nodes; return LastSquare<kMax>(me, square[0]);
    case 2: return SolveTwo<kLimit, kMax>(me, opp, square[0], square[1], bound, passed, work.nodes);
    case 3: return SolveThree<kLimit, kMax>(me, opp, square[0], square[1], square[2], bound, passed, work.nodes);
    default: return Solve<kLimit, kMax, kRole>(me, opp, work, n, bound, passed);
  }
}

// The helper thread of a split search and the one task it may hold. A lead
// node offers the sibling after the one it is about to search, with the
// bound that sibling will get if the current one does not change the node's
// best. When the lead reaches the sibling and its best has stayed the same,
// the task's inputs are exactly those of the sequential search, so its value
// and node count are taken as they are; otherwise the task is called off
// and the sibling searched afresh. Values and node counts are therefore
// those of the search on one thread, whatever the timing.
struct SplitTask {
  int (*search)(SplitTask&) = nullptr;  // the search of the sibling's node
  uint64_t me = 0;                      // the mover's discs in the sibling (the lead's opponent)
  uint64_t opp = 0;
  int n = 0;
  int bound = 0;
  int depth = 0;
  SearchWork work;
  std::atomic<bool> stop{false};
  int value = 0;
  std::atomic<bool> done{false};
};

template <typename Kind, bool kMax>
int SearchTask(SplitTask& t) {
  return Kind::template Search<kMax, Role::Helper>(t.me, t.opp, t.work, t.n, t.bound, t.depth, 0);
}

// The helper lives only for one search and waits by spinning: a search
// hands over tasks of a few hundred microseconds, and waking a sleeping
// thread would take a good part of that. Only the lead sets `task`, and only
// while it is empty; only the helper empties it, after the task is done.
struct SplitHelper {
  std::atomic<SplitTask*> task{nullptr};
  std::atomic<bool> quit{false};

  bool Busy() const { return task.load(std::memory_order_acquire) != nullptr; }

  void Run() {
    for (unsigned idle = 0;; ++idle) {
      SplitTask* t = task.load(std::memory_order_acquire);
      if (t == nullptr) {
        if (quit.load(std::memory_order_acquire)) return;
        if (idle % 1024 == 1023) std::this_thread::yield();
        continue;
      }
      t->work.stop = &t->stop;
      t->value = t->search(*t);
      t->done.store(true, std::memory_order_release);
      task.store(nullptr, std::memory_order_release);
      idle = 0;
    }
  }

  // Hands t to the helper unless it is still working on another task.
  bool Offer(SplitTask& t) {
    if (Busy()) return false;
    t.done.store(false, std::memory_order_relaxed);
    t.stop.store(false, std::memory_order_relaxed);
    t.work.nodes = 0;
    task.store(&t, std::memory_order_release);
    return true;
  }

  static void Wait(const SplitTask& t) {
    for (unsigned spins = 0; !t.done.load(std::memory_order_acquire); ++spins) {
      if (spins % 1024 == 1023) std::this_thread::yield();
    }
  }

  static void CallOff(SplitTask& t) {
    t.stop.store(true, std::memory_order_relaxed);
    Wait(t);
  }

  void Quit() { quit.store(true, std::memory_order_release); }
};

// A child of a lead node searched on the lead's thread: its value, and its
// nodes added to the lead's count.
template <typename Kind, bool kMax>
int LeadChild(uint64_t me, uint64_t opp, SearchWork& work, int n, int i, int best, int depth) {
  EmptyList& list = work.list;
  const int s = list.square[i];
  const uint64_t flipped = Flips(s, me, opp);
  TakeSlot(list, i, n);
  const int r = Kind::template Search<!kMax, Role::Lead>(opp & ~flipped, me | flipped | Bit(s), work, n - 1, best,
                                                         depth - 1, 0);
  RestoreSlot(list, i, n, s);
  return r;
}

// A lead node visits its children in list order as the sequential search
// does, but a child's value may come from ahead: from the helper, which was
// given the child after the one the lead started, or from the lead itself,
// which searches the next child while it waits for the helper. A value
// found ahead is taken only if it was searched with the bound that the
// child gets now; otherwise it is dropped (with its nodes) and the child
// searched again. The helper gets work only once the first child has been
// searched without a cutoff: where the first child cuts, any other child's
// search would be wasted.
template <typename Kind, bool kMax>
int LeadNode(uint64_t me, uint64_t opp, SearchWork& work, int n, int bound, int depth, int passed) {
  ++work.nodes;
  const int initial_best = kMax ? -Kind::kLimit : Kind::kLimit;
  const uint64_t legal = LegalMoves(me, opp);
  if (legal == 0) {
    if (passed != 0) return Kind::template Finished<kMax>(me, opp);
    return Kind::template Search<!kMax, Role::Lead>(opp, me, work, n, initial_best, depth - 1, 1);
  }
  int order[64];  // the list positions of the legal moves, in list order
  int count = 0;
  for (uint64_t slots = SlotsOf(legal, work.list); slots != 0; slots &= slots - 1) {
    order[count++] = std::countr_zero(slots);
  }

  int best = initial_best;
  SplitHelper& helper = *work.helper;
  SplitTask task;
  int task_child = -1;   // the index in order of the child the helper has
  int ahead_child = -1;  // the child the lead searched ahead, its bound, value and nodes
  int ahead_bound = 0;
  int ahead_value = 0;
  uint64_t ahead_nodes = 0;

  for (int k = 0; k < count; ++k) {
    int r = 0;
    bool known = false;
    if (task_child == k) {
      task_child = -1;
      if (task.bound != best) {
        helper.CallOff(task);
      } else {
        if (k + 1 < count && ahead_child < 0 && !task.done.load(std::memory_order_acquire)) {
          // While the helper works, the lead searches the next child with the
          // same bound, right if this one does not change best.
          const uint64_t before = work.nodes;
          ahead_value = LeadChild<Kind, kMax>(me, opp, work, n, order[k + 1], best, depth);
          ahead_nodes = work.nodes - before;
          work.nodes = before;
          ahead_child = k + 1;
          ahead_bound = best;
        }
        helper.Wait(task);
        r = task.value;
        work.nodes += task.work.nodes;
        ++SplitValuesTaken;
        known = true;
      }
    } else if (ahead_child == k) {
      ahead_child = -1;
      if (ahead_bound == best) {
        r = ahead_value;
        work.nodes += ahead_nodes;
        known = true;
      }
    }
    if (!known) {
      if (k >= 1 && task_child < 0 && k + 1 < count && ahead_child < 0 && !helper.Busy()) {
        const int j = order[k + 1];
        const int t = work.list.square[j];
        const uint64_t turned = Flips(t, me, opp);
        task.search = &SearchTask<Kind, !kMax>;
        task.me = opp & ~turned;
        task.opp = me | turned | Bit(t);
        task.n = n - 1;
        task.bound = best;
        task.depth = depth - 1;
        task.work.list = work.list;
        TakeSlot(task.work.list, j, n);
        if (helper.Offer(task)) task_child = k + 1;
      }
      r = LeadChild<Kind, kMax>(me, opp, work, n, order[k], best, depth);
    }
    if (Improves<kMax>(r, best, bound)) {
      if (task_child >= 0) helper.CallOff(task);
      return r;
    }
  }
  return best;
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

int SplitSearchThreads = std::thread::hardware_concurrency() > 1 ? 2 : 1;
uint64_t SplitValuesTaken = 0;

namespace {

template <Role kRole>
int RunMidgame(SearchRoot& root, SearchWork& work, int colour, int bound, int depth, int passed) {
  if (IsMaximising(colour)) return Midgame<true, kRole>(root.side1, root.side2, work, root.count, bound, depth, passed);
  return Midgame<false, kRole>(root.side2, root.side1, work, root.count, bound, depth, passed);
}

template <int kLimit, Role kRole>
int RunSolve(SearchRoot& root, SearchWork& work, int colour, int bound, int passed) {
  if (IsMaximising(colour)) {
    return SolveAny<kLimit, true, kRole>(root.side1, root.side2, work, root.count, bound, passed);
  }
  return SolveAny<kLimit, false, kRole>(root.side2, root.side1, work, root.count, bound, passed);
}

// Runs search(work) as a split search, with a helper thread, when `split`
// holds and a thread can be started, and on this thread alone otherwise; adds
// the nodes to SearchNodes.
template <typename Lead, typename Alone>
int RunSearch(const SearchRoot& root, bool split, Lead lead, Alone alone) {
  SearchWork work;
  work.list = root.list;
  int value = 0;
  bool searched = false;
  if (split) {
    SplitHelper helper;
    std::thread thread;
    try {
      thread = std::thread([&helper] { helper.Run(); });
    } catch (...) {
      thread = std::thread();
    }
    if (thread.joinable()) {
      work.helper = &helper;
      value = lead(work);
      helper.Quit();
      thread.join();
      searched = true;
    }
  }
  if (!searched) value = alone(work);
  SearchNodes += work.nodes;
  return value;
}

// One child of a root handed out by SearchRootChildren: its bitboards, its
// state (waiting, taken by one of the two threads, searched) and result.
struct RootJob {
  SearchRoot root;
  std::atomic<int> state{0};
  int value = 0;
  uint64_t nodes = 0;
};
constexpr int kJobWaiting = 0;
constexpr int kJobTaken = 1;
constexpr int kJobDone = 2;

// Takes the first waiting job and searches it; false when none is left.
// The helper's searches give up when `stop` is set.
template <typename Kind, Role kRole>
bool SearchNextRootJob(RootJob* jobs, int count, int bound, int depth, const std::atomic<bool>& stop) {
  for (int k = 0; k < count; ++k) {
    int expected = kJobWaiting;
    if (!jobs[k].state.compare_exchange_strong(expected, kJobTaken, std::memory_order_acq_rel)) continue;
    RootJob& job = jobs[k];
    SearchWork work;
    work.list = job.root.list;
    work.stop = &stop;
    job.value = Kind::template Search<false, kRole>(job.root.side2, job.root.side1, work, job.root.count, bound,
                                                    depth, 0);
    job.nodes = work.nodes;
    job.state.store(kJobDone, std::memory_order_release);
    return true;
  }
  return false;
}

// Both threads take the children in order, each the first one nobody has
// taken; the lead hands the results over in order and stops both threads
// at the first one that accept declines.
template <typename Kind>
int SearchRootChildrenWith(RootChild* children, int count, int bound, int depth, bool (*accept)(void*, int, int),
                           void* context) {
  RootJob jobs[64];
  for (int k = 0; k < count; ++k) {
    if (!PrepareRoot(children[k].board, children[k].list, jobs[k].root)) return -1;
  }
  std::atomic<bool> stop{false};
  std::thread thread;
  try {
    thread = std::thread([&] {
      while (!stop.load(std::memory_order_acquire) &&
             SearchNextRootJob<Kind, Role::Helper>(jobs, count, bound, depth, stop)) {
      }
    });
  } catch (...) {
    return -1;
  }
  int accepted = 0;
  for (int k = 0; k < count; ++k) {
    while (jobs[k].state.load(std::memory_order_acquire) != kJobDone) {
      if (!SearchNextRootJob<Kind, Role::Alone>(jobs, count, bound, depth, stop)) std::this_thread::yield();
    }
    children[k].value = jobs[k].value;
    children[k].nodes = jobs[k].nodes;
    ++accepted;
    if (!accept(context, k, jobs[k].value)) break;
  }
  stop.store(true, std::memory_order_release);
  thread.join();
  return accepted;
}

template <int kLimit>
int RunSolveRoot(SearchRoot& root, int colour, int bound, int passed) {
  const bool split = SplitSearchThreads >= 2 && root.count > kSolveSplitEmpties;
  return RunSearch(
      root, split, [&](SearchWork& work) { return RunSolve<kLimit, Role::Lead>(root, work, colour, bound, passed); },
      [&](SearchWork& work) { return RunSolve<kLimit, Role::Alone>(root, work, colour, bound, passed); });
}

}  // namespace

int FastMidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed) {
  SearchRoot root;
  if (!PrepareRoot(board, list, root)) return MidgameSearch(board, list, colour, bound, depth, passed);
  const bool split = SplitSearchThreads >= 2 && depth > kSplitDepth;
  return RunSearch(
      root, split,
      [&](SearchWork& work) { return RunMidgame<Role::Lead>(root, work, colour, bound, depth, passed); },
      [&](SearchWork& work) { return RunMidgame<Role::Alone>(root, work, colour, bound, depth, passed); });
}

int FastExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  SearchRoot root;
  if (!PrepareRoot(board, list, root)) return ExactSolve(board, list, colour, bound, passed);
  return RunSolveRoot<64>(root, colour, bound, passed);
}

int FastWldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  SearchRoot root;
  if (!PrepareRoot(board, list, root)) return WldSolve(board, list, colour, bound, passed);
  return RunSolveRoot<1>(root, colour, bound, passed);
}

int SearchRootChildren(RootChild* children, int count, RootSearchKind kind, int bound, int depth,
                       bool (*accept)(void*, int, int), void* context) {
  if (SplitSearchThreads < 2 || count < 2 || count > 64) return -1;
  if (kind != RootSearchKind::Midgame) {
    for (int k = 0; k < count; ++k) {
      if (children[k].list.count < 4) return -1;
    }
  }
  switch (kind) {
    case RootSearchKind::Midgame:
      return SearchRootChildrenWith<MidgameKind>(children, count, bound, depth, accept, context);
    case RootSearchKind::Exact:
      return SearchRootChildrenWith<SolveKind<64>>(children, count, bound, depth, accept, context);
    case RootSearchKind::Wld:
      return SearchRootChildrenWith<SolveKind<1>>(children, count, bound, depth, accept, context);
  }
  return -1;
}
