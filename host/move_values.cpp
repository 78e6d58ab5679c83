#include "host/move_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "board/rules.h"
#include "engine/root.h"
#include "engine/texts.h"
#include "host/calibration.h"
#include "host/positions.h"

namespace {

int Sign(double value) { return value > 0 ? 1 : value < 0 ? -1 : 0; }

// The search the think uses for a root with this many empty squares. The
// last empty square is played without a search; it is valued exactly.
SearchKind ThinkKind(const EngineSettingsRecord& settings, int empties) {
  if (empties <= settings.KansakiDepth || empties <= 1) return SearchKind::Exact;
  if (empties <= settings.HisshoDepth) return SearchKind::Wld;
  return SearchKind::Midgame;
}

// The position as the think's root sees it: normalised for the mover, its
// empty squares in column order.
struct Root {
  Board work;
  MoveList list;
  SearchKind kind;
  SearchKind search;  // the search run for each move: the exact solver where the band is cheap
  int depth;
};

Root MakeRoot(const SearchRequest& request, const Board& board, int side) {
  Root root;
  NormaliseBoard(board, root.work, side);
  ListEmpties(root.work, root.list);
  root.kind = ThinkKind(request.settings, root.list.count);
  root.search = root.kind == SearchKind::Wld && root.list.count <= kCheapExactEmpties ? SearchKind::Exact : root.kind;
  root.depth = MidgameDepthFor(request.settings, root.list.count);
  return root;
}

MoveValue FromSearch(const Root& root, int square, int value) {
  MoveValue move;
  move.square = square;
  move.value = value;
  if (root.search == SearchKind::Exact) {
    move.discs = value;
    move.exact = true;
    move.outcome = Sign(value);
  } else if (root.search == SearchKind::Wld) {
    move.discs_known = false;
    move.outcome = Sign(value);
  } else {
    move.discs = MidgameDiscs(value, root.list.count - 1, root.depth);
    move.outcome = Sign(move.discs);
  }
  return move;
}

// The full-window values of the root's legal moves whose list indices are
// set in `positions`, by one root search (one table age, one ordering
// preparation for all of them), in list order.
RootResult SearchRootMoves(const SearchRequest& request, const Root& root, uint64_t positions) {
  RootSearch search;
  search.kind = root.search;
  search.depth = root.depth;
  search.rule = RootRule::Every;
  for (int i = 0; i < root.list.count; ++i) {
    if (IsLegalMove(root.work, root.list.entry[i], 1)) search.positions |= positions & uint64_t{1} << i;
  }
  return SearchRoot(request.implementation, search, root.work, root.list);
}

double SortKey(const MoveValue& move) { return move.discs_known ? move.discs : move.outcome; }

}  // namespace

PositionValues ValueLegalMoves(const SearchRequest& request, const Board& board, int side) {
  const Root root = MakeRoot(request, board, side);
  PositionValues values;
  values.kind = root.kind;
  values.empties = root.list.count;
  values.depth = root.depth;
  const RootResult result = SearchRootMoves(request, root, ~uint64_t{0});
  for (int k = 0; k < result.count; ++k) {
    values.moves.push_back(FromSearch(root, result.moves[k].square, result.moves[k].value));
  }
  std::stable_sort(values.moves.begin(), values.moves.end(),
                   [](const MoveValue& a, const MoveValue& b) { return SortKey(a) > SortKey(b); });
  return values;
}

MoveValue ValueMove(const SearchRequest& request, const Board& board, int side, int square) {
  const Root root = MakeRoot(request, board, side);
  for (int i = 0; i < root.list.count; ++i) {
    if (root.list.entry[i] != square) continue;
    const RootResult result = SearchRootMoves(request, root, uint64_t{1} << i);
    if (result.count == 1) return FromSearch(root, square, result.moves[0].value);
  }
  return MoveValue{};
}

std::string MoveValueText(const MoveValue& value) {
  char text[32];
  if (!value.discs_known) return value.outcome > 0 ? "win" : value.outcome < 0 ? "loss" : "draw";
  if (!value.exact) {
    std::snprintf(text, sizeof text, "%+.1f", value.discs);
    return text;
  }
  const int discs = static_cast<int>(std::lround(value.discs));
  std::snprintf(text, sizeof text, "%+d", discs);
  return discs == 0 ? "0" : text;
}

std::string HintTable(const PositionValues& values, int side) {
  const char* colour = side == 1 ? "black" : "white";
  char line[320];
  if (values.kind == SearchKind::Midgame) {
    const CalibrationError* error = CalibrationErrorFor(values.depth, values.empties - 1);
    char typical[64] = "";
    if (error != nullptr && error->samples > 0) {
      std::snprintf(typical, sizeof typical, ", typically within %.0f discs", error->mean_abs);
    }
    std::snprintf(line, sizeof line,
                  "%s to move, %d empty squares: every move searched at depth %d as tenu think searches, in the final "
                  "disc difference for %s that the search predicts%s\n",
                  colour, values.empties, values.depth, colour, typical);
  } else if (values.kind == SearchKind::Wld) {
    std::snprintf(line, sizeof line, "%s to move, %d empty squares: every move solved for win, loss or draw%s\n",
                  colour, values.empties,
                  values.empties <= kCheapExactEmpties ? ", with its final disc difference under perfect play" : "");
  } else {
    std::snprintf(line, sizeof line,
                  "%s to move, %d empty squares: every move solved exactly, the final disc difference for %s under "
                  "perfect play\n",
                  colour, values.empties, colour);
  }
  std::string out = line;
  out += values.kind == SearchKind::Wld ? "move  result\n" : "move   discs\n";
  for (const MoveValue& move : values.moves) {
    char square[3];
    FormatSquareLower(move.square, square);
    std::string text = MoveValueText(move);
    if (values.kind == SearchKind::Wld && move.discs_known) {
      text = (move.outcome > 0 ? "win " : move.outcome < 0 ? "loss " : "draw") + (move.outcome != 0 ? text : "");
    }
    std::snprintf(line, sizeof line, values.kind == SearchKind::Wld ? "%-4s  %s\n" : "%-4s %7s\n", square,
                  text.c_str());
    out += line;
  }
  return out;
}

ReplyValue ValueOfReply(const SearchRequest& request, const Board& board, int side, const char* reply) {
  ReplyValue result;
  const int square = ReplySquare(reply);
  if (square == 0 || ReplyMessage(reply) == kBookMoveMessage) return result;
  const Root root = MakeRoot(request, board, side);
  result.known = true;
  result.kind = root.kind;
  const double evaluation = std::atof(ReplyEvaluationText(reply).c_str());
  if (root.search != root.kind || ReplyMessage(reply) == kSingleSquareMessage) {
    // Solved here, not by the think: the cheap part of the win/loss/draw
    // band, and the last square, which the think plays without a search.
    result.move = ValueMove(request, board, side, square);
    result.known = result.move.square != 0;
    return result;
  }
  // The reply's evaluation is the think's value times 0.01 in single
  // precision: discs for an exact solve, 99.99 times the result for a
  // win/loss/draw solve, the midgame value over 100.
  const int value = root.kind == SearchKind::Exact ? static_cast<int>(std::lround(evaluation))
                    : root.kind == SearchKind::Wld  ? Sign(evaluation)
                                                    : static_cast<int>(std::lround(evaluation * 100));
  result.move = FromSearch(root, square, value);
  return result;
}
