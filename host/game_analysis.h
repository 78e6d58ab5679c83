// Going through a finished game with the engine: for every move, the move
// the engine would have made and what the move played cost.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"
#include "host/records.h"

// What the engine makes of one position: the move `tenu think` gives there
// at the settings in force and its evaluation from the mover's view, in
// discs: the final disc difference, exact where the engine solves, and
// predicted from the midgame value by the calibration (host/calibration.h)
// elsewhere. Analysis consults no book, and solves the win/loss/draw band
// exactly so that every evaluation there is exact.
struct PositionJudgement {
  int best = 0;        // square, 0 when the side to move has no move
  double eval = 0;     // discs
  double think_eval = 0;  // in the units of tenu think's reply: discs when exact, the midgame value / 100
  bool exact = false;  // eval is a disc difference under perfect play
  int depth = 0;       // the midgame depth, when not exact
};

PositionJudgement JudgePosition(const Board& board, int side);

// The evaluation of the move `square` for `side`, by the same search at the
// same depth as JudgePosition's root moves, in the same units.
struct MoveJudgement {
  double eval = 0;
  double think_eval = 0;
};
MoveJudgement JudgeMove(const Board& board, int side, int square);

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
  double best_eval = 0;    // mover's view, discs
  double played_eval = 0;  // mover's view, discs
  double best_think_eval = 0;    // the same in the units of tenu think's reply
  double played_think_eval = 0;
  double loss = 0;         // discs, never below 0
  // The position after the move, from black's view, in discs: the mean of
  // the mover's value of the move and the next mover's value of its best
  // reply, so that neither side's search has the last word (each search
  // flatters the side whose move it chose); after the last move of a
  // finished game, its disc difference.
  double after_eval = 0;
  bool exact = false;
  const char* mark = "";  // "", "inaccuracy" or "mistake"
};

struct SideSummary {
  int moves = 0;
  double average_loss = 0;  // discs per move
  int best_moves = 0;       // the engine's move, or one its search values as much
  int inaccuracies = 0;
  int mistakes = 0;
  std::vector<AnalysedMove> worst;  // up to three, largest loss first
};

// The share of a side's moves that were best moves (0..1).
double BestShare(const SideSummary& summary);

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
// The evaluation graph as a standalone SVG picture, titled with the players
// and the result: the moves on x, the evaluation after each move from
// black's view on y (discs), the marked moves circled, each player's
// average loss and share of best moves in the legend.
std::string AnalysisSvg(const GameAnalysis& analysis, const std::string& black_name, const std::string& white_name);
