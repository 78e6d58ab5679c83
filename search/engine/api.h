// The engine searches as the door (search/search.cpp) calls them: one table
// of entry points for each build of the engine (see isa.h), and the one
// chosen for the processor the program runs on.
#pragma once

#include "search/engine/isa.h"
#include "search/search.h"

namespace engine {

struct Api {
  const char* name;  // "baseline" or "x86-64-v3"
  int (*evaluate)(const Board& board);
  SearchResult (*midgame)(const Board& board, const MoveList& list, int colour, int bound, int depth, int passed);
  SearchResult (*exact)(const Board& board, const MoveList& list, int colour, int bound, int passed);
  SearchResult (*wld)(const Board& board, const MoveList& list, int colour, int bound, int passed);
  RootResult (*root)(const RootSearch& search, const Board& board, const MoveList& list);
  PositionSolution (*solve)(const Board& board, int side, bool empties_to_winner, const SolveControl& control);
};

// Each build's table. The x86-64-v3 one exists only where the program was
// built for x86. They are named outside the builds' inline namespaces, so a
// file of either build can name both.
const Api& BaselineApi();
const Api& X86v3Api();

// The x86-64-v3 build where the processor runs it, else the baseline; chosen
// once, at the first search.
const Api& SelectedApi();

}  // namespace engine
