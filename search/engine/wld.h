// The win/loss/draw solver of the engine searches (see wld.cpp).
#pragma once

#include <cstdint>

#include "search/engine/isa.h"
#include "search/engine/negamax.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

// The value the win/loss/draw solver answers for the position side1/side2
// (side 1 to move when maximising), whose n empty squares are listed in
// `list` as bit indices in the order the solver offers them, called with
// this bound and pass flag. The list is used as scratch space and left as
// it was.
int FollowWldSolve(SearchContext& context, uint64_t side1, uint64_t side2, uint8_t* list, int n, bool maximising,
                   int bound, int passed);

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
