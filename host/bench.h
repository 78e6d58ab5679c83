// The fixed bench: midgame searches at depths 5 and 6, exact solves at 12
// empty squares and win/loss/draw solves at 14. Its total node count is the
// engine's search signature.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "search/search.h"

struct BenchRun {
  std::string label;
  int value = 0;
  uint64_t nodes = 0;
  double seconds = 0;
};

std::vector<BenchRun> RunBench(SearchImplementation implementation);
