// How many positions a plain exact solver visits with each move ordering,
// on solved positions of the data set: a first measure of what the trained
// evaluation may save inside the engine's solver, whose other devices (the
// table, stability cutoffs, the searches that prepare a solve) this leaves
// out so that the ordering alone makes the difference.
//
// The solver is a principal-variation search on bitboards. From
// kOrderedEmpties empty squares on it sorts the moves by the ordering's key
// (the solver's key of the exact solver, the trained evaluation of the position
// after the move, or the two combined); below that it takes them in square
// order.
#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>

#include "search/engine/bitboard.h"
#include "search/engine/ordering_eval.h"
#include "search/engine/ordering_key.h"
#include "train/train.h"

namespace train {

namespace {

using bitboard::Bit;
using bitboard::Flips;
using bitboard::LegalMoves;
using bitboard::PopCount;

constexpr int kOrderedEmpties = 7;

enum class Ordering { SolverKey, Trained, Combined };

// The combined ordering: the solver's key plus this many of its units (64 a
// reply) per disc of the trained evaluation.
int g_mix = 32;

struct PlainSolver {
  Ordering ordering;
  const engine::ordering::Weights& weights;
  uint64_t nodes = 0;

  int Solve(uint64_t me, uint64_t opp, int alpha, int beta, bool passed) {
    ++nodes;
    const uint64_t moves = LegalMoves(me, opp);
    if (moves == 0) {
      if (passed) return PopCount(me) - PopCount(opp);
      return -Solve(opp, me, -beta, -alpha, true);
    }
    struct Child {
      uint64_t me;
      uint64_t opp;
      int key;
    };
    Child children[32];
    int count = 0;
    const uint64_t empty = ~(me | opp);
    const bool ordered = PopCount(empty) >= kOrderedEmpties;
    const uint64_t odd = ordered && ordering != Ordering::Trained ? engine::OddRegions(empty) : 0;
    for (uint64_t rest = moves; rest != 0; rest &= rest - 1) {
      const int x = std::countr_zero(rest);
      const uint64_t flipped = Flips(x, me, opp);
      Child& c = children[count++];
      c.me = opp & ~flipped;
      c.opp = me | flipped | Bit(x);
      if (!ordered) {
        c.key = 0;
      } else if (ordering == Ordering::SolverKey) {
        c.key = engine::OrderingKey(c.me, c.opp, x, odd);
      } else if (ordering == Ordering::Trained) {
        c.key = -engine::ordering::Evaluate(weights, c.me, c.opp);
      } else {
        c.key = engine::OrderingKey(c.me, c.opp, x, odd) -
                g_mix * engine::ordering::Evaluate(weights, c.me, c.opp) / engine::kOrderingUnit;
      }
    }
    if (ordered) std::stable_sort(children, children + count, [](const Child& a, const Child& b) { return a.key > b.key; });
    int best = -65;
    for (int k = 0; k < count; ++k) {
      const Child& c = children[k];
      int score;
      if (k == 0) {
        score = -Solve(c.me, c.opp, -beta, -alpha, false);
      } else {
        score = -Solve(c.me, c.opp, -alpha - 1, -alpha, false);
        if (score > alpha && score < beta) score = -Solve(c.me, c.opp, -beta, -alpha, false);
      }
      if (score > best) {
        best = score;
        if (score > alpha) alpha = score;
        if (score >= beta) break;
      }
    }
    return best;
  }
};

}  // namespace

int CompareOrderings(const std::string& path, int per_empties, int mix) {
  g_mix = mix;
  std::vector<Sample> samples;
  if (!ReadSamples(path, samples)) {
    std::fprintf(stderr, "tenu_train: cannot read %s\n", path.c_str());
    return 1;
  }
  const engine::ordering::Weights& weights = engine::ordering::BuiltInWeights();
  std::printf("positions visited (and seconds): the solver's key, the trained evaluation, the solver's key + %d per disc\n", mix);
  std::printf("empties  positions  the solver's key            trained                       combined\n");
  constexpr Ordering kOrderings[] = {Ordering::SolverKey, Ordering::Trained, Ordering::Combined};
  for (int empties = 0; empties <= 64; ++empties) {
    uint64_t nodes[3] = {0, 0, 0};
    double seconds[3] = {0, 0, 0};
    int positions = 0;
    for (const Sample& s : samples) {
      if (s.empties != empties || s.source != Source::Exact || positions == per_empties) continue;
      ++positions;
      for (int k = 0; k < 3; ++k) {
        const auto start = std::chrono::steady_clock::now();
        PlainSolver solver{kOrderings[k], weights};
        const int value = solver.Solve(s.me, s.opp, -65, 65, false);
        seconds[k] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        nodes[k] += solver.nodes;
        if (value != static_cast<int>(s.label)) {
          std::fprintf(stderr, "tenu_train: solved %d where the data set says %d\n", value, static_cast<int>(s.label));
          return 1;
        }
      }
    }
    if (positions == 0) continue;
    std::printf("%7d  %9d", empties, positions);
    for (int k = 0; k < 3; ++k) {
      std::printf("  %12llu (%6.1f s)", static_cast<unsigned long long>(nodes[k]), seconds[k]);
      if (k > 0) std::printf(" %4.2f", static_cast<double>(nodes[k]) / static_cast<double>(nodes[0]));
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace train
