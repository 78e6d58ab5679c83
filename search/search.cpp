#include "search/search.h"

#include "search/engine/api.h"
#include "search/engine/hash_table.h"
#include "search/reference/reference.h"

namespace {

SearchResult RunReference(SearchKind kind, const Board& board, const MoveList& list, int colour, int bound, int depth,
                          int passed) {
  SearchResult result;
  switch (kind) {
    case SearchKind::Midgame:
      result.value = reference::MidgameSearch(board, list, colour, bound, depth, passed, result.nodes);
      break;
    case SearchKind::Wld: result.value = reference::WldSolve(board, list, colour, bound, passed, result.nodes); break;
    case SearchKind::Exact: result.value = reference::ExactSolve(board, list, colour, bound, passed, result.nodes); break;
  }
  return result;
}

SearchResult RunEngine(SearchKind kind, const Board& board, const MoveList& list, int colour, int bound, int depth,
                       int passed) {
  switch (kind) {
    case SearchKind::Midgame: return engine::SelectedApi().midgame(board, list, colour, bound, depth, passed);
    case SearchKind::Wld: return engine::SelectedApi().wld(board, list, colour, bound, passed);
    case SearchKind::Exact: return engine::SelectedApi().exact(board, list, colour, bound, passed);
  }
  return {};
}

}  // namespace

SearchResult RunSearch(SearchImplementation implementation, SearchKind kind, const Board& board,
                       const MoveList& list, int colour, int bound, int depth, int passed) {
  if (implementation == SearchImplementation::Engine) return RunEngine(kind, board, list, colour, bound, depth, passed);
  return RunReference(kind, board, list, colour, bound, depth, passed);
}

int RunEvaluation(SearchImplementation implementation, const Board& board) {
  if (implementation == SearchImplementation::Engine) return engine::SelectedApi().evaluate(board);
  return reference::Evaluate(board);
}

RootResult SearchRoot(SearchImplementation implementation, const RootSearch& search, const Board& board,
                      const MoveList& list) {
  if (implementation == SearchImplementation::Engine) return engine::SelectedApi().root(search, board, list);
  return reference::SearchRoot(search, board, list);
}

PositionSolution SolvePosition(const Board& board, int side, bool empties_to_winner, const SolveControl& control) {
  return engine::SelectedApi().solve(board, side, empties_to_winner, control);
}

bool SetSearchTableSize(size_t bytes) { return engine::SharedTable().Resize(bytes); }

size_t SearchTableSize() { return engine::SharedTable().SizeInBytes(); }

void ClearSearchTable() { engine::SharedTable().Clear(); }
