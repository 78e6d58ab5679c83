// The reference's Board against the engine's bitboards: legal moves, turned
// discs, the last-square count and the evaluation, each over the same
// positions from random games. Items are positions (or moves) handled;
// compare the items/s of a Reference benchmark with its Engine partner.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "board/board.h"
#include "board/rules.h"
#include "search/engine/bitboard.h"
#include "search/engine/engine.h"
#include "search/engine/ordering_eval.h"
#include "search/reference/reference.h"

namespace {

struct Position {
  Board board;  // side 1 to move
  uint64_t side1;
  uint64_t side2;
};

uint64_t NextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9e3779b97f4a7c15u);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

// Positions of random games with side 1 to move, and separately the last
// positions with one empty square.
struct PositionSets {
  std::vector<Position> midgame;  // 20..50 empty squares
  std::vector<Position> last;     // one empty square
};

const PositionSets& Positions() {
  static const PositionSets sets = [] {
    PositionSets result;
    uint64_t state = 12345;
    while (result.midgame.size() < 2000 || result.last.size() < 500) {
      Board board;
      SetStartPosition(board);
      int side = 1;
      for (;;) {
        int moves[64];
        int count = 0;
        for (int s = kFirstSquare; s <= kLastSquare; ++s) {
          if (IsLegalMove(board, s, side)) moves[count++] = s;
        }
        if (count == 0) {
          side = -side;
          for (int s = kFirstSquare; s <= kLastSquare; ++s) {
            if (IsLegalMove(board, s, side)) moves[count++] = s;
          }
          if (count == 0) break;
        }
        Position position;
        NormaliseBoard(board, position.board, side);
        engine::BoardToMasks(position.board, position.side1, position.side2);
        MoveList empties;
        ListEmpties(board, empties);
        if (empties.count >= 20 && empties.count <= 50) result.midgame.push_back(position);
        if (empties.count == 1) result.last.push_back(position);
        PlayMove(board, board, moves[NextRandom(state) % static_cast<uint64_t>(count)], side);
        side = -side;
      }
    }
    return result;
  }();
  return sets;
}

void ReferenceLegalMoves(benchmark::State& state) {
  const auto& positions = Positions().midgame;
  for (auto _ : state) {
    for (const Position& p : positions) {
      uint64_t mask = 0;
      for (int b = 0; b < 64; ++b) {
        mask |= static_cast<uint64_t>(IsLegalMove(p.board, bitboard::SquareOfBit(b), 1)) << b;
      }
      benchmark::DoNotOptimize(mask);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * positions.size()));
}
BENCHMARK(ReferenceLegalMoves);

void EngineLegalMoves(benchmark::State& state) {
  const auto& positions = Positions().midgame;
  for (auto _ : state) {
    for (const Position& p : positions) benchmark::DoNotOptimize(bitboard::LegalMoves(p.side1, p.side2));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * positions.size()));
}
BENCHMARK(EngineLegalMoves);

// Every legal move of every position, played into a fresh Board.
void ReferenceFlips(benchmark::State& state) {
  const auto& positions = Positions().midgame;
  int64_t moves = 0;
  for (auto _ : state) {
    for (const Position& p : positions) {
      Board child;
      for (int s = kFirstSquare; s <= kLastSquare; ++s) {
        if (PlayMove(p.board, child, s, 1)) {
          benchmark::DoNotOptimize(child);
          ++moves;
        }
      }
    }
  }
  state.SetItemsProcessed(moves);
}
BENCHMARK(ReferenceFlips);

void EngineFlips(benchmark::State& state) {
  const auto& positions = Positions().midgame;
  int64_t moves = 0;
  for (auto _ : state) {
    for (const Position& p : positions) {
      uint64_t legal = bitboard::LegalMoves(p.side1, p.side2);
      while (legal != 0) {
        const int b = std::countr_zero(legal);
        legal &= legal - 1;
        benchmark::DoNotOptimize(bitboard::Flips(b, p.side1, p.side2));
        ++moves;
      }
    }
  }
  state.SetItemsProcessed(moves);
}
BENCHMARK(EngineFlips);

// The number of discs turned on the last empty square, for the side to move.
void EngineFlipsOnLastSquare(benchmark::State& state) {
  const auto& positions = Positions().last;
  for (auto _ : state) {
    for (const Position& p : positions) {
      const int b = std::countr_zero(~(p.side1 | p.side2));
      benchmark::DoNotOptimize(bitboard::PopCount(bitboard::Flips(b, p.side1, p.side2)));
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * positions.size()));
}
BENCHMARK(EngineFlipsOnLastSquare);

void EngineLastFlipCount(benchmark::State& state) {
  const auto& positions = Positions().last;
  for (auto _ : state) {
    for (const Position& p : positions) {
      const int b = std::countr_zero(~(p.side1 | p.side2));
      benchmark::DoNotOptimize(bitboard::LastFlipCount(b, p.side1));
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * positions.size()));
}
BENCHMARK(EngineLastFlipCount);

void ReferenceEvaluate(benchmark::State& state) {
  const auto& positions = Positions().midgame;
  for (auto _ : state) {
    for (const Position& p : positions) benchmark::DoNotOptimize(reference::Evaluate(p.board));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * positions.size()));
}
BENCHMARK(ReferenceEvaluate);

void EngineEvaluate(benchmark::State& state) {
  const auto& positions = Positions().midgame;
  for (auto _ : state) {
    for (const Position& p : positions) benchmark::DoNotOptimize(bitboard::Evaluate(p.side1, p.side2));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * positions.size()));
}
BENCHMARK(EngineEvaluate);

// The ordering evaluation from scratch, with the built-in weights (what the
// solvers would call at each child); ns per item is the time of one call.
void OrderingEvaluate(benchmark::State& state) {
  const auto& positions = Positions().midgame;
  const engine::ordering::Weights& weights = engine::ordering::BuiltInWeights();
  for (auto _ : state) {
    for (const Position& p : positions) benchmark::DoNotOptimize(engine::ordering::Evaluate(weights, p.side1, p.side2));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * positions.size()));
}
BENCHMARK(OrderingEvaluate);

// The board conversion that each engine search call starts with.
void EngineBoardToMasks(benchmark::State& state) {
  const auto& positions = Positions().midgame;
  for (auto _ : state) {
    for (const Position& p : positions) {
      uint64_t side1 = 0;
      uint64_t side2 = 0;
      benchmark::DoNotOptimize(engine::BoardToMasks(p.board, side1, side2));
      benchmark::DoNotOptimize(side1 ^ side2);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * positions.size()));
}
BENCHMARK(EngineBoardToMasks);

}  // namespace
