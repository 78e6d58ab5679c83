// Finding a book move: the position is looked up by replaying the book tree
// from the start position and comparing, where the engine is to move, with
// the position in four orientations (the symmetries of the start position).
#pragma once

#include "board/board.h"
#include "book/book.h"

// The book move for the engine (colour 1 black or -1 white, low byte read) on
// board (host colours), translated back onto board; 0 when there is none.
// With randomChoice set, one pseudo-random number is drawn at every list the
// walk visits where the engine is to move; otherwise the alternative with the
// most line ends is taken.
int LookupBookMove(const Board& board, int randomChoice, int engineColour);

// The four orientations: image k holds square s of the actual board at
// OrientSquare(k, s); the mapping is its own inverse.
int OrientSquare(int image, int s);
