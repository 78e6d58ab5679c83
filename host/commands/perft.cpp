// tenu perft: move-path counts from the start position, to check the rules.
#include <chrono>
#include <cstdio>

#include "board/perft.h"
#include "host/commands/commands.h"

int PerftCommand(const Args& args) {
  ParsedOptions parsed;
  std::string error;
  long long depth = 0;
  if (!ParseOptions(args, {}, parsed, error) || parsed.operands.size() != 1 || !ParseCount(parsed.operands[0], depth) ||
      depth < 1 || depth > 20) {
    std::fprintf(stderr, "usage: tenu perft N   (N from 1 to 20)\n");
    return 2;
  }
  // Each depth takes about eight times as long as the one before (depth 10
  // a few seconds): past 12 the count does not come in any useful time.
  constexpr long long kDeepestUsefulPerft = 12;
  if (depth > kDeepestUsefulPerft) {
    std::fprintf(stderr,
                 "tenu perft: warning: depth %lld is above %lld: each depth takes about 8 times as long as the one "
                 "before, and this count may not finish in any useful time\n",
                 depth, kDeepestUsefulPerft);
  }
  Board board;
  SetStartPosition(board);
  for (int d = 1; d <= depth; ++d) {
    const auto start = std::chrono::steady_clock::now();
    const uint64_t leaves = Perft(board, 1, d);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("perft %2d %14llu  %.3f s\n", d, static_cast<unsigned long long>(leaves), seconds);
    std::fflush(stdout);
  }
  return 0;
}
