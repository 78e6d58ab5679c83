// Helpers for the commands that work on position strings and replies.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "board/board.h"
#include "host/output.h"

// Calls each(position) for every argument, or for every non-empty line of
// standard input when there are none. Answers 1 when any call answered false.
// Stops once standard output cannot be written.
template <typename Each>
int ForEachPosition(const std::vector<std::string>& positions, Each each) {
  int status = 0;
  auto one = [&](const std::string& position) {
    if (!each(position)) status = 1;
  };
  if (!positions.empty()) {
    for (const std::string& position : positions) {
      one(position);
      if (!FlushOutput()) break;
    }
    return status;
  }
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) one(line);
    if (!FlushOutput()) break;
  }
  return status;
}

// The square of a reply "F5|...|..." (10..80), or 0 when it names no move.
int ReplySquare(const char* reply);

// The message and the evaluation fields of a reply (empty when absent).
std::string ReplyMessage(const char* reply);
std::string ReplyEvaluationText(const char* reply);

// True when colour has a legal move on board.
bool HasLegalMove(const Board& board, int colour);

struct MoveScore {
  int square;
  int score;
};
// Every legal move of side with its move score, best first (ties in column
// order).
std::vector<MoveScore> ScoreLegalMoves(const Board& board, int side);
void PrintMoveScores(const std::vector<MoveScore>& scores);

int CountDiscs(const Board& board, int colour);
