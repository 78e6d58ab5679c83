// tenu selfplay: the engine against itself from the start position.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "board/rules.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "host/commands/commands.h"
#include "host/output.h"
#include "host/positions.h"

int SelfplayCommand(const Args& args) {
  ParsedOptions parsed;
  if (!ReadCommandLine("selfplay", args, {Option::Games, Option::Times}, parsed)) return 2;
  const long long games = parsed.Count(Option::Games, 1);
  const bool times = parsed.Has(Option::Times);
  if (!parsed.operands.empty()) {
    std::fprintf(stderr, "tenu selfplay: unexpected argument %s\n", parsed.operands[0].c_str());
    return 2;
  }
  StartEngineRun(parsed);
  int status = 0;
  for (long long game = 1; game <= games; ++game) {
    Board board;
    SetStartPosition(board);
    int side = 1;
    std::string moves;
    std::vector<double> think_ms;
    std::vector<int> think_empties;  // empty squares when each think began
    for (;;) {
      if (!HasLegalMove(board, side)) {
        if (!HasLegalMove(board, -side)) break;
        moves += "PA ";
        side = -side;
        continue;
      }
      char position[kPositionLength + 1];
      FormatPosition(board, side, position);
      think_empties.push_back(static_cast<int>(std::count(position + 2, position + kPositionLength, '-')));
      const auto start = std::chrono::steady_clock::now();
      const char* reply = LumThink(nullptr, position);
      think_ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      const int square = ReplySquare(reply);
      if (square == 0 || !PlayMove(board, board, square, side)) {
        std::printf("game %lld: the engine answered an illegal move: %s\n", game, ToTerminal(reply).c_str());
        status = 1;
        break;
      }
      char text[3];
      FormatSquareLower(square, text);
      moves += text;
      moves += ' ';
      side = -side;
    }
    const int black = CountDiscs(board, 1);
    const int white = CountDiscs(board, -1);
    std::printf("game %lld: %s\n", game, moves.c_str());
    std::printf("game %lld result: black %d white %d, %s\n", game, black, white,
                black > white ? "black wins" : white > black ? "white wins" : "draw");
    if (times && !think_ms.empty()) {
      std::vector<double> sorted = think_ms;
      std::sort(sorted.begin(), sorted.end());
      std::printf("game %lld think ms: moves %zu, median %.1f, max %.1f, total %.1f\n", game, sorted.size(),
                  sorted[sorted.size() / 2], sorted.back(), [&] {
                    double total = 0;
                    for (double ms : sorted) total += ms;
                    return total;
                  }());
      std::printf("game %lld think ms by empty squares:", game);
      for (size_t k = 0; k < think_ms.size(); ++k) std::printf(" %d:%.1f", think_empties[k], think_ms[k]);
      std::printf("\n");
    }
    if (!FlushOutput()) break;
  }
  FinishEngineRun();
  return status;
}
