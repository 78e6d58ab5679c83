// tenu book check: a book file loaded as the engine loads it, and reported on.
#include <cstdio>
#include <string>

#include "book/book.h"
#include "engine/exports.h"
#include "host/commands/commands.h"

namespace {

// Where the engine's line count and the file's lines part: the engine reads
// a line longer than it reads at once as several, and counts each of them.
struct LineMap {
  int32_t file_line = 0;  // the file's line that holds the engine's line asked for
  int32_t first_long = 0;  // the file's first line read in pieces up to there (0: none)
};

// Reads the file again piece by piece, as the loader did, up to the
// engine's line `wanted` (to the end when 0).
LineMap MapEngineLine(const std::string& path, int32_t wanted) {
  LineMap map;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return map;
  char piece[kBookLinePieceSize];
  bool ended = false;
  int32_t engine_line = 0;
  int32_t file_line = 1;
  bool line_continues = false;  // the last piece did not end its line
  while (ReadBookLinePiece(file, piece, kBookLinePieceSize, ended)) {
    ++engine_line;
    if (line_continues && map.first_long == 0) map.first_long = file_line;
    map.file_line = file_line;
    if (engine_line == wanted) break;
    const std::string text = piece;
    line_continues = text.empty() || text.back() != '\n';
    if (!line_continues) ++file_line;
  }
  std::fclose(file);
  return map;
}

void ExplainLongLines(const std::string& path, int32_t line_number, bool rejected) {
  const LineMap map = MapEngineLine(path, rejected ? line_number : 0);
  if (map.first_long == 0) return;
  std::printf("%s: the file's line %d is longer than the %d characters the engine reads at once, and the engine "
              "counts each piece of it as a line",
              path.c_str(), map.first_long, kBookLinePieceSize - 1);
  if (rejected) {
    std::printf("; its line %d is the file's line %d\n", line_number, map.file_line);
  } else {
    std::printf("; its %d lines are the file's %d\n", line_number, map.file_line);
  }
}

}  // namespace

int BookCommand(const Args& args) {
  ParsedOptions parsed;
  std::string error;
  if (!ParseOptions(args, {}, parsed, error) || parsed.operands.size() != 2 || parsed.operands[0] != "check") {
    std::fprintf(stderr, "usage: tenu book check FILE\n");
    return 2;
  }
  const std::string& path = parsed.operands[1];
  // A device or a pipe would be read forever, or never answer.
  if (const std::string problem = BookFileProblem(path); !problem.empty()) {
    std::printf("%s: not read: %s\n", path.c_str(), problem.c_str());
    return 2;
  }
  if (!AcquireBook()) {
    std::fprintf(stderr, "tenu book: out of memory\n");
    return 2;
  }
  int32_t line_number = 0;
  const int loaded = LoadBookFile(path.c_str(), &line_number);
  const long nodes = CountBookNodes();
  int status = 0;
  if (loaded) {
    std::printf("%s: %d lines read, %ld nodes, no error\n", path.c_str(), line_number, nodes);
    ExplainLongLines(path, line_number, false);
  } else if (line_number == 0) {
    std::printf("%s: cannot be opened\n", path.c_str());
    status = 2;
  } else {
    std::printf("%s: line %d rejected (%d lines read, %ld nodes before it)\n", path.c_str(), line_number,
                line_number, nodes);
    ExplainLongLines(path, line_number, true);
    status = 1;
  }
  ReleaseBook();
  return status;
}
