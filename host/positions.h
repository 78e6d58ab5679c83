// Helpers for the commands that work on position strings and replies.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "board/board.h"
#include "host/output.h"

// Calls each(position) for every argument, or for every non-empty line of
// standard input when there are none. Answers 1 when any call answered false.
// Stops once standard output cannot be written. A line of standard input
// longer than a position may be, or a read error, ends the loop with a
// message "tenu <command>: ..." on standard error and status 2.
int ForEachPosition(const char* command, const std::vector<std::string>& positions,
                    const std::function<bool(const std::string&)>& each);

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
