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

// ---- A root's moves ---------------------------------------------------------
// The moves of one root, side 1 to move on `board`, searched one after the
// other at chosen positions of `list` (the root's empty squares in root
// order). A move's child is searched with the list whose slot of the move
// holds the list's last entry, colour -1, no pass, and as its bound the best
// value so far (or -10000), exactly as a think's root loop calls the
// searches; the engine finds the same answers with one table age, one
// ordering preparation and null-window probes at the best so far.

enum class RootRule {
  // A think's: the first move searched is taken with its value; a later one
  // replaces it only when strictly better; the win/loss/draw solver stops
  // at the first win. A move that is not taken has only an upper bound.
  Think,
  // Every move's exact value (the root ordering, hints, analysis).
  Every,
};

// Called before each move is searched, with the best value so far (-10000
// before the first) and the square that holds it (0 before the first).
using RootProgress = void (*)(void* context, int square, int best, int chosen);

struct RootSearch {
  SearchKind kind = SearchKind::Midgame;
  int depth = 0;           // plies below each move (midgame only)
  RootRule rule = RootRule::Think;
  uint64_t positions = 0;  // bit i: search the move at list position i (a legal move)
  RootProgress progress = nullptr;
  void* progress_context = nullptr;
  // The engine's table starts a new age: false for the main loop of a think
  // whose ordering already started it.
  bool new_table_age = true;
};

struct RootMove {
  int square = 0;
  int value = 0;       // side 1's view; exact when `exact`, else at most the best before it
  bool exact = false;
};

struct RootResult {
  int chosen = 0;       // the square taken, 0 when no move was searched
  int best = -kWindow;  // its value
  int count = 0;        // moves searched, in order
  RootMove moves[64];
  uint64_t nodes = 0;
};

RootResult SearchRoot(SearchImplementation implementation, const RootSearch& search, const Board& board,
                      const MoveList& list);

// The exact result of a position for its side to move (side 1 or -1, host
// colours): the final disc difference under perfect play with the empty
// squares left counting for nobody (as the engine counts them) or given to
// the winner (as published endgame suites count them), a best move (a square
// index, 0 when the side to move must pass or the game is over), and the
// positions searched. Always the engine searches, the root's moves searched
// as a think searches them.
struct PositionSolution {
  int value = 0;
  int move = 0;
  uint64_t nodes = 0;
  bool finished = true;  // false when the stop check ended it: value and move then mean nothing
};
// What a caller may watch and end a solve with: `progress` is called before
// each root move; `stop` is asked every few thousand positions and ends the
// solve once it answers true (tenu's time limit: the core keeps no clock).
struct SolveControl {
  RootProgress progress = nullptr;
  void* progress_context = nullptr;
  bool (*stop)(void* context) = nullptr;
  void* stop_context = nullptr;
};
PositionSolution SolvePosition(const Board& board, int side, bool empties_to_winner,
                               const SolveControl& control = SolveControl{});


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
