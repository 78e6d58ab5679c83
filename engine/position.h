// The two text formats at the host boundary: the position string the host
// sends and the reply string the engine returns.
#pragma once

#include "board/board.h"

constexpr int kPositionLength = 66;  // side, '|', 64 squares
constexpr int kReplyBufferSize = 256;

// Parses "S|<64 squares>" into side (1 black '*', -1 white '0') and a Board in
// host colours. Answers 1, or 0 without writing anything when the text is
// shorter than 66 characters, lacks the '|' or names no side (or is null).
int ParsePosition(const char* text, int* side, Board* board);

// Writes "%c%d|%s|%f" for column x, row y, the message and score * 0.01
// (single precision, limited to +-9999) into the module's reply buffer and
// returns the buffer, which stays valid until the next reply is formatted.
const char* FormatReply(int x, int y, const char* message, int score);

// Writes "PA|<message>|0.000000" into the reply buffer: the answer when no
// move can be given. "PA" is no square, so a host that reads "%c%d" cannot
// take it for a move.
const char* FormatNoMoveReply(const char* message);

// The reply's evaluation field for a score, exactly as FormatReply prints it.
double ReplyEvaluation(int score);

// Writes a position string (66 characters and a NUL) for a Board and side.
void FormatPosition(const Board& board, int side, char out[kPositionLength + 1]);
