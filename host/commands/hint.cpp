// tenu hint: every legal move of a position with its value in discs.
#include <cstdio>

#include "engine/exports.h"
#include "host/commands/commands.h"
#include "host/move_values.h"
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
  const PositionValues values = ValueLegalMoves(ModuleRequest(), board, side);
  if (values.moves.empty()) {
    const char* name = side == 1 ? "black" : "white";
    if (HasLegalMove(board, -side)) {
      std::printf("%s has no legal move and must pass\n", name);
    } else {
      std::printf("the game is over: black %d, white %d\n", CountDiscs(board, 1), CountDiscs(board, -1));
    }
  } else {
    std::printf("%s", HintTable(values, side).c_str());
  }
  FinishEngineRun();
  return 0;
}
