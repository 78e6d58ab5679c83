#include "host/positions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "board/rules.h"
#include "engine/exports.h"
#include "host/line_reader.h"

int ForEachPosition(const char* command, const std::vector<std::string>& positions,
                    const std::function<bool(const std::string&)>& each) {
  int status = 0;
  if (!positions.empty()) {
    for (const std::string& position : positions) {
      if (!each(position)) status = 1;
      if (!FlushOutput()) break;
    }
    return status;
  }
  LineReader reader(stdin, "standard input", kPositionStreamLimits);
  std::string line;
  LineReader::Got got;
  while ((got = reader.Next(line)) == LineReader::Got::Line) {
    if (!line.empty() && !each(line)) status = 1;
    if (!FlushOutput()) return status;
  }
  if (got != LineReader::Got::End) {
    std::fprintf(stderr, "tenu %s: %s\n", command, reader.Problem().c_str());
    return 2;
  }
  return status;
}

int ReplySquare(const char* reply) {
  if (reply == nullptr || reply[0] < 'A' || reply[0] > 'H' || reply[1] < '1' || reply[1] > '8' || reply[2] != '|') {
    return 0;
  }
  return SquareIndex(reply[0] - 'A' + 1, reply[1] - '0');
}

std::string ReplyMessage(const char* reply) {
  const char* first = std::strchr(reply, '|');
  const char* last = std::strrchr(reply, '|');
  if (first == nullptr || last == first) return "";
  return std::string(first + 1, last);
}

std::string ReplyEvaluationText(const char* reply) {
  const char* last = std::strrchr(reply, '|');
  return last == nullptr ? "" : std::string(last + 1);
}

bool HasLegalMove(const Board& board, int colour) {
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (IsLegalMove(board, s, colour)) return true;
  }
  return false;
}

std::vector<MoveScore> ScoreLegalMoves(const Board& board, int side) {
  std::vector<MoveScore> scores;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const int s = SquareIndex(x, y);
      if (IsLegalMove(board, s, side)) scores.push_back({s, VellPosState(board.cell, s, side == 1 ? 1 : 0xFF, 0)});
    }
  }
  std::stable_sort(scores.begin(), scores.end(), [](const MoveScore& a, const MoveScore& b) { return a.score > b.score; });
  return scores;
}

void PrintMoveScores(const std::vector<MoveScore>& scores) {
  std::printf("move   score\n");
  for (const MoveScore& entry : scores) {
    char square[3];
    FormatSquareLower(entry.square, square);
    std::printf("%-4s %7d\n", square, entry.score);
  }
}

int CountDiscs(const Board& board, int colour) {
  int count = 0;
  for (int s = kFirstSquare; s <= kLastSquare; ++s) count += board.cell[s] == colour;
  return count;
}
