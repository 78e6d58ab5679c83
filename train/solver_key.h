// The exact solver's move ordering key as it stands (search/engine/exact.cpp,
// OrderingKey with no table move), copied here to compare the trained
// evaluation against: few replies for the opponent first (corners counting
// twice), then few empty squares next to the mover's discs; corners and
// moves into odd regions preferred, moves next to an empty corner late.
#pragma once

#include <cstdint>

#include "search/engine/bitboard.h"

namespace train {

constexpr uint64_t kCorners = 0x8100000000000081u;
constexpr uint64_t kXSquares = 0x0042000000004200u;
constexpr uint64_t kQuadrantMask[4] = {0x000000000f0f0f0fu, 0x00000000f0f0f0f0u, 0x0f0f0f0f00000000u,
                                       0xf0f0f0f000000000u};

// The empty squares that lie in a quadrant with an odd number of them.
inline uint64_t OddRegions(uint64_t empty) {
  uint64_t odd = 0;
  for (uint64_t mask : kQuadrantMask) {
    if (bitboard::PopCount(empty & mask) & 1) odd |= mask;
  }
  return empty & odd;
}

inline int SolverKey(uint64_t child_me, uint64_t child_opp, int x, uint64_t odd) {
  using bitboard::PopCount;
  const uint64_t replies = bitboard::LegalMoves(child_me, child_opp);
  int key = -64 * (PopCount(replies) + PopCount(replies & kCorners));
  key -= 16 * PopCount(~(child_me | child_opp) & bitboard::Around(child_opp));
  if ((odd >> x & 1) != 0) key += 16;
  if ((kCorners >> x & 1) != 0) key += 32;
  const uint64_t empty = ~(child_me | child_opp);
  if ((bitboard::kNeighbours[x] & kCorners & empty) != 0) key -= (kXSquares >> x & 1) != 0 ? 96 : 32;
  return key;
}

}  // namespace train
