// The remark that goes back with every searched move. It reacts to how the
// engine's score changed since its previous searched move when the current
// position follows from that move by one legal opponent move, and otherwise
// describes the score alone.
#pragma once

#include <cstdint>

#include "board/board.h"

struct MoveCommentary {
  Board LastBoard;  // host colours, after the engine's previous commented move
  int32_t LastScore;
};

// All zero at load: no position is remembered yet.
extern MoveCommentary Commentary;

constexpr int kRemarkRows = 6;
constexpr int kRemarkColumns = 3;
constexpr int kScoreRemarks = 5;
// The remark table (rows 1..6 as 0..5) and the score-only remarks in the order
// "losing", "behind", "winning", "ahead", "even".
extern const char* const MoveRemarks[kRemarkRows][kRemarkColumns];
extern const char* const ScoreRemarks[kScoreRemarks];

// Writes the remark into out (at least 40 bytes) and remembers boardAfterMove
// and score. Draws one pseudo-random number exactly when the opponent's move
// is recognised.
void MakeComment(const Board& currentBoard, const Board& boardAfterMove, int engineColour, char* out, int score);

// The score-only remark for a score (the fallback of MakeComment).
const char* ScoreOnlyRemark(int score);
