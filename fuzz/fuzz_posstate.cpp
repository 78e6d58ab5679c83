// Any 91 bytes, any square and any side through VellPosState. Input layout:
// bytes 0..90 the host's array, then four bytes each (little-endian) of the
// square, the side and the value ShowProgress holds before the call, then
// one byte that picks Depth and HisshoDepth from small tables (negative and
// extreme values included). Missing bytes read as zero.
//
// Checked for every input: the host's array (in a heap block of exactly 91
// bytes) is unchanged; ShowProgress is back at its value; the result is 0
// for a square that is not a legal move for the side on a plain model of the
// board, and otherwise the reference search's value for the position after
// the move, whichever search implementation is selected.
#include <climits>
#include <cstring>
#include <iterator>
#include <string>

#include "board/rules.h"
#include "engine/exports.h"
#include "fuzz/fuzz_support.h"
#include "engine/root.h"
#include "search/search.h"
#include "core/settings.h"

namespace {

constexpr size_t kBoardBytes = 91;

int32_t Word(const uint8_t* data, size_t size, size_t at) {
  uint32_t value = 0;
  for (size_t k = 0; k < 4; ++k) {
    const uint32_t byte = at + k < size ? data[at + k] : 0;
    value |= byte << (8 * k);
  }
  return static_cast<int32_t>(value);
}

// Depth values stay small: the search behind them is a full-width tree.
constexpr int32_t kDepths[] = {1, 0, -1, 2, INT_MIN, -1000};
constexpr int32_t kHisshoDepths[] = {8, 14, 0, -14, INT_MAX, INT_MIN, 60};

// The expected score, the long way round on the plain search.
int Expected(const int8_t* host, int square, int side) {
  if (!IsPlayableSquare(square)) return 0;
  ModelBoard model{};
  Board board;
  ClearBoard(board);
  const int mover = (side & 0xFF) == 1 ? 1 : -1;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const int8_t code = host[SquareIndex(x, y)];
      const int disc = code == 1 ? 1 : code == -1 ? -1 : 0;
      model.cell[x - 1][y - 1] = disc * mover;  // the side to move is 1 from here on
      board.cell[SquareIndex(x, y)] = static_cast<int8_t>(disc * mover);
    }
  }
  if (!ModelLegal(model, SquareColumn(square), SquareRow(square), 1)) return 0;
  Board after;
  FUZZ_CHECK(PlayMove(board, after, square, 1), "the rules disagree with the model");
  MoveList list;
  ListEmpties(after, list);
  long long depth = EngineSettings.Depth;
  if (list.count <= static_cast<long long>(EngineSettings.HisshoDepth) + 14) ++depth;
  return RunSearch(SearchImplementation::Reference, SearchKind::Midgame, after, list, -1, -kWindow, UsableDepth(depth), 0)
      .value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseCheapSearchSettings();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int8_t* host = new int8_t[kBoardBytes];
  for (size_t i = 0; i < kBoardBytes; ++i) host[i] = static_cast<int8_t>(i < size ? data[i] : 0);
  int8_t guard[kBoardBytes];
  std::memcpy(guard, host, kBoardBytes);
  const int32_t square = Word(data, size, 91);
  const int32_t side = Word(data, size, 95);
  const int32_t show_progress = Word(data, size, 99);
  const uint8_t pick = size > 103 ? data[103] : 0;
  EngineSettings.Depth = kDepths[pick % std::size(kDepths)];
  EngineSettings.HisshoDepth = kHisshoDepths[pick / std::size(kDepths) % std::size(kHisshoDepths)];
  EngineSettings.ShowProgress = show_progress;

  const int expected = Expected(host, square, side);
  const int score = VellPosState(host, square, side, square ^ side);
  const std::string context = "square " + std::to_string(square) + " side " + std::to_string(side) + " depth " +
                              std::to_string(EngineSettings.Depth) + " hissho " +
                              std::to_string(EngineSettings.HisshoDepth);
  FUZZ_CHECK(std::memcmp(guard, host, kBoardBytes) == 0, "the host's array was written to, " + context);
  FUZZ_CHECK(EngineSettings.ShowProgress == show_progress, "ShowProgress not restored, " + context);
  FUZZ_CHECK(score == expected, "score " + std::to_string(score) + ", expected " + std::to_string(expected) + ", " +
                                    context);
  FUZZ_CHECK(score >= -kGameWon && score <= kGameWon, "score out of range, " + context);
  delete[] host;
  UseCheapSearchSettings();
  return 0;
}
