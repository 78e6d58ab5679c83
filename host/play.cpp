// tenu play: a game against the engine in the terminal.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "board/rules.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "host/commands.h"
#include "host/options.h"
#include "host/output.h"
#include "host/positions.h"

namespace {

struct Turn {
  Board board;
  int side;
};

void DrawBoard(const Board& board, int side, bool mark_moves) {
  std::printf("\n    a b c d e f g h\n");
  for (int y = 1; y <= 8; ++y) {
    std::printf("  %d", y);
    for (int x = 1; x <= 8; ++x) {
      const int s = SquareIndex(x, y);
      const int8_t code = board.cell[s];
      const char* mark = code == 1 ? "X" : code == -1 ? "O" : mark_moves && IsLegalMove(board, s, side) ? "+" : ".";
      std::printf(" %s", mark);
    }
    std::printf("\n");
  }
  std::printf("  black X %d   white O %d\n", CountDiscs(board, 1), CountDiscs(board, -1));
}

const char* ColourName(int colour) { return colour == 1 ? "black" : "white"; }

void PrintHelp() {
  std::printf("Type a square (f5), 'hint', 'undo' (take back your last move and the reply), or 'quit'.\n");
}

}  // namespace

int PlayCommand(const Args& args) {
  EngineRunOptions options;
  options.progress_set = true;
  options.progress = true;  // the engine's progress shows on the status line by default
  int user = 1;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (TakeEngineOption(args, i, options, error)) {
      if (!error.empty()) {
        std::fprintf(stderr, "tenu play: %s\n", error.c_str());
        return 2;
      }
    } else if (args[i] == "--white") {
      user = -1;
    } else if (args[i] == "--black") {
      user = 1;
    } else {
      std::fprintf(stderr, "tenu play: unknown option %s\n", args[i].c_str());
      return 2;
    }
  }
  StartEngineRun(options);

  Board board;
  SetStartPosition(board);
  int side = 1;
  std::vector<Turn> history;  // the position before each of the user's moves
  std::printf("You play %s (%s). ", ColourName(user), user == 1 ? "X" : "O");
  PrintHelp();
  bool drawn = false;

  for (;;) {
    if (!HasLegalMove(board, side)) {
      if (!HasLegalMove(board, -side)) break;
      if (!drawn) DrawBoard(board, side, false);
      std::printf("%s has no move and passes.\n", side == user ? "You have" : "Tenu");
      side = -side;
      drawn = false;
      continue;
    }

    if (side != user) {
      if (!drawn) DrawBoard(board, side, false);
      char position[kPositionLength + 1];
      FormatPosition(board, side, position);
      std::printf("Tenu is thinking...\n");
      std::fflush(stdout);
      const char* reply = LumThink(nullptr, position);
      const int square = ReplySquare(reply);
      if (square == 0 || !PlayMove(board, board, square, side)) {
        std::printf("The engine gave no legal move (%s); the game stops.\n", ToTerminal(reply).c_str());
        FinishEngineRun();
        return 1;
      }
      char text[3];
      FormatSquareLower(square, text);
      std::printf("Tenu plays %s: %s (%s)\n", text, ToTerminal(ReplyMessage(reply).c_str()).c_str(),
                  ReplyEvaluationText(reply).c_str());
      side = -side;
      drawn = false;
      continue;
    }

    if (!drawn) DrawBoard(board, side, true);
    drawn = true;
    std::printf("Your move (%s): ", ColourName(user));
    if (!FlushOutput()) {  // nobody can see the game any more
      FinishEngineRun();
      return 0;
    }
    std::string line;
    if (!std::getline(std::cin, line)) {
      std::printf("\nEnd of input; the game is left unfinished.\n");
      FinishEngineRun();
      return 0;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    line = first == std::string::npos ? "" : line.substr(first);
    if (line.empty()) continue;
    if (line == "quit" || line == "exit") {
      std::printf("Game abandoned.\n");
      FinishEngineRun();
      return 0;
    }
    if (line == "help" || line == "?") {
      PrintHelp();
      continue;
    }
    if (line == "hint") {
      PrintMoveScores(ScoreLegalMoves(board, side));
      continue;
    }
    if (line == "undo") {
      if (history.empty()) {
        std::printf("Nothing to take back.\n");
        continue;
      }
      board = history.back().board;
      side = history.back().side;
      history.pop_back();
      drawn = false;
      continue;
    }
    const int square = ParseSquare(line.c_str());
    if (square == 0) {
      std::printf("'%s' is not a square or a command. ", line.c_str());
      PrintHelp();
      continue;
    }
    Board after;
    if (!PlayMove(board, after, square, side)) {
      std::printf("%s is not a legal move here.\n", line.c_str());
      continue;
    }
    history.push_back({board, side});
    board = after;
    side = -side;
    drawn = false;
  }

  DrawBoard(board, side, false);
  const int black = CountDiscs(board, 1);
  const int white = CountDiscs(board, -1);
  const int mine = user == 1 ? black : white;
  const int theirs = user == 1 ? white : black;
  std::printf("Game over: black %d, white %d. %s\n", black, white,
              mine > theirs ? "You win!" : mine < theirs ? "Tenu wins." : "A draw.");
  FinishEngineRun();
  return 0;
}
