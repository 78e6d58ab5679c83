// Every fixed text of the engine is a code page 932 byte string; converted
// back it must read exactly as written.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "book/book.h"
#include "commentary/commentary.h"
#include "engine/exports.h"
#include "engine/texts.h"
#include "platform/posix/text_utf8.h"
#include "engine/root.h"
#include "ui/setup_form.h"

TEST(Texts, EveryTextConvertsBackToItsSpelling) {
  struct Case {
    const char* cp932;
    const char* utf8;
  };
  const Case cases[] = {
      {kDisplayName, "てぬ"},
      {kSingleSquareMessage, "ここに置こう＼(^o^)／"},
      {kBookMoveMessage, "定石通りです"},
      {kBookProgressText, "定石を調べています..."},
      {kExactStartFormat, "%c%d から読み切りを開始します. "},
      {kWldStartFormat, "%c%d から必勝先読みを開始します. "},
      {kMidgameStartFormat, "%c%d から探索を開始します. (depth = %d)"},
      {kSearchingFormat, "%c%d を調べています. [%+d %c%d]"},
      {kOrderingProgressFormat, "KMH(depth = %d) を実行中..."},
      {kNoMoveMessage, "打てる場所がありません"},
      {kBadPositionMessage, "局面が読めません"},
      {MoveRemarks[0][0], "よく考えろー(゜゜;)＼(--;)・・・ペシッ"},
      {MoveRemarks[0][1], "楽勝ｖ(^o^)"},
      {MoveRemarks[0][2], "弱い、弱い！＼(*^▽^*)/"},
      {MoveRemarks[1][0], "-y(^。^)。o0○ふぅ～余裕"},
      {MoveRemarks[1][1], "勝てるネ！ｖ（*｀▽´*）"},
      {MoveRemarks[1][2], "そこでいいのぉ～"},
      {MoveRemarks[2][0], "甘いのぉ～"},
      {MoveRemarks[2][1], "まだ、まだ、じゃぁ！"},
      {MoveRemarks[2][2], "ふん、ふん、うむ、うむ"},
      {MoveRemarks[3][0], "負けるぅ～！・・（T_T）"},
      {MoveRemarks[3][1], "何物だぁ。・・・・ :-）チラ"},
      {MoveRemarks[3][2], "良い手じゃφ(。。)mメモメモ"},
      {MoveRemarks[4][0], "強いよぉ～(・з・)ブーブー"},
      {MoveRemarks[4][1], "☆⌒(＞。＜)イタッ"},
      {MoveRemarks[4][2], "なかなかいい手じゃ！"},
      {MoveRemarks[5][0], "r(^-^;)ポリポリッ"},
      {MoveRemarks[5][1], "やるねぇ～君も！"},
      {MoveRemarks[5][2], "ナッ、ナン！…。(‥、)"},
      {ScoreRemarks[0], "負けるかも (;_;)"},
      {ScoreRemarks[1], "不利だ... --;)"},
      {ScoreRemarks[2], "勝てる、勝てる＼(^o^)／"},
      {ScoreRemarks[3], "有利だ ^^;)"},
      {ScoreRemarks[4], "互角ですね"},
      {kBookMessageTitle, "てぬ - 定石読み込み"},
      {kBookMissingMessage, "定石ファイルが見つかりません\nファイル名を確認して下さい"},
      {kBookBadLineFormat, "不正な定石です\n\nError Line: %d"},
      {kSetupTitle, "てぬ"},
      {kSetupDepthMessage, "探索する深さは 3 以上でなければなりません"},
      {kSetupExactMessage, "完全先読みは 0 以上でなければなりません"},
      {kSetupWldMessage, "必勝先読みは完全先読み以上でなければなりません"},
      {kSetupSaveFailedMessage, "レジストリへの登録に失敗しました"},
      {kSetupNotANumberMessage, "整数で入力して下さい"},
      {kSetupNumberRangeMessage, "-2147483648 から 2147483647 までの数で入力して下さい"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
    // Progress lines are formatted into 80 bytes; the message boxes into 256.
    EXPECT_LT(std::string(c.cp932).size(), 64u) << c.utf8;
  }
  size_t longest_remark = 0;
  for (const auto& row : MoveRemarks) {
    for (const char* remark : row) longest_remark = std::max(longest_remark, std::string(remark).size());
  }
  for (const char* remark : ScoreRemarks) longest_remark = std::max(longest_remark, std::string(remark).size());
  EXPECT_EQ(longest_remark, 38u);
}

TEST(Texts, DisplayNameAndWaveDashBytes) {
  EXPECT_EQ(std::string(LumInfo()), "\x82\xC4\x82\xCA");
  // The wave dash exists only in code page 932 proper, as 81 60.
  EXPECT_NE(std::string(MoveRemarks[2][0]).find("\x81\x60"), std::string::npos);
  EXPECT_EQ(LumVersion(), 103);
}
