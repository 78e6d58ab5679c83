// The ordering evaluation: its windows read the squares they claim, the
// value is the same for a position and its mirror images, the built-in
// weights load only when intact, and their sign follows exact results.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "search/engine/bitboard.h"
#include "search/engine/ordering_eval.h"

namespace {

namespace ordering = engine::ordering;
using bitboard::Bit;

// The eight symmetries, square by square: (x, y) to the image.
uint64_t Image(uint64_t board, int symmetry) {
  uint64_t image = 0;
  for (int b = 0; b < 64; ++b) {
    if ((board >> b & 1) == 0) continue;
    int x = b & 7;
    int y = b >> 3;
    if (symmetry & 4) std::swap(x, y);
    if (symmetry & 1) x = 7 - x;
    if (symmetry & 2) y = 7 - y;
    image |= Bit(x + 8 * y);
  }
  return image;
}

uint64_t NextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9e3779b97f4a7c15u);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

// Positions of random games, the side to move first, at every stage.
std::vector<std::pair<uint64_t, uint64_t>> RandomPositions(int games) {
  std::vector<std::pair<uint64_t, uint64_t>> positions;
  uint64_t state = 7;
  for (int g = 0; g < games; ++g) {
    uint64_t me = Bit(28) | Bit(35);
    uint64_t opp = Bit(27) | Bit(36);
    for (;;) {
      positions.emplace_back(me, opp);
      uint64_t moves = bitboard::LegalMoves(me, opp);
      if (moves == 0) {
        if (bitboard::LegalMoves(opp, me) == 0) break;
        std::swap(me, opp);
        continue;
      }
      for (int n = static_cast<int>(NextRandom(state) % static_cast<uint64_t>(bitboard::PopCount(moves))); n > 0; --n) {
        moves &= moves - 1;
      }
      const int x = std::countr_zero(moves);
      const uint64_t flipped = bitboard::Flips(x, me, opp);
      const uint64_t next_me = opp & ~flipped;
      opp = me | flipped | Bit(x);
      me = next_me;
    }
  }
  return positions;
}

TEST(OrderingEval, EachWindowReadsItsSquaresAsBase3Digits) {
  uint32_t index[ordering::kInstanceCount];
  for (int i = 0; i < ordering::kInstanceCount; ++i) {
    const int pattern = ordering::kInstancePattern[i];
    const uint32_t offset = static_cast<uint32_t>(ordering::kPatternOffset[pattern]);
    for (int d = 0; d < ordering::kPatternSquares[pattern]; ++d) {
      const uint64_t square = Bit(ordering::kInstanceSquares[i][d]);
      const uint32_t digit = static_cast<uint32_t>(ordering::Power3(d));
      ordering::FeatureIndices(square, 0, index);
      EXPECT_EQ(index[i], offset + digit) << "window " << i << " digit " << d << " mine";
      ordering::FeatureIndices(0, square, index);
      EXPECT_EQ(index[i], offset + 2 * digit) << "window " << i << " digit " << d << " theirs";
    }
  }
}

TEST(OrderingEval, MirrorImagesEvaluateAlike) {
  // Random weights shared as the fitted ones are (by canonical index), so
  // that the check does not rest on the built-in file, then the built-in.
  auto shared = std::make_unique<ordering::Weights>();
  for (int s = 0; s < ordering::kStageCount; ++s) {
    shared->bias[s] = static_cast<int16_t>(s);
    for (int p = 0; p < ordering::kPatternCount; ++p) {
      for (int index = 0; index < ordering::Power3(ordering::kPatternSquares[p]); ++index) {
        uint64_t state = static_cast<uint64_t>(s * 1000003 + ordering::kPatternOffset[p] + ordering::CanonicalIndex(p, index));
        shared->table[s][ordering::kPatternOffset[p] + index] = static_cast<int16_t>(NextRandom(state) % 2001) - 1000;
      }
    }
  }
  const ordering::Weights* sets[] = {shared.get(), &ordering::BuiltInWeights()};
  const auto positions = RandomPositions(20);
  for (const ordering::Weights* weights : sets) {
    for (const auto& [me, opp] : positions) {
      const int value = ordering::Evaluate(*weights, me, opp);
      for (int symmetry = 1; symmetry < 8; ++symmetry) {
        ASSERT_EQ(ordering::Evaluate(*weights, Image(me, symmetry), Image(opp, symmetry)), value)
            << "symmetry " << symmetry << " of " << me << " " << opp;
      }
    }
  }
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(in)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(in);
  }
  return bytes;
}

TEST(OrderingEval, WeightsLoadOnlyWhenIntact) {
  EXPECT_TRUE(ordering::BuiltInWeightsLoaded());
  const std::vector<uint8_t> file = ReadFile(TENU_SOURCE_DIR "/search/engine/weights/ordering.bin");
  ASSERT_EQ(file.size(), ordering::kFileHeaderBytes + 2 * ordering::FileValueCount());
  auto decoded = std::make_unique<ordering::Weights>();
  ASSERT_TRUE(ordering::DecodeWeights(file.data(), file.size(), *decoded));
  EXPECT_EQ(std::memcmp(decoded.get(), &ordering::BuiltInWeights(), sizeof(ordering::Weights)), 0);

  // A changed value, header field or length is refused, and leaves zeros.
  for (size_t at : {size_t{4}, size_t{24}, file.size() / 2, file.size() - 1}) {
    std::vector<uint8_t> damaged = file;
    damaged[at] ^= 0x10;
    EXPECT_FALSE(ordering::DecodeWeights(damaged.data(), damaged.size(), *decoded)) << "byte " << at;
    EXPECT_EQ(decoded->bias[0], 0);
  }
  EXPECT_FALSE(ordering::DecodeWeights(file.data(), file.size() - 2, *decoded));
}

// Held-out positions solved exactly (benchmarks/data/solved-positions.tsv):
// the evaluation's sign agrees with the result's on most of those that are
// not drawn.
TEST(OrderingEval, SignMostlyAgreesWithExactResults) {
  std::FILE* in = std::fopen(TENU_SOURCE_DIR "/benchmarks/data/solved-positions.tsv", "r");
  ASSERT_NE(in, nullptr);
  char line[512];
  int decided = 0;
  int agree = 0;
  while (std::fgets(line, sizeof line, in) != nullptr) {
    if (line[1] != '|') continue;
    uint64_t me = 0;
    uint64_t opp = 0;
    const char mine = line[0];
    for (int b = 0; b < 64; ++b) {
      const char c = line[2 + b];
      if (c == mine) me |= Bit(b);
      else if (c != '-') opp |= Bit(b);
    }
    int tabs = 0;
    const char* label = line;
    while (tabs < 3 && *label != '\0') tabs += *label++ == '\t';
    const int value = std::atoi(label);
    if (value == 0) continue;
    ++decided;
    agree += (engine::OrderingEvaluate(me, opp) > 0) == (value > 0);
  }
  std::fclose(in);
  ASSERT_GT(decided, 1000);
  EXPECT_GT(agree, decided * 8 / 10) << agree << " of " << decided;
}

}  // namespace
