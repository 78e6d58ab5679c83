// Generation: self-play games from varied openings, the positions along
// them and those one move off them, and exact labels where the solver is
// cheap.
//
// Each game starts with 2 to 14 random moves; after that the engine's
// midgame search (two plies, the engine's own evaluation) picks each move,
// except that one move in seven is random, so that the games and the
// positions beside them cover the kind of positions a search tree meets
// (good and bad moves alike). Every position of a game is kept, and every
// position after each legal move from a game position with at most 44 empty
// squares. Positions with at most `exact_empties` empty squares are solved
// exactly, and so are the moves of those with one more: their set of best
// moves is kept. In the held-out games (every tenth) the game positions with
// an even number of empty squares from 10 up to `heldout_children_max` have
// every move solved too.
#include <chrono>
#include <cstdio>

#include "search/engine/bitboard.h"
#include "search/search.h"
#include "train/train.h"

namespace train {

namespace {

using bitboard::Bit;
using bitboard::Flips;
using bitboard::LegalMoves;
using bitboard::PopCount;

constexpr int kSearchDepth = 2;
constexpr int kRandomMovePercent = 14;
constexpr int kSiblingsUpTo = 44;

int NthBit(uint64_t mask, int n) {
  for (; n > 0; --n) mask &= mask - 1;
  return std::countr_zero(mask);
}

// The move the engine's midgame search prefers (the first of equals).
int SearchedMove(uint64_t me, uint64_t opp, uint64_t moves) {
  int best_move = -1;
  int best = -kWindow;
  for (uint64_t rest = moves; rest != 0; rest &= rest - 1) {
    const int x = std::countr_zero(rest);
    const uint64_t flipped = Flips(x, me, opp);
    const Board child = MoverBoard(me | flipped | Bit(x), opp & ~flipped);
    MoveList list;
    ListEmpties(child, list);
    const int value =
        RunSearch(SearchImplementation::Engine, SearchKind::Midgame, child, list, -1, -kWindow, kSearchDepth, 0).value;
    if (best_move < 0 || value > best) {
      best = value;
      best_move = x;
    }
  }
  return best_move;
}

int Solve(uint64_t me, uint64_t opp) { return SolvePosition(MoverBoard(me, opp), 1, false).value; }

}  // namespace

int Generate(const GenerateOptions& options) {
  Random random{options.seed};
  std::vector<Sample> samples;
  const auto start = std::chrono::steady_clock::now();
  double solve_seconds = 0;
  long long solves = 0;
  for (int game = 0; game < options.games; ++game) {
    const uint32_t id = static_cast<uint32_t>(game);
    const bool held_out = id % 10 == 0;
    uint64_t black = Bit(28) | Bit(35);  // e4, d5
    uint64_t white = Bit(27) | Bit(36);  // d4, e5
    int side = 1;
    const int random_plies = 2 + random.Below(13);
    for (int ply = 0;; ++ply) {
      const uint64_t me = side == 1 ? black : white;
      const uint64_t opp = side == 1 ? white : black;
      const uint64_t moves = LegalMoves(me, opp);
      Sample sample;
      sample.me = me;
      sample.opp = opp;
      sample.side = static_cast<int8_t>(side);
      sample.empties = static_cast<int8_t>(64 - PopCount(me | opp));
      sample.game = id;
      const int empties = sample.empties;
      const auto solve_started = std::chrono::steady_clock::now();
      if (empties <= options.exact_empties) {
        sample.source = Source::Exact;
        sample.label = static_cast<float>(Solve(me, opp));
        ++solves;
      }
      if (moves != 0 && empties <= kSiblingsUpTo) {
        const bool solve_all = held_out && empties >= 10 && empties <= options.heldout_children_max && empties % 2 == 0;
        int best = -65;
        for (uint64_t rest = moves; rest != 0; rest &= rest - 1) {
          const int x = std::countr_zero(rest);
          const uint64_t flipped = Flips(x, me, opp);
          Sample child;
          child.me = opp & ~flipped;
          child.opp = me | flipped | Bit(x);
          child.side = static_cast<int8_t>(-side);
          child.empties = static_cast<int8_t>(empties - 1);
          child.game = id;
          if (child.empties <= options.exact_empties || solve_all) {
            child.source = Source::Exact;
            child.label = static_cast<float>(Solve(child.me, child.opp));
            ++solves;
            if (-child.label > static_cast<float>(best)) {
              best = -static_cast<int>(child.label);
              sample.best = 0;
            }
            if (-child.label == static_cast<float>(best)) sample.best |= Bit(x);
          }
          samples.push_back(child);
        }
        if (!solve_all && empties - 1 > options.exact_empties) sample.best = 0;
        if (solve_all && sample.source != Source::Exact) {
          sample.source = Source::Exact;
          sample.label = static_cast<float>(best);
        }
      }
      solve_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - solve_started).count();
      samples.push_back(sample);
      if (moves == 0) {
        if (LegalMoves(opp, me) == 0) break;
        side = -side;
        continue;
      }
      const bool random_move = ply < random_plies || random.Below(100) < kRandomMovePercent;
      const int x = random_move ? NthBit(moves, random.Below(PopCount(moves))) : SearchedMove(me, opp, moves);
      const uint64_t flipped = Flips(x, me, opp);
      if (side == 1) {
        black |= flipped | Bit(x);
        white &= ~flipped;
      } else {
        white |= flipped | Bit(x);
        black &= ~flipped;
      }
      side = -side;
    }
    if ((game + 1) % 500 == 0 || game + 1 == options.games) {
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::fprintf(stderr, "games %d, positions %zu, solves %lld (%.0f s), %.0f s\n", game + 1, samples.size(), solves,
                   solve_seconds, seconds);
    }
  }
  const std::string path = options.out + "/positions.tsv";
  if (!WriteSamples(path, samples)) {
    std::fprintf(stderr, "tenu_train: cannot write %s\n", path.c_str());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("generated %d games, %zu positions, %lld exact solves, %.0f s (solving %.0f s) -> %s\n", options.games,
              samples.size(), solves, seconds, solve_seconds, path.c_str());
  return 0;
}

}  // namespace train
