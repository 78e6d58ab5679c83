// The exact solver's cheap move ordering key and the region parity it
// uses; also read by the ordering evaluation's trainer, which measures the
// trained evaluation against this key.
#pragma once

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

// The empty squares that lie in a quadrant with an odd number of them.
inline uint64_t OddRegions(uint64_t empty) {
  uint64_t odd = 0;
  for (int q = 0; q < 4; ++q) {
    if (bitboard::PopCount(empty & kQuadrantMask[q]) & 1) odd |= kQuadrantMask[q];
  }
  return empty & odd;
}

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
// own corner on an edge counts 32. A move onto a corner gets nothing of its
// own: its corner disc counts already. The weights were settled one at a
// time on the node counts of FFO #40-#44, #46, #47 and #49 (each tried at
// half and one and a half times or double): from a corner move's 32, a
// square's next to an empty corner 32 and a held corner disc's 16, the
// nodes went from 157.7 M and 290.3 M to 157.4 M and 280.5 M; #49-#52
// 1.297 G to 1.280 G, #53 1.988 G to 1.975 G and #56 1.051 G to 1.039 G,
// which the weights were not fitted on, went down too. Then each empty
// square next to the mover's discs 20 in place of 16: #49-#52 1.280 G to
// 1.231 G, #58 1.062 G to 0.997 G, #56 the same, but #53 1.975 G to
// 1.998 G and the others 157.4 M to 159.0 M (12: 161.5 M, #49 285.7 M;
// 24 did less on both). Earlier, the held
// corner discs at 16: #40-#44, #46, #47 186.2 M to 178.5 M nodes, #49
// 339.1 M to 305.2 M.
inline int OrderingKey(uint64_t child_me, uint64_t child_opp, int x, uint64_t odd) {
  using bitboard::PopCount;
  const uint64_t replies = bitboard::LegalMoves(child_me, child_opp);
  int key = -64 * (PopCount(replies) + PopCount(replies & kCorners));
  key -= 20 * PopCount(~(child_me | child_opp) & bitboard::Around(child_opp));
  if ((odd >> x & 1) != 0) key += 16;
  const uint64_t empty = ~(child_me | child_opp);
  if ((bitboard::kNeighbours[x] & kCorners & empty) != 0) key -= (kXSquares >> x & 1) != 0 ? 96 : 48;
  key += 32 * PopCount(CornerStable(child_opp));
  return key;
}

// The key for nodes close to the end (up to kLateKeyEmpties in the
// solver): few replies for the opponent first, moves into odd regions, the
// mover's discs on and beside its corners at 16, and the empty squares
// next to the mover's discs at 8; no terms for the corner squares
// themselves. With nine empty squares or fewer those misled: FFO #40-#44,
// #46, #47 took 164.6 M nodes with them and 157.7 M without; without the
// empty squares as well, 158.0 M.
inline int LateOrderingKey(uint64_t child_me, uint64_t child_opp, int x, uint64_t odd) {
  using bitboard::PopCount;
  const uint64_t replies = bitboard::LegalMoves(child_me, child_opp);
  int key = -64 * (PopCount(replies) + PopCount(replies & kCorners));
  key -= 8 * PopCount(~(child_me | child_opp) & bitboard::Around(child_opp));
  if ((odd >> x & 1) != 0) key += 16;
  key += 16 * PopCount(CornerStable(child_opp));
  return key;
}

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
