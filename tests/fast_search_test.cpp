// The bitboard searches against the mailbox searches they replace: on random
// positions every value, every root order, every driver answer and every
// node count must be the same.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/rules.h"
#include "engine/position.h"
#include "engine/think.h"
#include "search/dispatch.h"
#include "search/evaluate.h"
#include "search/fast/bitboard.h"
#include "search/fast/fast_search.h"
#include "search/root.h"
#include "search/search.h"
#include "tests/engine_state.h"
#include "tests/progress_capture.h"
#include "core/settings.h"

namespace {

// A small generator with a fixed output on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

std::string Describe(const Board& board) {
  char text[kPositionLength + 1];
  FormatPosition(board, 1, text);
  return text;
}

int CountLegal(const Board& board, int colour) {
  int legal = 0;
  for (int s = kFirstSquare; s <= kLastSquare; ++s) legal += IsLegalMove(board, s, colour);
  return legal;
}

int EmptyCount(const Board& board) {
  MoveList list;
  ListEmpties(board, list);
  return list.count;
}

struct Sample {
  Board board;  // colour 1 is the side to move
  int empties;
};

// Every position of random games from the start, each seen from the side to
// move (a side that must pass is recorded before it passes), the final
// position of each game seen from both sides.
std::vector<Sample> RandomGamePositions(uint64_t seed, int games) {
  Random random(seed);
  std::vector<Sample> samples;
  for (int g = 0; g < games; ++g) {
    Board board;
    SetStartPosition(board);
    int side = 1;
    for (;;) {
      Sample sample;
      NormaliseBoard(board, sample.board, side);
      sample.empties = EmptyCount(board);
      samples.push_back(sample);
      int moves[64];
      int count = 0;
      for (int s = kFirstSquare; s <= kLastSquare; ++s) {
        if (IsLegalMove(board, s, side)) moves[count++] = s;
      }
      if (count == 0) {
        if (CountLegal(board, -side) == 0) {
          NormaliseBoard(board, sample.board, -side);
          samples.push_back(sample);
          break;
        }
        side = -side;
        continue;
      }
      PlayMove(board, board, moves[random.Below(count)], side);
      side = -side;
    }
  }
  return samples;
}

// Positions in which neither side can move although squares are empty:
// squares of finished games emptied again where that leaves both sides
// without a move.
std::vector<Sample> BlockedPositions(const std::vector<Sample>& games, uint64_t seed) {
  Random random(seed);
  std::vector<Sample> blocked;
  for (const Sample& sample : games) {
    if (sample.empties != 0) continue;
    for (int attempt = 0; attempt < 40 && blocked.size() < 60; ++attempt) {
      Sample candidate = sample;
      const int holes = 1 + random.Below(3);
      for (int h = 0; h < holes; ++h) {
        candidate.board.cell[SquareIndex(1 + random.Below(8), 1 + random.Below(8))] = kEmpty;
      }
      if (CountLegal(candidate.board, 1) == 0 && CountLegal(candidate.board, -1) == 0) {
        candidate.empties = EmptyCount(candidate.board);
        blocked.push_back(candidate);
      }
    }
  }
  return blocked;
}

// Boards filled at random, reachable or not: isolated discs, long lines and
// single-colour boards that games rarely produce.
std::vector<Sample> RandomBoards(uint64_t seed, int count) {
  Random random(seed);
  std::vector<Sample> boards;
  for (int k = 0; k < count; ++k) {
    Sample sample;
    ClearBoard(sample.board);
    const int empty_share = random.Below(100);
    const int colours = random.Below(5) == 0 ? 1 : 2;  // some boards hold one colour only
    const int8_t only = random.Below(2) == 0 ? int8_t{1} : int8_t{-1};
    for (int s = kFirstSquare; s <= kLastSquare; ++s) {
      if (!IsPlayableSquare(s) || random.Below(100) < empty_share) continue;
      sample.board.cell[s] = colours == 1 ? only : random.Below(2) == 0 ? int8_t{1} : int8_t{-1};
    }
    sample.empties = EmptyCount(sample.board);
    boards.push_back(sample);
  }
  return boards;
}

const std::vector<Sample>& GamePool() {
  static const std::vector<Sample> pool = RandomGamePositions(20240611, 40);
  return pool;
}

// Up to `per_count` samples for every `stride`-th number of empty squares
// from low to high.
std::vector<Sample> Pick(const std::vector<Sample>& pool, int low, int high, int per_count, int stride = 1) {
  std::vector<Sample> picked;
  for (int empties = low; empties <= high; empties += stride) {
    int taken = 0;
    for (const Sample& sample : pool) {
      if (sample.empties == empties && taken < per_count) {
        picked.push_back(sample);
        ++taken;
      }
    }
  }
  return picked;
}

struct Outcome {
  int value;
  uint64_t nodes;
};

enum class Solver { Midgame, Exact, Wld };

Outcome RunSearch(SearchImplementation implementation, Solver solver, const Board& board, const MoveList& list,
                  int colour, int bound, int depth, int passed) {
  ActiveSearch = implementation;
  SearchNodes = 0;
  int value = 0;
  switch (solver) {
    case Solver::Midgame: value = RunMidgameSearch(board, list, colour, bound, depth, passed); break;
    case Solver::Exact: value = RunExactSolve(board, list, colour, bound, passed); break;
    case Solver::Wld: value = RunWldSolve(board, list, colour, bound, passed); break;
  }
  ActiveSearch = SearchImplementation::Fast;
  return {value, SearchNodes};
}

// Runs both implementations on one call and compares value and nodes.
void ExpectSameSearch(Solver solver, const Board& board, const MoveList& list, int colour, int bound, int depth,
                      int passed = 0) {
  const Outcome plain = RunSearch(SearchImplementation::Plain, solver, board, list, colour, bound, depth, passed);
  const Outcome fast = RunSearch(SearchImplementation::Fast, solver, board, list, colour, bound, depth, passed);
  EXPECT_EQ(fast.value, plain.value) << Describe(board) << " colour " << colour << " bound " << bound << " depth "
                                     << depth << " passed " << passed;
  EXPECT_EQ(fast.nodes, plain.nodes) << Describe(board) << " colour " << colour << " bound " << bound << " depth "
                                     << depth << " passed " << passed;
}

// The full-window value of a node for its colour (maximising nodes get the
// bound +10000, minimising ones -10000, so nothing is cut at the top).
int FullWindowValue(Solver solver, const Board& board, const MoveList& list, int colour, int depth) {
  const int open = ColourByte(colour) == 1 ? kWindow : -kWindow;
  return RunSearch(SearchImplementation::Plain, solver, board, list, colour, open, depth, 0).value;
}

// How hard CompareSearches works on each sample: a thorough comparison
// also tries colour values whose low byte decides (255, 257, 0), extra
// bounds, the pass flag set and more bounds around the true value; a light
// one (for the expensive searches) both colours at the open window and just
// below and above the true value.
enum class Effort { Light, Thorough };

// Searches each sample with both colours, a list in column order and a
// shuffled one, at bounds that open the window fully and that sit around the
// true value to force cutoffs.
void CompareSearches(Solver solver, const std::vector<Sample>& samples, const std::vector<int>& depths,
                     const std::vector<int>& extra_bounds, uint64_t seed, Effort effort = Effort::Thorough) {
  Random random(seed);
  const bool thorough = effort == Effort::Thorough;
  const int colours[] = {1, -1, 255, 257, 0};
  for (const Sample& sample : samples) {
    MoveList list;
    ListEmpties(sample.board, list);
    for (int depth : depths) {
      for (int colour : colours) {
        const bool odd_colour = colour != 1 && colour != -1;
        if (odd_colour && (!thorough || random.Below(4) != 0)) continue;
        const int v = FullWindowValue(solver, sample.board, list, colour, depth);
        const int open = ColourByte(colour) == 1 ? kWindow : -kWindow;
        std::vector<int> bounds = {open, v - 1, v + 1};
        if (thorough) {
          bounds.insert(bounds.end(), {-open, v});
          bounds.insert(bounds.end(), extra_bounds.begin(), extra_bounds.end());
          ExpectSameSearch(solver, sample.board, list, colour, v, depth, 1);
        }
        for (int bound : bounds) ExpectSameSearch(solver, sample.board, list, colour, bound, depth);

        MoveList shuffled = list;
        for (int k = shuffled.count - 1; k > 0; --k) std::swap(shuffled.entry[k], shuffled.entry[random.Below(k + 1)]);
        ExpectSameSearch(solver, sample.board, shuffled, colour, v + random.Below(5) - 2, depth);
      }
    }
  }
}

TEST(FastSearch, WeightMasksMatchTheEvaluationTable) {
  const uint64_t groups[] = {bitboard::kWeight50, bitboard::kWeight3, bitboard::kWeight2, bitboard::kWeight1};
  const int values[] = {50, 3, 2, 1};
  for (int b = 0; b < 64; ++b) {
    int weight = 0;
    for (int g = 0; g < 4; ++g) {
      if ((groups[g] & bitboard::Bit(b)) != 0) weight += values[g];
    }
    EXPECT_EQ(weight, EvalWeights[bitboard::MailboxSquare(b) - 10]) << "bit " << b;
  }
}

TEST(FastSearch, SquareNumberingRoundTrips) {
  for (int b = 0; b < 64; ++b) {
    const int s = bitboard::MailboxSquare(b);
    EXPECT_TRUE(IsPlayableSquare(s));
    EXPECT_EQ(bitboard::BitOfSquare(s), b);
  }
  EXPECT_EQ(bitboard::MailboxSquare(0), SquareIndex(1, 1));
  EXPECT_EQ(bitboard::MailboxSquare(7), SquareIndex(8, 1));
  EXPECT_EQ(bitboard::MailboxSquare(56), SquareIndex(1, 8));
}

// Legal moves, turned discs and the last-square count against the mailbox
// rules, square by square, for both colours.
TEST(FastSearch, MoveRulesMatchTheMailboxRules) {
  std::vector<Sample> samples = GamePool();
  const std::vector<Sample> boards = RandomBoards(7, 300);
  samples.insert(samples.end(), boards.begin(), boards.end());
  for (const Sample& sample : samples) {
    uint64_t side1 = 0;
    uint64_t side2 = 0;
    ASSERT_TRUE(BoardToMasks(sample.board, side1, side2));
    for (int colour : {1, -1}) {
      const uint64_t me = colour == 1 ? side1 : side2;
      const uint64_t opp = colour == 1 ? side2 : side1;
      const uint64_t legal = bitboard::LegalMoves(me, opp);
      const bitboard::MaskPair both = bitboard::LegalMovesOfBoth(me, opp);
      ASSERT_EQ(both[0], legal) << Describe(sample.board);
      ASSERT_EQ(both[1], bitboard::LegalMoves(opp, me)) << Describe(sample.board);
      ASSERT_EQ(bitboard::MoveCountDifference(me, opp),
                bitboard::PopCount(legal) - bitboard::PopCount(bitboard::LegalMoves(opp, me)));
      const bitboard::NeighbourCount neighbours = bitboard::CountEmptyNeighbours(~(side1 | side2));
      for (int b = 0; b < 64; ++b) {
        const int s = bitboard::MailboxSquare(b);
        Board after;
        const int played = PlayMove(sample.board, after, s, colour);
        ASSERT_EQ((legal >> b) & 1, static_cast<uint64_t>(played)) << Describe(sample.board) << " square " << s;
        if ((side1 | side2) & bitboard::Bit(b)) continue;  // flips are asked for empty squares only
        const uint64_t flipped = bitboard::Flips(b, me, opp);
        uint64_t expected = 0;
        if (played) {
          uint64_t after1 = 0;
          uint64_t after2 = 0;
          ASSERT_TRUE(BoardToMasks(after, after1, after2));
          expected = (colour == 1 ? after1 : after2) & opp;
        }
        ASSERT_EQ(flipped, expected) << Describe(sample.board) << " square " << s << " colour " << colour;
        // The turned discs' sums, which take no disc with eight empty neighbours.
        const bitboard::TurnedSums sums = bitboard::TurnedDiscSums(flipped, neighbours);
        ASSERT_EQ(sums.weight, bitboard::EdgeAndInnerWeight(flipped)) << Describe(sample.board) << " square " << s;
        ASSERT_EQ(sums.pairs, bitboard::FrontierPairs(flipped, neighbours)) << Describe(sample.board) << " square " << s;
      }
    }
  }
}

// The count of turned discs on the last empty square: every square of
// finished games emptied in turn, for both colours.
TEST(FastSearch, LastSquareCountMatchesTheTurnedDiscs) {
  int boards = 0;
  for (const Sample& sample : GamePool()) {
    if (sample.empties != 0) continue;
    ++boards;
    uint64_t side1 = 0;
    uint64_t side2 = 0;
    ASSERT_TRUE(BoardToMasks(sample.board, side1, side2));
    for (int b = 0; b < 64; ++b) {
      const uint64_t hole = ~bitboard::Bit(b);
      for (int colour : {1, -1}) {
        const uint64_t me = (colour == 1 ? side1 : side2) & hole;
        const uint64_t opp = (colour == 1 ? side2 : side1) & hole;
        Board board = sample.board;
        board.cell[bitboard::MailboxSquare(b)] = kEmpty;
        Board after;
        int expected = 0;
        if (PlayMove(board, after, bitboard::MailboxSquare(b), colour)) {
          expected = (colour * (DiscSum(after) - DiscSum(board)) - 1) / 2;
        }
        EXPECT_EQ(bitboard::LastFlipCount(b, me), expected) << Describe(board) << " bit " << b;
        EXPECT_EQ(bitboard::PopCount(bitboard::Flips(b, me, opp)), expected) << Describe(board) << " bit " << b;
      }
    }
  }
  EXPECT_GE(boards, 10);
}

TEST(FastSearch, PopCountCountsBits) {
  Random random(3);
  const uint64_t fixed[] = {0, 1, ~uint64_t{0}, 0x8000000000000000u, 0x5555555555555555u};
  for (uint64_t x : fixed) EXPECT_EQ(bitboard::PopCount(x), std::popcount(x));
  for (int k = 0; k < 1000; ++k) {
    const uint64_t x = random.Next() & random.Next();
    EXPECT_EQ(bitboard::PopCount(x), std::popcount(x));
  }
}

TEST(FastSearch, EvaluateMatchesOnEveryPosition) {
  std::vector<Sample> samples = GamePool();
  const std::vector<Sample> boards = RandomBoards(11, 2000);
  samples.insert(samples.end(), boards.begin(), boards.end());
  const std::vector<Sample> blocked = BlockedPositions(GamePool(), 5);
  samples.insert(samples.end(), blocked.begin(), blocked.end());
  Board start;
  SetStartPosition(start);
  samples.push_back({start, 60});
  for (const Sample& sample : samples) EXPECT_EQ(FastEvaluate(sample.board), Evaluate(sample.board)) << Describe(sample.board);
}

// The pool must hold the positions the searches treat specially, or the
// comparisons below would not reach those paths.
TEST(FastSearch, PositionPoolCoversPassesAndFinishedGames) {
  int passes = 0;
  int full = 0;
  for (const Sample& sample : GamePool()) {
    if (sample.empties == 0) ++full;
    if (sample.empties > 0 && CountLegal(sample.board, 1) == 0 && CountLegal(sample.board, -1) > 0) ++passes;
  }
  EXPECT_GE(passes, 10);
  EXPECT_GE(full, 10);
  EXPECT_GE(BlockedPositions(GamePool(), 5).size(), 10u);
}

TEST(FastSearch, MidgameMatchesAtShallowDepths) {
  std::vector<Sample> samples = Pick(GamePool(), 0, 60, 2);
  const std::vector<Sample> blocked = BlockedPositions(GamePool(), 5);
  samples.insert(samples.end(), blocked.begin(), blocked.begin() + 10);
  const std::vector<Sample> boards = RandomBoards(13, 40);
  samples.insert(samples.end(), boards.begin(), boards.end());
  CompareSearches(Solver::Midgame, samples, {0, 1, 2, 3}, {50, -50, 9999, -9999}, 1);
}

TEST(FastSearch, MidgameMatchesAtDepthFourAndFive) {
  CompareSearches(Solver::Midgame, Pick(GamePool(), 0, 60, 1, 3), {4}, {}, 2, Effort::Light);
  CompareSearches(Solver::Midgame, Pick(GamePool(), 1, 60, 1, 5), {5}, {}, 3, Effort::Light);
}

TEST(FastSearch, MidgameMatchesWhenTheSideToMovePasses) {
  int tested = 0;
  for (const Sample& sample : GamePool()) {
    if (sample.empties == 0 || CountLegal(sample.board, 1) != 0 || CountLegal(sample.board, -1) == 0) continue;
    MoveList list;
    ListEmpties(sample.board, list);
    for (int depth = 0; depth <= 4; ++depth) {
      for (int bound : {kWindow, -kWindow, 0}) {
        ExpectSameSearch(Solver::Midgame, sample.board, list, 1, bound, depth);
        ExpectSameSearch(Solver::Midgame, sample.board, list, 1, bound, depth, 1);
      }
    }
    ++tested;
  }
  EXPECT_GE(tested, 10);
}

TEST(FastSearch, ExactSolveMatches) {
  std::vector<Sample> samples = Pick(GamePool(), 0, 8, 4);
  const std::vector<Sample> blocked = BlockedPositions(GamePool(), 5);
  samples.insert(samples.end(), blocked.begin(), blocked.end());
  for (const Sample& board : RandomBoards(17, 400)) {
    if (board.empties <= 8) samples.push_back(board);
  }
  CompareSearches(Solver::Exact, samples, {0}, {64, -64, 0}, 4);
  CompareSearches(Solver::Exact, Pick(GamePool(), 9, 11, 1), {0}, {}, 6, Effort::Light);
}

TEST(FastSearch, WldSolveMatches) {
  std::vector<Sample> samples = Pick(GamePool(), 0, 9, 3);
  const std::vector<Sample> blocked = BlockedPositions(GamePool(), 5);
  samples.insert(samples.end(), blocked.begin(), blocked.end());
  CompareSearches(Solver::Wld, samples, {0}, {1, -1, 0, 2, -2}, 5);
  CompareSearches(Solver::Wld, Pick(GamePool(), 10, 12, 1, 2), {0}, {}, 7, Effort::Light);
}

// Lists the bitboards cannot take and Boards with foreign cell codes go to
// the mailbox search; they must still answer the same.
TEST(FastSearch, UnusualListsAndBoardsAnswerAsTheMailboxSearch) {
  Random random(9);
  for (const Sample& sample : Pick(GamePool(), 4, 10, 2)) {
    MoveList list;
    ListEmpties(sample.board, list);
    MoveList shorter = list;
    --shorter.count;
    MoveList doubled = list;
    doubled.entry[doubled.count++] = list.entry[0];
    MoveList occupied = list;
    occupied.entry[0] = SquareIndex(4, 4);
    MoveList wall = list;
    wall.entry[0] = 27;
    for (const MoveList* odd : {&shorter, &doubled, &occupied, &wall}) {
      for (int colour : {1, -1}) {
        ExpectSameSearch(Solver::Midgame, sample.board, *odd, colour, 0, 3);
        ExpectSameSearch(Solver::Exact, sample.board, *odd, colour, 0, 0);
        ExpectSameSearch(Solver::Wld, sample.board, *odd, colour, 0, 0);
      }
    }
    Board foreign = sample.board;
    foreign.cell[list.entry[random.Below(list.count)]] = 5;
    Board open_wall = sample.board;
    open_wall.cell[45] = kEmpty;
    for (const Board* odd : {&foreign, &open_wall}) {
      EXPECT_EQ(FastEvaluate(*odd), Evaluate(*odd));
      for (int colour : {1, -1}) {
        ExpectSameSearch(Solver::Midgame, *odd, list, colour, kWindow, 3);
        ExpectSameSearch(Solver::Exact, *odd, list, colour, 0, 0);
      }
    }
  }
}

struct DriverSettings {
  int depth;
  int kansaki;
  int hissho;
  int maemuki;
};

void ApplySettings(const DriverSettings& settings) {
  ResetEngineState();
  EngineSettings.Depth = settings.depth;
  EngineSettings.KansakiDepth = settings.kansaki;
  EngineSettings.HisshoDepth = settings.hissho;
  EngineSettings.MaemukiCut = settings.maemuki;
}

TEST(FastSearch, RootOrderingIsTheSame) {
  EngineStateGuard guard;
  const DriverSettings variants[] = {{5, 12, 14, 1}, {2, 6, 9, 1}};
  for (const DriverSettings& settings : variants) {
    for (const Sample& sample : Pick(GamePool(), 1, 60, 1)) {
      if (settings.depth == 5 && (sample.empties == 13 || sample.empties == 14) ) continue;  // depth 6: too slow
      ApplySettings(settings);
      MoveList lists[2];
      uint64_t nodes[2];
      for (int k = 0; k < 2; ++k) {
        ActiveSearch = k == 0 ? SearchImplementation::Plain : SearchImplementation::Fast;
        ListEmpties(sample.board, lists[k]);
        SearchNodes = 0;
        OrderRootMoves(sample.board, lists[k]);
        nodes[k] = SearchNodes;
      }
      ActiveSearch = SearchImplementation::Fast;
      ASSERT_EQ(lists[1].count, lists[0].count);
      for (int j = 0; j < lists[0].count; ++j) EXPECT_EQ(lists[1].entry[j], lists[0].entry[j]) << Describe(sample.board);
      EXPECT_EQ(nodes[1], nodes[0]) << Describe(sample.board);
    }
  }
}

// Whole random games answered by the driver, once per implementation from
// the same module state and the same pseudo-random sequence, so that the
// remarks (which remember the previous move) are compared too.
TEST(FastSearch, DriverAnswersTheSame) {
  EngineStateGuard guard;
  const DriverSettings variants[] = {{2, 8, 10, 1}, {3, 6, 9, 0}, {1, 10, 10, 1}, {2, 9, 4, 1}};
  Random random(21);
  int game = 0;
  for (const DriverSettings& settings : variants) {
    // The positions of one random game, in host colours, black and white to move.
    std::vector<std::pair<Board, int>> positions;
    Board board;
    SetStartPosition(board);
    int side = 1;
    for (int ply = 0; ply < 80; ++ply) {
      int moves[64];
      int count = 0;
      for (int s = kFirstSquare; s <= kLastSquare; ++s) {
        if (IsLegalMove(board, s, side)) moves[count++] = s;
      }
      if (count == 0) {
        if (CountLegal(board, -side) == 0) break;
        side = -side;
        continue;
      }
      positions.emplace_back(board, side);
      PlayMove(board, board, moves[random.Below(count)], side);
      side = -side;
    }
    ++game;
    struct Answer {
      int x, y, score;
      std::string message;
      uint64_t nodes;
    };
    std::vector<Answer> answers[2];
    for (int k = 0; k < 2; ++k) {
      ApplySettings(settings);
      std::srand(77);
      for (const auto& [position, to_move] : positions) {
        ActiveSearch = k == 0 ? SearchImplementation::Plain : SearchImplementation::Fast;
        Answer answer{0, 0, 0, "", 0};
        SearchNodes = 0;
        answer.message = ChooseMove(position, to_move, &answer.x, &answer.y, &answer.score);
        answer.nodes = SearchNodes;
        answers[k].push_back(answer);
      }
    }
    ActiveSearch = SearchImplementation::Fast;
    for (size_t m = 0; m < positions.size(); ++m) {
      SCOPED_TRACE("game " + std::to_string(game) + " move " + std::to_string(m) + " " +
                   Describe(positions[m].first));
      EXPECT_EQ(answers[1][m].x, answers[0][m].x);
      EXPECT_EQ(answers[1][m].y, answers[0][m].y);
      EXPECT_EQ(answers[1][m].score, answers[0][m].score);
      EXPECT_EQ(answers[1][m].message, answers[0][m].message);
      EXPECT_EQ(answers[1][m].nodes, answers[0][m].nodes);
    }
  }
}

// A few driver calls at the default settings, in each regime.
TEST(FastSearch, DriverAnswersTheSameAtDefaultSettings) {
  EngineStateGuard guard;
  for (int empties : {40, 26, 13, 11}) {
    const std::vector<Sample> picked = Pick(GamePool(), empties, empties, 1);
    ASSERT_EQ(picked.size(), 1u);
    const Board& board = picked[0].board;
    int x[2], y[2], score[2];
    std::string message[2];
    uint64_t nodes[2];
    for (int k = 0; k < 2; ++k) {
      ResetEngineState();
      std::srand(5);
      ActiveSearch = k == 0 ? SearchImplementation::Plain : SearchImplementation::Fast;
      score[k] = 0;
      SearchNodes = 0;
      message[k] = ChooseMove(board, 1, &x[k], &y[k], &score[k]);
      nodes[k] = SearchNodes;
    }
    ActiveSearch = SearchImplementation::Fast;
    EXPECT_EQ(x[1], x[0]) << Describe(board);
    EXPECT_EQ(y[1], y[0]) << Describe(board);
    EXPECT_EQ(score[1], score[0]) << Describe(board);
    EXPECT_EQ(message[1], message[0]) << Describe(board);
    EXPECT_EQ(nodes[1], nodes[0]) << Describe(board);
  }
}

}  // namespace

// The last ply skips children that cannot beat the best so far; whether a
// child is skipped depends on the order of its siblings, so every position
// is tried in several list orders, where one side often has no move or one.
TEST(FastSearch, LastPlyMatchesInManyListOrders) {
  std::vector<Sample> samples = GamePool();
  const std::vector<Sample> blocked = BlockedPositions(GamePool(), 7);
  samples.insert(samples.end(), blocked.begin(), blocked.end());
  const std::vector<Sample> boards = RandomBoards(29, 1000);
  samples.insert(samples.end(), boards.begin(), boards.end());
  Random random(41);
  for (const Sample& sample : samples) {
    MoveList list;
    ListEmpties(sample.board, list);
    for (int order = 0; order < 4; ++order) {
      for (int depth : {1, 2}) {
        for (int colour : {1, -1}) ExpectSameSearch(Solver::Midgame, sample.board, list, colour, colour == 1 ? kWindow : -kWindow, depth);
      }
      for (int k = list.count - 1; k > 0; --k) std::swap(list.entry[k], list.entry[random.Below(k + 1)]);
    }
    if (HasFailure()) return;
  }
}

// A search split over two threads takes a helper's value only when it was
// searched with the bound the one-thread search gives that child, so values
// and node counts must be those of one thread, at every bound, whatever the
// timing. Deep enough for nodes that split and nodes that pass.
void ExpectSplitSearchesMatch(Solver solver, const std::vector<Sample>& samples, const std::vector<int>& depths) {
  const int saved = SplitSearchThreads;
  for (const Sample& sample : samples) {
    MoveList list;
    ListEmpties(sample.board, list);
    for (int depth : depths) {
      for (int colour : {1, -1}) {
        SplitSearchThreads = 1;
        const int open = colour == 1 ? kWindow : -kWindow;
        const int v = RunSearch(SearchImplementation::Fast, solver, sample.board, list, colour, open, depth, 0).value;
        for (int bound : {open, v - 1, v, v + 1, -open}) {
          SplitSearchThreads = 1;
          const Outcome alone = RunSearch(SearchImplementation::Fast, solver, sample.board, list, colour, bound, depth, 0);
          SplitSearchThreads = 2;
          const Outcome split = RunSearch(SearchImplementation::Fast, solver, sample.board, list, colour, bound, depth, 0);
          EXPECT_EQ(split.value, alone.value) << Describe(sample.board) << " depth " << depth << " bound " << bound;
          EXPECT_EQ(split.nodes, alone.nodes) << Describe(sample.board) << " depth " << depth << " bound " << bound;
        }
      }
    }
  }
  SplitSearchThreads = saved;
}

TEST(FastSearch, SplitSearchMatchesOneThread) {
  std::vector<Sample> samples = Pick(GamePool(), 8, 60, 1, 4);
  const std::vector<Sample> blocked = BlockedPositions(GamePool(), 5);
  samples.insert(samples.end(), blocked.begin(), blocked.begin() + 4);
  const uint64_t taken = SplitValuesTaken;
  ExpectSplitSearchesMatch(Solver::Midgame, samples, {5, 6});
  EXPECT_GT(SplitValuesTaken - taken, 100u);  // the helper's values were used, not only dropped
}

TEST(FastSearch, SplitSolversMatchOneThread) {
  const uint64_t taken = SplitValuesTaken;
  ExpectSplitSearchesMatch(Solver::Exact, Pick(GamePool(), 12, 12, 2), {0});
  ExpectSplitSearchesMatch(Solver::Wld, Pick(GamePool(), 13, 13, 2), {0});
  EXPECT_GT(SplitValuesTaken - taken, 20u);
}

// From its second root move on, the driver searches two root moves at a time
// and takes their results in order, starting again with the new bound after
// each improvement. Move, score, remark, node count and the progress lines
// must be those of one thread, in every regime, including where a later root
// move beats the first.
TEST(FastSearch, DriverOnTwoThreadsAnswersAsOnOne) {
  EngineStateGuard guard;
  int improved = 0;
  for (const int level : {3, 5}) {  // the weak and normal levels
    EngineSettings.Depth = level;
    EngineSettings.KansakiDepth = level + 7;
    EngineSettings.HisshoDepth = level + 9;
    for (const Sample& sample : Pick(GamePool(), 8, 44, 3)) {
      int x[2], y[2], score[2];
      std::string message[2];
      uint64_t nodes[2];
      std::vector<std::string> lines[2];
      for (int k = 0; k < 2; ++k) {
        SplitSearchThreads = k + 1;
        std::srand(9);
        score[k] = 0;
        SearchNodes = 0;
        ProgressCapture capture;
        message[k] = ChooseMove(sample.board, 1, &x[k], &y[k], &score[k]);
        nodes[k] = SearchNodes;
        lines[k] = capture.lines();
      }
      EXPECT_EQ(x[1], x[0]) << Describe(sample.board);
      EXPECT_EQ(y[1], y[0]) << Describe(sample.board);
      EXPECT_EQ(score[1], score[0]) << Describe(sample.board);
      EXPECT_EQ(message[1], message[0]) << Describe(sample.board);
      EXPECT_EQ(nodes[1], nodes[0]) << Describe(sample.board);
      EXPECT_EQ(lines[1], lines[0]) << Describe(sample.board);
      // The first searching line names the first root move as the best so far.
      const std::string chosen = std::string(1, static_cast<char>('a' + x[0] - 1)) + std::to_string(y[0]);
      if (lines[0].size() > 2 && lines[0][2].find(chosen + "]") == std::string::npos) ++improved;
    }
  }
  SplitSearchThreads = 2;
  EXPECT_GE(improved, 3);
}
