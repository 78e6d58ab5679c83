// Going through a finished game with the engine: for every move, the move
// the engine would have made and what the move played cost.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"
#include "host/records.h"

// What the engine makes of one position: the move `tenu think` gives there
// at the settings in force and its evaluation, in the units of the reply's
// evaluation (discs for an exact solve, hundredths of the midgame value
// otherwise), from the mover's view. Analysis consults no book, and solves
// the win/loss/draw band exactly so that every evaluation there is in discs.
struct PositionJudgement {
  int best = 0;        // square, 0 when the side to move has no move
  double eval = 0;
  bool exact = false;  // eval is a disc difference under perfect play
  int depth = 0;       // the midgame depth, when not exact
};

PositionJudgement JudgePosition(const Board& board, int side);

// The evaluation of the move `square` for `side`, by the same search at the
// same depth as JudgePosition's root moves, in the same units.
double JudgeMove(const Board& board, int side, int square);

// Thresholds, in discs lost, for the marks of the analysis.
struct MarkThresholds {
  double inaccuracy = 2.0;
  double mistake = 6.0;
};

struct AnalysedMove {
  int ply = 0;     // 1 for the game's first move; passes are not counted
  int colour = 1;  // the mover
  int played = 0;
  int best = 0;
  double best_eval = 0;    // mover's view
  double played_eval = 0;  // mover's view
  double loss = 0;         // discs, never below 0
  bool exact = false;
  const char* mark = "";  // "", "inaccuracy" or "mistake"
};

struct SideSummary {
  int moves = 0;
  double average_loss = 0;
  int inaccuracies = 0;
  int mistakes = 0;
  std::vector<AnalysedMove> worst;  // up to three, largest loss first
};

struct GameAnalysis {
  std::vector<AnalysedMove> moves;
  SideSummary black;
  SideSummary white;
  int black_discs = 0;  // at the end of the record
  int white_discs = 0;
  bool finished = false;  // neither side can move at the end
};

// Analyses every move of a game; progress(done, total) is called after each.
GameAnalysis AnalyseGame(const PlayedGame& game, const MarkThresholds& thresholds,
                         void (*progress)(int done, int total));

// The analysis as text: the settings it used, a table of the moves, then a
// summary per side.
std::string AnalysisTable(const GameAnalysis& analysis, const MarkThresholds& thresholds);
// The analysis as one JSON object.
std::string AnalysisJson(const GameAnalysis& analysis, const MarkThresholds& thresholds);
// The evaluation graph as a standalone SVG picture: the moves on x, the
// evaluation after each move from black's view on y, the marked moves
// circled, the players named in the legend.
std::string AnalysisSvg(const GameAnalysis& analysis, const std::string& black_name, const std::string& white_name);
