// The engine searches are built twice for x86 processors: once for any of
// them (the baseline: SSE2, as the Windows module requires) and once for
// those with AVX2, BMI2 and a population count instruction (x86-64-v3);
// search/engine/variants.cpp picks one when the program starts. Each build
// keeps its functions in an inline namespace named by TENU_ENGINE_ISA, so
// that the two never stand in for each other at link time; the build
// system sets it, with TENU_ENGINE_POPCNT, TENU_ENGINE_LANE_SHIFTS and
// TENU_ENGINE_API (the name of the build's table of entry points, see
// api.h), for the second build.
#pragma once

#ifndef TENU_ENGINE_ISA
#define TENU_ENGINE_ISA baseline
#define TENU_ENGINE_POPCNT 0
#define TENU_ENGINE_LANE_SHIFTS 0
#define TENU_ENGINE_API BaselineApi
#endif

namespace engine {
// True where the processor counts bits in one instruction.
inline constexpr bool kHardwarePopCount = TENU_ENGINE_POPCNT != 0;
// True where a vector shifts each of its 64-bit lanes by a count of its own
// in one instruction (AVX2).
inline constexpr bool kLaneShifts = TENU_ENGINE_LANE_SHIFTS != 0;
}  // namespace engine
