// The fixed bench: midgame searches at depths 5 and 6, exact solves at 12,
// 20 and 22 empty squares and win/loss/draw solves at 14, each from an empty
// table. Its total node count is the engine's search signature: a change
// that changes it changes the searches, and its commit says the new one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "search/search.h"

struct BenchRun {
  int index = 0;  // the case's number, from 1
  std::string label;
  int value = 0;
  uint64_t nodes = 0;
  double seconds = 0;
};

// Every case with the engine searches; with the reference searches, the
// cases they finish in seconds (not the solves at 20 and 22 empty squares).
std::vector<BenchRun> RunBench(SearchImplementation implementation);
