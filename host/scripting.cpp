// think, hint and selfplay: the engine's answers for scripts.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "board/rules.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "host/commands.h"
#include "host/options.h"
#include "host/output.h"
#include "host/positions.h"
#include "host/records.h"

namespace {

// Splits the arguments into engine options, the given flags and the rest.
bool ParseArgs(const Args& args, EngineRunOptions& options, Args& positions,
               const std::vector<std::string>& flags, std::vector<std::string>& flags_seen, const char* command) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (TakeEngineOption(args, i, options, error)) {
      if (!error.empty()) {
        std::fprintf(stderr, "tenu %s: %s\n", command, error.c_str());
        return false;
      }
      continue;
    }
    if (std::find(flags.begin(), flags.end(), args[i]) != flags.end()) {
      flags_seen.push_back(args[i]);
      // Flags that take a value bring it along.
      if (args[i] == "--games") {
        if (i + 1 >= args.size()) {
          std::fprintf(stderr, "tenu %s: --games needs a number\n", command);
          return false;
        }
        flags_seen.push_back(args[++i]);
      }
      continue;
    }
    if (args[i].rfind("--", 0) == 0 && !LooksLikeSuiteLine(args[i])) {
      std::fprintf(stderr, "tenu %s: unknown option %s\n", command, args[i].c_str());
      return false;
    }
    positions.push_back(args[i]);
  }
  return true;
}

bool Seen(const std::vector<std::string>& flags_seen, const char* flag) {
  return std::find(flags_seen.begin(), flags_seen.end(), flag) != flags_seen.end();
}

}  // namespace

int ThinkCommand(const Args& args) {
  EngineRunOptions options;
  Args positions;
  std::vector<std::string> flags_seen;
  if (!ParseArgs(args, options, positions, {"--raw"}, flags_seen, "think")) return 2;
  const bool raw = Seen(flags_seen, "--raw");
  StartEngineRun(options);
  bool unreadable = false;
  const int status = ForEachPosition(positions, [&](const std::string& text) {
    // A game record or suite line is thought about as the position it
    // describes; a record with an illegal move is not thought about at all.
    std::string position;
    std::string error;
    if (!ToPositionString(text, position, error)) {
      std::fprintf(stderr, "tenu think: %s\n", error.c_str());
      unreadable = true;
      return false;
    }
    const char* reply = LumThink(nullptr, position.c_str());
    if (raw) {
      std::fwrite(reply, 1, std::strlen(reply), stdout);
      std::fputc('\n', stdout);
    } else {
      std::printf("%s\n", ToTerminal(reply).c_str());
    }
    return ReplySquare(reply) != 0;
  });
  FinishEngineRun();
  return unreadable ? 2 : status;
}

int HintCommand(const Args& args) {
  EngineRunOptions options;
  Args positions;
  std::vector<std::string> flags_seen;
  if (!ParseArgs(args, options, positions, {}, flags_seen, "hint")) return 2;
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
  StartEngineRun(options);
  const std::vector<MoveScore> scores = ScoreLegalMoves(board, side);
  if (scores.empty()) {
    std::printf("%s has no legal move\n", side == 1 ? "black" : "white");
  } else {
    PrintMoveScores(scores);
  }
  FinishEngineRun();
  return 0;
}

int SelfplayCommand(const Args& args) {
  EngineRunOptions options;
  Args positions;
  std::vector<std::string> flags_seen;
  if (!ParseArgs(args, options, positions, {"--games", "--times"}, flags_seen, "selfplay")) return 2;
  long long games = 1;
  for (size_t k = 0; k + 1 < flags_seen.size(); ++k) {
    if (flags_seen[k] == "--games" && (!ParseCount(flags_seen[k + 1], games) || games < 1)) {
      std::fprintf(stderr, "tenu selfplay: --games takes a number of at least 1\n");
      return 2;
    }
  }
  const bool times = Seen(flags_seen, "--times");
  if (!positions.empty()) {
    std::fprintf(stderr, "tenu selfplay: unexpected argument %s\n", positions[0].c_str());
    return 2;
  }
  StartEngineRun(options);
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
