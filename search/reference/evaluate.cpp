#include "board/rules.h"
#include "search/reference/reference.h"

namespace reference {

// clang-format off
const int EvalWeights[81] = {
    50, 0, 3, 3, 3, 3, 0, 50, 0,
     0, 0, 2, 3, 3, 2, 0,  0, 0,
     3, 2, 1, 2, 2, 1, 2,  3, 0,
     3, 3, 2, 1, 1, 2, 3,  3, 0,
     3, 3, 2, 1, 1, 2, 3,  3, 0,
     3, 2, 1, 2, 2, 1, 2,  3, 0,
     0, 0, 2, 3, 3, 2, 0,  0, 0,
    50, 0, 3, 3, 3, 3, 0, 50, 0,
     0, 0, 0, 0, 0, 0, 0,  0, 0,
};
// clang-format on

int Evaluate(const Board& board) {
  int sum = 0;
  for (int i = 10; i <= 90; ++i) {
    const int a = board.cell[i];
    if (a == 1 || a == -1) {
      sum += a * EvalWeights[i - 10] * 4;
      for (int d : Directions) {
        if (board.cell[i + d] == kEmpty) sum -= 7 * a;
      }
    } else if (a == kEmpty) {
      if (IsLegalMove(board, i, +1)) sum += 2;
      if (IsLegalMove(board, i, -1)) sum -= 2;
    }
  }
  return sum;
}

}  // namespace reference
