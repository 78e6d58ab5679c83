// The book file format, the tree, its lifetime and the lookup.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "board/rules.h"
#include "book/book.h"
#include "book/lookup.h"
#include "commentary/commentary.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "engine/texts.h"
#include "engine/think.h"
#include "tests/engine_state.h"
#include "tests/progress_capture.h"
#include "tests/temp_files.h"
#include "tests/test_positions.h"
#include "core/settings.h"

namespace {

int Sq(const char* name) { return SquareIndex(name[0] - 'a' + 1, name[1] - '0'); }

// A fresh book holding the lines of text; answers LoadBookFile's result.
int LoadText(const TempDir& dir, const std::string& text, int32_t* line = nullptr) {
  while (Book.references > 0) ReleaseBook();
  EXPECT_EQ(AcquireBook(), 1);
  return LoadBookFile(dir.Write("book.txt", text).c_str(), line);
}

// The moves of the tree as text, pre-order: "f5(d6(c3 c5))".
std::string TreeText(const BookNode* list) {
  std::string text;
  for (const BookNode* node = list; node != nullptr; node = node->next) {
    if (!text.empty()) text += ' ';
    char square[3];
    FormatSquareLower(node->move, square);
    text += square;
    if (node->child != nullptr) text += "(" + TreeText(node->child) + ")";
  }
  return text;
}

Board AfterMoves(const std::string& moves, int& side) {
  Board board;
  SetStartPosition(board);
  side = 1;
  for (size_t k = 0; k + 1 < moves.size(); k += 2) {
    EXPECT_EQ(PlayMove(board, board, Sq(moves.substr(k, 2).c_str()), side), 1) << moves;
    side = -side;
  }
  return board;
}

}  // namespace

TEST(BookFile, SpellingsOfTheSameLineShareNodes) {
  EngineStateGuard guard;
  TempDir dir;
  ASSERT_EQ(LoadText(dir, "F5 D6\nf5d6\nf 5\td 6\n  f5\t d6 ; comment\r\n"), 1);
  EXPECT_EQ(TreeText(Book.root), "f5(d6)");
  ASSERT_EQ(LoadText(dir, "f5 d6 c3\nf5d6c5 ; the other reply\nf5d6c3d3\nf5\ne6f4\n"), 1);
  EXPECT_EQ(TreeText(Book.root), "f5(d6(c3(d3) c5)) e6(f4)");
  EXPECT_EQ(CountBookNodes(), 7);
}

TEST(BookFile, EmptyAndCommentOnlyFilesHoldTheRootOnly) {
  EngineStateGuard guard;
  TempDir dir;
  for (const char* text : {"", "; nothing\n\n   \n\t\n", "\r\n\r\n"}) {
    int32_t line = -1;
    EXPECT_EQ(LoadText(dir, text, &line), 1) << text;
    EXPECT_EQ(TreeText(Book.root), "f5");
  }
}

TEST(BookFile, RejectedLinesReportTheirNumberAndStopTheRead) {
  EngineStateGuard guard;
  TempDir dir;
  struct Case {
    const char* text;
    int32_t line;
    const char* tree;
  };
  const Case cases[] = {
      {"f5d6c;3\nf5d6c3\n", 1, "f5"},                         // cut to an odd length
      {"f5d6\nf5f5\nf5d6c3\n", 2, "f5(d6)"},                  // occupied square
      {"; a comment\n\na1\nf5d6\n", 3, "f5"},                 // not a legal first move, blank lines count
      {"f5d6\r\n\r\nf5 d6 c3 x9\r\n", 3, "f5(d6)"},           // CR LF counts like LF
      {"f5d6\nf5d6i1\n", 2, "f5(d6)"},                        // a column beyond h
      {"f5d6\n\x01\x02\n", 2, "f5(d6)"},                      // characters that make no square
  };
  for (const Case& c : cases) {
    int32_t line = -1;
    EXPECT_EQ(LoadText(dir, c.text, &line), 0) << c.text;
    EXPECT_EQ(line, c.line) << c.text;
    EXPECT_EQ(TreeText(Book.root), c.tree) << c.text;
  }
}

TEST(BookFile, MissingOrEmptyPathGivesLineZero) {
  EngineStateGuard guard;
  AcquireBook();
  int32_t line = -1;
  EXPECT_EQ(LoadBookFile("/nonexistent/book.txt", &line), 0);
  EXPECT_EQ(line, 0);
  line = -1;
  EXPECT_EQ(LoadBookFile("", &line), 0);
  EXPECT_EQ(line, 0);
  EXPECT_EQ(LoadBookFile(nullptr, nullptr), 0);
}

TEST(BookFile, LongLinesAreReadIn511CharacterPieces) {
  EngineStateGuard guard;
  TempDir dir;
  // 600 spaces are two empty lines; the bad line after them is line 4.
  int32_t line = 0;
  EXPECT_EQ(LoadText(dir, std::string(600, ' ') + "\nf5\nf5f5\n", &line), 0);
  EXPECT_EQ(line, 4);
  // A comment longer than 511 characters: its tail is a line of moves.
  const std::string comment = ";" + std::string(510, 'x');
  ASSERT_EQ(comment.size(), 511u);
  EXPECT_EQ(LoadText(dir, comment + "f5d6\n", &line), 1);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(TreeText(Book.root), "f5(d6)");
  // CR LF becomes LF before the 511 are counted: 508 spaces, "f5" and CR LF
  // fill one piece exactly; one space more pushes the LF into a piece of its own.
  EXPECT_EQ(LoadText(dir, std::string(508, ' ') + "f5\r\nf5f5\n", &line), 0);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(LoadText(dir, std::string(509, ' ') + "f5\r\nf5f5\n", &line), 0);
  EXPECT_EQ(line, 3);
  // More than 64 moves can never be a game.
  std::string long_line;
  for (int k = 0; k < 70; ++k) long_line += "f5";
  EXPECT_EQ(LoadText(dir, long_line + "\n", &line), 0);
  EXPECT_EQ(line, 1);
}

TEST(BookFile, EndOfFileMarkAndLoneCarriageReturn) {
  EngineStateGuard guard;
  TempDir dir;
  int32_t line = 0;
  // Ctrl-Z ends a text file: what follows is never read.
  EXPECT_EQ(LoadText(dir, "f5d6\n\x1A" "f5f5\n", &line), 1);
  EXPECT_EQ(line, 1);
  // A CR not followed by LF stays in the line and is no move.
  EXPECT_EQ(LoadText(dir, "f5d6\rf5d6c3\n", &line), 0);
  EXPECT_EQ(line, 1);
}

TEST(BookTree, ReferenceCountedLifetime) {
  EngineStateGuard guard;
  EXPECT_EQ(Book.root, nullptr);
  EXPECT_EQ(LumInit(nullptr), 1);
  EXPECT_EQ(LumInit(nullptr), 1);
  ASSERT_NE(Book.root, nullptr);
  EXPECT_EQ(LumFinish(0), 1);
  EXPECT_NE(Book.root, nullptr);
  EXPECT_EQ(LumFinish(0), 0);
  EXPECT_EQ(Book.root, nullptr);
  // Finishing without an init holds no reference and never goes negative.
  EXPECT_EQ(LumFinish(0), 0);
  EXPECT_EQ(Book.references, 0);
  EXPECT_EQ(LumInit(nullptr), 1);
  EXPECT_NE(Book.root, nullptr);
  EXPECT_EQ(Book.references, 1);
}

TEST(BookTree, InitWithTheBookOffTouchesNoFile) {
  EngineStateGuard guard;
  TempDir dir;
  std::snprintf(EngineSettings.JosekiFile, sizeof EngineSettings.JosekiFile, "%s",
                dir.Write("book.txt", "f5d6\n").c_str());
  EngineSettings.UseJoseki = 0;
  LumInit(nullptr);
  EXPECT_EQ(TreeText(Book.root), "f5");
  EngineSettings.UseJoseki = 1;
  LumInit(nullptr);  // the same file again merges into the same tree
  LumInit(nullptr);
  EXPECT_EQ(TreeText(Book.root), "f5(d6)");
}

TEST(BookTree, FreeingHugeTreesNeedsNoStack) {
  // Far deeper and wider than any book: a recursive free would overflow.
  constexpr int kCount = 2000000;
  auto make = [](int square) {
    auto node = static_cast<BookNode*>(std::malloc(sizeof(BookNode)));
    node->move = static_cast<int8_t>(square);
    node->next = nullptr;
    node->child = nullptr;
    return node;
  };
  BookNode* deep = make(51);
  BookNode* tip = deep;
  for (int k = 0; k < kCount; ++k) {
    tip->child = make(40);
    tip = k % 2 == 0 ? tip->child : tip;
    if (k % 2 == 1) {
      tip->next = make(41);
      tip = tip->child;
    }
  }
  FreeBookNodes(deep);
  BookNode* wide = make(51);
  BookNode* last = wide;
  for (int k = 0; k < kCount; ++k) {
    last->next = make(40);
    last->next->child = make(41);
    last = last->next;
  }
  FreeBookNodes(wide);
  FreeBookNodes(nullptr);
}

TEST(BookLookup, FourOrientationsOfOneLine) {
  EngineStateGuard guard;
  TempDir dir;
  ASSERT_EQ(LoadText(dir, "f5 d6\n"), 1);
  struct Case {
    const char* moves;
    const char* expected;
  };
  const Case cases[] = {{"f5", "d6"}, {"e6", "f4"}, {"c4", "e3"}, {"d3", "c5"}};
  for (const Case& c : cases) {
    int side = 0;
    const Board board = AfterMoves(c.moves, side);
    EXPECT_EQ(LookupBookMove(board, 0, side), Sq(c.expected)) << c.moves;
    EXPECT_EQ(LookupBookMove(board, 1, side), Sq(c.expected)) << c.moves;
  }
  // Black at the start: the root f5, from a book that holds only the root too.
  Board start;
  SetStartPosition(start);
  EXPECT_EQ(LookupBookMove(start, 0, 1), Sq("f5"));
  ASSERT_EQ(LoadText(dir, ""), 1);
  EXPECT_EQ(LookupBookMove(start, 0, 1), Sq("f5"));
  EXPECT_EQ(LookupBookMove(start, 0, 0xFF), 0);  // the other colour never matches
  while (Book.references > 0) ReleaseBook();
  EXPECT_EQ(LookupBookMove(start, 0, 1), 0);  // no book at all
}

TEST(BookLookup, PickByLineCountOrAtRandom) {
  EngineStateGuard guard;
  TempDir dir;
  // After f5 d6 white... black to move with three alternatives whose line
  // counts are 2, 5 and 5.
  ASSERT_EQ(LoadText(dir,
                     "f5d6c3d3\nf5d6c3f4\n"
                     "f5d6c5b4\nf5d6c5b6\nf5d6c5f6\nf5d6c5f4d3\nf5d6c5f4e3\n"
                     "f5d6c4b3\nf5d6c4d3\nf5d6c4f3\nf5d6c4f4\nf5d6c4g5\n"),
            1);
  int side = 0;
  const Board board = AfterMoves("f5d6", side);
  EXPECT_EQ(LookupBookMove(board, 0, side), Sq("c5"));
  // At random: the pick is the generator's value modulo 3; the first value
  // went to the list of first moves, visited before (black to move there too).
  const char* expected[] = {"c3", "c5", "c4"};
  for (unsigned seed = 1; seed < 12; ++seed) {
    std::srand(seed);
    std::rand();
    const int r = std::rand() % 3;
    std::srand(seed);
    EXPECT_EQ(LookupBookMove(board, 1, side), Sq(expected[r])) << seed;
  }
  // Equal counts: the first.
  ASSERT_EQ(LoadText(dir, "f5d6c3\nf5d6c5\nf5d6c4\n"), 1);
  EXPECT_EQ(LookupBookMove(board, 0, side), Sq("c3"));
  // A leaf alternative is a full member of the random pick.
  for (unsigned seed = 1; seed < 12; ++seed) {
    std::srand(seed);
    std::rand();
    const int r = std::rand() % 3;
    std::srand(seed);
    EXPECT_EQ(LookupBookMove(board, 1, side), Sq(expected[r]));
  }
}

TEST(BookLookup, TranspositionsUseTheFirstOccurrence) {
  EngineStateGuard guard;
  TempDir dir;
  // f5 d6 c3 d3 c4 and f5 d6 c4 d3 c3 reach the same position; only the
  // first occurrence's alternatives are ever used.
  ASSERT_EQ(LoadText(dir, "f5d6c3d3c4f4\nf5d6c4d3c3b3\n"), 1);
  int side = 0;
  const Board via_second = AfterMoves("f5d6c4d3c3", side);
  EXPECT_EQ(LookupBookMove(via_second, 0, side), Sq("f4"));
  // Out of the book: 0 after visiting the whole tree.
  const Board out = AfterMoves("f5d6c5", side);
  EXPECT_EQ(LookupBookMove(out, 0, side), 0);
}

TEST(BookLookup, DrawsAtEveryListWhereTheEngineIsToMove) {
  EngineStateGuard guard;
  TempDir dir;
  ASSERT_EQ(LoadText(dir, "f5d6c3d3\nf5f6e6f4\n"), 1);
  // White to move after f5 f6 e6: lists with white to move are visited after
  // f5 (one draw) and after f5 d6 c3 (another) before the match.
  int side = 0;
  const Board board = AfterMoves("f5f6e6", side);
  std::srand(9);
  std::rand();
  std::rand();
  std::rand();
  const int after_three = std::rand();
  std::srand(9);
  EXPECT_EQ(LookupBookMove(board, 1, side), Sq("f4"));
  EXPECT_EQ(std::rand(), after_three);
}

TEST(BookStep, BookMoveEndsTheThinkWithoutSearchOrRemark) {
  EngineStateGuard guard;
  TempDir dir;
  EngineSettings.UseJoseki = 1;
  std::snprintf(EngineSettings.JosekiFile, sizeof EngineSettings.JosekiFile, "%s",
                dir.Write("book.txt", "f5d6\n").c_str());
  LumInit(nullptr);
  Commentary.LastScore = 77;
  const MoveCommentary before = Commentary;
  int side = 0;
  const Board board = AfterMoves("e6", side);
  char position[kPositionLength + 1];
  FormatPosition(board, side, position);
  {
    ProgressCapture capture;
    int x = 0, y = 0, score = 12345;
    const std::string message = ChooseMove(ModuleRequest(), board, side, &x, &y, &score);
    EXPECT_EQ(message, kBookMoveMessage);
    EXPECT_EQ(SquareIndex(x, y), Sq("f4"));
    EXPECT_EQ(score, 12345);
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0], "定石を調べています...");
  }
  const std::string reply = LumThink(nullptr, position);
  EXPECT_EQ(reply, std::string("F4|") + kBookMoveMessage + "|0.000000");
  EXPECT_EQ(std::memcmp(&Commentary, &before, sizeof before), 0);
  // Out of the book the search runs as usual.
  const Board later = AfterMoves("e6f4c3", side);
  FormatPosition(later, side, position);
  const std::string searched = LumThink(nullptr, position);
  EXPECT_NE(searched.find('|'), std::string::npos);
  EXPECT_EQ(searched.find(kBookMoveMessage), std::string::npos);
}
