// tenu hint: every legal move of a position with its score.
#include <cstdio>

#include "host/commands/commands.h"
#include "host/positions.h"
#include "host/records.h"

int HintCommand(const Args& args) {
  ParsedOptions parsed;
  if (!ReadCommandLine("hint", args, {}, parsed)) return 2;
  const Args& positions = parsed.operands;
  if (positions.size() != 1) {
    std::fprintf(stderr, "usage: tenu hint [engine options] POSITION\n");
    return 2;
  }
  Board board;
  int side = 1;
  std::string error;
  if (!ReadAnyPosition(positions[0], board, side, error)) {
    std::fprintf(stderr, "tenu hint: %s\n", error.c_str());
    return 2;
  }
  StartEngineRun(parsed);
  const std::vector<MoveScore> scores = ScoreLegalMoves(board, side);
  if (scores.empty()) {
    std::printf("%s has no legal move\n", side == 1 ? "black" : "white");
  } else {
    PrintMoveScores(scores);
  }
  FinishEngineRun();
  return 0;
}
