// Scoring one candidate move for the host: the candidate is played and the
// position after it searched with the midgame search, from the view of the
// side that played it.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "search/search.h"

// hostBoard: 91 bytes in the Board layout, host colours (1 and 0xFF). side:
// 1, or any value whose low byte is not 1 for the other colour. Answers 0 for
// a candidate that is not a legal move (or not a playable square). The
// request gives the settings and the implementation; nothing is ordered and
// no progress is shown, whatever it says.
int ScoreCandidateMove(const SearchRequest& request, const int8_t* hostBoard, int square, int side);

// A fresh Board holding the playable squares of a host array: proper walls,
// codes other than 1 and -1 read as empty. The host's array is only read.
void CopyHostBoard(const int8_t* hostBoard, Board& board);
