// What every legal move of a position is worth, as a person reads it: the
// search the engine's think would use there, run for each move, with the
// result in discs. Where the think solves exactly, each move's exact final
// disc difference; in the win/loss/draw band, each move's result, with its
// exact disc difference where that is cheap; in the middle game, each move
// searched at the think's depth and converted to the expected final disc
// difference (host/calibration.h), so that the move the think plays is
// scored as the think scores it.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"
#include "search/search.h"

// The win/loss/draw band is solved exactly up to this many empty squares:
// each move then takes well under a second.
constexpr int kCheapExactEmpties = 20;

struct MoveValue {
  int square = 0;
  int value = 0;              // the search's own value for the mover (midgame value, discs, or the solver's result)
  double discs = 0;           // the final disc difference for the mover: exact, or expected (midgame)
  bool discs_known = true;    // false for a win/loss/draw result without its margin
  bool exact = false;         // discs is the perfect-play result
  int outcome = 0;            // 1 win, 0 draw, -1 loss when solved; the sign of discs otherwise
};

struct PositionValues {
  SearchKind kind = SearchKind::Midgame;  // the search the think uses here
  int empties = 0;
  int depth = 0;                          // the midgame depth, for kind Midgame
  std::vector<MoveValue> moves;           // every legal move, best first (equal ones in column order)
};

// Every legal move of side (host colours) on board, valued as above with the
// request's settings and implementation; no book, no progress, and the
// commentary and the random generator left alone. Empty when side has no
// legal move.
PositionValues ValueLegalMoves(const SearchRequest& request, const Board& board, int side);

// One move's value, the same way (square must be legal).
MoveValue ValueMove(const SearchRequest& request, const Board& board, int side, int square);

// The value as a person reads it: "+18" (exact), "+3.2" (midgame), "win +6",
// "win", "loss", "draw".
std::string MoveValueText(const MoveValue& value);

// The table of `tenu hint` and play's hint: a line saying how the moves were
// valued, then one line per move.
std::string HintTable(const PositionValues& values, int side);

// The value of the move a think chose, from its reply, for board and side:
// the midgame value converted to discs, an exact result as it is, a
// win/loss/draw result with its margin where that is cheap, the last
// square's result. known is false for a book move (no value) or a reply
// with no move.
struct ReplyValue {
  bool known = false;
  MoveValue move;
  SearchKind kind = SearchKind::Midgame;
};
ReplyValue ValueOfReply(const SearchRequest& request, const Board& board, int side, const char* reply);
