#include "search/engine/ordering_eval.h"

#include <cstring>
#include <utility>
#include <vector>

#include "search/engine/bitboard.h"

namespace engine {
namespace ordering {

// The weights file as built into the program (generated from
// search/engine/weights/ordering.bin at build time).
extern const unsigned char kBuiltInFile[];
extern const size_t kBuiltInFileSize;

namespace {

// The eight symmetries of the board. A pattern's windows are the images of
// one layout under several of them (square (x, y) of the layout is the
// board's square Source(o, x, y) in orientation o), so all of them share
// the pattern's table, and the images of a position see the same windows.
enum Orientation { kSame, kMirror, kFlip, kMirrorFlip, kTranspose, kTransposeMirror, kTransposeFlip, kTransposeBoth };

constexpr int Source(int o, int x, int y) {
  switch (o) {
    case kSame: return x + 8 * y;
    case kMirror: return (7 - x) + 8 * y;
    case kFlip: return x + 8 * (7 - y);
    case kMirrorFlip: return (7 - x) + 8 * (7 - y);
    case kTranspose: return y + 8 * x;
    case kTransposeMirror: return y + 8 * (7 - x);
    case kTransposeFlip: return (7 - y) + 8 * x;
    default: return (7 - y) + 8 * (7 - x);
  }
}

// Each pattern's layout (its squares in digit order) and the orientations
// of its windows.
struct PatternLayout {
  int8_t squares[kMaxPatternSquares];
  int8_t orientations[8];
};

constexpr PatternLayout Diagonal(int k) {
  PatternLayout layout{};
  for (int i = 0; i < 8 - k; ++i) layout.squares[i] = static_cast<int8_t>(k + 9 * i);
  layout.orientations[0] = kSame;
  layout.orientations[1] = kTranspose;
  layout.orientations[2] = kFlip;
  layout.orientations[3] = kMirror;
  return layout;
}

constexpr PatternLayout kLayouts[kPatternCount] = {
    {{0, 1, 2, 3, 4, 5, 6, 7, 9, 14}, {kSame, kFlip, kTranspose, kTransposeFlip}},
    {{0, 1, 2, 8, 9, 10, 16, 17, 18}, {kSame, kMirror, kFlip, kMirrorFlip}},
    {{0, 1, 2, 3, 8, 9, 10, 11},
     {kSame, kMirror, kFlip, kMirrorFlip, kTranspose, kTransposeMirror, kTransposeFlip, kTransposeBoth}},
    {{8, 9, 10, 11, 12, 13, 14, 15}, {kSame, kFlip, kTranspose, kTransposeFlip}},
    {{16, 17, 18, 19, 20, 21, 22, 23}, {kSame, kFlip, kTranspose, kTransposeFlip}},
    {{24, 25, 26, 27, 28, 29, 30, 31}, {kSame, kFlip, kTranspose, kTransposeFlip}},
    {{0, 9, 18, 27, 36, 45, 54, 63}, {kSame, kFlip}},
    Diagonal(1),
    Diagonal(2),
    Diagonal(3),
    Diagonal(4),
};

// Each window's squares in digit order: its pattern's layout read in the
// window's orientation.
constexpr InstanceSquares kWindowSquares = [] {
  InstanceSquares squares{};
  int i = 0;
  for (int p = 0; p < kPatternCount; ++p) {
    for (int k = 0; k < kPatternInstances[p]; ++k, ++i) {
      for (int d = 0; d < kMaxPatternSquares; ++d) {
        if (d >= kPatternSquares[p]) {
          squares[i][d] = -1;
          continue;
        }
        const int s = kLayouts[p].squares[d];
        squares[i][d] = static_cast<int8_t>(Source(kLayouts[p].orientations[k], s & 7, s >> 3));
      }
    }
  }
  return squares;
}();

// The windows' indices are built half a row at a time: the four squares of
// a half row (a row's columns a-d or e-h) have 81 states, and each state
// adds a fixed amount to the index of every window through those squares.
// kHalfRowAdds[h][state] holds these amounts for all windows side by side,
// so that a position's 46 indices are the sums of 16 such rows, added eight
// windows at a time in vector registers (SSE2 on x86).
constexpr int kLanes = 8;
constexpr int kVectors = (kInstanceCount + kLanes - 1) / kLanes;
using Lanes = uint16_t __attribute__((vector_size(2 * kLanes), __may_alias__));

struct HalfRowAdds {
  alignas(16) uint16_t add[kVectors * kLanes];
};
using HalfRowTable = std::array<std::array<HalfRowAdds, 81>, 16>;

constexpr HalfRowTable MakeHalfRowAdds() {
  HalfRowTable table{};
  for (int w = 0; w < kInstanceCount; ++w) {
    for (int d = 0; d < kPatternSquares[kInstancePattern[w]]; ++d) {
      const int square = kWindowSquares[w][d];  // half row square / 4, place square % 4
      for (int state = 0; state < 81; ++state) {
        const int digit = state / Power3(square % 4) % 3;
        table[square / 4][state].add[w] = static_cast<uint16_t>(table[square / 4][state].add[w] + digit * Power3(d));
      }
    }
  }
  return table;
}

inline constexpr HalfRowTable kHalfRowAdds = MakeHalfRowAdds();

// Where the adds of a half row's state start in its table (in uint16_t),
// indexed by the half row's four squares of each side as mine | theirs << 4.
constexpr std::array<uint16_t, 256> kHalfRowStart = [] {
  std::array<uint16_t, 256> start{};
  for (int mine = 0; mine < 16; ++mine) {
    for (int theirs = 0; theirs < 16; ++theirs) {
      int state = 0;
      for (int j = 3; j >= 0; --j) state = 3 * state + ((mine >> j) & 1) + 2 * ((theirs >> j) & 1);
      start[mine | theirs << 4] = static_cast<uint16_t>(state * kVectors * kLanes);
    }
  }
  return start;
}();

// Everything below is unrolled by index sequences, so that the sums stay in
// registers and every offset is a constant.
template <size_t... v>
[[gnu::always_inline]] inline void AddHalfRow(Lanes* sum, const uint16_t* add, std::index_sequence<v...>) {
  // Every state's adds start on a 16-byte boundary (96 bytes each).
  const Lanes* lanes = static_cast<const Lanes*>(__builtin_assume_aligned(add, 16));
  const auto load = [&](size_t k) { return lanes[k]; };
  ((sum[v] += load(v)), ...);
}

// The half rows' keys come a byte per row: the low halves' from low_keys,
// the high halves' from high_keys.
template <int... r>
[[gnu::always_inline]] inline void AddRows(Lanes* sum, uint64_t low_keys, uint64_t high_keys,
                                           std::integer_sequence<int, r...>) {
  constexpr auto vectors = std::make_index_sequence<kVectors>();
  const uint16_t* table = kHalfRowAdds[0][0].add;
  constexpr size_t kHalfRowSize = 81 * kVectors * kLanes;
  const auto key = [](uint64_t keys, int row) { return static_cast<uint32_t>(keys >> (8 * row)) & 0xffu; };
  ((AddHalfRow(sum, table + (2 * r) * kHalfRowSize + kHalfRowStart[key(low_keys, r)], vectors),
    AddHalfRow(sum, table + (2 * r + 1) * kHalfRowSize + kHalfRowStart[key(high_keys, r)], vectors)),
   ...);
}

template <typename Visit, size_t... w>
[[gnu::always_inline]] inline void VisitWindows(const Lanes* sum, Visit& visit, std::index_sequence<w...>) {
  (visit(static_cast<int>(w), static_cast<uint32_t>(kPatternOffset[kInstancePattern[w]]) + sum[w / kLanes][w % kLanes]),
   ...);
}

// Calls visit(window, entry) for each window, entry being the window's
// pattern offset plus its base-3 index.
template <typename Visit>
[[gnu::always_inline]] inline void ForEachWindow(uint64_t me, uint64_t opp, Visit&& visit) {
  Lanes sum[kVectors] = {};
  constexpr uint64_t kLow = 0x0f0f0f0f0f0f0f0fu;
  const uint64_t low_keys = (me & kLow) | (opp & kLow) << 4;
  const uint64_t high_keys = (me >> 4 & kLow) | (opp & ~kLow);
  AddRows(sum, low_keys, high_keys, std::make_integer_sequence<int, 8>());
  VisitWindows(sum, visit, std::make_index_sequence<kInstanceCount>());
}

// The symmetries of the board that map a pattern's window onto itself, as
// permutations of its digits (the identity left out).
struct SelfSymmetries {
  int count;
  int8_t digit[8][kMaxPatternSquares];  // digit d goes to place digit[s][d]
};

SelfSymmetries FindSelfSymmetries(int pattern) {
  SelfSymmetries found{};
  const int n = kPatternSquares[pattern];
  const int8_t* squares = kLayouts[pattern].squares;
  for (int o = 1; o < 8; ++o) {
    int8_t place[kMaxPatternSquares];
    bool maps = true;
    for (int d = 0; d < n && maps; ++d) {
      const int image = Source(o, squares[d] & 7, squares[d] >> 3);
      maps = false;
      for (int e = 0; e < n; ++e) {
        if (squares[e] == image) {
          place[d] = static_cast<int8_t>(e);
          maps = true;
        }
      }
    }
    if (!maps) continue;
    std::memcpy(found.digit[found.count++], place, sizeof place);
  }
  return found;
}

const SelfSymmetries& PatternSymmetries(int pattern) {
  static const std::array<SelfSymmetries, kPatternCount> symmetries = [] {
    std::array<SelfSymmetries, kPatternCount> all{};
    for (int p = 0; p < kPatternCount; ++p) all[p] = FindSelfSymmetries(p);
    return all;
  }();
  return symmetries[pattern];
}

void PutLittleEndian(uint8_t* out, uint32_t value) {
  for (int k = 0; k < 4; ++k) out[k] = static_cast<uint8_t>(value >> (8 * k));
}
uint32_t GetLittleEndian(const uint8_t* in) {
  return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

struct BuiltIn {
  Weights weights{};
  bool loaded = false;
};

const BuiltIn& LoadBuiltIn() {
  // Decoded at the first use, not at start-up: a program that never orders
  // moves with it never touches the tables' memory.
  static const BuiltIn* built_in = [] {
    static BuiltIn decoded;
    decoded.loaded = DecodeWeights(kBuiltInFile, kBuiltInFileSize, decoded.weights);
    return &decoded;
  }();
  return *built_in;
}

}  // namespace

const InstanceSquares kInstanceSquares = kWindowSquares;

void FeatureIndices(uint64_t me, uint64_t opp, uint32_t index[kInstanceCount]) {
  ForEachWindow(me, opp, [&](int window, uint32_t entry) { index[window] = entry; });
}

int Evaluate(const Weights& weights, uint64_t me, uint64_t opp) {
  const int stage = kStageOfEmpties[64 - bitboard::PopCount(me | opp)];
  const int16_t* table = weights.table[stage];
  int sum = weights.bias[stage];
  ForEachWindow(me, opp, [&](int, uint32_t entry) { sum += table[entry]; });
  return sum;
}

int CanonicalIndex(int pattern, int index) {
  const SelfSymmetries& symmetries = PatternSymmetries(pattern);
  const int n = kPatternSquares[pattern];
  int digits[kMaxPatternSquares];
  for (int d = 0, rest = index; d < n; ++d, rest /= 3) digits[d] = rest % 3;
  int best = index;
  for (int s = 0; s < symmetries.count; ++s) {
    int placed[kMaxPatternSquares];
    for (int d = 0; d < n; ++d) placed[symmetries.digit[s][d]] = digits[d];
    int image = 0;
    for (int d = n - 1; d >= 0; --d) image = 3 * image + placed[d];
    if (image < best) best = image;
  }
  return best;
}

int CanonicalCount(int pattern) {
  int count = 0;
  for (int index = 0; index < Power3(kPatternSquares[pattern]); ++index) count += CanonicalIndex(pattern, index) == index;
  return count;
}

size_t FileValueCount() {
  static const size_t count = [] {
    size_t per_stage = 1;
    for (int p = 0; p < kPatternCount; ++p) per_stage += static_cast<size_t>(CanonicalCount(p));
    return per_stage * kStageCount;
  }();
  return count;
}

uint32_t Fnv1a(const uint8_t* data, size_t size) {
  uint32_t hash = 0x811c9dc5u;
  for (size_t k = 0; k < size; ++k) hash = (hash ^ data[k]) * 0x01000193u;
  return hash;
}

uint32_t PatternFingerprint() {
  std::vector<uint8_t> bytes;
  for (int p = 0; p < kPatternCount; ++p) {
    bytes.push_back(static_cast<uint8_t>(kPatternSquares[p]));
    bytes.push_back(static_cast<uint8_t>(kPatternInstances[p]));
  }
  for (const auto& window : kInstanceSquares) bytes.insert(bytes.end(), window.begin(), window.end());
  for (int first : kStageFirstEmpties) bytes.push_back(static_cast<uint8_t>(first));
  return Fnv1a(bytes.data(), bytes.size());
}

bool DecodeWeights(const uint8_t* data, size_t size, Weights& weights) {
  std::memset(&weights, 0, sizeof weights);
  const size_t count = FileValueCount();
  if (data == nullptr || size != kFileHeaderBytes + 2 * count) return false;
  if (GetLittleEndian(data) != kFileMagic || GetLittleEndian(data + 4) != kFileVersion ||
      GetLittleEndian(data + 8) != kStageCount || GetLittleEndian(data + 12) != kPatternCount ||
      GetLittleEndian(data + 16) != count || GetLittleEndian(data + 24) != PatternFingerprint() ||
      GetLittleEndian(data + 28) != 0) {
    return false;
  }
  const uint8_t* values = data + kFileHeaderBytes;
  if (Fnv1a(values, 2 * count) != GetLittleEndian(data + 20)) return false;
  const auto value = [&](size_t k) {
    return static_cast<int16_t>(static_cast<uint16_t>(values[2 * k] | values[2 * k + 1] << 8));
  };
  // Each index takes the weight of its canonical index, stored in the
  // canonical indices' increasing order.
  std::vector<int32_t> rank(kTableSize);
  std::vector<int32_t> canonical(kTableSize);
  size_t per_stage = 1;
  for (int p = 0; p < kPatternCount; ++p) {
    int next = 0;
    for (int index = 0; index < Power3(kPatternSquares[p]); ++index) {
      const int c = CanonicalIndex(p, index);
      canonical[kPatternOffset[p] + index] = kPatternOffset[p] + c;
      if (c == index) rank[kPatternOffset[p] + index] = static_cast<int32_t>(per_stage) + next++;
    }
    per_stage += static_cast<size_t>(next);
  }
  for (int s = 0; s < kStageCount; ++s) {
    const size_t base = per_stage * static_cast<size_t>(s);
    weights.bias[s] = value(base);
    for (int k = 0; k < kTableSize; ++k) weights.table[s][k] = value(base + static_cast<size_t>(rank[canonical[k]]));
  }
  return true;
}

void WriteFileHeader(uint8_t header[kFileHeaderBytes], const uint8_t* values, size_t count) {
  PutLittleEndian(header, kFileMagic);
  PutLittleEndian(header + 4, kFileVersion);
  PutLittleEndian(header + 8, kStageCount);
  PutLittleEndian(header + 12, kPatternCount);
  PutLittleEndian(header + 16, static_cast<uint32_t>(count));
  PutLittleEndian(header + 20, Fnv1a(values, 2 * count));
  PutLittleEndian(header + 24, PatternFingerprint());
  PutLittleEndian(header + 28, 0);
}

const Weights& BuiltInWeights() { return LoadBuiltIn().weights; }
bool BuiltInWeightsLoaded() { return LoadBuiltIn().loaded; }

}  // namespace ordering

int OrderingEvaluate(uint64_t me, uint64_t opp) { return ordering::Evaluate(ordering::BuiltInWeights(), me, opp); }

}  // namespace engine
