#include "host/nboard_session.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "board/rules.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "host/options.h"
#include "host/output.h"
#include "host/english.h"
#include "host/game_analysis.h"
#include "host/move_values.h"
#include "host/positions.h"
#include "platform/posix/progress_observer.h"
#include "core/settings.h"
#include "engine/root.h"
#include "ui/search_limits.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

size_t SkipBlanks(const std::string& text, size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

std::string Trim(const std::string& text) {
  const size_t first = SkipBlanks(text, 0);
  size_t last = text.size();
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t at = SkipBlanks(line, 0);
  while (at < line.size()) {
    size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    words.push_back(line.substr(at, end - at));
    at = SkipBlanks(line, end);
  }
  return words;
}

bool IsPass(const std::string& move) {
  return move.size() == 2 && (move[0] == 'P' || move[0] == 'p') && (move[1] == 'A' || move[1] == 'a');
}

const char* ColourName(int colour) { return colour == 1 ? "black" : "white"; }

std::string SquareText(int square) {
  char text[3];
  FormatSquareUpper(square, text);
  return text;
}

// The move part of "f5/0.37/1.2".
std::string MovePart(const std::string& text) { return Trim(text.substr(0, text.find('/'))); }

// A number as the GUI reads it: two decimals, never NaN, never "-0.00".
std::string FormatNumber(double value) {
  if (!std::isfinite(value)) value = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  const std::string result = text;
  return result == "-0.00" ? "0.00" : result;
}

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

// One status line: the GUI shows it as the engine's state.
std::string StatusLine(const std::string& text) { return text.empty() ? "status" : "status " + text; }

// A line as the GUI can read it: printable ASCII only. Line breaks would end
// the line early, so they become blanks; bytes past ASCII may stop the
// GUI's reader, so every other byte (from a move or an id the GUI sent, say)
// becomes '?'.
std::string ProtocolLine(const std::string& line) {
  std::string out = line;
  for (char& c : out) {
    if (c == '\r' || c == '\n') {
      c = ' ';
    } else if (c < 0x20 || c > 0x7E) {
      c = '?';
    }
  }
  return out;
}

// A whole number of any length with nothing else; values beyond what an int
// holds are held at its largest.
bool ParseWholeNumber(const std::string& text, long long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = 0;
  for (char c : text) value = std::min<long long>(value * 10 + (c - '0'), INT32_MAX);
  return true;
}

bool GameIsOver(const GamePosition& game) {
  return !HasLegalMove(game.board, game.side) && !HasLegalMove(game.board, -game.side);
}

// BO[8 <64 squares> <side>].
bool ReadGgfBoard(const std::string& value, GamePosition& game, std::string& error) {
  size_t at = SkipBlanks(value, 0);
  size_t end = at;
  while (end < value.size() && !IsBlank(value[end])) ++end;
  if (value.substr(at, end - at) != "8") {
    error = "BO[] is not an 8x8 board (it must start with 8)";
    return false;
  }
  // The squares and the side to move are the characters that are not blanks.
  std::string squares;
  for (at = end; at < value.size(); ++at) {
    if (!IsBlank(value[at])) squares.push_back(value[at]);
  }
  if (squares.empty()) {
    error = "BO[] holds no squares";
    return false;
  }
  const char side = squares.back();
  squares.pop_back();
  if (squares.size() != 64) {
    error = "BO[] holds " + std::to_string(squares.size()) + " squares before the side to move, not 64";
    return false;
  }
  if (side != '*' && side != 'O') {
    error = std::string("BO[] side to move '") + side + "' is neither '*' nor 'O'";
    return false;
  }
  ClearBoard(game.board);
  for (int i = 0; i < 64; ++i) {
    const char c = squares[static_cast<size_t>(i)];
    if (c != '*' && c != 'O' && c != '-') {
      error = std::string("BO[] square '") + c + "' is none of '*', 'O' and '-'";
      return false;
    }
    game.board.cell[SquareIndex(i % 8 + 1, i / 8 + 1)] = c == '*' ? 1 : c == 'O' ? -1 : kEmpty;
  }
  game.side = side == '*' ? 1 : -1;
  return true;
}

// A move's value for the GUI: discs, or +-99.99 (as the think reports it)
// for a win or loss whose margin is not known.
std::string NBoardEvaluation(const MoveValue& move) {
  return FormatNumber(move.discs_known ? move.discs : move.outcome * 99.99);
}

// Forwards the engine's progress texts while one think runs.
std::function<void(const std::string&)>* ProgressStatus = nullptr;

void ForwardProgress(const char* text) {
  if (ProgressStatus != nullptr) (*ProgressStatus)(EnglishGloss(text));
}

}  // namespace

bool PlayMoveText(GamePosition& game, const std::string& move, std::string& error) {
  if (move.empty()) {
    error = "no move given";
    return false;
  }
  if (GameIsOver(game)) {
    error = "the game is over";
    return false;
  }
  const bool can_move = HasLegalMove(game.board, game.side);
  if (IsPass(move)) {
    if (can_move) {
      error = std::string(ColourName(game.side)) + " has a legal move and may not pass";
      return false;
    }
    game.side = -game.side;
    return true;
  }
  const int square = ParseSquare(move.c_str());
  if (square == 0) {
    error = "'" + move + "' is not a square";
    return false;
  }
  if (!can_move) {
    error = std::string(ColourName(game.side)) + " has no legal move and must pass";
    return false;
  }
  if (!PlayMove(game.board, game.board, square, game.side)) {
    error = SquareText(square) + " is not a legal move for " + ColourName(game.side);
    return false;
  }
  game.side = -game.side;
  return true;
}

bool ParseGgfGame(const std::string& text, GamePosition& game, std::string& error,
                  std::vector<GamePosition>* history) {
  size_t at = SkipBlanks(text, 0);
  if (text.compare(at, 2, "(;") != 0) {
    error = "a game record starts with (;";
    return false;
  }
  at += 2;
  GamePosition result;
  std::vector<GamePosition> positions;
  bool have_board = false;
  int moves = 0;
  for (;;) {
    at = SkipBlanks(text, at);
    if (at >= text.size()) {
      error = "the record does not end with ;)";
      return false;
    }
    if (text.compare(at, 2, ";)") == 0) break;
    const size_t name_start = at;
    while (at < text.size() && ((text[at] >= 'A' && text[at] <= 'Z') || (text[at] >= 'a' && text[at] <= 'z'))) ++at;
    if (at == name_start) {
      error = std::string("unexpected '") + text[at] + "' in the record";
      return false;
    }
    const std::string name = text.substr(name_start, at - name_start);
    if (at >= text.size() || text[at] != '[') {
      error = name + " has no [value]";
      return false;
    }
    std::string value;
    bool closed = false;
    for (++at; at < text.size();) {
      const char c = text[at++];
      if (c == '\\' && at < text.size()) {
        value.push_back(text[at++]);
      } else if (c == ']') {
        closed = true;
        break;
      } else {
        value.push_back(c);
      }
    }
    if (!closed) {
      error = name + "[ is not closed";
      return false;
    }
    if (name == "BO") {
      if (have_board) {
        error = "the record has two BO[] boards";
        return false;
      }
      if (!ReadGgfBoard(value, result, error)) return false;
      have_board = true;
      positions.push_back(result);
    } else if (name == "B" || name == "W") {
      ++moves;
      const std::string where = "move " + std::to_string(moves) + " " + name + "[" + value + "]: ";
      if (!have_board) {
        error = where + "comes before the BO[] board";
        return false;
      }
      if (GameIsOver(result)) {
        error = where + "the game is over";
        return false;
      }
      const int colour = name == "B" ? 1 : -1;
      if (colour != result.side && !HasLegalMove(result.board, result.side) &&
          HasLegalMove(result.board, colour)) {
        result.side = colour;  // the record left the pass out
      }
      if (colour != result.side) {
        error = where + ColourName(-colour) + " is to move";
        return false;
      }
      std::string why;
      if (!PlayMoveText(result, MovePart(value), why)) {
        error = where + why;
        return false;
      }
      positions.push_back(result);
    }
  }
  if (!have_board) {
    error = "the record has no BO[] board";
    return false;
  }
  game = result;
  if (history != nullptr) *history = positions;
  return true;
}

NBoardSession::NBoardSession(LineSink sink) : sink_(std::move(sink)) {
  SetStartPosition(position_.board);
  history_.push_back(position_);
}

void NBoardSession::Emit(const std::string& text) {
  const std::string line = ProtocolLine(text);
  if (written_ != nullptr) written_->push_back(line);
  if (sink_) sink_(line);
}

void NBoardSession::Status(const std::string& text) { Emit(StatusLine(text)); }

void NBoardSession::Note(const std::string& text) {
  if (greeted_) {
    Status(text);
  } else {
    notes_.push_back(text);
  }
}

std::vector<std::string> NBoardSession::HandleLine(const std::string& raw) {
  std::vector<std::string> written;
  written_ = &written;
  const std::string line = Trim(raw);
  const std::vector<std::string> words = Words(line);
  const std::string command = words.empty() ? "" : words[0];
  if (command == "nboard") {
    Emit("set myname Tenu");
    if (words.size() < 2 || words[1] != "2") Status("Tenu speaks version 2 of the NBoard protocol");
    greeted_ = true;
    for (const std::string& note : notes_) Status(note);
    notes_.clear();
  } else if (command == "set") {
    Set(line, words);
  } else if (command == "move") {
    Move(words);
  } else if (command == "go") {
    Go();
  } else if (command == "hint") {
    Hint(words);
  } else if (command == "ping") {
    Emit(words.size() < 2 ? "pong" : "pong " + words[1]);
  } else if (command == "learn") {
    Emit("learned");
  } else if (command == "analyze") {
    Analyze();
  }
  written_ = nullptr;
  return written;
}

void NBoardSession::Set(const std::string& line, const std::vector<std::string>& words) {
  if (words.size() < 2) return;
  const std::string& what = words[1];
  if (what == "depth") {
    long long depth = 0;
    if (words.size() != 3 || !ParseWholeNumber(words[2], depth) || depth < kNBoardMinDepth) {
      Status("set depth takes a whole number of at least " + std::to_string(kNBoardMinDepth) + "; the depth stays " +
             std::to_string(EngineSettings.Depth));
      return;
    }
    if (depth > kDeepestUsefulMidgameDepth) {
      Status("set depth " + words[2] + " is beyond " + std::to_string(kDeepestUsefulMidgameDepth) +
             ", the deepest search that answers in useful time; the depth is " +
             std::to_string(kDeepestUsefulMidgameDepth));
      depth = kDeepestUsefulMidgameDepth;
    }
    EngineSettings.Depth = static_cast<int32_t>(depth);
  } else if (what == "game") {
    const std::string record = line.substr(line.find(what) + what.size());
    GamePosition game;
    std::vector<GamePosition> history;
    std::string error;
    if (!ParseGgfGame(record, game, error, &history)) {
      Status("set game rejected: " + error + "; the position is unchanged");
      return;
    }
    position_ = game;
    history_ = history;
  } else if (what == "contempt") {
    double contempt = 0;
    if (words.size() != 3 || !ParseNumber(words[2], contempt)) {
      Status("set contempt takes a number");
      return;
    }
    contempt_ = contempt;
  }
}

void NBoardSession::Move(const std::vector<std::string>& words) {
  if (words.size() < 2) {
    Status("move needs a move; the position is unchanged");
    return;
  }
  GamePosition next = position_;
  std::string error;
  if (!PlayMoveText(next, MovePart(words[1]), error)) {
    Status("move " + words[1] + " rejected: " + error + "; the position is unchanged");
    return;
  }
  position_ = next;
  history_.push_back(next);
}

void NBoardSession::Go() {
  const Board& board = position_.board;
  const int side = position_.side;
  if (!HasLegalMove(board, side)) {
    if (GameIsOver(position_)) {
      Status("the game is over; there is no move to give");
    } else {
      Emit("=== PA");
    }
    return;
  }
  char text[kPositionLength + 1];
  FormatPosition(board, side, text);
  std::function<void(const std::string&)> status = [this](const std::string& progress) { Status(progress); };
  if (EngineSettings.ShowProgress != 0) {
    ProgressStatus = &status;
    SetProgressObserver(ForwardProgress);
  }
  const auto start = std::chrono::steady_clock::now();
  const std::string reply = LumThink(nullptr, text);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  SetProgressObserver(nullptr);
  ProgressStatus = nullptr;

  int square = ReplySquare(reply.c_str());
  std::string evaluation = FormatNumber(std::strtod(ReplyEvaluationText(reply.c_str()).c_str(), nullptr));
  if (square == 0 || !IsLegalMove(board, square, side)) {
    // Not expected while a legal move exists, but the GUI waits for a move:
    // the best-valued one goes instead.
    Status("the engine answered " + EnglishReply(reply.c_str()) + ", which is no legal move here");
    const MoveValue best = ValueLegalMoves(ModuleRequest(), board, side).moves.front();
    square = best.square;
    evaluation = NBoardEvaluation(best);
  } else {
    const std::string remark = EnglishGloss(ReplyMessage(reply.c_str()).c_str());
    if (!remark.empty()) Status(remark);
    // The move's value in discs; a book move keeps the reply's 0.
    const ReplyValue value = ValueOfReply(ModuleRequest(), board, side, reply.c_str());
    if (value.known) evaluation = NBoardEvaluation(value.move);
  }
  Emit("=== " + SquareText(square) + "/" + evaluation + "/" + FormatNumber(seconds));
}

void NBoardSession::Hint(const std::vector<std::string>& words) {
  long long count = 0;  // any count past the legal moves asks for them all
  if (words.size() < 2 || !ParseWholeNumber(words[1], count) || count < 1) {
    Status("hint takes a number of moves, at least 1");
    return;
  }
  const Board& board = position_.board;
  const int side = position_.side;
  if (!HasLegalMove(board, side)) {
    Status(GameIsOver(position_) ? std::string("the game is over")
                                 : std::string(ColourName(side)) + " has no legal move and must pass");
    return;
  }
  const PositionValues values = ValueLegalMoves(ModuleRequest(), board, side);
  // The depth: the midgame search's, or for a solve the empty squares it
  // reads to the end.
  const std::string depth =
      std::to_string(values.kind == SearchKind::Midgame ? values.depth : values.empties - 1);
  for (size_t k = 0; k < values.moves.size() && k < static_cast<size_t>(count); ++k) {
    const MoveValue& move = values.moves[k];
    Emit("search " + SquareText(move.square) + " " + NBoardEvaluation(move) + " 0 " + depth);
  }
  Status("");
}

// The evaluation of every position of the game, from the side to move's
// view, in discs: "analysis <moves made> <eval>", the last position first,
// so that a GUI can draw the game's graph as the answers come. The game is
// analysed as `tenu analyze` analyses it, and each position gets the value
// its graph shows (the mean of the two sides' views; a finished game its
// disc difference); the start, before any move, its first mover's best.
void NBoardSession::Analyze() {
  // The game as a record: the move between two positions is the square that
  // filled, made by the colour now on it; an unchanged board is a pass.
  PlayedGame game;
  game.start = history_.front().board;
  game.start_side = history_.front().side;
  game.side = game.start_side;
  std::vector<int> moves_made(history_.size(), 0);  // analysed moves up to each position
  for (size_t k = 1; k < history_.size(); ++k) {
    const Board& before = history_[k - 1].board;
    const Board& after = history_[k].board;
    int square = 0;
    for (int s = kFirstSquare; s <= kLastSquare; ++s) {
      if (IsPlayableSquare(s) && before.cell[s] == kEmpty && after.cell[s] != kEmpty) square = s;
    }
    moves_made[k] = moves_made[k - 1];
    if (square == 0) {
      game.moves.push_back({0, game.side});
      game.side = -game.side;
      continue;
    }
    const int mover = after.cell[square];
    if (mover != game.side) game.moves.push_back({0, game.side});  // a pass the record left out
    game.moves.push_back({square, mover});
    game.side = -mover;
    ++moves_made[k];
  }
  game.board = history_.back().board;
  game.side = history_.back().side;
  const GameAnalysis analysis = AnalyseGame(game, MarkThresholds{}, nullptr);
  for (size_t k = history_.size(); k-- > 0;) {
    const GamePosition& at = history_[k];
    double black_view = 0;
    if (moves_made[k] > 0) {
      black_view = analysis.moves[static_cast<size_t>(moves_made[k] - 1)].after_eval;
    } else if (!analysis.moves.empty()) {
      black_view = analysis.moves.front().best_eval * analysis.moves.front().colour;
    } else if (GameIsOver(at)) {
      black_view = CountDiscs(at.board, 1) - CountDiscs(at.board, -1);
    } else {
      const int mover = HasLegalMove(at.board, at.side) ? at.side : -at.side;
      black_view = JudgePosition(at.board, mover).eval * mover;
    }
    Emit("analysis " + std::to_string(k) + " " + FormatNumber(black_view * at.side));
  }
  Status("");
}
