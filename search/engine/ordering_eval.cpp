#include "search/engine/ordering_eval.h"

#include <cstring>
#include <vector>

#include "search/engine/bitboard.h"

namespace engine {
namespace ordering {

// The weights file as built into the program (generated from
// search/engine/weights/ordering.bin at build time).
extern const unsigned char kBuiltInFile[];
extern const size_t kBuiltInFileSize;

namespace {

// The board seen in its eight orientations. Reading square (x, y) of an
// oriented board reads square Source(o, x, y) of the board itself, so a
// window read at fixed squares of each orientation is the image of one
// window under each symmetry: all of them share the pattern's table.
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

// Each pattern's window on an oriented board (digit order), and the
// orientations it is read in.
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

// Binary to base 3: the bits of b as base-3 digits.
constexpr std::array<uint16_t, 1024> kTernary = [] {
  std::array<uint16_t, 1024> table{};
  for (int b = 0; b < 1024; ++b) {
    int value = 0;
    for (int k = 9; k >= 0; --k) value = 3 * value + ((b >> k) & 1);
    table[b] = static_cast<uint16_t>(value);
  }
  return table;
}();

inline uint64_t MirrorColumns(uint64_t x) {
  x = ((x >> 1) & 0x5555555555555555u) | ((x & 0x5555555555555555u) << 1);
  x = ((x >> 2) & 0x3333333333333333u) | ((x & 0x3333333333333333u) << 2);
  return ((x >> 4) & 0x0f0f0f0f0f0f0f0fu) | ((x & 0x0f0f0f0f0f0f0f0fu) << 4);
}

inline uint64_t FlipRows(uint64_t x) { return __builtin_bswap64(x); }

// Square (x, y) to (y, x), by three exchanges of bit groups.
inline uint64_t Transpose(uint64_t x) {
  uint64_t t = 0x0f0f0f0f00000000u & (x ^ (x << 28));
  x ^= t ^ (t >> 28);
  t = 0x3333000033330000u & (x ^ (x << 14));
  x ^= t ^ (t >> 14);
  t = 0x5500550055005500u & (x ^ (x << 7));
  return x ^ t ^ (t >> 7);
}

// The window gathers, each on an oriented board: the window's squares as
// the low bits, in digit order. The corner windows lie in the low 32 bits,
// which a 32-bit target handles in one register.
inline uint32_t Low(uint64_t x) { return static_cast<uint32_t>(x); }
inline uint32_t EdgeBits(uint64_t x) { return (Low(x) & 0xffu) | ((Low(x) >> 1) & 0x100u) | ((Low(x) >> 5) & 0x200u); }
inline uint32_t Corner3x3Bits(uint64_t x) {
  return (Low(x) & 0x7u) | ((Low(x) >> 5) & 0x38u) | ((Low(x) >> 10) & 0x1c0u);
}
inline uint32_t Corner2x4Bits(uint64_t x) { return (Low(x) & 0xfu) | ((Low(x) >> 4) & 0xf0u); }
template <int row>
inline uint32_t RowBits(uint64_t x) {
  return Low(x >> (8 * row)) & 0xffu;
}

// A diagonal with at most one square per column, masked out of the board:
// every byte holds its squares of one row, in their columns, so OR-ing the
// bytes gives the diagonal by column. A 64-bit target does it with one
// multiplication (the bytes never carry into each other); a 32-bit one
// folds the halves.
inline uint32_t FoldBytes(uint64_t masked) {
  if constexpr (sizeof(void*) >= 8) {
    return static_cast<uint32_t>((masked * 0x0101010101010101u) >> 56);
  } else {
    uint32_t y = Low(masked) | Low(masked >> 32);
    y |= y >> 16;
    return (y | (y >> 8)) & 0xffu;
  }
}
constexpr uint64_t kDiagonalMask[5] = {0x8040201008040201u, 0x0080402010080402u, 0x0000804020100804u,
                                       0x0000008040201008u, 0x0000000080402010u};
template <int k>
inline uint32_t DiagonalBits(uint64_t x) {
  return FoldBytes(x & kDiagonalMask[k]) >> k;
}

// Calls visit(window, entry) for each window, entry being the window's
// pattern offset plus its base-3 index. Written out window by window, one
// orientation after the other, so that every shift and offset is a
// constant and only a few oriented boards are alive at a time.
template <typename Visit>
inline void ForEachWindow(uint64_t me, uint64_t opp, Visit&& visit) {
  const auto window = [&](int id, int pattern, uint32_t mine, uint32_t theirs) __attribute__((always_inline)) {
    visit(id, static_cast<uint32_t>(kPatternOffset[pattern]) + kTernary[mine] + 2u * kTernary[theirs]);
  };
  // Windows are numbered pattern by pattern (kInstancePattern), and within a
  // pattern in the order of its layout's orientations.
  const auto same_and_flip = [&](uint64_t m, uint64_t o, int first) __attribute__((always_inline)) {
    window(first / 2, 0, EdgeBits(m), EdgeBits(o));
    window(4 + first, 1, Corner3x3Bits(m), Corner3x3Bits(o));
    window(8 + first, 2, Corner2x4Bits(m), Corner2x4Bits(o));
    window(16 + first / 2, 3, RowBits<1>(m), RowBits<1>(o));
    window(20 + first / 2, 4, RowBits<2>(m), RowBits<2>(o));
    window(24 + first / 2, 5, RowBits<3>(m), RowBits<3>(o));
    window(28 + first / 2, 6, DiagonalBits<0>(m), DiagonalBits<0>(o));
    window(30 + first, 7, DiagonalBits<1>(m), DiagonalBits<1>(o));
    window(34 + first, 8, DiagonalBits<2>(m), DiagonalBits<2>(o));
    window(38 + first, 9, DiagonalBits<3>(m), DiagonalBits<3>(o));
    window(42 + first, 10, DiagonalBits<4>(m), DiagonalBits<4>(o));
  };
  same_and_flip(me, opp, 0);
  same_and_flip(FlipRows(me), FlipRows(opp), 2);
  {
    const uint64_t m = MirrorColumns(me);
    const uint64_t o = MirrorColumns(opp);
    window(5, 1, Corner3x3Bits(m), Corner3x3Bits(o));
    window(9, 2, Corner2x4Bits(m), Corner2x4Bits(o));
    window(33, 7, DiagonalBits<1>(m), DiagonalBits<1>(o));
    window(37, 8, DiagonalBits<2>(m), DiagonalBits<2>(o));
    window(41, 9, DiagonalBits<3>(m), DiagonalBits<3>(o));
    window(45, 10, DiagonalBits<4>(m), DiagonalBits<4>(o));
    const uint64_t mf = FlipRows(m);
    const uint64_t of = FlipRows(o);
    window(7, 1, Corner3x3Bits(mf), Corner3x3Bits(of));
    window(11, 2, Corner2x4Bits(mf), Corner2x4Bits(of));
  }
  const uint64_t mt = Transpose(me);
  const uint64_t ot = Transpose(opp);
  window(2, 0, EdgeBits(mt), EdgeBits(ot));
  window(12, 2, Corner2x4Bits(mt), Corner2x4Bits(ot));
  window(18, 3, RowBits<1>(mt), RowBits<1>(ot));
  window(22, 4, RowBits<2>(mt), RowBits<2>(ot));
  window(26, 5, RowBits<3>(mt), RowBits<3>(ot));
  window(31, 7, DiagonalBits<1>(mt), DiagonalBits<1>(ot));
  window(35, 8, DiagonalBits<2>(mt), DiagonalBits<2>(ot));
  window(39, 9, DiagonalBits<3>(mt), DiagonalBits<3>(ot));
  window(43, 10, DiagonalBits<4>(mt), DiagonalBits<4>(ot));
  {
    const uint64_t m = FlipRows(mt);
    const uint64_t o = FlipRows(ot);
    window(3, 0, EdgeBits(m), EdgeBits(o));
    window(14, 2, Corner2x4Bits(m), Corner2x4Bits(o));
    window(19, 3, RowBits<1>(m), RowBits<1>(o));
    window(23, 4, RowBits<2>(m), RowBits<2>(o));
    window(27, 5, RowBits<3>(m), RowBits<3>(o));
  }
  const uint64_t mtm = MirrorColumns(mt);
  const uint64_t otm = MirrorColumns(ot);
  window(13, 2, Corner2x4Bits(mtm), Corner2x4Bits(otm));
  window(15, 2, Corner2x4Bits(FlipRows(mtm)), Corner2x4Bits(FlipRows(otm)));
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

const InstanceSquares kInstanceSquares = [] {
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
