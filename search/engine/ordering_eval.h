// The ordering evaluation: a quick estimate of the final disc difference,
// made to rank moves before they are searched. It never stands for a value:
// the midgame search keeps its own evaluation and the solvers their exact
// scores; this only decides which move is tried first.
//
// It is a sum of pattern weights, as strong engines evaluate: the position
// is seen through 46 windows of 4 to 10 squares (the edges with their X
// squares, the corner 3x3 and 2x4 blocks, the second to fourth rows and
// columns, the diagonals of length 4 to 8), each window's squares read as a
// base-3 number (empty 0, mover 1, opponent 2) that picks a weight from its
// pattern's table. Windows that are images of each other under the board's
// eight symmetries share one table, and a table holds equal weights for a
// window and its own mirror image, so the value is the same for a position
// and each of its mirror images. There is one set of tables per stage of
// the game (a range of empty squares), fitted by tenu_train (train/) on
// positions from the engine's own games; the weights are built in from
// search/engine/weights/ordering.bin.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace engine {

// The evaluation's unit: kOrderingUnit of it make one disc.
constexpr int kOrderingUnit = 32;

// The expected final disc difference for the side with discs `me`, who is to
// move, in 1/kOrderingUnit discs; the number of empty squares picks the
// stage. Only for ordering moves.
int OrderingEvaluate(uint64_t me, uint64_t opp);

namespace ordering {

constexpr int kPatternCount = 11;
constexpr int kInstanceCount = 46;
constexpr int kStageCount = 12;
constexpr int kMaxPatternSquares = 10;

// Squares per window and windows per pattern.
inline constexpr std::array<int, kPatternCount> kPatternSquares = {10, 9, 8, 8, 8, 8, 8, 7, 6, 5, 4};
inline constexpr std::array<int, kPatternCount> kPatternInstances = {4, 4, 8, 4, 4, 4, 2, 4, 4, 4, 4};
inline constexpr std::array<const char*, kPatternCount> kPatternNames = {
    "edge+2X", "corner 3x3", "corner 2x4", "line 2", "line 3", "line 4",
    "diagonal 8", "diagonal 7", "diagonal 6", "diagonal 5", "diagonal 4"};

constexpr int Power3(int n) { return n == 0 ? 1 : 3 * Power3(n - 1); }

// Where each pattern's weights start in a stage's table; the last entry is
// the table's size.
inline constexpr std::array<int, kPatternCount + 1> kPatternOffset = [] {
  std::array<int, kPatternCount + 1> offset{};
  for (int p = 0; p < kPatternCount; ++p) offset[p + 1] = offset[p] + Power3(kPatternSquares[p]);
  return offset;
}();
constexpr int kTableSize = kPatternOffset[kPatternCount];

// The stages: empty squares 0-10, 11-14, 15-18, ..., 39-42 (four each where
// the solvers order their moves), then 43-47, 48-53 and 54-60.
inline constexpr std::array<int, kStageCount + 1> kStageFirstEmpties = {0, 11, 15, 19, 23, 27, 31, 35, 39, 43, 48, 54, 61};
inline constexpr std::array<uint8_t, 65> kStageOfEmpties = [] {
  std::array<uint8_t, 65> stage{};
  for (int e = 0; e <= 64; ++e) {
    int s = 0;
    while (s + 1 < kStageCount && e >= kStageFirstEmpties[s + 1]) ++s;
    stage[e] = static_cast<uint8_t>(s);
  }
  return stage;
}();

// The pattern of each window, and its squares (bit numbers, a1 = 0) in the
// order of the base-3 digits, the lowest first.
inline constexpr std::array<uint8_t, kInstanceCount> kInstancePattern = [] {
  std::array<uint8_t, kInstanceCount> pattern{};
  int i = 0;
  for (int p = 0; p < kPatternCount; ++p) {
    for (int k = 0; k < kPatternInstances[p]; ++k) pattern[i++] = static_cast<uint8_t>(p);
  }
  return pattern;
}();
using InstanceSquares = std::array<std::array<int8_t, kMaxPatternSquares>, kInstanceCount>;
extern const InstanceSquares kInstanceSquares;

// The weights of every stage, in 1/kOrderingUnit discs. A position's value
// is its stage's bias plus the weight of each window's index.
struct Weights {
  int16_t table[kStageCount][kTableSize];
  int16_t bias[kStageCount];
};

// Each window's entry in its stage's table (its pattern's offset plus its
// base-3 index), in window order.
void FeatureIndices(uint64_t me, uint64_t opp, uint32_t index[kInstanceCount]);

// The evaluation with the given weights.
int Evaluate(const Weights& weights, uint64_t me, uint64_t opp);

// The smallest index among a window index and those of its images under
// the symmetries that map the pattern onto itself (a line read backwards, a
// corner block reflected in its diagonal): windows equal up to such a
// symmetry share this weight.
int CanonicalIndex(int pattern, int index);
// The number of indices of a pattern that are their own canonical index.
int CanonicalCount(int pattern);

// The weights file: a 32-byte header, then for each stage its bias and the
// weights of each pattern's canonical indices in increasing order, every
// number int16 little-endian. Header: the magic "TNOW", the format version,
// the numbers of stages, patterns and values that follow, an FNV-1a hash of
// those values' bytes, the pattern set's fingerprint (squares and windows of
// each pattern, hashed), and reserved zeros.
constexpr uint32_t kFileMagic = 0x574f4e54u;  // "TNOW" read little-endian
constexpr uint32_t kFileVersion = 1;
constexpr size_t kFileHeaderBytes = 32;
size_t FileValueCount();
uint32_t PatternFingerprint();
uint32_t Fnv1a(const uint8_t* data, size_t size);

// The header of a file whose `count` values (2 * count bytes) follow.
void WriteFileHeader(uint8_t header[kFileHeaderBytes], const uint8_t* values, size_t count);

// Fills weights from a weights file; answers false (and leaves weights all
// zero) when the file is short, of another version or pattern set, or its
// hash does not hold.
bool DecodeWeights(const uint8_t* data, size_t size, Weights& weights);

// The weights built into the program, decoded when it starts, and whether
// they decoded (if not, every evaluation is 0 and the moves keep the
// order they are given in).
const Weights& BuiltInWeights();
bool BuiltInWeightsLoaded();

}  // namespace ordering
}  // namespace engine
