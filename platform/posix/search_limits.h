// The search settings past which a move does not come in any useful time.
// The engine honours whatever the settings hold (a stored value is used as
// it is); tenu only warns about such settings, and its settings form asks
// before it keeps them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Each limit is the largest value whose slowest move, measured, still comes
// within about ten minutes on a two-core machine; the time grows by a
// roughly constant factor with each ply or empty square, so one past the
// limit is already far beyond it. To judge them again after the searches
// change, time `tenu think` on positions from a game (`tenu selfplay` gives
// its moves) at increasing values:
//   tenu think --depth D --exact 0 --wld 0 --maemuki 0 POSITION   (40 to 44 empty squares)
//   tenu think --depth 5 --exact E --wld E POSITION               (E empty squares)
//   tenu think --depth 5 --exact 0 --wld E POSITION               (E empty squares)
// Measured on the searches without a transposition table (two cores shared
// with other work): midgame depth 9 took 3 to 6 s, depth 10 25 to 56 s (7 to
// 8 times more a ply); the exact solver 3 s at 16 empty squares and 57 s at
// 18 (4 to 5 times more a square); the win/loss/draw solver 1.7 s at 18 and
// 12 s at 20. The limits below are set for the searches with a transposition
// table and move ordering, which are some hundreds of times faster.
constexpr int32_t kDeepestUsefulMidgameDepth = 14;   // Depth
constexpr int32_t kLargestUsefulExactEmpties = 26;   // KansakiDepth
constexpr int32_t kLargestUsefulWldEmpties = 28;     // HisshoDepth

// One line for each of the three numbers that is past its limit (none when
// all are within): which setting, its value and the limit.
std::vector<std::string> SlowSearchWarnings(int32_t depth, int32_t exact, int32_t wld);
