#include "ui/search_limits.h"

std::vector<std::string> SlowSearchWarnings(int32_t depth, int32_t exact, int32_t wld) {
  std::vector<std::string> warnings;
  auto warn = [&](const char* what, int32_t value, int32_t limit) {
    warnings.push_back(std::string(what) + " " + std::to_string(value) + " is above " + std::to_string(limit) +
                       ": such a search may not finish in any useful time");
  };
  if (depth > kDeepestUsefulMidgameDepth) warn("Depth (the midgame search depth)", depth, kDeepestUsefulMidgameDepth);
  if (exact > kLargestUsefulExactEmpties) {
    warn("Exact (empty squares for the exact solver)", exact, kLargestUsefulExactEmpties);
  }
  // The win/loss/draw solver runs only where the exact solver does not.
  if (wld > kLargestUsefulWldEmpties && wld > exact) {
    warn("WLD (empty squares for the win/loss/draw solver)", wld, kLargestUsefulWldEmpties);
  }
  return warnings;
}
