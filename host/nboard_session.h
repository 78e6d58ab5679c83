// The NBoard protocol session behind `tenu nboard` (version 2 of the
// protocol): the game a GUI sets up and the answers to its commands, one
// line each.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "board/board.h"

// A position and the colour to move (host colours: 1 black, -1 white).
struct GamePosition {
  Board board;
  int side = 1;
};

// Reads one GGF game record, "(;GM[Othello]...BO[8 <squares> <side>]B[F5]W[PA];)":
// the start comes from BO[] (64 squares a1..h1, a2..h8 as '*' black, 'O'
// white, '-' empty, blanks between them allowed, then '*' or 'O' for the
// side to move); then every B[..] and W[..] is played in order: a square in
// either case or PA for a pass, optionally followed by /eval/time, which is
// not looked at. Other properties are skipped. A move by the colour that is
// not to move is taken as coming after an unrecorded pass when the side to
// move has no legal move and the mover has one. Answers false with the reason
// in error, leaving game untouched, when the text is no such record or a move
// breaks the rules. history, when given, receives the start position and the
// position after each recorded move (passes written PA included).
bool ParseGgfGame(const std::string& text, GamePosition& game, std::string& error,
                  std::vector<GamePosition>* history = nullptr);

// Plays one move for the side to move: a square ("f5" or "F5"), or "PA" (in
// either case) when the side to move has no legal move but the other side
// has. Answers false with the reason in error, leaving game untouched.
bool PlayMoveText(GamePosition& game, const std::string& move, std::string& error);

// The least midgame depth that "set depth" accepts. A depth past the
// deepest search that answers in useful time (ui/search_limits.h) is taken
// as that deepest one, with a status line that says so: a GUI that offers
// deeper searches would otherwise wait for a move that never comes, with
// no way to stop the search.
constexpr int kNBoardMinDepth = 1;

// One protocol session: the game the GUI has set up and the commands on it.
// Commands run one after the other to completion, so the answer to a ping
// always comes after the work asked for before it. Every line written is
// printable ASCII: a GUI may read the protocol as single bytes, or stop on
// characters it cannot show, so a text that is not (the engine's remarks
// are Japanese) is left out or written in English.
class NBoardSession {
 public:
  using LineSink = std::function<void(const std::string& line)>;

  // Every line written also goes to the sink at once (the progress lines
  // while the engine thinks, for example).
  explicit NBoardSession(LineSink sink = nullptr);

  // Handles one line from the GUI and answers the lines written for it.
  // Lines that are no command of the protocol are ignored.
  std::vector<std::string> HandleLine(const std::string& line);

  // A status line for something the GUI should know that no command asked
  // for (a warning about the settings, a line that was skipped): held
  // until the GUI has said "nboard", written at once after.
  void Note(const std::string& text);

  const GamePosition& position() const { return position_; }
  double contempt() const { return contempt_; }

 private:
  void Emit(const std::string& line);
  void Status(const std::string& text);
  void Set(const std::string& line, const std::vector<std::string>& words);
  void Move(const std::vector<std::string>& words);
  void Go();
  void Hint(const std::vector<std::string>& words);
  void Analyze();

  LineSink sink_;
  bool greeted_ = false;
  std::vector<std::string> notes_;  // held until the GUI says "nboard"
  std::vector<std::string>* written_ = nullptr;
  GamePosition position_;
  std::vector<GamePosition> history_;  // the game's positions, its start first, position_ last
  double contempt_ = 0;  // remembered only: the engine has no notion of it
};
