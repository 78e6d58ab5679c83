// The engine searches inside: negamax alpha-beta on bitboards, values from
// the mover's view, fail-soft (a result at or below alpha is an upper bound
// on the value, one at or above beta a lower bound, one in between exact).
//
// They find the values the reference searches define, with far smaller trees:
// a transposition table, move ordering, null-window searches, and in the
// endgame stability cutoffs. Nothing prunes by guesswork and no depth is
// ever reduced, so every exact value is the plain minimax value.
#pragma once

#include <cstdint>

#include "search/engine/hash_table.h"
#include "search/engine/isa.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

// What one top-level call of the searches shares: the table, the count of
// positions visited, and how the exact solver scores a finished game: the
// disc difference with the empty squares left counting for nobody (the
// engine's own rule), or given to the winner (as published endgame suites
// count them).
struct SearchContext {
  HashTable* table = nullptr;
  uint64_t nodes = 0;
  bool empties_to_winner = false;
  // A search given a stop check (tenu's time limit) stops once it says so:
  // every node on the way back then answers at once and nothing more is
  // stored, and what the search answers means nothing.
  bool (*stop_check)(void* context) = nullptr;
  void* stop_context = nullptr;
  bool stopped = false;
  int countdown = 0;  // calls until the check is asked again

  // The table keeps the two rules' values apart.
  uint8_t SolvedDepth() const { return empties_to_winner ? kSolvedToWinnerDepth : kSolvedDepth; }

  // True once the stop check said so; asks it every few thousand calls.
  bool Stopped() {
    if (stop_check == nullptr || stopped) return stopped;
    if (--countdown > 0) return false;
    countdown = 4096;
    stopped = stop_check(stop_context);
    return stopped;
  }
};

// A move of a node waiting to be searched: its square, the discs it turns,
// and how promising it looks (higher first).
struct Candidate {
  int square;
  int key;
  uint64_t flipped;
  size_t bucket;  // the child's table bucket, where the search uses the table
};

// Takes the most promising of candidates[k..count) and puts it at k. Picking
// each move only when it is needed leaves the rest unsorted after a cutoff.
inline Candidate NextCandidate(Candidate* candidates, int k, int count) {
  int pick = k;
  for (int j = k + 1; j < count; ++j) {
    if (candidates[j].key > candidates[pick].key) pick = j;
  }
  const Candidate chosen = candidates[pick];
  candidates[pick] = candidates[k];
  candidates[k] = chosen;
  return chosen;
}

// Values of a finished game inside the midgame search, and the window
// bounds that no value reaches.
constexpr int kMidgameWon = 9999;
constexpr int kMidgameInfinity = 10001;
constexpr int kSolveInfinity = 65;

// The final disc difference under perfect play, empty squares scored as the
// context says, within the window (alpha, beta) with -65 <= alpha < beta <=
// 65.
int ExactNegamax(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta);

// The ordering evaluation of a position for its mover, and a search with it
// at the leaves (a pass costs no depth; a finished game is worth
// kOrderingFinalScale per disc), which leaves best moves in the table under
// depths of their own. Only for ordering moves: their values never stand
// for a search's answer. Window within +-kOrderingInfinity.
constexpr int kOrderingFinalScale = 32;
constexpr int kOrderingInfinity = 30000;
int OrderingLeaf(uint64_t me, uint64_t opp);
int OrderingSearch(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int depth);
// The same search with a full window that keeps out of the table: the
// exact solver's sort searches, run for every child of its deep nodes.
int SortSearch(SearchContext& context, uint64_t me, uint64_t opp, int depth);

// Before a long solve: searches of the position with the ordering
// evaluation, two plies deeper each time, which leave their best moves in
// the table for the top of the solve to try first (their values never stand
// for the solve's). Answers the deepest one's value in discs, a guess that
// only sets a first window, or `none` when the position is too close to
// the end for any.
int PrepareSolveOrdering(SearchContext& context, uint64_t me, uint64_t opp, int none);

// The depth-limited midgame value: depth 0 is the static evaluation (even
// of a finished game); a pass costs a ply; a game that ends inside the
// search is worth +9999, -9999 or 0. passed is 1 when the side to move got
// here by the other side's pass. Window as above, within +-10001.
int MidgameNegamax(SearchContext& context, uint64_t me, uint64_t opp, int alpha, int beta, int depth, int passed);

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
