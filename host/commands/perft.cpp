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
