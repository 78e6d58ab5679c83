// Stable discs: discs that no sequence of moves can turn any more. A side
// whose opponent holds s stable discs can end the game at best s + s discs
// short of a whole board, which lets the endgame solver stop early.
#pragma once

#include <cstdint>

#include "search/engine/isa.h"

namespace engine {
inline namespace TENU_ENGINE_ISA {

// The discs of `who` that can never be turned, given `other`'s discs: those
// of an edge that placements on that edge cannot turn, and from them inward
// those that every line through them protects (the line is full, or a
// neighbour along it is stable).
uint64_t StableDiscs(uint64_t who, uint64_t other);

}  // namespace TENU_ENGINE_ISA
}  // namespace engine
