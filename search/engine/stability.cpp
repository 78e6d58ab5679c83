#include "search/engine/stability.h"

#include <array>

#include "search/engine/bitboard.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

namespace {

using bitboard::Bit;

// One line of eight squares: the discs of `mover` that a placement on the
// empty square x turns (those between x and the nearest disc of mover
// beyond a run of `other` discs, in each direction).
int LineTurned(int mover, int other, int x) {
  int turned = 0;
  for (int step : {-1, 1}) {
    int run = 0;
    int k = x + step;
    while (k >= 0 && k < 8 && (other >> k & 1) != 0) {
      run |= 1 << k;
      k += step;
    }
    if (run != 0 && k >= 0 && k < 8 && (mover >> k & 1) != 0) turned |= run;
  }
  return turned;
}

// kEdgeStable[mine][theirs]: the discs of `mine` on an edge line that no
// sequence of placements on that line can turn. A placement may come from
// either side and may or may not be a legal move along the line itself
// (another direction can make it legal), but where it closes a run along
// the line that run turns. A disc is stable when it is still mine after
// every placement and stable in every resulting line; lines with fewer
// empty squares are worked out first, so each lookup below is ready.
std::array<std::array<uint8_t, 256>, 256> BuildEdgeTable() {
  std::array<std::array<uint8_t, 256>, 256> table{};
  for (int empties = 0; empties <= 8; ++empties) {
    for (int mine = 0; mine < 256; ++mine) {
      for (int theirs = 0; theirs < 256; ++theirs) {
        if ((mine & theirs) != 0) continue;
        const int empty = ~(mine | theirs) & 0xff;
        if (std::popcount(static_cast<unsigned>(empty)) != empties) continue;
        int stable = mine;
        for (int x = 0; x < 8 && stable != 0; ++x) {
          if ((empty >> x & 1) == 0) continue;
          const int mine_turns = LineTurned(mine, theirs, x);  // mine placed on x
          stable &= table[mine | mine_turns | 1 << x][theirs & ~mine_turns];
          const int theirs_turns = LineTurned(theirs, mine, x);  // theirs placed on x
          stable &= table[mine & ~theirs_turns][theirs | theirs_turns | 1 << x];
        }
        table[mine][theirs] = static_cast<uint8_t>(stable & mine);
      }
    }
  }
  return table;
}

const std::array<std::array<uint8_t, 256>, 256>& EdgeTable() {
  static const std::array<std::array<uint8_t, 256>, 256> table = BuildEdgeTable();
  return table;
}

// The squares within `reach` steps of the board's edge in the direction
// (dx, dy): those whose square `reach` steps on lies off the board.
constexpr uint64_t NearEdge(int dx, int dy, int reach) {
  uint64_t near = 0;
  for (int b = 0; b < 64; ++b) {
    const int x = (b & 7) + dx * reach;
    const int y = (b >> 3) + dy * reach;
    if (x < 0 || x > 7 || y < 0 || y > 7) near |= Bit(b);
  }
  return near;
}

// The filled squares from which every square on to the edge is filled, in
// the diagonal direction of bit step `step` (9: north-east, -9: south-west,
// 7: north-west, -7: south-east). Runs of 2, 4 and 8 squares are joined in
// doubling steps; a square whose run would leave the board only needs the
// squares up to the edge, which the shorter run has checked, and so the
// shifted bits that wrap round a row are never used.
template <int step>
constexpr uint64_t FullTowards(uint64_t filled) {
  constexpr int dy = step > 0 ? 1 : -1;
  constexpr int dx = (step == 9 || step == -7) ? 1 : -1;
  // Worked out when the program is built, not at each call.
  constexpr uint64_t kNear1 = NearEdge(dx, dy, 1);
  constexpr uint64_t kNear2 = NearEdge(dx, dy, 2);
  constexpr uint64_t kNear4 = NearEdge(dx, dy, 4);
  constexpr auto on = [](uint64_t v, int steps) { return step > 0 ? v >> (step * steps) : v << (-step * steps); };
  uint64_t full = filled & (kNear1 | on(filled, 1));
  full &= kNear2 | on(full, 2);
  full &= kNear4 | on(full, 4);
  return full;
}

constexpr uint64_t kFileA = 0x0101010101010101u;
constexpr uint64_t kFileH = 0x8080808080808080u;
constexpr uint64_t kRank1 = 0x00000000000000ffu;
constexpr uint64_t kRank8 = 0xff00000000000000u;
constexpr uint64_t kEdges = kFileA | kFileH | kRank1 | kRank8;

}  // namespace

uint64_t StableDiscs(uint64_t who, uint64_t other) {
  const auto& edge = EdgeTable();
  uint64_t stable = edge[bitboard::RowPattern(who, 0)][bitboard::RowPattern(other, 0)];
  stable |= uint64_t{edge[bitboard::RowPattern(who, 7)][bitboard::RowPattern(other, 7)]} << 56;
  stable |= bitboard::kColumnMasks[edge[bitboard::ColumnPattern(who, 0)][bitboard::ColumnPattern(other, 0)]];
  stable |= bitboard::kColumnMasks[edge[bitboard::ColumnPattern(who, 7)][bitboard::ColumnPattern(other, 7)]] << 7;

  // Squares whose line in each direction is full.
  const uint64_t filled = who | other;
  uint64_t rows = filled & (filled >> 4);
  rows &= rows >> 2;
  rows &= rows >> 1;
  const uint64_t full_rows = (rows & kFileA) * 0xff;
  uint64_t columns = filled & (filled >> 32);
  columns &= columns >> 16;
  columns &= columns >> 8;
  uint64_t full_columns;
  if constexpr (bitboard::kNarrowRegisters) {
    const uint32_t half = (bitboard::Low(columns) & 0xffu) * 0x01010101u;
    full_columns = bitboard::Join(half, half);
  } else {
    full_columns = (columns & 0xff) * kFileA;
  }
  const uint64_t full_rising = FullTowards<9>(filled) & FullTowards<-9>(filled);
  const uint64_t full_falling = FullTowards<7>(filled) & FullTowards<-7>(filled);

  // A disc on an edge ends every line across that edge, so those lines
  // cannot turn it; the edge table has settled the edge lines themselves.
  const uint64_t across_rows = full_rows | kFileA | kFileH;
  const uint64_t across_columns = full_columns | kRank1 | kRank8;
  const uint64_t across_rising = full_rising | kEdges;
  const uint64_t across_falling = full_falling | kEdges;
  const uint64_t inner = who & ~kEdges;
  for (;;) {
    const uint64_t row_safe = across_rows | ((stable << 1) & ~kFileA) | ((stable >> 1) & ~kFileH);
    const uint64_t column_safe = across_columns | (stable << 8) | (stable >> 8);
    const uint64_t rising_safe = across_rising | ((stable << 9) & ~kFileA) | ((stable >> 9) & ~kFileH);
    const uint64_t falling_safe = across_falling | ((stable << 7) & ~kFileH) | ((stable >> 7) & ~kFileA);
    const uint64_t grown = stable | (inner & row_safe & column_safe & rising_safe & falling_safe);
    if (grown == stable) return stable;
    stable = grown;
  }
}

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
