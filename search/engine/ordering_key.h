// The exact solver's cheap move ordering key and the region parity it
// uses; also read by the ordering evaluation's trainer, which measures the
// trained evaluation against this key.
#pragma once

#include <array>
#include <cstdint>

#include "search/engine/bitboard.h"
#include "search/engine/isa.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

constexpr uint64_t kCorners = 0x8100000000000081u;
constexpr uint64_t kXSquares = 0x0042000000004200u;  // b2, g2, b7, g7

constexpr uint64_t kQuadrantMask[4] = {0x000000000f0f0f0fu, 0x00000000f0f0f0f0u, 0x0f0f0f0f00000000u,
                                       0xf0f0f0f000000000u};

// The quadrant of a square, 0..3.
inline int Quadrant(int b) { return ((b >> 2) & 1) | ((b >> 4) & 2); }

// The quadrants with an odd number of empty squares, as bits 0..3. A move
// on square x flips bit Quadrant(x), so the solver's last levels carry it
// down from node to node rather than count the empty squares again.
inline unsigned QuadrantParity(uint64_t empty) {
  unsigned parity = 0;
  for (int q = 0; q < 4; ++q) parity |= (bitboard::PopCount(empty & kQuadrantMask[q]) & 1u) << q;
  return parity;
}

// The squares of the quadrants set in a parity.
inline constexpr std::array<uint64_t, 16> kParityMask = [] {
  std::array<uint64_t, 16> masks{};
  for (unsigned parity = 0; parity < 16; ++parity) {
    for (int q = 0; q < 4; ++q) {
      if ((parity >> q & 1) != 0) masks[parity] |= kQuadrantMask[q];
    }
  }
  return masks;
}();

// The empty squares that lie in a quadrant with an odd number of them.
inline uint64_t OddRegions(uint64_t empty) { return empty & kParityMask[QuadrantParity(empty)]; }

// The discs of p on the corners, and on the edge squares next to a corner
// of p: discs no move can ever turn.
inline uint64_t CornerStable(uint64_t p) {
  const uint64_t next = ((p & 0x0100000000000001u) << 1) | ((p & 0x8000000000000080u) >> 1) |
                        ((p & 0x0000000000000081u) << 8) | ((p & 0x8100000000000000u) >> 8);
  return (next | kCorners) & p;
}

// How good a move on square x looks before it is searched, from the
// position after it (child_me to move): few replies for the opponent first
// (corners counting twice), then few empty squares next to the mover's
// discs (where the opponent's later moves come from); moves into odd
// regions (`odd`, from OddRegions) are preferred, and a move next to an
// empty corner (on the diagonal above all) comes late, as it tends to give
// the corner away. Each disc the mover then holds on a corner or beside its
// own corner on an edge counts too; a move onto a corner gets nothing more,
// its corner disc counts already.
//
// kNearEnd selects the weights for nodes with few empty squares (up to
// kLateKeyEmpties in the solver): there the squares next to an empty corner
// get no term (FFO #40-#44, #46, #47 took 164.6 M nodes with it and 157.7 M
// without), the empty squares next to the mover's discs count 8 and the
// held corner discs 16.
//
// Far from the end the weights were settled one at a time on node counts
// (FFO #40-#44, #46, #47 and #49, each weight tried at half, one and a half
// times or double; then checked on #49-#52, #53, #56 and #58): a square
// next to an empty corner 48 and a held corner disc 32 (from 32 and 16, and
// a corner move's own 32 dropped) took #49-#52 from 1.297 G nodes to 1.280
// G, #53 from 1.988 G to 1.975 G, #56 from 1.051 G to 1.039 G; then the
// empty squares around at 20 (from 16) took #49-#52 to 1.231 G and #58
// from 1.062 G to 0.997 G, but #53 to 1.998 G and #40-#44, #46, #47 from
// 157.4 M to 159.0 M (12 and 24 did less).
template <bool kNearEnd = false>
inline int OrderingKey(uint64_t child_me, uint64_t child_opp, int x, uint64_t odd) {
  using bitboard::PopCount;
  constexpr int kAroundWeight = kNearEnd ? 8 : 20;
  constexpr int kHeldCornerWeight = kNearEnd ? 16 : 32;
  const uint64_t replies = bitboard::LegalMoves(child_me, child_opp);
  const uint64_t empty = ~(child_me | child_opp);
  int key = -64 * (PopCount(replies) + PopCount(replies & kCorners));
  key -= kAroundWeight * PopCount(empty & bitboard::Around(child_opp));
  if ((odd >> x & 1) != 0) key += 16;
  if constexpr (!kNearEnd) {
    if ((bitboard::kNeighbours[x] & kCorners & empty) != 0) key -= (kXSquares >> x & 1) != 0 ? 96 : 48;
  }
  key += kHeldCornerWeight * PopCount(CornerStable(child_opp));
  return key;
}

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
