// The think driver and the root ordering: regimes, thresholds, the root loop's
// rules and the progress lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "board/rules.h"
#include "commentary/commentary.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "engine/texts.h"
#include "engine/think.h"
#include "engine/root.h"
#include "search/search.h"
#include "tests/engine_state.h"
#include "tests/progress_capture.h"
#include "tests/test_positions.h"
#include "core/settings.h"

namespace {

struct Choice {
  int x = -1;
  int y = 0;
  int score = 0;
  std::string message;
  int square() const { return SquareIndex(x, y); }
};

Choice Choose(const Board& board, int side, const SearchRequest& request = ModuleRequest()) {
  Choice choice;
  const char* message = ChooseMove(request, board, side, &choice.x, &choice.y, &choice.score);
  choice.message = message;
  return choice;
}

// A random position with exactly `empties` empty squares where side to move
// has at least `legal` legal moves.
Board PositionWithEmpties(std::mt19937& rng, int empties, int legal, int& side) {
  for (;;) {
    Board board = RandomGamePosition(rng, 60 - empties, side);
    MoveList list = EmptiesOf(board);
    int moves = 0;
    for (int k = 0; k < list.count; ++k) moves += IsLegalMove(board, list.entry[k], side);
    if (list.count == empties && moves >= legal) return board;
  }
}

int LegalMoves(const Board& board, int side) {
  int moves = 0;
  for (int s = kFirstSquare; s <= kLastSquare; ++s) moves += IsLegalMove(board, s, side);
  return moves;
}

}  // namespace

TEST(RootOrdering, SortExampleDoesNotKeepColumnOrderAmongEquals) {
  MoveList list;
  const int c4 = SquareIndex(3, 4), d3 = SquareIndex(4, 3), e6 = SquareIndex(5, 6), f5 = SquareIndex(6, 5);
  list.entry[0] = c4;
  list.entry[1] = d3;
  list.entry[2] = e6;
  list.entry[3] = f5;
  list.count = 4;
  int score[64] = {5, 9, 5, 9};
  SortRootMoves(list, score);
  EXPECT_EQ(list.entry[0], d3);
  EXPECT_EQ(list.entry[1], f5);
  EXPECT_EQ(list.entry[2], e6);
  EXPECT_EQ(list.entry[3], c4);
}

TEST(RootOrdering, StopsAtTheFirstIllegalScoreAndKeepsTheRestAsItWas) {
  MoveList list;
  for (int k = 0; k < 5; ++k) list.entry[k] = 10 + k;
  list.count = 5;
  int none[64] = {-10000, -10000, -10000, -10000, -10000};
  SortRootMoves(list, none);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(list.entry[k], 10 + k);
  int some[64] = {-10000, 3, -10000, 7, -10000};
  SortRootMoves(list, some);
  EXPECT_EQ(list.entry[0], 13);
  EXPECT_EQ(list.entry[1], 11);
  EXPECT_EQ(list.entry[2], 12);  // swapped with position 0's square, then the sort stopped
  EXPECT_EQ(list.entry[3], 10);
  EXPECT_EQ(list.entry[4], 14);
}

TEST(RootOrdering, LegalMovesComeFirstBestFirst) {
  EngineStateGuard guard;
  std::mt19937 rng(8);
  for (int k = 0; k < 20; ++k) {
    int side = 1;
    const Board host = PositionWithEmpties(rng, 30 + k, 2, side);
    Board board;
    NormaliseBoard(host, board, side);
    MoveList list;
    PrepareRootList(ModuleRequest(), board, list);
    const int legal = LegalMoves(board, 1);
    ASSERT_EQ(list.count, EmptiesOf(board).count);
    int previous = 10000;
    for (int i = 0; i < list.count; ++i) {
      const bool is_legal = IsLegalMove(board, list.entry[i], 1);
      EXPECT_EQ(is_legal, i < legal) << i;
      if (!is_legal) continue;
      Board child;
      PlayMove(board, child, list.entry[i], 1);
      MoveList child_list = EmptiesOf(child);
      const int score = ReferenceMidgame(child, child_list, -1, -10000, 3, 0);
      EXPECT_LE(score, previous);
      previous = score;
    }
  }
}

TEST(RootOrdering, DepthShownFollowsTheWinLossDrawBand) {
  EngineStateGuard guard;
  std::mt19937 rng(12);
  struct Case {
    int empties;
    int depth;
  };
  for (const Case c : {Case{13, 6}, Case{14, 6}, Case{20, 3}, Case{10, 3}}) {
    int side = 1;
    const Board host = PositionWithEmpties(rng, c.empties, 1, side);
    Board board;
    NormaliseBoard(host, board, side);
    ProgressCapture capture;
    MoveList list;
    PrepareRootList(ModuleRequest(), board, list);
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0], "KMH(depth = " + std::to_string(c.depth) + ") を実行中...");
  }
  // Skipped ordering: column order and no text.
  SearchRequest unordered = ModuleRequest();
  unordered.order_root = false;
  int side = 1;
  const Board host = PositionWithEmpties(rng, 30, 1, side);
  ProgressCapture capture;
  MoveList list;
  PrepareRootList(unordered, host, list);
  EXPECT_TRUE(capture.lines().empty());
  const MoveList column = EmptiesOf(host);
  EXPECT_EQ(std::memcmp(list.entry, column.entry, sizeof(int32_t) * static_cast<size_t>(column.count)), 0);
}

TEST(ChooseMove, OneEmptySquareIsAnsweredWithoutSearch) {
  EngineStateGuard guard;
  // h8 empty and not even legal for the mover: still answered at once.
  std::string squares(64, '*');
  squares[63] = '-';
  const Board board = BoardFromSquares(squares);
  const MoveCommentary before = Commentary;
  ProgressCapture capture;
  const Choice choice = Choose(board, -1);
  EXPECT_EQ(choice.square(), 80);
  EXPECT_EQ(choice.message, kSingleSquareMessage);
  EXPECT_EQ(choice.score, 0);
  EXPECT_EQ(std::memcmp(&Commentary, &before, sizeof before), 0);
  EXPECT_EQ(capture.Count("から"), 0);
  char position[kPositionLength + 1];
  FormatPosition(board, -1, position);
  const std::string reply = LumThink(nullptr, position);
  EXPECT_EQ(reply.substr(0, 3), "H8|");
  EXPECT_EQ(reply.substr(reply.rfind('|')), "|0.000000");
}

TEST(ChooseMove, MaemukiCutSearchesOnlyTheFiveBestOrderedMoves) {
  EngineStateGuard guard;
  std::mt19937 rng(3);
  for (int k = 0; k < 6; ++k) {
    int side = 1;
    const Board board = PositionWithEmpties(rng, 34 + k, 8, side);
    const int legal = LegalMoves(board, side);
    for (int cut : {1, 0}) {
      EngineSettings.MaemukiCut = cut;
      ProgressCapture capture;
      const Choice choice = Choose(board, side);
      const int searched = capture.Count("から探索を開始します") + capture.Count("を調べています");
      EXPECT_EQ(searched, cut ? 5 : legal);
      // The chosen move is among the searched ones.
      Board work;
      NormaliseBoard(board, work, side);
      MoveList list;
      {
        ProgressCapture quiet;
        PrepareRootList(ModuleRequest(), work, list);
      }
      const int32_t* end = list.entry + (cut ? 5 : legal);
      EXPECT_NE(std::find(static_cast<const int32_t*>(list.entry), end, choice.square()), end);
    }
  }
}

TEST(ChooseMove, ExactRegimeFindsTheFirstBestMoveAndExaminesEveryMove) {
  EngineStateGuard guard;
  std::mt19937 rng(21);
  for (int k = 0; k < 12; ++k) {
    int side = 1;
    const Board board = PositionWithEmpties(rng, 8 + k % 3, 2, side);
    Board work;
    NormaliseBoard(board, work, side);
    MoveList list;
    {
      ProgressCapture quiet;
      PrepareRootList(ModuleRequest(), work, list);
    }
    const int legal = LegalMoves(work, 1);
    int best = -1000;
    int expected = 0;
    for (int i = 0; i < legal; ++i) {
      Board child;
      PlayMove(work, child, list.entry[i], 1);
      const int v = PerfectPlay(child, -1);
      if (v > best) {
        best = v;
        expected = list.entry[i];
      }
    }
    ProgressCapture capture;
    const Choice choice = Choose(board, side);
    EXPECT_EQ(choice.square(), expected) << k;
    EXPECT_EQ(choice.score, best * 100);
    EXPECT_EQ(capture.Count("から読み切りを開始します"), 1);
    EXPECT_EQ(capture.Count("を調べています"), legal - 1);
  }
}

TEST(ChooseMove, WinLossDrawRegimeStopsAtTheFirstWin) {
  EngineStateGuard guard;
  EngineSettings.KansakiDepth = 6;
  EngineSettings.HisshoDepth = 10;
  std::mt19937 rng(44);
  int wins = 0;
  for (int k = 0; k < 40 && wins < 6; ++k) {
    int side = 1;
    const Board board = PositionWithEmpties(rng, 9, 3, side);
    Board work;
    NormaliseBoard(board, work, side);
    MoveList list;
    {
      ProgressCapture quiet;
      PrepareRootList(ModuleRequest(), work, list);
    }
    int first_win = -1;
    for (int i = 0; i < LegalMoves(work, 1) && first_win < 0; ++i) {
      Board child;
      PlayMove(work, child, list.entry[i], 1);
      if (PerfectPlay(child, -1) > 0) first_win = i;
    }
    if (first_win < 0) continue;
    ++wins;
    ProgressCapture capture;
    const Choice choice = Choose(board, side);
    EXPECT_EQ(choice.square(), list.entry[first_win]);
    EXPECT_GT(choice.score, 0);
    EXPECT_EQ(choice.score % 9999, 0);
    EXPECT_EQ(capture.Count("から必勝先読みを開始します"), 1);
    EXPECT_EQ(capture.Count("を調べています"), first_win);
  }
  EXPECT_GE(wins, 3);
}

TEST(ChooseMove, RegimeThresholds) {
  EngineStateGuard guard;
  std::mt19937 rng(57);
  struct Case {
    int exact, wld, empties;
    const char* start;
  };
  const Case cases[] = {
      {12, 14, 12, "から読み切りを開始します"}, {12, 14, 13, "から必勝先読みを開始します"},
      {12, 14, 14, "から必勝先読みを開始します"}, {12, 14, 15, "から探索を開始します. (depth = 4)"},
      // With HisshoDepth not above KansakiDepth the win/loss/draw regime never runs.
      {10, 10, 10, "から読み切りを開始します"}, {10, 9, 11, "から探索を開始します. (depth = 4)"},
      {12, 14, 29, "から探索を開始します. (depth = 3)"},
  };
  for (const Case& c : cases) {
    EngineSettings = DefaultSettings();
    EngineSettings.Depth = 3;
    EngineSettings.KansakiDepth = c.exact;
    EngineSettings.HisshoDepth = c.wld;
    int side = 1;
    const Board board = PositionWithEmpties(rng, c.empties, 2, side);
    ProgressCapture capture;
    Choose(board, side);
    ASSERT_GE(capture.lines().size(), 2u);
    EXPECT_NE(capture.lines()[1].find(c.start), std::string::npos) << c.empties << ": " << capture.lines()[1];
  }
}

TEST(ChooseMove, ProgressLinesShowBestUnscaledAndTheHoldingSquare) {
  EngineStateGuard guard;
  std::mt19937 rng(90);
  int side = 1;
  const Board board = PositionWithEmpties(rng, 10, 3, side);
  ProgressCapture capture;
  const Choice choice = Choose(board, side);
  const auto& lines = capture.lines();
  ASSERT_GE(lines.size(), 4u);
  // "c3 から読み切りを開始します. " then "e1 を調べています. [+12 c3]" ...
  EXPECT_EQ(lines[1].size(), std::string("c3 から読み切りを開始します. ").size());
  const std::string& last = lines.back();
  EXPECT_NE(last.find("を調べています. ["), std::string::npos);
  const char sign = last[last.find('[') + 1];
  EXPECT_TRUE(sign == '+' || sign == '-') << last;
  EXPECT_EQ(std::string(1, last[0]).find_first_of("abcdefgh"), 0u);
  (void)choice;
}

TEST(ChooseMove, FirstProgressLineUsesTheStartTextAfterSkippedIllegalEntries) {
  EngineStateGuard guard;
  // Without ordering the column-order list starts with squares that are not
  // legal; the first searched move still gets the start text. (The cut by
  // list position is off, as it would skip every legal move here.)
  EngineSettings.MaemukiCut = 0;
  SearchRequest unordered = ModuleRequest();
  unordered.order_root = false;
  Board board;
  SetStartPosition(board);
  ProgressCapture capture;
  const Choice choice = Choose(board, 1, unordered);
  ASSERT_FALSE(capture.lines().empty());
  EXPECT_EQ(capture.lines()[0], "c4 から探索を開始します. (depth = 5)");
  EXPECT_EQ(capture.Count("を調べています"), 3);
  EXPECT_NE(choice.x, -1);
}

TEST(ChooseMove, TiesKeepTheEarlierMoveInListOrder) {
  EngineStateGuard guard;
  // From the start every first move is equivalent by symmetry: the ordered
  // list's first entry is kept.
  Board board;
  SetStartPosition(board);
  Board work;
  NormaliseBoard(board, work, 1);
  MoveList list;
  {
    ProgressCapture quiet;
    PrepareRootList(ModuleRequest(), work, list);
  }
  const Choice choice = Choose(board, 1);
  EXPECT_EQ(choice.square(), list.entry[0]);
  EXPECT_EQ(list.entry[0], SquareIndex(3, 4));  // c4: equal scores keep column order here
}

TEST(LumThink, NoMoveAndMalformedRequestsGetTheNoMoveReply) {
  EngineStateGuard guard;
  const MoveCommentary before = Commentary;
  // Black to move with no legal move, several empty squares.
  const std::string no_move = "*|0--------------------------------------------------------------*";
  EXPECT_STREQ(LumThink(nullptr, no_move.c_str()), "PA|\x91\xC5\x82\xC4\x82\xE9\x8F\xEA\x8F\x8A\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1|0.000000");
  const std::string full = "0|" + std::string(64, '*');
  EXPECT_EQ(std::string(LumThink(nullptr, full.c_str())).substr(0, 3), "PA|");
  const char* const bad_strings[] = {"", "*|---", "x|----------------------------------------------------------------", nullptr};
  for (const char* bad : bad_strings) {
    const std::string reply = LumThink(nullptr, bad);
    EXPECT_EQ(reply.substr(0, 3), "PA|");
    EXPECT_EQ(reply.substr(reply.rfind('|')), "|0.000000");
  }
  EXPECT_EQ(std::memcmp(&Commentary, &before, sizeof before), 0);
}
