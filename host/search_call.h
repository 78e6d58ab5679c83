// One search called the way the analysis commands and the bench call it: the
// position normalised for its side to move, its empty squares in column
// order, colour 1, bound 10000 and no pass; the engine searches' table
// emptied first, so that node counts can be reproduced.
#pragma once

#include <cstdint>

#include "search/search.h"

struct SearchCallResult {
  bool parsed = false;  // false when the text is not a position string
  int value = 0;
  uint64_t nodes = 0;
};

SearchCallResult CallSearch(SearchImplementation implementation, const char* position, SearchKind kind, int depth);

// The static evaluation of the position as parsed, in host colours (no
// nodes).
SearchCallResult CallEvaluation(SearchImplementation implementation, const char* position);
