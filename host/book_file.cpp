#include "host/book_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "board/rules.h"
#include "book/book.h"
#include "host/text_safety.h"

namespace {

constexpr int kMostBookMoves = 60;  // the empty squares of the start position

const char* ColourName(int colour) { return colour == 1 ? "black" : "white"; }

}  // namespace

std::string BookLineProblem(const std::string& piece) {
  // The loader's own steps: cut at ';', drop the line end, drop the blanks.
  std::string line = piece.substr(0, piece.find(';'));
  if (!line.empty() && line.back() == '\n') line.pop_back();
  std::string moves;
  for (char c : line) {
    if (c != ' ' && c != '\t') moves.push_back(c);
  }
  if (moves.empty()) return "";
  const size_t count = (moves.size() + 1) / 2;
  const std::string remark_hint = moves[0] == '#' || moves[0] == '/' ? " (a remark starts with ';')" : "";
  if (count > static_cast<size_t>(kMostBookMoves)) {
    return "it holds " + std::to_string(count) + " moves, and a game has at most " + std::to_string(kMostBookMoves) +
           remark_hint;
  }
  Board board;
  SetStartPosition(board);
  int colour = 1;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : static_cast<int>(c); };
  for (size_t k = 0; k < count; ++k) {
    const std::string token = moves.substr(2 * k, 2);
    const std::string where = "move " + std::to_string(k + 1) + " (" + ShownText(token) + ")";
    if (token.size() < 2) {
      return "'" + ShownText(token) + "' at its end is no move (a move is a letter a-h and a digit 1-8)" + remark_hint;
    }
    // The square as the loader computes it from the two characters.
    const int square = (lower(token[0]) - 96) + 9 * (lower(token[1]) - 48);
    const int x = square % 9;
    const int y = square / 9;
    if (square < 0 || x < 1 || x > 8 || y < 1 || y > 8) return where + ": not a square (a1 to h8)" + remark_hint;
    if (!IsLegalMove(board, square, colour)) {
      std::string why = board.cell[square] != kEmpty ? "the square is taken" : "it turns no disc";
      bool can_move = false;
      for (int s = kFirstSquare; s <= kLastSquare && !can_move; ++s) can_move = IsLegalMove(board, s, colour);
      if (!can_move) why += "; " + std::string(ColourName(colour)) + " has no move there, and a book line has no passes";
      return where + ": " + ColourName(colour) + " cannot play there: " + why;
    }
    PlayMove(board, board, square, colour);
    colour = -colour;
  }
  return "";
}

BookLineMap MapBookLine(const std::string& path, int32_t wanted) {
  BookLineMap map;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return map;
  char piece[kBookLinePieceSize];
  bool ended = false;
  int32_t engine_line = 0;
  int32_t file_line = 1;
  bool line_continues = false;  // the last piece did not end its line
  while (ReadBookLinePiece(file, piece, kBookLinePieceSize, ended)) {
    ++engine_line;
    if (line_continues && map.first_long == 0) map.first_long = file_line;
    map.file_line = file_line;
    if (engine_line == wanted) {
      map.piece = piece;
      break;
    }
    const std::string text = piece;
    line_continues = text.empty() || text.back() != '\n';
    if (!line_continues) ++file_line;
  }
  std::fclose(file);
  return map;
}

std::string BookLoadProblem(const std::string& path, int32_t line_number) {
  if (line_number == 0) {
    if (path.empty()) return "no book file is named";
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return path + " cannot be opened: " + std::strerror(errno);
    std::fclose(file);
    return path + " cannot be read";
  }
  const BookLineMap map = MapBookLine(path, line_number);
  std::string why = BookLineProblem(map.piece);
  if (why.empty()) why = "it could not be added to the book (out of memory)";
  std::string where = "line " + std::to_string(line_number);
  if (map.file_line != line_number && map.file_line != 0) where += " (the file's line " + std::to_string(map.file_line) + ")";
  return path + ": " + where + " rejected: " + why;
}

std::string LoadBookInEnglish(const std::string& path) {
  int32_t line_number = 0;
  if (LoadBookFile(path.c_str(), &line_number)) return "";
  return BookLoadProblem(path, line_number);
}
