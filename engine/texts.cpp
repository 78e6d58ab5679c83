#include "engine/texts.h"

const char kDisplayName[] = "てぬ";
const char kSingleSquareMessage[] = "ここに置こう＼(^o^)／";
const char kBookMoveMessage[] = "定石通りです";
const char kBookProgressText[] = "定石を調べています...";
const char kExactStartFormat[] = "%c%d から読み切りを開始します. ";
const char kWldStartFormat[] = "%c%d から必勝先読みを開始します. ";
const char kMidgameStartFormat[] = "%c%d から探索を開始します. (depth = %d)";
const char kSearchingFormat[] = "%c%d を調べています. [%+d %c%d]";
// The answers for a request with no move to give (see LumThink).
const char kNoMoveMessage[] = "打てる場所がありません";
const char kBadPositionMessage[] = "局面が読めません";
