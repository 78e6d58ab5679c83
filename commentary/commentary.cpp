#include "commentary/commentary.h"

#include <cstdlib>
#include <cstring>

#include "board/rules.h"

MoveCommentary Commentary = {};

// clang-format off
const char* const MoveRemarks[kRemarkRows][kRemarkColumns] = {
    {"よく考えろー(゜゜;)＼(--;)・・・ペシッ", "楽勝ｖ(^o^)", "弱い、弱い！＼(*^▽^*)/"},
    {"-y(^。^)。o0○ふぅ～余裕", "勝てるネ！ｖ（*｀▽´*）", "そこでいいのぉ～"},
    {"甘いのぉ～", "まだ、まだ、じゃぁ！", "ふん、ふん、うむ、うむ"},
    {"負けるぅ～！・・（T_T）", "何物だぁ。・・・・ :-）チラ", "良い手じゃφ(。。)mメモメモ"},
    {"強いよぉ～(・з・)ブーブー", "☆⌒(＞。＜)イタッ", "なかなかいい手じゃ！"},
    {"r(^-^;)ポリポリッ", "やるねぇ～君も！", "ナッ、ナン！…。(‥、)"},
};

const char* const ScoreRemarks[kScoreRemarks] = {
    "負けるかも (;_;)",
    "不利だ... --;)",
    "勝てる、勝てる＼(^o^)／",
    "有利だ ^^;)",
    "互角ですね",
};
// clang-format on

namespace {

// The row that answers a change c of the engine's score, or -1.
int RemarkRow(int c, int score) {
  if (c > 100 && score > -100) return 0;
  if (c > 30 && score > -30) return 1;
  if (c > 5 && score > -10) return 2;
  if (c < -100 && score < 100) return 3;
  if (c < -30 && score < 30) return 4;
  if (c < -5 && score < 10) return 5;
  return -1;
}

bool FollowsByOneOpponentMove(const Board& currentBoard, int opponent) {
  bool found = false;
  Board scratch;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      if (PlayMove(Commentary.LastBoard, scratch, SquareIndex(x, y), opponent) &&
          std::memcmp(scratch.cell, currentBoard.cell, sizeof scratch.cell) == 0) {
        found = true;
      }
    }
  }
  return found;
}

}  // namespace

const char* ScoreOnlyRemark(int score) {
  if (score < -120) return ScoreRemarks[0];
  if (score < -50) return ScoreRemarks[1];
  if (score > 120) return ScoreRemarks[2];
  if (score > 50) return ScoreRemarks[3];
  return ScoreRemarks[4];
}

void MakeComment(const Board& currentBoard, const Board& boardAfterMove, int engineColour, char* out, int score) {
  const int opponent = -ColourByte(engineColour);
  const char* remark = nullptr;
  if (FollowsByOneOpponentMove(currentBoard, opponent)) {
    // Wraps like the 32-bit integers it is made of rather than overflowing.
    const int c = static_cast<int>(static_cast<uint32_t>(score) - static_cast<uint32_t>(Commentary.LastScore));
    const int column = std::rand() % kRemarkColumns;
    const int row = RemarkRow(c, score);
    if (row >= 0) remark = MoveRemarks[row][column];
  }
  if (remark == nullptr) remark = ScoreOnlyRemark(score);
  std::strcpy(out, remark);
  std::memcpy(Commentary.LastBoard.cell, boardAfterMove.cell, sizeof Commentary.LastBoard.cell);
  Commentary.LastScore = score;
}
