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
// Measured on one core of a shared two-core machine: the midgame search
// took 6.7 s at depth 14, 47 s at 16 and 97 s at 17 from 44 empty squares
// (2 to 3 times more a ply); the exact solver 0.8 s at 22 empty squares,
// 6.8 s at 24 and 56 s at 26 (about 3 times more a square); the
// win/loss/draw solver 20 s at 26 and 167 s at 28. A game's slowest move
// takes a few times longer than these.
constexpr int32_t kDeepestUsefulMidgameDepth = 17;   // Depth
constexpr int32_t kLargestUsefulExactEmpties = 27;   // KansakiDepth
constexpr int32_t kLargestUsefulWldEmpties = 28;     // HisshoDepth

// One line for each of the three numbers that is past its limit (none when
// all are within): which setting, its value and the limit.
std::vector<std::string> SlowSearchWarnings(int32_t depth, int32_t exact, int32_t wld);
