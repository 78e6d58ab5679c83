// Values in discs: the hints against the think, and the analysis of a game
// with the worst moves in it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "board/rules.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "engine/think.h"
#include "host/game_analysis.h"
#include "host/move_values.h"
#include "host/positions.h"
#include "host/records.h"
#include "tests/engine_state.h"
#include "tests/test_positions.h"

namespace {

int Empties(const Board& board) { return EmptiesOf(board).count; }

// A random position with this many empty squares whose side to move has a move.
Board PositionWithEmpties(std::mt19937& rng, int empties, int& side) {
  for (;;) {
    Board board = RandomGamePosition(rng, 60 - empties, side);
    if (Empties(board) == empties && CanMove(board, side)) return board;
  }
}

int Sign(double value) { return value > 0 ? 1 : value < 0 ? -1 : 0; }

}  // namespace

// On random positions, the hints against the think's reply: where the think
// solves exactly, the first hint is worth exactly the reply's value and the
// engine's move is valued the same; in the win/loss/draw band the first
// hint has the think's result and the exact value of the position; in the
// middle game the engine's move is searched as the think searched it.
TEST(Hints, AgreeWithTheThink) {
  EngineStateGuard guard;
  std::mt19937 rng(24);
  const SearchRequest request = ModuleRequest();
  for (int empties : {2, 5, 8, 10, 11, 12, 13, 14, 18, 27, 40}) {
    for (int round = 0; round < 3; ++round) {
      int side = 1;
      const Board board = PositionWithEmpties(rng, empties, side);
      char position[kPositionLength + 1];
      FormatPosition(board, side, position);
      const std::string reply = LumThink(nullptr, position);
      const double evaluation = std::atof(ReplyEvaluationText(reply.c_str()).c_str());
      const int engine_move = ReplySquare(reply.c_str());
      const PositionValues values = ValueLegalMoves(request, board, side);
      ASSERT_FALSE(values.moves.empty());
      const MoveValue& first = values.moves.front();
      const MoveValue* engine = nullptr;
      for (const MoveValue& move : values.moves) {
        if (move.square == engine_move) engine = &move;
      }
      ASSERT_NE(engine, nullptr) << position;
      const std::string where = std::string(position) + " " + reply;
      if (empties <= request.settings.KansakiDepth) {
        EXPECT_EQ(values.kind, SearchKind::Exact);
        EXPECT_EQ(first.discs, evaluation) << where;
        EXPECT_EQ(engine->discs, evaluation) << where;
      } else if (empties <= request.settings.HisshoDepth) {
        EXPECT_EQ(values.kind, SearchKind::Wld);
        EXPECT_EQ(first.discs, SolvePosition(board, side, false).value) << where;
        EXPECT_EQ(first.outcome, Sign(evaluation)) << where;
        EXPECT_EQ(engine->outcome, Sign(evaluation)) << where;
      } else {
        EXPECT_EQ(values.kind, SearchKind::Midgame);
        EXPECT_EQ(engine->value, std::lround(evaluation * 100)) << where;
        EXPECT_GE(first.discs, engine->discs) << where;
      }
      // The reply read back in discs is the hint's value of that move.
      const ReplyValue read = ValueOfReply(request, board, side, reply.c_str());
      ASSERT_TRUE(read.known) << where;
      EXPECT_EQ(read.move.square, engine_move);
      EXPECT_DOUBLE_EQ(read.move.discs, engine->discs) << where;
    }
  }
}

// A game in which black always plays the move the hints rank last and white
// the engine's move. A side's losses over a game add up to about the fall of
// its evaluation, at most the whole board and what the other side gives
// back, so black's average loss is bounded by 64 over its number of moves;
// its losses must account for most of the result, with several mistakes,
// and white's must be a small part of them.
TEST(GameAnalysis, TheWorstRankedMovesAreMarkedAsMistakes) {
  EngineStateGuard guard;
  const SearchRequest request = ModuleRequest();
  PlayedGame game = StartedGame();
  while (CanMove(game.board, game.side) || CanMove(game.board, -game.side)) {
    if (!CanMove(game.board, game.side)) {
      game.moves.push_back({0, game.side});
      game.side = -game.side;
      continue;
    }
    const int square = game.side == 1 ? ValueLegalMoves(request, game.board, game.side).moves.back().square
                                      : ChooseSearchedMove(request, game.board, game.side).square;
    PlayMove(game.board, game.board, square, game.side);
    game.moves.push_back({square, game.side});
    game.side = -game.side;
  }
  const GameAnalysis analysis = AnalyseGame(game, MarkThresholds{}, nullptr);
  ASSERT_LT(analysis.black_discs, analysis.white_discs);
  const double lost = analysis.black.average_loss * analysis.black.moves;
  EXPECT_GE(lost, 0.6 * (analysis.white_discs - analysis.black_discs));
  EXPECT_GE(analysis.black.mistakes, 3);
  EXPECT_GE(analysis.black.average_loss, 2.0);
  EXPECT_LT(analysis.white.average_loss * 3, analysis.black.average_loss);
  EXPECT_LT(analysis.white.mistakes * 3, analysis.black.mistakes);
  EXPECT_LT(BestShare(analysis.black), 0.5);
  EXPECT_GT(BestShare(analysis.white), 0.8);
}
