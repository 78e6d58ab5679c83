#include "engine/position.h"

#include <cstdio>
#include <cstring>

namespace {
char ReplyBuffer[kReplyBufferSize];
}

int ParsePosition(const char* text, int* side, Board* board) {
  if (text == nullptr || side == nullptr || board == nullptr) return 0;
  if (strnlen(text, kPositionLength) < static_cast<size_t>(kPositionLength)) return 0;
  if (text[1] != '|') return 0;
  if (text[0] != '*' && text[0] != '0') return 0;
  *side = text[0] == '*' ? 1 : -1;
  ClearBoard(*board);
  for (int i = 0; i < 64; ++i) {
    const char c = text[i + 2];
    board->cell[SquareIndex(i % 8 + 1, i / 8 + 1)] = c == '*' ? int8_t{1} : c == '0' ? int8_t{-1} : kEmpty;
  }
  return 1;
}

double ReplyEvaluation(int score) {
  // Held as a single-precision value as the host expects; the volatile store
  // rounds to float even where the compiler would keep excess precision.
  volatile float evaluation = static_cast<float>(score) * 0.01f;
  float limited = evaluation;
  if (limited > 9999.0f) limited = 9999.0f;
  if (limited < -9999.0f) limited = -9999.0f;
  return static_cast<double>(limited);
}

const char* FormatReply(int x, int y, const char* message, int score) {
  std::snprintf(ReplyBuffer, sizeof ReplyBuffer, "%c%d|%s|%f", static_cast<char>(x + 64), y,
                message != nullptr ? message : "", ReplyEvaluation(score));
  return ReplyBuffer;
}

const char* FormatNoMoveReply(const char* message) {
  std::snprintf(ReplyBuffer, sizeof ReplyBuffer, "PA|%s|%f", message != nullptr ? message : "", 0.0);
  return ReplyBuffer;
}

void FormatPosition(const Board& board, int side, char out[kPositionLength + 1]) {
  out[0] = ColourByte(side) == 1 ? '*' : '0';
  out[1] = '|';
  for (int i = 0; i < 64; ++i) {
    const int8_t code = board.cell[SquareIndex(i % 8 + 1, i / 8 + 1)];
    out[i + 2] = code == 1 ? '*' : code == -1 ? '0' : '-';
  }
  out[kPositionLength] = '\0';
}
