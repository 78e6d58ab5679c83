// tenu play: a game against the engine in the terminal.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/rules.h"
#include "core/settings.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "engine/texts.h"
#include "host/commands/commands.h"
#include "host/english.h"
#include "host/line_reader.h"
#include "host/move_values.h"
#include "host/output.h"
#include "host/positions.h"
#include "host/records.h"
#include "host/text_safety.h"

namespace {

const char* ColourName(int colour) { return colour == 1 ? "black" : "white"; }

// The engine's evaluation of one of its moves, as a person reads it, and as
// a number from black's view for the graph.
struct EngineEvaluation {
  size_t move = 0;      // index in the game's moves
  std::string text;     // "about +3.2 discs", "+6 discs", "win", "book", ...
  bool plotted = false;
  double black_view = 0;
  char point = '*';     // 'W' or 'L' for a proven win or loss of black
};

// The value of the engine's move in discs (see ValueOfReply): expected in
// the middle game, exact where it solves, the result alone where it solves
// for win, loss or draw beyond the cheap band; nothing for a book move.
EngineEvaluation ReadEvaluation(const char* reply, const Board& before, int colour) {
  EngineEvaluation evaluation;
  const ReplyValue value = ValueOfReply(ModuleRequest(), before, colour, reply);
  if (!value.known) {
    evaluation.text = "book";
    return evaluation;
  }
  const MoveValue& move = value.move;
  evaluation.plotted = true;
  if (!move.discs_known) {
    evaluation.text = move.outcome > 0 ? "win" : move.outcome < 0 ? "loss" : "draw";
    const int black_sign = move.outcome * colour;
    evaluation.point = black_sign > 0 ? 'W' : black_sign < 0 ? 'L' : '=';
    return evaluation;
  }
  evaluation.black_view = move.discs * colour;
  if (!move.exact) {
    evaluation.text = "about " + MoveValueText(move) + " discs";
  } else if (move.outcome == 0) {
    evaluation.text = "draw, 0 discs";
  } else {
    evaluation.text = (value.kind == SearchKind::Wld ? (move.outcome > 0 ? "win, " : "loss, ") : std::string()) +
                      MoveValueText(move) + " discs";
  }
  return evaluation;
}

void DrawBoard(const Board& board, int side, bool mark_moves, int last_move) {
  std::printf("\n    a b c d e f g h\n");
  for (int y = 1; y <= 8; ++y) {
    std::printf("  %d", y);
    for (int x = 1; x <= 8; ++x) {
      const int s = SquareIndex(x, y);
      const int8_t code = board.cell[s];
      const char* mark = code == 1 ? "X" : code == -1 ? "O" : mark_moves && IsLegalMove(board, s, side) ? "+" : ".";
      // The disc of the last move stands behind a '>'.
      std::printf("%c%s", s == last_move ? '>' : ' ', mark);
    }
    std::printf("\n");
  }
  std::printf("  black X %d   white O %d", CountDiscs(board, 1), CountDiscs(board, -1));
  if (last_move != 0) {
    char square[3];
    FormatSquareLower(last_move, square);
    std::printf("   last move >%s", square);
  }
  std::printf("\n");
}

// The engine's evaluations so far as a text graph, black's view: one
// column per move of the game, W and L for proven wins and losses of black.
void DrawGraph(const std::vector<EngineEvaluation>& evaluations, size_t moves) {
  double range = 4;
  bool any = false;
  for (const EngineEvaluation& e : evaluations) {
    if (!e.plotted) continue;
    any = true;
    range = std::max(range, std::fabs(e.black_view));
  }
  if (!any) {
    std::printf("No evaluations yet: the graph shows those of Tenu's searched moves.\n");
    return;
  }
  const int half = 4;  // rows above and below the zero line
  const size_t width = std::max<size_t>(moves, 1);
  std::vector<std::string> rows(2 * half + 1, std::string(width, ' '));
  rows[half] = std::string(width, '-');
  for (const EngineEvaluation& e : evaluations) {
    if (!e.plotted || e.move >= width) continue;
    int row = half - static_cast<int>(std::lround(e.black_view / range * half));
    if (e.point == 'W') row = 0;
    if (e.point == 'L') row = 2 * half;
    rows[static_cast<size_t>(row)][e.move] = e.point == '=' ? '*' : e.point;
  }
  std::printf("Tenu's evaluations in discs, for black (one column a move):\n");
  for (int r = 0; r <= 2 * half; ++r) {
    char label[16] = "";
    if (r == 0) std::snprintf(label, sizeof label, "%+.0f", range);
    if (r == half) std::snprintf(label, sizeof label, "0");
    if (r == 2 * half) std::snprintf(label, sizeof label, "%+.0f", -range);
    std::printf("%8s |%s\n", label, rows[static_cast<size_t>(r)].c_str());
  }
  std::string axis(width, ' ');
  for (size_t k = 9; k < width; k += 10) {
    const std::string number = std::to_string(k + 1);
    axis.replace(k + 1 - std::min(k + 1, number.size()), number.size(), number);
  }
  std::printf("%8s  %s\n", "move", axis.c_str());
}

void PrintHelp() {
  std::printf(
      "Type a square (f5), 'hint', 'undo' (take back your last move and the reply), 'record', 'graph',\n"
      "'save FILE', 'load FILE' or 'quit'.\n");
}

// The game so far: the record, and the moves' count at each of the user's
// turns so that undo can go back to them.
struct Session {
  PlayedGame game;
  std::vector<size_t> user_turns;
  std::vector<EngineEvaluation> evaluations;

  // Plays the game's moves again from its start, keeping the first `count`.
  void KeepMoves(size_t count) {
    std::vector<GameMove> moves(game.moves.begin(), game.moves.begin() + static_cast<long>(count));
    game.moves.clear();
    game.board = game.start;
    game.side = game.start_side;
    for (const GameMove& move : moves) {
      if (move.square != 0) PlayMove(game.board, game.board, move.square, move.colour);
      game.moves.push_back(move);
      game.side = -move.colour;
    }
    while (!evaluations.empty() && evaluations.back().move >= count) evaluations.pop_back();
    while (!user_turns.empty() && user_turns.back() > count) user_turns.pop_back();
  }

  int LastMove() const {
    for (auto it = game.moves.rbegin(); it != game.moves.rend(); ++it) {
      if (it->square != 0) return it->square;
    }
    return 0;
  }
};

std::string Result(const Board& board) {
  const int black = CountDiscs(board, 1);
  const int white = CountDiscs(board, -1);
  return "black " + std::to_string(black) + ", white " + std::to_string(white);
}

// The game's record as play shows it: the moves, and before them the
// position they start from when that is not the start position (the moves
// alone could not be replayed).
std::string RecordLines(const PlayedGame& game, const std::string& after_moves = "") {
  std::string lines;
  if (!StartsFromStartPosition(game)) lines += "From: " + SuiteLineText(game.start, game.start_side) + "\n";
  return lines + "Record: " + GameRecordText(game.moves) + after_moves + "\n";
}

// Writes a record file; false with the system's reason.
bool WriteRecordFile(const std::string& path, const std::string& text, std::string& reason) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
  const int error = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  reason = std::strerror(!written && error != 0 ? error : errno != 0 ? errno : EIO);
  return false;
}

// Ctrl-C ends the game at once, even while the engine thinks; what it
// prints is kept ready as the game goes, in one of two buffers so that the
// handler always finds a whole text.
char InterruptTexts[2][1024];
volatile sig_atomic_t InterruptText = 0;
bool ProgressOnTerminal = false;

void SetInterruptText(const std::string& text) {
  const int next = 1 - InterruptText;
  std::snprintf(InterruptTexts[next], sizeof InterruptTexts[next], "%s", text.c_str());
  InterruptText = next;
}

extern "C" void OnInterrupt(int signal_number) {
  // Only calls that are safe in a signal handler: the progress line is
  // erased, the record written, and the signal ends the process as usual.
  if (ProgressOnTerminal) {
    const char erase[] = "\r\x1b[K";
    if (write(STDERR_FILENO, erase, sizeof erase - 1) < 0) {}
  }
  const char* text = InterruptTexts[InterruptText];
  if (write(STDOUT_FILENO, text, std::strlen(text)) < 0) {}
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

int PlayCommand(const Args& args) {
  ParsedOptions parsed;
  if (!ReadCommandLine("play", args, {Option::PlayWhite, Option::PlayBlack, Option::From}, parsed)) return 2;
  if (!parsed.operands.empty()) {
    std::fprintf(stderr, "tenu play: unexpected argument %s\n", parsed.operands[0].c_str());
    return 2;
  }
  // The later of --white and --black counts.
  int user = 1;
  for (const auto& entry : parsed.given) {
    if (entry.first == Option::PlayWhite) user = -1;
    if (entry.first == Option::PlayBlack) user = 1;
  }
  const std::string from = parsed.Text(Option::From);
  Session session;
  session.game = StartedGame();
  if (!from.empty()) {
    std::string error;
    if (!GameFromText(from, session.game, error)) {
      std::fprintf(stderr, "tenu play: --from: %s\n", error.c_str());
      return 2;
    }
  }
  StartEngineRun(parsed, true);  // the engine's progress shows on the status line by default
  ProgressOnTerminal = isatty(STDERR_FILENO) != 0;
  SetInterruptText("\nInterrupted; the game is left unfinished.\n" + RecordLines(session.game));
  // A shell that starts play in the background has it ignore Ctrl-C: that stays.
  struct sigaction interrupt{};
  if (sigaction(SIGINT, nullptr, &interrupt) == 0 && interrupt.sa_handler != SIG_IGN) std::signal(SIGINT, OnInterrupt);
  LineReader input(stdin, "standard input", kPositionStreamLimits);

  PlayedGame& game = session.game;
  std::printf("You play %s (%s). ", ColourName(user), user == 1 ? "X" : "O");
  PrintHelp();
  bool drawn = false;

  for (;;) {
    Board& board = game.board;
    int& side = game.side;
    SetInterruptText("\nInterrupted; the game is left unfinished.\n" + RecordLines(game));
    if (!HasLegalMove(board, side)) {
      if (!HasLegalMove(board, -side)) break;
      if (!drawn) DrawBoard(board, side, false, session.LastMove());
      std::printf("%s\n", side == user ? "You have no move and pass." : "Tenu has no move and passes.");
      game.moves.push_back({0, side});
      side = -side;
      drawn = false;
      continue;
    }

    if (side != user) {
      if (!drawn) DrawBoard(board, side, false, session.LastMove());
      char position[kPositionLength + 1];
      FormatPosition(board, side, position);
      const Board before = board;
      std::printf("Tenu is thinking...\n");
      std::fflush(stdout);
      const char* reply = LumThink(nullptr, position);
      const int square = ReplySquare(reply);
      if (square == 0 || !PlayMove(board, board, square, side)) {
        std::printf("The engine gave no legal move (%s); the game stops.\n", ToTerminal(reply).c_str());
        FinishEngineRun();
        return 1;
      }
      EngineEvaluation evaluation = ReadEvaluation(reply, before, side);
      evaluation.move = game.moves.size();
      session.evaluations.push_back(evaluation);
      game.moves.push_back({square, side});
      char text[3];
      FormatSquareLower(square, text);
      std::printf("Tenu plays %s: %s (%s)\n", text, ForPerson(ReplyMessage(reply).c_str()).c_str(),
                  evaluation.text.c_str());
      side = -side;
      drawn = false;
      continue;
    }

    if (!drawn) DrawBoard(board, side, true, session.LastMove());
    drawn = true;
    std::printf("Your move (%s): ", ColourName(user));
    if (!FlushOutput()) {  // nobody can see the game any more
      FinishEngineRun();
      return 0;
    }
    std::string line;
    LineReader::Got got = input.Next(line);
    if (got == LineReader::Got::TooLong) {
      std::printf("\nThat line is longer than the %s a line may have; it is skipped.\n",
                  SizeText(kPositionStreamLimits.line).c_str());
      if (input.SkipRestOfLine()) continue;
      got = LineReader::Got::End;
    }
    if (got != LineReader::Got::Line) {
      std::printf("\nEnd of input; the game is left unfinished.\n%s", RecordLines(game).c_str());
      FinishEngineRun();
      return 0;
    }
    if (line.find('\0') != std::string::npos) {
      std::printf("'%s' is not a square or a command. ", ShownText(line).c_str());
      PrintHelp();
      continue;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    line = first == std::string::npos ? "" : line.substr(first);
    if (line.empty()) continue;
    const std::string word = line.substr(0, line.find_first_of(" \t"));
    const size_t argument_at = line.find_first_not_of(" \t", word.size());
    const std::string argument = argument_at == std::string::npos ? "" : line.substr(argument_at);
    if (line == "quit" || line == "exit") {
      std::printf("Game abandoned.\n%s", RecordLines(game).c_str());
      FinishEngineRun();
      return 0;
    }
    if (line == "help" || line == "?") {
      PrintHelp();
      continue;
    }
    if (line == "hint") {
      std::printf("%s", HintTable(ValueLegalMoves(ModuleRequest(), board, side), side).c_str());
      continue;
    }
    if (line == "record") {
      std::printf("%s", RecordLines(game).c_str());
      continue;
    }
    if (line == "graph") {
      DrawGraph(session.evaluations, game.moves.size());
      continue;
    }
    if (word == "save" || word == "load") {
      if (argument.empty()) {
        std::printf("'%s' needs a file name.\n", word.c_str());
        continue;
      }
      if (word == "save") {
        std::string reason;
        if (WriteRecordFile(argument, RecordFileText(game), reason)) {
          std::printf("Saved to %s.\n", argument.c_str());
        } else {
          std::printf("The record could not be written to %s: %s.\n", argument.c_str(), reason.c_str());
        }
        continue;
      }
      PlayedGame loaded;
      std::string error;
      if (!ReadRecordFile(argument, loaded, error)) {
        std::printf("Not loaded: %s.\n", error.c_str());
        continue;
      }
      session = Session{};
      session.game = loaded;
      std::printf("Loaded %s: %s\n", argument.c_str(), GameRecordText(game.moves).c_str());
      drawn = false;
      continue;
    }
    if (line == "undo") {
      if (session.user_turns.empty()) {
        std::printf("Nothing to take back.\n");
        continue;
      }
      const size_t back_to = session.user_turns.back();
      session.user_turns.pop_back();
      session.KeepMoves(back_to);
      drawn = false;
      continue;
    }
    const int square = ParseSquare(line.c_str());
    if (square == 0) {
      std::printf("'%s' is not a square or a command. ", ShownText(line).c_str());
      PrintHelp();
      continue;
    }
    Board after;
    if (!PlayMove(board, after, square, side)) {
      std::printf("%s is not a legal move here.\n", line.c_str());
      continue;
    }
    session.user_turns.push_back(game.moves.size());
    game.moves.push_back({square, side});
    board = after;
    side = -side;
    drawn = false;
  }

  const Board& board = game.board;
  DrawBoard(board, game.side, false, session.LastMove());
  const int black = CountDiscs(board, 1);
  const int white = CountDiscs(board, -1);
  const int mine = user == 1 ? black : white;
  const int theirs = user == 1 ? white : black;
  std::printf("Game over: black %d, white %d. %s\n", black, white,
              mine > theirs ? "You win!" : mine < theirs ? "Tenu wins." : "A draw.");
  std::printf("%s", RecordLines(game, " (" + Result(board) + ")").c_str());
  FinishEngineRun();
  return 0;
}
