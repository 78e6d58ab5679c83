// Every export against what a careless or hostile host may pass: strings too
// short or too long, broken separators, NULs, stray codes, boards with no
// move or no empty square, null pointers, squares and sides out of range,
// extreme settings, and book paths that are no readable file. What the host
// lends lies in read-only memory right before an unmapped page (or right
// after one), so a write to it or a read past its ends faults at once.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/rules.h"
#include "book/book.h"
#include "commentary/commentary.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "engine/texts.h"
#include "platform/posix/setup_terminal.h"
#include "search/reference/reference.h"
#include "engine/root.h"
#include "search/search.h"
#include "tests/engine_state.h"
#include "tests/temp_files.h"
#include "tests/test_positions.h"
#include "ui/settings.h"

namespace {

// Bytes lent by the host: read-only, with an unmapped page right behind them
// (Behind) or right before them (Ahead).
class HostBytes {
 public:
  enum Guard { Behind, Ahead };

  explicit HostBytes(const std::string& bytes, Guard guard = Behind) : bytes_(bytes) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    data_pages_ = (bytes.size() + page - 1) / page;
    if (data_pages_ == 0) data_pages_ = 1;
    length_ = (data_pages_ + 1) * page;
    void* mapped = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
      ADD_FAILURE() << "mmap failed";
      return;
    }
    base_ = static_cast<char*>(mapped);
    char* data_start = guard == Behind ? base_ : base_ + page;
    char* guard_page = guard == Behind ? base_ + data_pages_ * page : base_;
    data_ = guard == Behind ? data_start + data_pages_ * page - bytes.size() : data_start;
    std::memcpy(data_, bytes.data(), bytes.size());
    EXPECT_EQ(mprotect(data_start, data_pages_ * page, PROT_READ), 0);
    EXPECT_EQ(mprotect(guard_page, page, PROT_NONE), 0);
  }
  ~HostBytes() {
    if (base_ != nullptr) munmap(base_, length_);
  }
  HostBytes(const HostBytes&) = delete;
  HostBytes& operator=(const HostBytes&) = delete;

  const char* text() const { return data_; }
  const int8_t* board() const { return reinterpret_cast<const int8_t*>(data_); }
  bool Unchanged() const { return data_ != nullptr && std::memcmp(data_, bytes_.data(), bytes_.size()) == 0; }

 private:
  std::string bytes_;
  char* base_ = nullptr;
  char* data_ = nullptr;
  size_t data_pages_ = 0;
  size_t length_ = 0;
};

std::string WithNul(const std::string& text) { return text + std::string(1, '\0'); }

std::string Squares(const Board& board) {
  char text[kPositionLength + 1];
  FormatPosition(board, 1, text);
  return std::string(text + 2);
}

const std::string kStartSquares = [] {
  Board board;
  SetStartPosition(board);
  return Squares(board);
}();

std::string NoMoveReply(const char* message) { return std::string("PA|") + message + "|0.000000"; }

// A random game position with exactly `empties` empty squares whose side to
// move has a legal move.
std::string GamePosition(int empties, unsigned seed) {
  std::mt19937 rng(seed);
  for (int attempt = 0; attempt < 100000; ++attempt) {
    int side = 1;
    const Board board = RandomGamePosition(rng, 60 - empties, side);
    if (EmptiesOf(board).count == empties && CanMove(board, side)) {
      char text[kPositionLength + 1];
      FormatPosition(board, side, text);
      return text;
    }
  }
  ADD_FAILURE() << "no position with " << empties << " empty squares";
  return "";
}

enum class Expect { Refused, NoMove, Legal, SingleSquare };

struct ThinkCase {
  const char* name;
  std::string bytes;  // exactly what the host lends, terminator included where there is one
  Expect expect;
};

std::vector<ThinkCase> ThinkCases() {
  const std::string start = "*|" + kStartSquares;
  std::vector<ThinkCase> cases = {
      {"empty string", WithNul(""), Expect::Refused},
      {"side only", WithNul("*"), Expect::Refused},
      {"65 characters", WithNul(start.substr(0, 65)), Expect::Refused},
      {"66 characters and no terminator at all", start, Expect::Legal},
      {"66 characters", WithNul(start), Expect::Legal},
      {"trailing text", WithNul(start + "|trailing text that is not read"), Expect::Legal},
      {"a megabyte behind the position", WithNul(start + std::string(1 << 20, 'x')), Expect::Legal},
      {"slash for the bar", WithNul("*/" + kStartSquares), Expect::Refused},
      {"space for the bar", WithNul("* " + kStartSquares), Expect::Refused},
      {"bar first", WithNul("|*" + kStartSquares), Expect::Refused},
      {"no bar at all", WithNul("*" + kStartSquares + "-"), Expect::Refused},
      {"NUL for the bar", "*" + std::string(1, '\0') + kStartSquares + '\0', Expect::Refused},
      {"side letter O", WithNul("O|" + kStartSquares), Expect::Refused},
      {"side x", WithNul("x|" + kStartSquares), Expect::Refused},
      {"side 1", WithNul("1|" + kStartSquares), Expect::Refused},
      {"side byte 0x82", WithNul("\x82|" + kStartSquares), Expect::Refused},
      {"side NUL", std::string(1, '\0') + "|" + kStartSquares + '\0', Expect::Refused},
      {"white to move at the start", WithNul("0|" + kStartSquares), Expect::Legal},
      {"every square another code", WithNul("*|" + std::string(64, '#')), Expect::NoMove},
      {"every square a high byte", WithNul("*|" + std::string(64, '\xff')), Expect::NoMove},
      {"all black discs", WithNul("*|" + std::string(64, '*')), Expect::NoMove},
      {"all white discs, white to move", WithNul("0|" + std::string(64, '0')), Expect::NoMove},
      {"no legal move, several empty squares",
       WithNul("*|0" + std::string(62, '-') + "*"), Expect::NoMove},
      {"no legal move for white", WithNul("0|*" + std::string(62, '-') + "0"), Expect::NoMove},
  };
  for (int at : {2, 33, 65}) {
    std::string text = WithNul(start);
    text[static_cast<size_t>(at)] = '\0';
    cases.push_back({"NUL in the board part", text, Expect::Refused});
  }
  // One empty square, a1, next to the only white disc: legal for black, not
  // for white.
  std::string one_empty = "*|-0" + std::string(62, '*');
  cases.push_back({"one empty square, legal", WithNul(one_empty), Expect::SingleSquare});
  one_empty[0] = '0';
  cases.push_back({"one empty square, not legal", WithNul(one_empty), Expect::SingleSquare});
  cases.push_back({"two empty squares, no legal move", WithNul("*|--" + std::string(62, '*')), Expect::NoMove});
  // Stray bytes among real discs read as empty squares.
  std::string stray = "*|" + kStartSquares;
  for (size_t i = 2; i < stray.size(); ++i) {
    if (stray[i] == '-') stray[i] = static_cast<char>(i % 2 == 0 ? '\x81' : '+');
  }
  cases.push_back({"stray bytes on the empty squares", WithNul(stray), Expect::Legal});
  return cases;
}

// The Board and side the case means, read the plain way.
Board CaseBoard(const std::string& bytes, int& side) {
  side = bytes[0] == '*' ? 1 : -1;
  return BoardFromSquares(bytes.substr(2, 64));
}

void CheckThinkReply(const ThinkCase& test, const std::string& reply) {
  switch (test.expect) {
    case Expect::Refused:
      EXPECT_EQ(reply, NoMoveReply(kBadPositionMessage)) << test.name;
      return;
    case Expect::NoMove:
      EXPECT_EQ(reply, NoMoveReply(kNoMoveMessage)) << test.name;
      return;
    case Expect::Legal:
    case Expect::SingleSquare:
      break;
  }
  int side = 1;
  const Board board = CaseBoard(test.bytes, side);
  ASSERT_GE(reply.size(), 4u) << test.name;
  const int square = ParseSquare(reply.substr(0, 2).c_str());
  ASSERT_NE(square, 0) << test.name << ": " << reply;
  EXPECT_EQ(reply[2], '|') << test.name;
  if (test.expect == Expect::SingleSquare) {
    EXPECT_EQ(board.cell[square], kEmpty) << test.name;
    EXPECT_EQ(reply, std::string(reply.substr(0, 2)) + "|" + kSingleSquareMessage + "|0.000000") << test.name;
  } else {
    EXPECT_TRUE(IsLegalMove(board, square, side)) << test.name << ": " << reply;
  }
}

}  // namespace

TEST(HostileThink, EveryStringGetsASoundReplyAndStaysUntouched) {
  EngineStateGuard guard;
  for (const ThinkCase& test : ThinkCases()) {
    for (HostBytes::Guard placement : {HostBytes::Behind, HostBytes::Ahead}) {
      HostBytes host(test.bytes, placement);
      FormatNoMoveReply("stale");
      const std::string reply = LumThink(nullptr, host.text());
      CheckThinkReply(test, reply);
      EXPECT_TRUE(host.Unchanged()) << test.name;
    }
  }
}

TEST(HostileThink, NullStringAndOddWindowHandles) {
  EngineStateGuard guard;
  EXPECT_EQ(std::string(LumThink(nullptr, nullptr)), NoMoveReply(kBadPositionMessage));
  EXPECT_EQ(std::string(LumThink(reinterpret_cast<HostWindow>(-1), nullptr)), NoMoveReply(kBadPositionMessage));
  const ThinkCase start = {"odd window handle", WithNul("*|" + kStartSquares), Expect::Legal};
  HostBytes host(start.bytes);
  CheckThinkReply(start, LumThink(reinterpret_cast<HostWindow>(-1), host.text()));
  CheckThinkReply(start, LumThink(reinterpret_cast<HostWindow>(1), host.text()));
}

TEST(HostileThink, CharactersBehindThePositionChangeNothing) {
  EngineStateGuard guard;
  const std::string position = GamePosition(30, 7);
  std::string first;
  for (const std::string& tail : {std::string(), std::string("|"), std::string(500, '*'), std::string("\xff\xfe")}) {
    Commentary = MoveCommentary{};
    std::srand(3);
    HostBytes host(WithNul(position + tail));
    const std::string reply = LumThink(nullptr, host.text());
    if (first.empty()) first = reply;
    EXPECT_EQ(reply, first) << "tail of " << tail.size() << " bytes";
  }
}

namespace {

// The score the move scoring should give, worked out on a proper Board.
int ExpectedScore(const int8_t* host, int square, int side) {
  if (!IsPlayableSquare(square)) return 0;
  Board board;
  ClearBoard(board);
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (IsPlayableSquare(s) && (host[s] == 1 || host[s] == -1)) board.cell[s] = host[s];
  }
  Board normalised;
  NormaliseBoard(board, normalised, (side & 0xFF) == 1 ? 1 : -1);
  Board after;
  if (!PlayMove(normalised, after, square, 1)) return 0;
  const MoveList list = EmptiesOf(after);
  const long long depth = EngineSettings.Depth + (list.count <= EngineSettings.HisshoDepth + 14LL ? 1 : 0);
  return ReferenceMidgame(after, list, -1, -kWindow, UsableDepth(depth), 0);
}

struct HostBoardCase {
  const char* name;
  std::string bytes;  // 91 bytes
};

std::vector<HostBoardCase> HostBoardCases() {
  Board start;
  SetStartPosition(start);
  const std::string proper(reinterpret_cast<const char*>(start.cell), kBoardCells);
  std::vector<HostBoardCase> cases = {{"proper start position", proper}};
  for (char wall : {'\x01', '\xff', '\0', '\x7f'}) {
    std::string bytes = proper;
    for (int i = 0; i < kBoardCells; ++i) {
      if (!IsPlayableSquare(i)) bytes[static_cast<size_t>(i)] = wall;
    }
    cases.push_back({"walls that are not walls", bytes});
  }
  std::string stray = proper;
  for (int i = 0; i < kBoardCells; ++i) {
    if (IsPlayableSquare(i) && stray[static_cast<size_t>(i)] == 0) stray[static_cast<size_t>(i)] = static_cast<char>(i * 37);
  }
  cases.push_back({"stray codes on the empty squares", stray});
  cases.push_back({"walls everywhere", std::string(kBoardCells, static_cast<char>(kWall))});
  cases.push_back({"black everywhere", std::string(kBoardCells, '\x01')});
  cases.push_back({"white everywhere", std::string(kBoardCells, '\xff')});
  cases.push_back({"a midgame position", [] {
                     int side = 1;
                     std::mt19937 rng(21);
                     const Board board = RandomGamePosition(rng, 20, side);
                     return std::string(reinterpret_cast<const char*>(board.cell), kBoardCells);
                   }()});
  return cases;
}

constexpr int32_t kHostileSquares[] = {INT_MIN, -1000, -1, 0, 9, 18, 45, 81, 90, 91, 1000, INT_MAX};
constexpr int32_t kHostileSides[] = {1, 0xFF, -1, 0, 2, 0x101, 0x1FF, INT_MIN, INT_MAX};

}  // namespace

TEST(HostileMoveScore, AnyBoardSquareAndSideIsScoredFromAProperCopy) {
  EngineStateGuard guard;
  EngineSettings.Depth = 2;  // the search behind each score stays small
  std::vector<int32_t> squares(std::begin(kHostileSquares), std::end(kHostileSquares));
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (IsPlayableSquare(s)) squares.push_back(s);
  }
  for (const HostBoardCase& test : HostBoardCases()) {
    ASSERT_EQ(test.bytes.size(), static_cast<size_t>(kBoardCells));
    for (HostBytes::Guard placement : {HostBytes::Behind, HostBytes::Ahead}) {
      HostBytes host(test.bytes, placement);
      for (int32_t square : squares) {
        for (int32_t side : kHostileSides) {
          EngineSettings.ShowProgress = 7;
          const int score = VellPosState(host.board(), square, side, square);
          ASSERT_EQ(score, ExpectedScore(host.board(), square, side))
              << test.name << ", square " << square << ", side " << side;
          ASSERT_EQ(EngineSettings.ShowProgress, 7);
        }
      }
      EXPECT_TRUE(host.Unchanged()) << test.name;
    }
  }
}

TEST(HostileMoveScore, NullBoardScoresZero) {
  EngineStateGuard guard;
  for (int32_t square : {INT_MIN, 0, 10, 51, 80, INT_MAX}) {
    for (int32_t side : kHostileSides) {
      EXPECT_EQ(VellPosState(nullptr, square, side, 0), 0);
      EXPECT_EQ(EngineSettings.ShowProgress, 0);
    }
  }
}

namespace {

// Search settings that no form would let through but a stored value can
// carry, and what a think must still answer for a position with a given
// number of empty squares. The positions are small enough for the setting to
// be searched to its end.
enum class Evaluation { Any, WinLossDraw, GameEnd, ExactDiscs };

struct DepthCase {
  const char* name;
  int32_t depth;
  int32_t kansaki;
  int32_t hissho;
  int empties;
  Evaluation evaluation;
};

const DepthCase kDepthCases[] = {
    {"Depth 0", 0, 12, 14, 40, Evaluation::Any},
    {"Depth -1", -1, 12, 14, 40, Evaluation::Any},
    {"Depth INT_MIN", INT_MIN, 12, 14, 40, Evaluation::Any},
    {"Depth INT_MIN one ply deeper near the end", INT_MIN, 12, 14, 20, Evaluation::Any},
    {"Depth INT_MAX searches to the end of the game", INT_MAX, INT_MIN, INT_MIN, 8, Evaluation::GameEnd},
    {"Depth INT_MAX with the ordering in the win/loss/draw band", INT_MAX, 4, 9, 9, Evaluation::WinLossDraw},
    {"KansakiDepth INT_MAX", 5, INT_MAX, 14, 11, Evaluation::ExactDiscs},
    {"KansakiDepth and HisshoDepth INT_MIN", 5, INT_MIN, INT_MIN, 6, Evaluation::Any},
    {"KansakiDepth and HisshoDepth -1", 3, -1, -1, 30, Evaluation::Any},
    {"HisshoDepth INT_MAX", 5, 0, INT_MAX, 10, Evaluation::WinLossDraw},
    {"HisshoDepth below KansakiDepth", 5, 10, INT_MIN, 10, Evaluation::ExactDiscs},
    {"every setting INT_MIN", INT_MIN, INT_MIN, INT_MIN, 45, Evaluation::Any},
    {"every setting INT_MAX", INT_MAX, INT_MAX, INT_MAX, 9, Evaluation::ExactDiscs},
};

// The best final disc difference the side to move can reach, by the plain
// exact solver with a window it can never fail outside.
int BestDiscs(const Board& board, int side) {
  Board normalised;
  NormaliseBoard(board, normalised, side);
  int best = -1000;
  Board child;
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (PlayMove(normalised, child, s, 1)) best = std::max(best, ReferenceExact(child, EmptiesOf(child), -1, -65, 0));
  }
  return best;
}

}  // namespace

TEST(HostileSettings, ExtremeDepthsStillAnswerALegalMove) {
  EngineStateGuard guard;
  EngineSettings.MaemukiCut = 0;  // every move searched, so the best one is known
  unsigned seed = 1;
  for (const DepthCase& test : kDepthCases) {
    EngineSettings.Depth = test.depth;
    EngineSettings.KansakiDepth = test.kansaki;
    EngineSettings.HisshoDepth = test.hissho;
    const std::string position = GamePosition(test.empties, seed++);
    int side = 1;
    const Board board = CaseBoard(position, side);
    const std::string reply = LumThink(nullptr, position.c_str());
    const int square = ParseSquare(reply.substr(0, 2).c_str());
    ASSERT_TRUE(square != 0 && IsLegalMove(board, square, side)) << test.name << ": " << reply;
    const double evaluation = std::atof(reply.substr(reply.rfind('|') + 1).c_str());
    const int best = test.evaluation == Evaluation::Any ? 0 : BestDiscs(board, side);
    const int sign = best > 0 ? 1 : best < 0 ? -1 : 0;
    switch (test.evaluation) {
      case Evaluation::Any:
        EXPECT_LE(std::abs(evaluation), 9999.0) << test.name;
        break;
      case Evaluation::GameEnd:
        // Every leaf is a finished game, scored 9999, -9999 or 0.
        EXPECT_NEAR(evaluation, sign * 99.99, 0.001) << test.name << ": " << reply;
        break;
      case Evaluation::WinLossDraw:
        EXPECT_EQ(evaluation > 0 ? 1 : evaluation < 0 ? -1 : 0, sign) << test.name << ": " << reply;
        break;
      case Evaluation::ExactDiscs:
        EXPECT_NEAR(evaluation, best, 1e-4) << test.name << ": " << reply;
        break;
    }
  }
}

TEST(HostileSettings, ExtremeDepthsInTheMoveScoring) {
  EngineStateGuard guard;
  const std::string position = GamePosition(40, 5);
  int side = 1;
  const Board board = CaseBoard(position, side);
  int square = 0;
  for (int s = kFirstSquare; s <= kLastSquare && square == 0; ++s) {
    if (IsLegalMove(board, s, side)) square = s;
  }
  Board after;
  ASSERT_TRUE(PlayMove(board, after, square, side));
  // A depth at or below zero is a static evaluation of the position after
  // the move, seen by the side that played it.
  Board seen;
  NormaliseBoard(after, seen, side);
  for (int32_t depth : {0, -1, -2, INT_MIN}) {
    for (int32_t hissho : {14, INT_MAX, INT_MIN}) {
      EngineSettings.Depth = depth;
      EngineSettings.HisshoDepth = hissho;
      const int score = VellPosState(board.cell, square, side, 0);
      EXPECT_EQ(score, ExpectedScore(board.cell, square, side)) << depth << " " << hissho;
      if (depth + (hissho == INT_MAX ? 1 : 0) <= 0) {
        EXPECT_EQ(score, reference::Evaluate(seen)) << depth << " " << hissho;
      }
    }
  }
  // A depth beyond the longest game searches to its end.
  const std::string endgame = GamePosition(9, 3);
  const Board small = CaseBoard(endgame, side);
  EngineSettings.Depth = INT_MAX;
  EngineSettings.HisshoDepth = INT_MAX;
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (!IsLegalMove(small, s, side)) continue;
    const int score = VellPosState(small.cell, s, side, 0);
    EXPECT_TRUE(score == kGameWon || score == -kGameWon || score == 0) << score;
  }
}

TEST(HostileSettings, DepthRulesNeverOverflow) {
  EngineStateGuard guard;
  struct Case {
    int32_t depth, kansaki, hissho;
    int empties, midgame, ordering;
  };
  const Case cases[] = {
      {INT_MAX, 12, 14, 30, kDeepestUsefulDepth, 3},
      {INT_MAX, 12, INT_MAX, 30, kDeepestUsefulDepth, kDeepestUsefulDepth},
      {INT_MAX - 1, 12, INT_MAX, 64, kDeepestUsefulDepth, kDeepestUsefulDepth},
      {INT_MIN, 12, 14, 20, 0, 3},
      {INT_MIN, 12, 14, 13, 0, 0},
      {INT_MIN, INT_MIN, INT_MIN, 20, 0, 3},
      {5, INT_MIN, INT_MAX, 1, 6, 6},
      {-1, 12, 14, 13, 0, 0},
      {129, 12, 14, 20, 130, 3},
      {129, 12, 14, 13, 130, 130},
  };
  for (const Case& test : cases) {
    EngineSettings.Depth = test.depth;
    EngineSettings.KansakiDepth = test.kansaki;
    EngineSettings.HisshoDepth = test.hissho;
    EXPECT_EQ(MidgameDepthFor(EngineSettings, test.empties), test.midgame) << test.depth << " " << test.hissho;
    EXPECT_EQ(OrderingDepthFor(EngineSettings, test.empties), test.ordering) << test.depth << " " << test.kansaki;
  }
}

TEST(HostileSettings, StoredExtremesAreKeptAsStoredAndUsed) {
  EngineStateGuard guard;
  TempDir dir;
  const std::string store = dir.Write("Tenu.reg",
                                      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu]\n"
                                      "\"Depth\"=dword:80000000\n\"KansakiDepth\"=dword:ffffffff\n"
                                      "\"HisshoDepth\"=dword:7fffffff\n\"MaemukiCut\"=dword:0000002a\n"
                                      "\"ClientJoseki\"=dword:80000000\n");
  setenv("TENU_SETTINGS_FILE", store.c_str(), 1);
  EXPECT_EQ(LoadSettings(), 1);
  unsetenv("TENU_SETTINGS_FILE");
  EXPECT_EQ(EngineSettings.Depth, INT_MIN);
  EXPECT_EQ(EngineSettings.KansakiDepth, -1);
  EXPECT_EQ(EngineSettings.HisshoDepth, INT_MAX);
  EXPECT_EQ(EngineSettings.MaemukiCut, 42);
  EXPECT_EQ(LumClientOpeningBook(), INT_MIN);
  // Every position is in the win/loss/draw band now; a small one is solved.
  const std::string position = GamePosition(10, 11);
  int side = 1;
  const Board board = CaseBoard(position, side);
  const std::string reply = LumThink(nullptr, position.c_str());
  const int square = ParseSquare(reply.substr(0, 2).c_str());
  EXPECT_TRUE(square != 0 && IsLegalMove(board, square, side)) << reply;
}

TEST(HostileExports, QueriesAnswerWhateverTheState) {
  EngineStateGuard guard;
  for (int32_t client : {0, 1, -1, INT_MIN, INT_MAX}) {
    EngineSettings.ClientJoseki = client;
    EXPECT_EQ(LumClientOpeningBook(), client);
    EXPECT_EQ(LumVersion(), 103);
    EXPECT_STREQ(LumInfo(), kDisplayName);
  }
}

TEST(HostileExports, FinishWithoutInitAndAnyArgument) {
  EngineStateGuard guard;
  for (int32_t unused : {0, -1, INT_MIN, INT_MAX}) {
    EXPECT_EQ(LumFinish(unused), 0);
    EXPECT_EQ(Book.references, 0);
    EXPECT_EQ(Book.root, nullptr);
  }
  EXPECT_EQ(LumInit(reinterpret_cast<HostWindow>(-1)), 1);
  EXPECT_EQ(LumInit(nullptr), 1);
  EXPECT_EQ(LumFinish(INT_MIN), 1);
  EXPECT_EQ(LumFinish(INT_MAX), 0);
  EXPECT_EQ(Book.root, nullptr);
  EXPECT_EQ(LumFinish(7), 0);
  EXPECT_EQ(Book.references, 0);
}

TEST(HostileExports, SetupFormEndingEarlyOrFedOverlongAnswers) {
  EngineStateGuard guard;
  TempDir dir;
  setenv("TENU_SETTINGS_FILE", (dir.path() + "/Tenu.reg").c_str(), 1);
  FILE* out = std::fopen("/dev/null", "w");
  ASSERT_NE(out, nullptr);
  struct Case {
    const char* name;
    std::string answers;
    int result;
  };
  const std::string long_path(600, 'p');
  const Case cases[] = {
      {"end of input at once", "", 0},
      {"end of input halfway", "\n9\n", 0},
      // The numbers beyond 32 bits and the overlong path are refused and
      // asked for again.
      {"huge numbers and an overlong path",
       "\n99999999999999999999\n17\n99999999999999999999\n\n-99999999999999999999\n\ny\ny\ny\ny\n" + long_path +
           "\n" + long_path.substr(0, 259) + "\no\n",
       1},
      {"a line longer than the answer buffer", std::string(5000, '7') + "\n", 0},
  };
  for (const Case& test : cases) {
    const EngineSettingsRecord before = EngineSettings;
    FILE* in = std::tmpfile();
    ASSERT_NE(in, nullptr);
    std::fwrite(test.answers.data(), 1, test.answers.size(), in);
    SetSetupFormStreams(in, out);
    for (HostWindow owner : {static_cast<HostWindow>(nullptr), reinterpret_cast<HostWindow>(-1)}) {
      std::rewind(in);
      EngineSettings = before;
      EXPECT_EQ(LumSetup(owner), test.result) << test.name;
      EXPECT_NE(std::memchr(EngineSettings.JosekiFile, '\0', sizeof EngineSettings.JosekiFile), nullptr) << test.name;
      if (test.result == 0) {
        EXPECT_EQ(std::memcmp(&EngineSettings, &before, sizeof before), 0) << test.name;
      }
    }
    SetSetupFormStreams(nullptr, nullptr);
    std::fclose(in);
  }
  std::fclose(out);
  unsetenv("TENU_SETTINGS_FILE");
  EXPECT_EQ(std::string(EngineSettings.JosekiFile), std::string(259, 'p'));
  EXPECT_EQ(EngineSettings.Depth, 17);
}

namespace {

void ExpectUnreadableBook(const char* name, const char* path) {
  ASSERT_EQ(AcquireBook(), 1);
  int32_t line_number = -1;
  EXPECT_EQ(LoadBookFile(path, &line_number), 0) << name;
  EXPECT_EQ(line_number, 0) << name;
  EXPECT_EQ(CountBookNodes(), 1) << name;
  EXPECT_EQ(ReleaseBook(), 0);
}

}  // namespace

TEST(HostileBookPath, PathsThatAreNoReadableFileLoadNothing) {
  EngineStateGuard guard;
  TempDir dir;
  const std::string folder = dir.path() + "/a folder.txt";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string long_name = dir.path() + "/" + std::string(5000, 'n');
  const struct {
    const char* name;
    std::string path;
  } cases[] = {
      {"a folder", folder},
      {"the root folder", "/"},
      {"a missing file", dir.path() + "/missing.txt"},
      {"a file inside a missing folder", dir.path() + "/missing/book.txt"},
      {"a name longer than any path", long_name},
      {"an empty path", ""},
  };
  for (const auto& test : cases) ExpectUnreadableBook(test.name, test.path.c_str());
  ExpectUnreadableBook("a null path", nullptr);

  // LumInit reports the folder as a missing file and keeps only the root.
  EngineSettings.UseJoseki = 1;
  std::snprintf(EngineSettings.JosekiFile, sizeof EngineSettings.JosekiFile, "%s", folder.c_str());
  testing::internal::CaptureStderr();
  EXPECT_EQ(LumInit(nullptr), 1);
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(message.find("Error Line"), std::string::npos) << message;
  EXPECT_EQ(CountBookNodes(), 1);
  EXPECT_EQ(LumFinish(0), 0);
}

TEST(HostileBookPath, UnreadableFileLoadsNothing) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their mode";
  EngineStateGuard guard;
  TempDir dir;
  const std::string path = dir.Write("book.txt", "f5d6\n");
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  ExpectUnreadableBook("a file without read permission", path.c_str());
  chmod(path.c_str(), 0600);
}

TEST(HostileSettings, StorePathWithoutAFolderIsAFileInTheWorkingFolder) {
  EngineStateGuard guard;
  TempDir dir;
  char* previous = getcwd(nullptr, 0);
  ASSERT_NE(previous, nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  setenv("TENU_SETTINGS_FILE", "Tenu.reg", 1);
  EngineSettings.Depth = 9;
  EXPECT_EQ(SaveSettings(), 1);
  EngineSettings.Depth = 5;
  EXPECT_EQ(LoadSettings(), 1);
  EXPECT_EQ(EngineSettings.Depth, 9);
  unsetenv("TENU_SETTINGS_FILE");
  EXPECT_EQ(chdir(previous), 0);
  std::free(previous);
  struct stat info{};
  EXPECT_EQ(stat((dir.path() + "/Tenu.reg").c_str(), &info), 0);
}
