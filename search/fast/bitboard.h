// Bitboard primitives of the fast searches: a position as one 64-bit mask per
// colour, bit b = (row - 1) * 8 + (column - 1), so a1 is bit 0, h1 bit 7 and
// h8 bit 63. Everything here is plain 64-bit integer arithmetic (no processor
// specific instructions), so it builds the same for 64-bit and 32-bit targets.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "board/board.h"

namespace bitboard {

constexpr uint64_t Bit(int b) { return uint64_t{1} << b; }

// Mailbox square index (x + 9 * y) of bit b, and the bit of a playable
// mailbox square.
constexpr int MailboxSquare(int b) { return (b & 7) + 1 + 9 * ((b >> 3) + 1); }
constexpr int BitOfSquare(int s) { return (s % 9 - 1) + 8 * (s / 9 - 1); }

// Population count by the usual SIMD-within-a-register reduction. The
// compiler's builtin becomes a library call unless the target is known to
// have a population count instruction, and the project builds for the
// baseline processors, so this inline form is faster there.
constexpr int PopCount(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555u);
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fu;
  return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

constexpr uint64_t kNotFileA = 0xfefefefefefefefeu;
constexpr uint64_t kNotFileH = 0x7f7f7f7f7f7f7f7fu;
constexpr uint64_t kInnerFiles = kNotFileA & kNotFileH;

// Every empty square on which the side with discs `me` may play: a line of
// one to six `opp` discs between the square and a disc of `me`. Each
// direction spreads the runs from `me` in three doubling steps.
inline uint64_t LegalMoves(uint64_t me, uint64_t opp) {
  const uint64_t empty = ~(me | opp);
  const uint64_t inner = opp & kInnerFiles;
  uint64_t moves = 0;

  // Horizontal (shift 1), then the two diagonals (7 and 9) and vertical (8).
  uint64_t t = inner & (me << 1);
  t |= inner & (t << 1);
  uint64_t pre = inner & (inner << 1);
  t |= pre & (t << 2);
  t |= pre & (t << 2);
  moves |= t << 1;
  t = inner & (me >> 1);
  t |= inner & (t >> 1);
  pre >>= 1;
  t |= pre & (t >> 2);
  t |= pre & (t >> 2);
  moves |= t >> 1;

  t = inner & (me << 7);
  t |= inner & (t << 7);
  pre = inner & (inner << 7);
  t |= pre & (t << 14);
  t |= pre & (t << 14);
  moves |= t << 7;
  t = inner & (me >> 7);
  t |= inner & (t >> 7);
  pre >>= 7;
  t |= pre & (t >> 14);
  t |= pre & (t >> 14);
  moves |= t >> 7;

  t = inner & (me << 9);
  t |= inner & (t << 9);
  pre = inner & (inner << 9);
  t |= pre & (t << 18);
  t |= pre & (t << 18);
  moves |= t << 9;
  t = inner & (me >> 9);
  t |= inner & (t >> 9);
  pre >>= 9;
  t |= pre & (t >> 18);
  t |= pre & (t >> 18);
  moves |= t >> 9;

  t = opp & (me << 8);
  t |= opp & (t << 8);
  pre = opp & (opp << 8);
  t |= pre & (t << 16);
  t |= pre & (t << 16);
  moves |= t << 8;
  t = opp & (me >> 8);
  t |= opp & (t >> 8);
  pre >>= 8;
  t |= pre & (t >> 16);
  t |= pre & (t >> 16);
  moves |= t >> 8;

  return moves & empty;
}

// The rays from each square, nearest square first in the sense of the bit
// order: "up" rays run towards higher bits (east, north-west, north,
// north-east), "down" rays towards lower bits.
struct SquareRays {
  uint64_t up[4];
  uint64_t down[4];
};

constexpr uint64_t Ray(int b, int dx, int dy) {
  uint64_t ray = 0;
  int x = (b & 7) + dx;
  int y = (b >> 3) + dy;
  while (x >= 0 && x < 8 && y >= 0 && y < 8) {
    ray |= Bit(x + 8 * y);
    x += dx;
    y += dy;
  }
  return ray;
}

constexpr std::array<SquareRays, 64> MakeRays() {
  std::array<SquareRays, 64> rays{};
  for (int b = 0; b < 64; ++b) {
    rays[b].up[0] = Ray(b, 1, 0);
    rays[b].up[1] = Ray(b, -1, 1);
    rays[b].up[2] = Ray(b, 0, 1);
    rays[b].up[3] = Ray(b, 1, 1);
    rays[b].down[0] = Ray(b, -1, 0);
    rays[b].down[1] = Ray(b, 1, -1);
    rays[b].down[2] = Ray(b, 0, -1);
    rays[b].down[3] = Ray(b, -1, -1);
  }
  return rays;
}

inline constexpr std::array<SquareRays, 64> kRays = MakeRays();

// The discs that a disc of `me` on the empty square b turns; 0 when b is
// not a legal move. On an up ray, adding one to the opponent discs with
// every off-ray bit set carries up to the first square that is not an
// opponent disc; on a down ray that square is the highest such bit.
inline uint64_t Flips(int b, uint64_t me, uint64_t opp) {
  const SquareRays& rays = kRays[b];
  uint64_t flipped = 0;
  for (int d = 0; d < 4; ++d) {
    const uint64_t ray = rays.up[d];
    const uint64_t outflank = ((opp | ~ray) + 1) & ray & me;
    flipped |= (outflank - static_cast<uint64_t>(outflank != 0)) & ray;
  }
  for (int d = 0; d < 4; ++d) {
    const uint64_t ray = rays.down[d];
    // Bit 0 stands in when the ray holds only opponent discs; it is then
    // either off the ray or an opponent disc, so it never outflanks.
    const uint64_t stop = (~opp & ray) | 1;
    const uint64_t outflank = (uint64_t{1} << (63 - std::countl_zero(stop))) & ray & me;
    flipped |= (0 - (outflank << 1)) & ray;
  }
  return flipped;
}

// Counting the discs turned by the move on the last empty square. With every
// other square occupied, the turned discs along a line depend only on which
// squares of that line hold the mover's discs, so each of the four lines is
// read as an 8-bit pattern (ordered by column, or by row for a column line)
// and looked up. Squares that a diagonal lacks read as "not the mover" at
// the ends of the pattern, where a run through them never closes.
constexpr std::array<std::array<uint8_t, 256>, 8> MakeLineFlipCounts() {
  std::array<std::array<uint8_t, 256>, 8> counts{};
  for (int x = 0; x < 8; ++x) {
    for (int pattern = 0; pattern < 256; ++pattern) {
      int total = 0;
      for (int step : {-1, 1}) {
        int run = 0;
        int k = x + step;
        while (k >= 0 && k < 8 && (pattern & (1 << k)) == 0) {
          ++run;
          k += step;
        }
        if (k >= 0 && k < 8) total += run;
      }
      counts[x][pattern] = static_cast<uint8_t>(total);
    }
  }
  return counts;
}

inline constexpr std::array<std::array<uint8_t, 256>, 8> kLineFlipCounts = MakeLineFlipCounts();

struct SquareLines {
  uint64_t diagonal;      // the a1-h8 direction through the square
  uint64_t antidiagonal;  // the a8-h1 direction
};

constexpr std::array<SquareLines, 64> MakeLines() {
  std::array<SquareLines, 64> lines{};
  for (int b = 0; b < 64; ++b) {
    lines[b].diagonal = Ray(b, 1, 1) | Ray(b, -1, -1) | Bit(b);
    lines[b].antidiagonal = Ray(b, -1, 1) | Ray(b, 1, -1) | Bit(b);
  }
  return lines;
}

inline constexpr std::array<SquareLines, 64> kLines = MakeLines();

// The number of discs that `me` turns by playing on b, when b is the only
// empty square (every square off `me` but b is an opponent disc).
inline int LastFlipCount(int b, uint64_t me) {
  const int x = b & 7;
  const int y = b >> 3;
  const unsigned row = static_cast<unsigned>(me >> (8 * y)) & 0xffu;
  const unsigned column = static_cast<unsigned>((((me >> x) & 0x0101010101010101u) * 0x0102040810204080u) >> 56);
  const unsigned diagonal = static_cast<unsigned>(((me & kLines[b].diagonal) * 0x0101010101010101u) >> 56);
  const unsigned antidiagonal = static_cast<unsigned>(((me & kLines[b].antidiagonal) * 0x0101010101010101u) >> 56);
  return kLineFlipCounts[x][row] + kLineFlipCounts[y][column] + kLineFlipCounts[x][diagonal] +
         kLineFlipCounts[x][antidiagonal];
}

// Each square's count of empty neighbours, as four bit planes (1, 2, 4, 8).
struct NeighbourCount {
  uint64_t plane[4];
};

// Sums the eight neighbour masks of `empty` with a carry-save adder tree.
inline NeighbourCount CountEmptyNeighbours(uint64_t empty) {
  // Bit q of each mask is set when q's neighbour in one direction is empty;
  // the file masks drop the neighbours that would wrap round the board edge.
  const uint64_t n0 = (empty >> 1) & kNotFileH;  // q + 1
  const uint64_t n1 = (empty << 1) & kNotFileA;  // q - 1
  const uint64_t n2 = empty >> 8;                // q + 8
  const uint64_t n3 = empty << 8;                // q - 8
  const uint64_t n4 = (empty >> 7) & kNotFileA;  // q + 7
  const uint64_t n5 = (empty << 7) & kNotFileH;  // q - 7
  const uint64_t n6 = (empty >> 9) & kNotFileH;  // q + 9
  const uint64_t n7 = (empty << 9) & kNotFileA;  // q - 9

  const uint64_t s1 = n0 ^ n1 ^ n2;
  const uint64_t c1 = (n0 & n1) | (n2 & (n0 ^ n1));
  const uint64_t s2 = n3 ^ n4 ^ n5;
  const uint64_t c2 = (n3 & n4) | (n5 & (n3 ^ n4));
  const uint64_t s3 = s1 ^ s2 ^ n6;
  const uint64_t c3 = (s1 & s2) | (n6 & (s1 ^ s2));
  const uint64_t b0 = s3 ^ n7;
  const uint64_t c4 = s3 & n7;
  const uint64_t s5 = c1 ^ c2 ^ c3;
  const uint64_t c5 = (c1 & c2) | (c3 & (c1 ^ c2));
  const uint64_t b1 = s5 ^ c4;
  const uint64_t c6 = s5 & c4;
  return {{b0, b1, c5 ^ c6, c5 & c6}};
}

// The square weights of the evaluation, grouped by value: 50 on the corners,
// then 3, 2 and 1; every other square weighs 0.
constexpr uint64_t kWeight50 = 0x8100000000000081u;
constexpr uint64_t kWeight3 = 0x3c1881c3c381183cu;
constexpr uint64_t kWeight2 = 0x00245a24245a2400u;
constexpr uint64_t kWeight1 = 0x0000241818240000u;

// The static evaluation from the view of side 1 (discs `side1`; side -1 has
// `side2`): four times the weighted disc difference, minus seven for every
// pair of a side-1 disc and an empty neighbour (plus seven for side -1), and
// two for every square where side 1 may move (minus two for side -1).
inline int Evaluate(uint64_t side1, uint64_t side2) {
  // 3 w3 + 2 w2 + w1 = 2 (w3 + w2) + (w3 + w1).
  constexpr uint64_t kDouble = kWeight3 | kWeight2;
  constexpr uint64_t kSingle = kWeight3 | kWeight1;
  const int discs = 50 * (PopCount(side1 & kWeight50) - PopCount(side2 & kWeight50)) +
                    2 * (PopCount(side1 & kDouble) - PopCount(side2 & kDouble)) +
                    (PopCount(side1 & kSingle) - PopCount(side2 & kSingle));

  const NeighbourCount n = CountEmptyNeighbours(~(side1 | side2));
  int frontier = 0;
  for (int k = 3; k >= 0; --k) {
    frontier = 2 * frontier + PopCount(side1 & n.plane[k]) - PopCount(side2 & n.plane[k]);
  }

  const int mobility = PopCount(LegalMoves(side1, side2)) - PopCount(LegalMoves(side2, side1));
  return 4 * discs - 7 * frontier + 2 * mobility;
}

}  // namespace bitboard
