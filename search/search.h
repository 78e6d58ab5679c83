// The door to the searches: everything a caller outside search/ includes.
//
// Two implementations answer the same values. The reference searches follow
// the readable rules node for node (a fixed-depth midgame alpha-beta search
// and two endgame solvers, each handing one bound down and answering
// fail-soft values from side 1's view); they define the answers. The engine
// searches find those answers with far smaller trees (bitboards, a
// transposition table, move ordering, null-window searches). A caller names
// the implementation it wants in its request.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/board.h"
#include "core/settings.h"

// The search window; never returned by a search.
constexpr int kWindow = 10000;
// A finished game inside the midgame search, won or lost by side 1.
constexpr int kGameWon = 9999;

enum class SearchImplementation { Reference, Engine };

// The three searches: the depth-limited midgame search, the win/loss/draw
// solver (only the sign of its value counts) and the exact solver (the final
// disc difference).
enum class SearchKind { Midgame, Wld, Exact };

// What a caller asks of a think or a move scoring, passed down to every step
// instead of module-wide switches: the settings in force, the implementation,
// whether the root's candidate moves are ordered by shallow searches (a think
// orders them, the move scoring leaves them in column order), and whether
// progress lines go to the progress strip.
struct SearchRequest {
  EngineSettingsRecord settings = DefaultSettings();
  SearchImplementation implementation = SearchImplementation::Engine;
  bool order_root = true;
  bool show_progress = true;
};

// A search's value and the positions it searched: every call of a reference
// search, the first included; every position an engine search visits.
struct SearchResult {
  int value = 0;
  uint64_t nodes = 0;
};

// One search of the position after a move, in the shape every caller uses:
// the Board, its empty squares (each tried as a move), the side to move
// (+1 maximising, any other value minimising), the parent's best so far as
// the bound, the depth (midgame only) and whether this node was reached by a
// pass. A value on the open side of the bound is exact; one on the other
// side is a bound on the value in that direction, and there the two
// implementations may answer different bounds. The win/loss/draw solver's
// raw values are the same from both implementations whatever the bound.
SearchResult RunSearch(SearchImplementation implementation, SearchKind kind, const Board& board,
                       const MoveList& list, int colour, int bound, int depth, int passed);

// The static evaluation of the midgame search, from side 1's view.
int RunEvaluation(SearchImplementation implementation, const Board& board);

// The exact result of a position for its side to move (side 1 or -1, host
// colours): the final disc difference under perfect play with the empty
// squares left counting for nobody (as the engine counts them) or given to
// the winner (as published endgame suites count them), a best move (a square
// index, 0 when the side to move must pass or the game is over), and the
// positions searched. Always the engine searches.
struct PositionSolution {
  int value = 0;
  int move = 0;
  uint64_t nodes = 0;
};
PositionSolution SolvePosition(const Board& board, int side, bool empties_to_winner);

// The transposition table of the engine searches: allocated once, at the
// first search (2 MiB unless SetSearchTableSize asked otherwise), and kept
// from call to call; what it holds never changes a value, only the work
// needed to find it. ClearSearchTable empties it, so that a search's node
// count can be reproduced. SetSearchTableSize answers false when the memory
// cannot be had; the searches then use a small built-in table.
constexpr size_t kDefaultSearchTableBytes = size_t{2} << 20;
bool SetSearchTableSize(size_t bytes);
size_t SearchTableSize();
void ClearSearchTable();
