// The think driver: how the engine chooses its move for one request.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "search/search.h"

// What the searching part of a think found, before any remark: the root's
// empty squares ordered, the single-square shortcut, or the root loop with
// one of the three searches.
struct RootChoice {
  int square = 0;         // the chosen square; 0 when the side to move has no legal move
  bool searched = false;  // false for the single-square shortcut, which writes no score
  SearchKind kind = SearchKind::Midgame;
  int depth = 0;          // the midgame depth, when kind is Midgame
  int best = 0;           // the chosen move's value, unscaled
  int score = 0;          // best scaled as the reply reports it: exact x100, win/loss/draw x9999
  uint64_t nodes = 0;     // positions searched by the ordering and the root loop
};

// Chooses a move for side on board (host colours) by search alone: no book
// is consulted and no remark made, so the commentary's memory and the
// pseudo-random generator are left as they were.
RootChoice ChooseSearchedMove(const SearchRequest& request, const Board& board, int side);

// The whole move choice of a think: the book when the settings use one, then
// ChooseSearchedMove, and the remark for a searched move (which the
// commentary remembers). Sets x and y (1..8) of the chosen square and returns
// the message for the reply; score is written only when a search ran. x is
// -1 when side has no legal move (no square then).
const char* ChooseMove(const SearchRequest& request, const Board& board, int side, int* x, int* y, int* score);
