// One search called the way the analysis commands and the bench call it: the
// position normalised for its side to move, its empty squares in column
// order, colour 1, bound 10000 and no pass; the engine searches' table
// emptied first, so that node counts can be reproduced.
#pragma once

#include <cstdint>

enum class SearchKind { Evaluate, Midgame, Exact, Wld };

struct SearchCallResult {
  bool parsed = false;
  int value = 0;
  uint64_t nodes = 0;
};

// Evaluate is of the Board as parsed, in host colours.
SearchCallResult CallSearch(const char* position, SearchKind kind, int depth);
