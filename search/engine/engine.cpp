#include "search/engine/engine.h"

#include <bit>

#include "search/engine/api.h"
#include "search/engine/bitboard.h"
#include "search/engine/hash_table.h"
#include "search/engine/negamax.h"
#include "search/engine/wld.h"
#include "search/reference/reference.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

namespace {

using bitboard::Bit;

// The bitboards and the list of a search call as bit indices, or false when
// the call must go to the reference search: the Board does not convert, or the
// list is not the Board's empty squares, each once.
struct RootMasks {
  uint64_t side1;
  uint64_t side2;
  uint8_t list[64];
  int count;
};

bool PrepareRoot(const Board& board, const MoveList& list, RootMasks& root) {
  if (!BoardToMasks(board, root.side1, root.side2) || !ListsTheEmpties(list, root.side1, root.side2)) return false;
  for (int k = 0; k < list.count; ++k) root.list[k] = static_cast<uint8_t>(bitboard::BitOfSquare(list.entry[k]));
  root.count = list.count;
  return true;
}

bool IsMaximising(int colour) { return ColourByte(colour) == 1; }

SearchContext StartSearch() {
  HashTable& table = SharedTable();
  table.NextSearch();
  return SearchContext{&table, 0};
}

// Runs search(me, opp, alpha, beta) for the side to move of a call with the
// given colour and bound, over values within +-limit (the window bounds are
// +-(limit + 1)), so that the answer keeps the reference searches' contract.
// At a maximising node the value is wanted exactly when it is below the
// bound: the window is (-infinity, bound). At a minimising node the mover is
// side -1, whose value w is minus side 1's; side 1's value is wanted exactly
// when it is above the bound, that is w below minus the bound.
template <typename Search>
int SearchAroundBound(const RootMasks& root, int colour, int bound, int limit, Search search) {
  const int infinity = limit + 1;
  const bool maximising = IsMaximising(colour);
  long long beta = maximising ? static_cast<long long>(bound) : -static_cast<long long>(bound);
  if (beta > infinity) beta = infinity;
  if (beta < -limit) beta = -limit;  // every value is at least -limit: the search fails high at once
  if (maximising) return search(root.side1, root.side2, -infinity, static_cast<int>(beta));
  return -search(root.side2, root.side1, -infinity, static_cast<int>(beta));
}

}  // namespace

bool ListsTheEmpties(const MoveList& list, uint64_t side1, uint64_t side2) {
  const int n = list.count;
  if (n < 0 || n > 64) return false;
  uint64_t listed = 0;
  for (int k = 0; k < n; ++k) {
    const int s = list.entry[k];
    if (!IsPlayableSquare(s)) return false;
    const uint64_t bit = Bit(bitboard::BitOfSquare(s));
    if ((listed & bit) != 0) return false;
    listed |= bit;
  }
  return listed == ~(side1 | side2);
}

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

int Evaluate(const Board& board) {
  uint64_t side1 = 0;
  uint64_t side2 = 0;
  if (!BoardToMasks(board, side1, side2)) return reference::Evaluate(board);
  return bitboard::Evaluate(side1, side2);
}

SearchResult MidgameSearch(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed) {
  SearchResult result;
  RootMasks root;
  if (!PrepareRoot(board, list, root) || depth < 0) {
    result.value = reference::MidgameSearch(board, list, colour, bound, depth, passed, result.nodes);
    return result;
  }
  SearchContext context = StartSearch();
  result.value = SearchAroundBound(root, colour, bound, kMidgameWon, [&](uint64_t me, uint64_t opp, int alpha, int beta) {
    return MidgameNegamax(context, me, opp, alpha, beta, depth, passed);
  });
  result.nodes = context.nodes;
  return result;
}

SearchResult ExactSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  SearchResult result;
  RootMasks root;
  if (!PrepareRoot(board, list, root)) {
    result.value = reference::ExactSolve(board, list, colour, bound, passed, result.nodes);
    return result;
  }
  SearchContext context = StartSearch();
  result.value = SearchAroundBound(root, colour, bound, 64, [&](uint64_t me, uint64_t opp, int alpha, int beta) {
    // Called after a pass, a side without a move ends the game (the last
    // empty square has its own rule, which ignores passes).
    if (passed != 0 && root.count != 1 && bitboard::LegalMoves(me, opp) == 0) {
      ++context.nodes;
      return bitboard::PopCount(me) - bitboard::PopCount(opp);
    }
    PrepareSolveOrdering(context, me, opp, 0);
    return ExactNegamax(context, me, opp, alpha, beta);
  });
  result.nodes = context.nodes;
  return result;
}

SearchResult WldSolve(const Board& board, const MoveList& list, int colour, int bound, int passed) {
  SearchResult result;
  RootMasks root;
  if (!PrepareRoot(board, list, root)) {
    result.value = reference::WldSolve(board, list, colour, bound, passed, result.nodes);
    return result;
  }
  SearchContext context = StartSearch();
  if (IsMaximising(colour)) {
    PrepareSolveOrdering(context, root.side1, root.side2, 0);
  } else {
    PrepareSolveOrdering(context, root.side2, root.side1, 0);
  }
  result.value =
      FollowWldSolve(context, root.side1, root.side2, root.list, root.count, IsMaximising(colour), bound, passed);
  result.nodes = context.nodes;
  return result;
}

PositionSolution SolvePosition(const Board& board, int side, bool empties_to_winner, const SolveControl& control) {
  PositionSolution solution;
  uint64_t black = 0;
  uint64_t white = 0;
  if (!BoardToMasks(board, black, white)) return solution;
  const uint64_t me = ColourByte(side) == 1 ? black : white;
  const uint64_t opp = ColourByte(side) == 1 ? white : black;
  SearchContext context = StartSearch();
  context.empties_to_winner = empties_to_winner;
  context.stop_check = control.stop;
  context.stop_context = control.stop_context;
  const uint64_t moves = bitboard::LegalMoves(me, opp);
  if (moves == 0) {  // a pass, or the end of the game: no move to give
    solution.value = ExactNegamax(context, me, opp, -kSolveInfinity, kSolveInfinity);
    solution.nodes = context.nodes;
    solution.finished = !context.stopped;
    return solution;
  }
  const int estimate = PrepareSolveOrdering(context, me, opp, kNoEstimate);
  // The root's moves, the one the preparation found best first: a search
  // of the root as a think searches it, where each later move only needs a
  // null window at the best so far.
  MoveList list;
  list.count = 0;
  const int stored = context.table->Probe(me, opp, 0).move;
  if (stored != kNoMove && (moves & Bit(stored)) != 0) list.entry[list.count++] = bitboard::SquareOfBit(stored);
  for (uint64_t rest = ~(me | opp); rest != 0; rest &= rest - 1) {
    const int b = bitboard::LowestBit(rest);
    if (b != stored) list.entry[list.count++] = bitboard::SquareOfBit(b);
  }
  RootSearch search;
  search.kind = SearchKind::Exact;
  search.progress = control.progress;
  search.progress_context = control.progress_context;
  for (int i = 0; i < list.count; ++i) {
    if ((moves & Bit(bitboard::BitOfSquare(list.entry[i]))) != 0) search.positions |= uint64_t{1} << i;
  }
  const RootResult result = SearchRootMoves(context, search, me, opp, list, estimate);
  solution.value = result.best;
  solution.move = result.chosen;
  solution.nodes = result.nodes;
  solution.finished = !context.stopped;
  return solution;
}

#define TENU_STRINGIFY(x) #x
#define TENU_NAME(x) TENU_STRINGIFY(x)

}  // namespace TENU_ENGINE_ISA

const Api& TENU_ENGINE_API() {
  static constexpr Api api = {TENU_NAME(TENU_ENGINE_ISA), Evaluate, MidgameSearch, ExactSolve, WldSolve, SearchRoot,
                              SolvePosition};
  return api;
}
}  // namespace engine
