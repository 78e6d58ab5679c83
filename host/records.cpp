#include "host/records.h"

#include <cctype>

#include "board/rules.h"
#include "engine/position.h"
#include "host/line_reader.h"
#include "host/positions.h"
#include "host/text_safety.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string WithoutBlanks(const std::string& text) {
  std::string squeezed;
  for (char c : text) {
    if (!IsBlank(c)) squeezed.push_back(c);
  }
  return squeezed;
}

bool IsPassToken(const std::string& token) {
  return token == "--" || (token.size() == 2 && std::tolower(static_cast<unsigned char>(token[0])) == 'p' &&
                           std::tolower(static_cast<unsigned char>(token[1])) == 'a');
}

// The square of a move token, or 0.
int TokenSquare(const std::string& token) {
  const char lower[3] = {static_cast<char>(std::tolower(static_cast<unsigned char>(token[0]))), token[1], '\0'};
  return ParseSquare(lower);
}

const char* ColourName(int colour) { return colour == 1 ? "black" : "white"; }

// Why a side cannot play square (the caller knows it cannot).
std::string WhyNot(const Board& board, int square) {
  return board.cell[square] != kEmpty ? "the square is taken" : "it turns no disc";
}

}  // namespace

bool LooksLikeGameRecord(const std::string& text) {
  // A record starts with a move and holds no '|' (which a position string
  // has); what follows is checked move by move when it is played, so that a
  // slip of the pen is named rather than taken for no position at all.
  const std::string squeezed = WithoutBlanks(text);
  if (squeezed.size() < 2 || squeezed.find('|') != std::string::npos || LooksLikeSuiteLine(text)) return false;
  return TokenSquare(squeezed.substr(0, 2)) != 0;
}

PlayedGame StartedGame() {
  PlayedGame game;
  SetStartPosition(game.start);
  game.board = game.start;
  return game;
}

bool PlayGameRecord(const std::string& text, PlayedGame& game, std::string& error) {
  // A character that is in no move (letters, digits and the '-' of a "--"
  // pass are) is named where it stands, rather than the move it shifts.
  for (size_t k = 0; k < text.size(); ++k) {
    const auto c = static_cast<unsigned char>(text[k]);
    if (!IsBlank(text[k]) && !std::isalnum(c) && c != '-') {
      error = "a game record is a list of moves such as f5d6c3, and '" + ShownCharacter(text, k) + "' (character " +
              std::to_string(k + 1) + ") is not part of a move";
      return false;
    }
  }
  const std::string squeezed = WithoutBlanks(text);
  if (squeezed.size() % 2 != 0) {
    error = "a game record is a list of moves such as f5d6c3, and '" + squeezed.substr(squeezed.size() - 1) +
            "' at its end is no move";
    return false;
  }
  PlayedGame played = game;
  for (size_t k = 0; k < squeezed.size(); k += 2) {
    const std::string token = squeezed.substr(k, 2);
    const std::string where = "move " + std::to_string(k / 2 + 1) + " (" + token + ")";
    const bool can_move = HasLegalMove(played.board, played.side);
    const bool other_can_move = HasLegalMove(played.board, -played.side);
    if (!can_move && !other_can_move) {
      error = where + ": the game is already over";
      return false;
    }
    if (IsPassToken(token)) {
      if (can_move) {
        error = where + ": " + ColourName(played.side) + " cannot pass while it has a legal move";
        return false;
      }
      played.moves.push_back({0, played.side});
      played.side = -played.side;
      continue;
    }
    const int square = TokenSquare(token);
    if (square == 0) {
      error = where + ": not a square (a1 to h8) or a pass (pa)";
      return false;
    }
    if (!can_move) {
      // The side to move has no move: it passes, and the move is the other side's.
      if (!IsLegalMove(played.board, square, -played.side)) {
        error = where + ": " + ColourName(played.side) + " must pass, and " + ColourName(-played.side) +
                " cannot play there: " + WhyNot(played.board, square);
        return false;
      }
      played.moves.push_back({0, played.side});
      played.side = -played.side;
    }
    if (!PlayMove(played.board, played.board, square, played.side)) {
      error = where + ": " + ColourName(played.side) + " cannot play there: " +
              WhyNot(played.board, square);
      return false;
    }
    played.moves.push_back({square, played.side});
    played.side = -played.side;
  }
  game = played;
  return true;
}

std::string GameRecordText(const std::vector<GameMove>& moves, bool with_passes) {
  std::string text;
  for (const GameMove& move : moves) {
    if (move.square == 0 && !with_passes) continue;
    if (!text.empty()) text += ' ';
    if (move.square == 0) {
      text += "pa";
    } else {
      char square[3];
      FormatSquareLower(move.square, square);
      text += square;
    }
  }
  return text;
}

namespace {

// The colour of a suite line's square character: 1, -1, 0 for empty, or 2
// for a character that is no square.
int SuiteSquareColour(char c) {
  switch (c) {
    case 'X': case 'x': case '*': return 1;
    case 'O': case 'o': return -1;
    case '-': case '.': return 0;
    default: return 2;
  }
}

}  // namespace

bool LooksLikeSuiteLine(const std::string& text) {
  if (text.size() < 66) return false;
  for (int k = 0; k < 64; ++k) {
    if (SuiteSquareColour(text[static_cast<size_t>(k)]) == 2) return false;
  }
  return IsBlank(text[64]);
}

bool ParseSuiteLine(const std::string& text, SuiteLine& line, std::string& error) {
  if (!LooksLikeSuiteLine(text)) {
    error = "a suite line is 64 squares (X, O or -), a space and the side to move (X or O)";
    return false;
  }
  SuiteLine parsed;
  ClearBoard(parsed.board);
  for (int k = 0; k < 64; ++k) {
    parsed.board.cell[SquareIndex(k % 8 + 1, k / 8 + 1)] =
        static_cast<int8_t>(SuiteSquareColour(text[static_cast<size_t>(k)]));
  }
  size_t at = 64;
  while (at < text.size() && IsBlank(text[at])) ++at;
  const char side = at < text.size() ? text[at] : '\0';
  if (side == 'X' || side == 'x' || side == '*') {
    parsed.side = 1;
  } else if (side == 'O' || side == 'o') {
    parsed.side = -1;
  } else {
    error = "the side to move after the 64 squares must be X or O";
    return false;
  }
  size_t rest = at + 1;
  if (rest < text.size() && !IsBlank(text[rest]) && text[rest] != ';') {
    error = "the side to move after the 64 squares must be X or O";
    return false;
  }
  while (rest < text.size() && (IsBlank(text[rest]) || text[rest] == ';')) ++rest;
  size_t end = text.size();
  while (end > rest && IsBlank(text[end - 1])) --end;
  parsed.remarks = text.substr(rest, end - rest);
  // The first "square:score" of the remarks.
  const std::string& r = parsed.remarks;
  for (size_t k = 0; k + 1 < r.size() && !parsed.annotated; ++k) {
    const int square = TokenSquare(r.substr(k, 2));
    if (square == 0) continue;
    size_t p = k + 2;
    while (p < r.size() && IsBlank(r[p])) ++p;
    if (p >= r.size() || r[p] != ':') continue;
    ++p;
    while (p < r.size() && IsBlank(r[p])) ++p;
    int sign = 1;
    if (p < r.size() && (r[p] == '+' || r[p] == '-')) sign = r[p++] == '-' ? -1 : 1;
    if (p >= r.size() || !std::isdigit(static_cast<unsigned char>(r[p]))) continue;
    int score = 0;
    while (p < r.size() && std::isdigit(static_cast<unsigned char>(r[p])) && score <= 64) score = score * 10 + (r[p++] - '0');
    if (score > 64) continue;
    parsed.annotated = true;
    parsed.annotated_square = square;
    parsed.annotated_score = sign * score;
  }
  line = parsed;
  return true;
}

bool LooksLikePositionString(const std::string& text) {
  return text.size() >= 2 && (text[0] == '*' || text[0] == '0') && text[1] == '|';
}

std::string PositionStringProblem(const std::string& text) {
  if (!LooksLikePositionString(text)) return "";
  size_t end = text.size();
  while (end > 2 && IsBlank(text[end - 1])) --end;
  const std::string squares = text.substr(2, end - 2);
  for (size_t k = 0; k < squares.size() && k < 64; ++k) {
    const char c = squares[k];
    if (c != '*' && c != '0' && c != '-') {
      char square[3];
      FormatSquareLower(SquareIndex(static_cast<int>(k % 8) + 1, static_cast<int>(k / 8) + 1), square);
      return std::string("square ") + square + " of the position string is '" + ShownCharacter(squares, k) +
             "', and a square is '*', '0' or '-'";
    }
  }
  if (squares.size() != 64) {
    return "a position string has 64 squares after the '|', and this one has " + std::to_string(squares.size()) +
           " characters";
  }
  return "";
}

std::string UnquotedRecordHint(const std::vector<std::string>& operands) {
  if (operands.size() < 2) return "";
  for (const std::string& operand : operands) {
    if (operand.size() > 3) return "";
  }
  return " (each argument is one game: quote a record that has spaces, as in \"f5 d6 c3\")";
}

bool ToPositionString(const std::string& text, std::string& position, std::string& error) {
  Board board;
  int side = 1;
  if (const std::string problem = PositionStringProblem(text); !problem.empty()) {
    error = problem;
    return false;
  }
  if (LooksLikeSuiteLine(text) || LooksLikeGameRecord(text)) {
    if (!ReadAnyPosition(text, board, side, error)) return false;
    char formatted[kPositionLength + 1];
    FormatPosition(board, side, formatted);
    position = formatted;
    return true;
  }
  position = text;
  return true;
}

bool ReadAnyPosition(const std::string& text, Board& board, int& side, std::string& error) {
  if (LooksLikeSuiteLine(text)) {
    SuiteLine line;
    if (!ParseSuiteLine(text, line, error)) return false;
    board = line.board;
    side = line.side;
    return true;
  }
  if (LooksLikeGameRecord(text)) {
    PlayedGame game = StartedGame();
    if (!PlayGameRecord(text, game, error)) return false;
    board = game.board;
    side = game.side;
    return true;
  }
  if (const std::string problem = PositionStringProblem(text); !problem.empty()) {
    error = problem;
    return false;
  }
  if (ParsePosition(text.c_str(), &side, &board)) return true;
  error = "not a position: a position string (*|...), a game record (f5d6c3...) or a suite line (64 squares, a "
          "space and X or O)";
  return false;
}

std::string SuiteLineText(const Board& board, int side) {
  std::string text;
  for (int y = 1; y <= 8; ++y) {
    for (int x = 1; x <= 8; ++x) {
      const int8_t code = board.cell[SquareIndex(x, y)];
      text.push_back(code == 1 ? 'X' : code == -1 ? 'O' : '-');
    }
  }
  return text + (side == 1 ? " X" : " O");
}

bool StartsFromStartPosition(const PlayedGame& game) {
  Board start;
  SetStartPosition(start);
  bool from_start = game.start_side == 1;
  for (int s = 0; s < kBoardCells && from_start; ++s) from_start = start.cell[s] == game.start.cell[s];
  return from_start;
}

std::string RecordFileText(const PlayedGame& game) {
  const std::string start = StartsFromStartPosition(game) ? "" : SuiteLineText(game.start, game.start_side) + "\n";
  return start + GameRecordText(game.moves) + "\n";
}

bool GameFromText(const std::string& text, PlayedGame& game, std::string& error) {
  PlayedGame started = StartedGame();
  if (LooksLikeGameRecord(text)) {
    if (!PlayGameRecord(text, started, error)) return false;
    game = started;
    return true;
  }
  if (!ReadAnyPosition(text, started.start, started.start_side, error)) return false;
  started.board = started.start;
  started.side = started.start_side;
  game = started;
  return true;
}

bool ReadRecordFile(const std::string& path, PlayedGame& game, std::string& error) {
  std::FILE* file = nullptr;
  if (!OpenInputFile(path, kRecordFileLimits, file, error)) return false;
  LineReader reader(file, path, kRecordFileLimits);
  PlayedGame read = StartedGame();
  std::string moves;
  std::string line;
  bool first = true;
  LineReader::Got got;
  while ((got = reader.Next(line)) == LineReader::Got::Line) {
    if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
    if (first && !LooksLikeGameRecord(line)) {
      if (!ReadAnyPosition(line, read.start, read.start_side, error)) {
        error = path + ": line " + std::to_string(reader.line_number()) + ": " + error;
        std::fclose(file);
        return false;
      }
      read.board = read.start;
      read.side = read.start_side;
    } else {
      moves += line + " ";
    }
    first = false;
  }
  std::fclose(file);
  if (got != LineReader::Got::End) {
    error = reader.Problem();
    return false;
  }
  if (first) {
    error = path + " holds no game, only remarks and blank lines";
    return false;
  }
  if (!PlayGameRecord(moves, read, error)) {
    error = path + ": " + error;
    return false;
  }
  game = read;
  return true;
}
