// version, perft and search: the commands that answer without playing.
#include <chrono>
#include <cstdio>

#include "board/perft.h"
#include "engine/exports.h"
#include "host/commands.h"
#include "host/installed_book.h"
#include "host/options.h"
#include "host/positions.h"
#include "host/records.h"
#include "host/search_call.h"
#include "search/dispatch.h"
#include "search/fast/fast_search.h"


int VersionCommand(const Args& /*args*/) {
  std::printf("Tenu %s version %d\n", ToTerminal(LumInfo()).c_str(), LumVersion());
  const std::string book = InstalledBookPath();
  std::printf("Opening book: %s\n", book.empty() ? "none installed" : book.c_str());
  return 0;
}

int PerftCommand(const Args& args) {
  long long depth = 0;
  if (args.size() != 1 || !ParseCount(args[0], depth) || depth < 1 || depth > 20) {
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

int SearchCommand(const Args& args) {
  SearchKind kind = SearchKind::Evaluate;
  bool chosen = false;
  long long depth = 0;
  bool timed = false;
  Args positions;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--eval" || arg == "--exact" || arg == "--wld" || arg == "--depth") {
      if (chosen) {
        std::fprintf(stderr, "tenu search: choose one of --eval, --depth N, --exact, --wld\n");
        return 2;
      }
      chosen = true;
      if (arg == "--eval") kind = SearchKind::Evaluate;
      if (arg == "--exact") kind = SearchKind::Exact;
      if (arg == "--wld") kind = SearchKind::Wld;
      if (arg == "--depth") {
        kind = SearchKind::Midgame;
        if (i + 1 >= args.size() || !ParseCount(args[i + 1], depth) || depth > 60) {
          std::fprintf(stderr, "tenu search: --depth takes a depth from 0 to 60\n");
          return 2;
        }
        ++i;
      }
    } else if (arg == "--time") {
      timed = true;
    } else if (arg == "--reference") {
      ActiveSearch = SearchImplementation::Reference;
    } else if (arg == "--hash") {
      long long megabytes = 0;
      if (i + 1 >= args.size() || !ParseCount(args[i + 1], megabytes) || megabytes < 1 ||
          megabytes > kLargestTableMegabytes) {
        std::fprintf(stderr, "tenu search: --hash takes a table size in MiB from 1 to %lld\n", kLargestTableMegabytes);
        return 2;
      }
      ++i;
      if (!SetSearchTableSize(static_cast<size_t>(megabytes) << 20)) {
        std::fprintf(stderr, "tenu search: --hash: %lld MiB of memory cannot be had\n", megabytes);
        return 2;
      }
    } else if (arg.rfind("--", 0) == 0 && !LooksLikeSuiteLine(arg)) {
      std::fprintf(stderr, "tenu search: unknown option %s\n", arg.c_str());
      return 2;
    } else {
      positions.push_back(arg);
    }
  }
  if (!chosen) {
    std::fprintf(stderr, "usage: tenu search (--eval | --depth N | --exact | --wld) [--reference] [--hash MB] [--time] [POSITION...]\n");
    return 2;
  }
  bool unreadable = false;
  const int status = ForEachPosition(positions, [&](const std::string& text) {
    std::string position;
    std::string error;
    if (!ToPositionString(text, position, error)) {
      std::fprintf(stderr, "tenu search: %s\n", error.c_str());
      unreadable = true;
      return false;
    }
    const auto start = std::chrono::steady_clock::now();
    const SearchCallResult result = CallSearch(position.c_str(), kind, static_cast<int>(depth));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.parsed) {
      std::printf("error: not a position: %s\n", position.c_str());
      std::fflush(stdout);
      return false;
    }
    if (timed) {
      std::printf("%d %llu %.3f\n", result.value, static_cast<unsigned long long>(result.nodes), seconds);
    } else {
      std::printf("%d %llu\n", result.value, static_cast<unsigned long long>(result.nodes));
    }
    std::fflush(stdout);
    return true;
  });
  return unreadable ? 2 : status;
}
