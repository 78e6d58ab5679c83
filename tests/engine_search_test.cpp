// The engine searches against the reference searches: on random positions,
// passes, finished games and odd boards, every value the engine must keep
// (the exact ones, the win/loss/draw solver's raw ones), every root order,
// every move score and every driver answer with its progress lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/rules.h"
#include "engine/position.h"
#include "engine/think.h"
#include "engine/exports.h"
#include "engine/posstate.h"
#include "engine/root.h"
#include "search/engine/api.h"
#include "search/engine/bitboard.h"
#include "search/engine/engine.h"
#include "search/engine/stability.h"
#include "search/reference/reference.h"
#include "search/search.h"
#include "tests/engine_state.h"
#include "tests/test_positions.h"
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

int Value(SearchImplementation implementation, SearchKind kind, const Board& board, const MoveList& list, int colour,
          int bound, int depth, int passed) {
  return RunSearch(implementation, kind, board, list, colour, bound, depth, passed).value;
}

// One call answered by both implementations. The win/loss/draw solver must
// answer the very same value. The other two must agree on which side of the
// bound the value lies; on its open side (below the bound at a maximising
// node, above at a minimising one) they answer the exact value, on the other
// a bound that the exact value respects.
void ExpectSameAnswer(SearchKind solver, const Board& board, const MoveList& list, int colour, int bound, int depth,
                      int passed = 0) {
  const int reference = Value(SearchImplementation::Reference, solver, board, list, colour, bound, depth, passed);
  const int engine = Value(SearchImplementation::Engine, solver, board, list, colour, bound, depth, passed);
  const std::string call = Describe(board) + " colour " + std::to_string(colour) + " bound " + std::to_string(bound) +
                           " depth " + std::to_string(depth) + " passed " + std::to_string(passed);
  if (solver == SearchKind::Wld) {
    EXPECT_EQ(engine, reference) << call;
    return;
  }
  const bool maximising = ColourByte(colour) == 1;
  const auto open = [&](int r) { return maximising ? r < bound : r > bound; };
  ASSERT_EQ(open(engine), open(reference)) << call << ": engine " << engine << ", reference " << reference;
  if (open(reference)) {
    EXPECT_EQ(engine, reference) << call;
    return;
  }
  const int wide = maximising ? kWindow : -kWindow;
  const int exact = Value(SearchImplementation::Reference, solver, board, list, colour, wide, depth, passed);
  if (maximising) {
    EXPECT_LE(engine, exact) << call;
  } else {
    EXPECT_GE(engine, exact) << call;
  }
}

// How hard CompareSearches works on each sample: a thorough comparison
// tries a colour whose low byte decides, more bounds and the pass flag; a
// light one (for the costly reference searches) both colours at the open
// window, just around the true value and in a shuffled list.
enum class Effort { Light, Thorough };

// Each sample with both colours, at the open window, just around the true
// value, at the given extra bounds, after a pass, and with the list
// shuffled (the win/loss/draw solver's answer depends on the list order).
void CompareSearches(SearchKind solver, const std::vector<Sample>& samples, const std::vector<int>& depths,
                     const std::vector<int>& extra_bounds, uint64_t seed, Effort effort = Effort::Thorough) {
  Random random(seed);
  const bool thorough = effort == Effort::Thorough;
  for (const Sample& sample : samples) {
    MoveList list;
    ListEmpties(sample.board, list);
    for (int depth : depths) {
      for (int colour : {1, -1, 255}) {
        if (colour == 255 && !thorough) continue;
        const int wide = ColourByte(colour) == 1 ? kWindow : -kWindow;
        const int v = Value(SearchImplementation::Reference, solver, sample.board, list, colour, wide, depth, 0);
        std::vector<int> bounds = {wide, v - 1, v + 1};
        if (thorough) {
          bounds.insert(bounds.end(), {-wide, v});
          bounds.insert(bounds.end(), extra_bounds.begin(), extra_bounds.end());
          ExpectSameAnswer(solver, sample.board, list, colour, v, depth, 1);
        }
        for (int bound : bounds) ExpectSameAnswer(solver, sample.board, list, colour, bound, depth);
        MoveList shuffled = list;
        for (int k = shuffled.count - 1; k > 0; --k) std::swap(shuffled.entry[k], shuffled.entry[random.Below(k + 1)]);
        ExpectSameAnswer(solver, sample.board, shuffled, colour, v + random.Below(5) - 2, depth);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

std::vector<Sample> WithOddBoards(std::vector<Sample> samples, int max_empties, uint64_t seed) {
  const std::vector<Sample> blocked = BlockedPositions(GamePool(), 5);
  samples.insert(samples.end(), blocked.begin(), blocked.end());
  for (const Sample& board : RandomBoards(seed, 300)) {
    if (board.empties <= max_empties) samples.push_back(board);
  }
  return samples;
}

}  // namespace

TEST(EngineSearch, WeightMasksMatchTheEvaluationTable) {
  const uint64_t groups[] = {bitboard::kWeight50, bitboard::kWeight3, bitboard::kWeight2, bitboard::kWeight1};
  const int values[] = {50, 3, 2, 1};
  for (int b = 0; b < 64; ++b) {
    int weight = 0;
    for (int g = 0; g < 4; ++g) {
      if ((groups[g] & bitboard::Bit(b)) != 0) weight += values[g];
    }
    EXPECT_EQ(weight, reference::EvalWeights[bitboard::SquareOfBit(b) - 10]) << "bit " << b;
  }
}

TEST(EngineSearch, SquareNumberingRoundTrips) {
  for (int b = 0; b < 64; ++b) {
    const int s = bitboard::SquareOfBit(b);
    EXPECT_TRUE(IsPlayableSquare(s));
    EXPECT_EQ(bitboard::BitOfSquare(s), b);
  }
  EXPECT_EQ(bitboard::SquareOfBit(0), SquareIndex(1, 1));
  EXPECT_EQ(bitboard::SquareOfBit(7), SquareIndex(8, 1));
  EXPECT_EQ(bitboard::SquareOfBit(56), SquareIndex(1, 8));
}

// Legal moves, turned discs and the last-square count against the Board
// rules, square by square, for both colours.
TEST(EngineSearch, MoveRulesMatchTheBoardRules) {
  std::vector<Sample> samples = GamePool();
  const std::vector<Sample> boards = RandomBoards(7, 300);
  samples.insert(samples.end(), boards.begin(), boards.end());
  for (const Sample& sample : samples) {
    uint64_t side1 = 0;
    uint64_t side2 = 0;
    ASSERT_TRUE(engine::BoardToMasks(sample.board, side1, side2));
    for (int colour : {1, -1}) {
      const uint64_t me = colour == 1 ? side1 : side2;
      const uint64_t opp = colour == 1 ? side2 : side1;
      const uint64_t legal = bitboard::LegalMoves(me, opp);
      const bitboard::MaskPair both = bitboard::LegalMovesOfBoth(me, opp);
      ASSERT_EQ(both[0], legal) << Describe(sample.board);
      // The vector-lane generator (the AVX2 build's) on the same boards.
      ASSERT_EQ(bitboard::LegalMovesByLanes(me, opp), legal) << Describe(sample.board);
      ASSERT_EQ(both[1], bitboard::LegalMoves(opp, me)) << Describe(sample.board);
      ASSERT_EQ(bitboard::MoveCountDifference(me, opp),
                bitboard::PopCount(legal) - bitboard::PopCount(bitboard::LegalMoves(opp, me)));
      const bitboard::NeighbourCount neighbours = bitboard::CountEmptyNeighbours(~(side1 | side2));
      for (int b = 0; b < 64; ++b) {
        const int s = bitboard::SquareOfBit(b);
        Board after;
        const int played = PlayMove(sample.board, after, s, colour);
        ASSERT_EQ((legal >> b) & 1, static_cast<uint64_t>(played)) << Describe(sample.board) << " square " << s;
        if ((side1 | side2) & bitboard::Bit(b)) continue;  // flips are asked for empty squares only
        const uint64_t flipped = bitboard::Flips(b, me, opp);
        uint64_t expected = 0;
        if (played) {
          uint64_t after1 = 0;
          uint64_t after2 = 0;
          ASSERT_TRUE(engine::BoardToMasks(after, after1, after2));
          expected = (colour == 1 ? after1 : after2) & opp;
        }
        ASSERT_EQ(flipped, expected) << Describe(sample.board) << " square " << s << " colour " << colour;
        // The vector-lane flips (the AVX2 build's) on the same squares.
        ASSERT_EQ(bitboard::FlipsByLanes(b, me, opp), expected) << Describe(sample.board) << " square " << s;
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
TEST(EngineSearch, LastSquareCountMatchesTheTurnedDiscs) {
  int boards = 0;
  for (const Sample& sample : GamePool()) {
    if (sample.empties != 0) continue;
    ++boards;
    uint64_t side1 = 0;
    uint64_t side2 = 0;
    ASSERT_TRUE(engine::BoardToMasks(sample.board, side1, side2));
    for (int b = 0; b < 64; ++b) {
      const uint64_t hole = ~bitboard::Bit(b);
      for (int colour : {1, -1}) {
        const uint64_t me = (colour == 1 ? side1 : side2) & hole;
        const uint64_t opp = (colour == 1 ? side2 : side1) & hole;
        Board board = sample.board;
        board.cell[bitboard::SquareOfBit(b)] = kEmpty;
        Board after;
        int expected = 0;
        if (PlayMove(board, after, bitboard::SquareOfBit(b), colour)) {
          expected = (colour * (DiscSum(after) - DiscSum(board)) - 1) / 2;
        }
        EXPECT_EQ(bitboard::LastFlipCount(b, me), expected) << Describe(board) << " bit " << b;
        EXPECT_EQ(bitboard::PopCount(bitboard::Flips(b, me, opp)), expected) << Describe(board) << " bit " << b;
      }
    }
  }
  EXPECT_GE(boards, 10);
}

TEST(EngineSearch, PopCountCountsBits) {
  Random random(3);
  const uint64_t fixed[] = {0, 1, ~uint64_t{0}, 0x8000000000000000u, 0x5555555555555555u};
  for (uint64_t x : fixed) EXPECT_EQ(bitboard::PopCount(x), std::popcount(x));
  for (int k = 0; k < 1000; ++k) {
    const uint64_t x = random.Next() & random.Next();
    EXPECT_EQ(bitboard::PopCount(x), std::popcount(x));
  }
}

TEST(EngineSearch, EvaluateMatchesOnEveryPosition) {
  std::vector<Sample> samples = GamePool();
  const std::vector<Sample> boards = RandomBoards(11, 2000);
  samples.insert(samples.end(), boards.begin(), boards.end());
  const std::vector<Sample> blocked = BlockedPositions(GamePool(), 5);
  samples.insert(samples.end(), blocked.begin(), blocked.end());
  Board start;
  SetStartPosition(start);
  samples.push_back({start, 60});
  for (const Sample& sample : samples) EXPECT_EQ(engine::Evaluate(sample.board), reference::Evaluate(sample.board)) << Describe(sample.board);
}

// The pool must hold the positions the searches treat specially, or the
// comparisons below would not reach those paths.
TEST(EngineSearch, PositionPoolCoversPassesAndFinishedGames) {
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

TEST(EngineSearch, MidgameAgreesAtEveryDepthUpToFive) {
  const std::vector<Sample> shallow = WithOddBoards(Pick(GamePool(), 0, 60, 2), 64, 13);
  CompareSearches(SearchKind::Midgame, shallow, {0, 1, 2, 3}, {50, -50, 9999, -9999}, 1);
  CompareSearches(SearchKind::Midgame, Pick(GamePool(), 0, 60, 1, 4), {4, 5}, {}, 2, Effort::Light);
}

TEST(EngineSearch, ExactSolveAgrees) {
  CompareSearches(SearchKind::Exact, WithOddBoards(Pick(GamePool(), 0, 9, 3), 9, 17), {0}, {64, -64, 0}, 4);
  CompareSearches(SearchKind::Exact, Pick(GamePool(), 11, 12, 1), {0}, {}, 6, Effort::Light);
}

// The win/loss/draw solver's values, raw ones included, in many list orders.
TEST(EngineSearch, WldSolveAnswersTheSameValues) {
  CompareSearches(SearchKind::Wld, WithOddBoards(Pick(GamePool(), 0, 12, 3), 12, 19), {0}, {1, -1, 0, 2, -2, 30, -30}, 5);
  CompareSearches(SearchKind::Wld, Pick(GamePool(), 13, 14, 2), {0}, {}, 7, Effort::Light);
}

// Lists the bitboards cannot take and Boards with foreign cell codes go to
// the reference search; they must still answer the same.
TEST(EngineSearch, UnusualListsAndBoardsAnswerAsTheReference) {
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
    Board foreign = sample.board;
    foreign.cell[list.entry[random.Below(list.count)]] = 5;
    Board open_wall = sample.board;
    open_wall.cell[45] = kEmpty;
    const std::pair<const Board*, const MoveList*> calls[] = {
        {&sample.board, &shorter}, {&sample.board, &doubled}, {&sample.board, &occupied}, {&foreign, &list},
        {&open_wall, &list}};
    for (const auto& [board, odd] : calls) {
      for (int colour : {1, -1}) {
        ExpectSameAnswer(SearchKind::Midgame, *board, *odd, colour, 0, 3);
        ExpectSameAnswer(SearchKind::Exact, *board, *odd, colour, 0, 0);
        ExpectSameAnswer(SearchKind::Wld, *board, *odd, colour, 0, 0);
      }
    }
    EXPECT_EQ(engine::Evaluate(foreign), reference::Evaluate(foreign));
  }
}

// Discs found stable never change colour later in the same game.
TEST(EngineSearch, StableDiscsStayTheirs) {
  Random random(31);
  int stable_seen = 0;
  for (int game = 0; game < 200; ++game) {
    Board board;
    SetStartPosition(board);
    int side = 1;
    uint64_t stable_black = 0;
    uint64_t stable_white = 0;
    for (;;) {
      uint64_t black = 0;
      uint64_t white = 0;
      ASSERT_TRUE(engine::BoardToMasks(board, black, white));
      ASSERT_EQ(black & stable_black, stable_black) << Describe(board);
      ASSERT_EQ(white & stable_white, stable_white) << Describe(board);
      stable_black = engine::StableDiscs(black, white);
      stable_white = engine::StableDiscs(white, black);
      stable_seen += std::popcount(stable_black | stable_white);
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
      PlayMove(board, board, moves[random.Below(count)], side);
      side = -side;
    }
    // On a full board every disc is stable.
    if (EmptyCount(board) == 0) {
      EXPECT_EQ(std::popcount(stable_black | stable_white), 64) << Describe(board);
    }
  }
  EXPECT_GT(stable_seen, 10000);
}

// The table's size and contents change the work, never a value; an emptied
// table gives the same node count again; a size that cannot be had leaves
// a small table that still answers.
TEST(EngineSearch, TableSizeAndContentsChangeNoValue) {
  const size_t original = SearchTableSize();
  const std::vector<Sample> samples = Pick(GamePool(), 14, 30, 1, 4);
  std::vector<int> values;
  for (const Sample& sample : samples) {
    const MoveList list = EmptiesOf(sample.board);
    const SearchKind solver = sample.empties <= 14 ? SearchKind::Exact : SearchKind::Midgame;
    ClearSearchTable();
    const SearchResult first = RunSearch(SearchImplementation::Engine, solver, sample.board, list, 1, kWindow, 6, 0);
    values.push_back(first.value);
    ClearSearchTable();
    const SearchResult again = RunSearch(SearchImplementation::Engine, solver, sample.board, list, 1, kWindow, 6, 0);
    EXPECT_EQ(again.value, first.value);
    EXPECT_EQ(again.nodes, first.nodes) << Describe(sample.board);
  }
  EXPECT_FALSE(SetSearchTableSize(~size_t{0}));
  for (size_t k = 0; k < samples.size(); ++k) {
    const SearchKind solver = samples[k].empties <= 14 ? SearchKind::Exact : SearchKind::Midgame;
    EXPECT_EQ(Value(SearchImplementation::Engine, solver, samples[k].board, EmptiesOf(samples[k].board), 1, kWindow, 6,
                    0),
              values[k]);
  }
  EXPECT_TRUE(SetSearchTableSize(original));
}

// Each build of the engine (the baseline and, where the processor has it,
// the one chosen for it) visits the same positions and answers the same
// values: they differ in instructions only.
TEST(EngineSearch, EveryBuildSearchesTheSameTree) {
  const engine::Api& baseline = engine::BaselineApi();
  const engine::Api& selected = engine::SelectedApi();
  std::printf("the engine build in use: %s\n", selected.name);
  const auto same = [](const SearchResult& a, const SearchResult& b) { return a.value == b.value && a.nodes == b.nodes; };
  for (const Sample& sample : Pick(GamePool(), 10, 24, 2, 3)) {
    const MoveList list = EmptiesOf(sample.board);
    SearchResult answers[2][2];
    for (int k = 0; k < 2; ++k) {
      const engine::Api& api = k == 0 ? baseline : selected;
      ClearSearchTable();
      answers[k][0] = api.midgame(sample.board, list, 1, kWindow, 4, 0);
      ClearSearchTable();
      if (sample.empties <= 16) answers[k][1] = api.exact(sample.board, list, 1, kWindow, 0);
    }
    EXPECT_TRUE(same(answers[0][0], answers[1][0])) << Describe(sample.board);
    EXPECT_TRUE(same(answers[0][1], answers[1][1])) << Describe(sample.board);
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

// What the driver answers for one position: move, score, remark, progress
// lines; and the root order and every legal move's score.
struct DriverAnswer {
  int x = 0;
  int y = 0;
  int score = 0;
  std::string message;
  std::vector<std::string> lines;
  std::vector<int> order;
  std::vector<int> move_scores;
};

DriverAnswer AnswerWith(SearchImplementation implementation, const Board& board, int side) {
  SearchRequest request = ModuleRequest();
  request.implementation = implementation;
  DriverAnswer answer;
  {
    ProgressCapture capture;
    answer.message = ChooseMove(request, board, side, &answer.x, &answer.y, &answer.score);
    answer.lines = capture.lines();
  }
  Board work;
  NormaliseBoard(board, work, side);
  MoveList list;
  ListEmpties(work, list);
  OrderRootMoves(request, work, list);
  answer.order.assign(list.entry, list.entry + list.count);
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (IsLegalMove(board, s, side)) answer.move_scores.push_back(ScoreCandidateMove(request, board.cell, s, side));
  }
  return answer;
}

// Whole random games answered by both implementations from the same module
// state and the same pseudo-random sequence, so that the remarks (which
// remember the previous move) are compared too; at settings that put every
// regime and both ordering depths into the games.
TEST(EngineSearch, DriverAnswersTheSame) {
  EngineStateGuard guard;
  const DriverSettings variants[] = {{2, 8, 10, 1}, {3, 6, 9, 0}, {1, 10, 10, 1}, {2, 9, 4, 1}, {4, 10, 12, 1}};
  Random random(21);
  int game = 0;
  for (const DriverSettings& settings : variants) {
    std::vector<std::pair<Board, int>> positions;  // host colours
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
    std::vector<DriverAnswer> answers[2];
    for (int k = 0; k < 2; ++k) {
      ApplySettings(settings);
      std::srand(77);
      for (const auto& [position, to_move] : positions) {
        answers[k].push_back(AnswerWith(k == 0 ? SearchImplementation::Reference : SearchImplementation::Engine,
                                        position, to_move));
      }
    }
    for (size_t m = 0; m < positions.size(); ++m) {
      SCOPED_TRACE("game " + std::to_string(game) + " move " + std::to_string(m) + " " + Describe(positions[m].first));
      const DriverAnswer& reference = answers[0][m];
      const DriverAnswer& engine = answers[1][m];
      EXPECT_EQ(engine.x, reference.x);
      EXPECT_EQ(engine.y, reference.y);
      EXPECT_EQ(engine.score, reference.score);
      EXPECT_EQ(engine.message, reference.message);
      EXPECT_EQ(engine.lines, reference.lines);
      EXPECT_EQ(engine.order, reference.order);
      EXPECT_EQ(engine.move_scores, reference.move_scores);
    }
  }
}
